#pragma once

#include <QDialog>

#include <string>

class MeasureRangeBox;
class Prompter;
class QLineEdit;

// A dialog whose "OK" asks the editing core whether the values typed are
// acceptable: when they are not, the core's message is shown and the dialog
// stays open with what was typed, until valid values or "Annuler".
class CheckedDialog : public QDialog {
    Q_OBJECT
public:
    CheckedDialog(Prompter& prompter, QWidget* parent);

    void accept() override;

protected:
    // The message for the values in the fields, or nullptr when they are fine.
    virtual const char* problem() const = 0;

private:
    Prompter& prompter_;
};

// A checked dialog about a range of measures of a score of `measureCount_`.
class RangeDialog : public CheckedDialog {
    Q_OBJECT
public:
    MeasureRangeBox* rangeBox() const { return range_; }

protected:
    RangeDialog(Prompter& prompter, int measureCount, QWidget* parent)
        : CheckedDialog(prompter, parent), measureCount_(measureCount)
    {
    }

    int measureCount_;
    MeasureRangeBox* range_ = nullptr;
};

// A field that takes decimal digits only, at most `maxLength` of them
// (0: no limit).
QLineEdit* digitField(QWidget* parent, const QString& objectName, int maxLength = 0);
// The number in such a field as the core reads it (empty reads 0).
int numberIn(const QLineEdit* field);
