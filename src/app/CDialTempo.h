#pragma once

#include "CheckedDialog.h"
#include "ScoreSettingsEdits.h"

#include <optional>

class MeasureRangeBox;

// "Entrez la valeur du Tempo": a tempo and the measures it applies to.
class CDialTempo : public RangeDialog {
    Q_OBJECT
public:
    struct Answer {
        int tempo = 0;
        edit::MeasureRange range;
    };

    // Starts with the cursor measure's tempo and the whole score as range.
    CDialTempo(Prompter& prompter, int tempo, int cursorMeasure, int measureCount, QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Entrez la valeur du Tempo";

    QLineEdit* tempoField() const { return tempo_; }
    Answer answer() const;
    std::optional<Answer> ask();

protected:
    const char* problem() const override;

private:
    QLineEdit* tempo_ = nullptr;
};
