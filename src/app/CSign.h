#pragma once

#include "CheckedDialog.h"
#include "ScoreSettingsEdits.h"

#include <optional>

class MeasureRangeBox;

// "Entrez la signature": a time signature and the measures it applies to.
class CSign : public RangeDialog {
    Q_OBJECT
public:
    struct Answer {
        int numerator = 0;
        int denominator = 0;
        edit::MeasureRange range;
    };

    // The fields start with the cursor measure's signature, the range from
    // that measure (1-based `cursorMeasure`) to the end of the score.
    CSign(Prompter& prompter, int numerator, int denominator, int cursorMeasure, int measureCount,
          QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Entrez la signature";

    QLineEdit* numeratorField() const { return numerator_; }
    QLineEdit* denominatorField() const { return denominator_; }
    Answer answer() const;
    // The dialog shown modally until valid values or "Annuler" (nothing).
    std::optional<Answer> ask();

protected:
    const char* problem() const override;

private:
    QLineEdit* numerator_ = nullptr;
    QLineEdit* denominator_ = nullptr;
};
