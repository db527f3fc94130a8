#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;

// A range of measures as the instrument dialog asks for it: "Mesures" … "à",
// with the two ticks that pin either end to the start or the end of the
// score. Unticking puts the cursor's measure number in the freed field.
class MeasureRangeBox : public QWidget {
    Q_OBJECT
public:
    // Numbers are 1-based.
    MeasureRangeBox(int measureCount, int cursorMeasure, QWidget* parent = nullptr);

    QLineEdit* firstEdit() const { return first_; }
    QLineEdit* lastEdit() const { return last_; }
    QCheckBox* fromStart() const { return fromStart_; }
    QCheckBox* toEnd() const { return toEnd_; }
    // The numbers typed; 0 for a field that holds no number.
    int first() const;
    int last() const;

private:
    QLineEdit* first_ = nullptr;
    QLineEdit* last_ = nullptr;
    QCheckBox* fromStart_ = nullptr;
    QCheckBox* toEnd_ = nullptr;
};
