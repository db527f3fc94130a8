#pragma once

#include "ScoreSettingsEdits.h"

#include <QGroupBox>

class QCheckBox;
class QLineEdit;

// The range of measures a command applies to: "Mesures" n "à" m, with the two
// tick boxes that stretch it to the first or the last measure of the score.
// Shared by every dialog that acts on a range of measures.
class MeasureRangeBox : public QGroupBox {
    Q_OBJECT
public:
    // `cursorMeasure` and `measureCount` as the user counts (1-based): both
    // fields start at the cursor's measure.
    MeasureRangeBox(const QString& title, int cursorMeasure, int measureCount, QWidget* parent = nullptr);

    QLineEdit* firstField() const { return first_; }
    QLineEdit* lastField() const { return last_; }
    QCheckBox* fromStartBox() const { return fromStart_; }
    QCheckBox* toEndBox() const { return toEnd_; }

    void setFromStart(bool on);
    void setToEnd(bool on);
    // The numbers in the fields (an empty field reads 0).
    edit::MeasureRange range() const;

private:
    void follow(QLineEdit* field, bool ticked, int tickedValue);

    int cursorMeasure_;
    int measureCount_;
    QLineEdit* first_ = nullptr;
    QLineEdit* last_ = nullptr;
    QCheckBox* fromStart_ = nullptr;
    QCheckBox* toEnd_ = nullptr;
};
