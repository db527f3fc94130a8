#pragma once

#include "CheckedDialog.h"
#include "ScoreSettingsEdits.h"

#include <optional>

class MeasureRangeBox;
class QCheckBox;

// "Sélection des mesures...": the measures to copy or cut, and for a copy
// whether every track is taken.
class CDialCopie : public RangeDialog {
    Q_OBJECT
public:
    struct Answer {
        edit::MeasureRange range;
        bool allTracks = false;
    };

    // Both numbers start at the cursor's measure (1-based); a cut always
    // takes every track, so its dialog has no track tick box.
    CDialCopie(Prompter& prompter, int cursorMeasure, int measureCount, bool forCut, QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Sélection des mesures...";

    QCheckBox* allTracksBox() const { return allTracks_; }
    Answer answer() const;
    std::optional<Answer> ask();

protected:
    const char* problem() const override;

private:
    QCheckBox* allTracks_ = nullptr;
};
