#pragma once

#include <QDialog>

#include <array>
#include <optional>
#include <string>

class QLineEdit;
class InstrumentList;

// "Ajouter un instrument...": the title and the instrument of a new track.
class CDialAdd : public QDialog {
    Q_OBJECT
public:
    struct Answer {
        std::string title; // as typed, possibly empty
        int code = 0;
    };
    // `names` gives the text of each instrument code.
    CDialAdd(const std::array<std::string, 10>& names, QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Ajouter un instrument...";

    QLineEdit* titleEdit() const { return title_; }
    InstrumentList* instruments() const { return list_; }
    Answer answer() const;
    // Shown modally: the answer on "OK", nothing on "Annuler".
    std::optional<Answer> ask();

private:
    QLineEdit* title_ = nullptr;
    InstrumentList* list_ = nullptr;
};
