#pragma once

#include "TrackCommands.h"

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QPushButton;

// "Accordage...": one list of note names per string, highest at the top;
// "Lier" moves all strings together.
class CDialTune : public QDialog {
    Q_OBJECT
public:
    struct Answer {
        edit::TuningChoices choices;
        bool allTracks = false;
    };
    explicit CDialTune(const edit::TuningChoices& start, QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Accordage...";

    // The list of string k (0 = lowest).
    QComboBox* list(int k) const { return lists_[static_cast<std::size_t>(k)]; }
    QPushButton* link() const { return link_; }
    QCheckBox* allTracks() const { return all_; }
    Answer answer() const { return {choices_, allTracksChecked()}; }
    std::optional<Answer> ask();

private:
    bool allTracksChecked() const;
    void listChanged(int k, int index);
    void showChoices();

    std::array<QComboBox*, 6> lists_{};
    QPushButton* link_ = nullptr;
    QCheckBox* all_ = nullptr;
    edit::TuningChoices choices_;
    bool showing_ = true; // until the lists show the start values
};
