#pragma once

#include "AmountDialog.h"
#include "ArpeggioDialog.h"

class QWidget;

// The editing commands' questions as the real dialogs, opened over the view.
class QtEditDialogs : public edit::AmountDialog, public edit::ArpeggioDialog {
public:
    explicit QtEditDialogs(QWidget* parent) : parent_(parent) {}

    int askAmount() override;
    int askDirection() override;

private:
    QWidget* parent_;
};
