#pragma once

#include "CheckedDialog.h"

#include <optional>

// A dialog asking for one number: a field between two words, checked by the
// editing core on "OK".
class NumberDialog : public CheckedDialog {
    Q_OBJECT
public:
    using Check = const char* (*)(int);

    NumberDialog(Prompter& prompter, const QString& title, const QString& before, const QString& after, int start,
                 int maxLength, Check check, QWidget* parent);

    QLineEdit* field() const { return field_; }
    int value() const;
    // The dialog shown modally until a valid number or "Annuler" (nothing).
    std::optional<int> ask();

protected:
    const char* problem() const override;

private:
    Check check_;
    QLineEdit* field_ = nullptr;
};
