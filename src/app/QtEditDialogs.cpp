#include "QtEditDialogs.h"

#include "CDialArpAccord.h"
#include "DialBR.h"

#include <QWidget>

namespace {
// Typing goes on in the score once the dialog has closed, whatever window
// the desktop gave the focus to meanwhile.
void backToScore(QWidget* view)
{
    if (!view)
        return;
    view->window()->activateWindow();
    view->setFocus(Qt::OtherFocusReason);
}
} // namespace

int QtEditDialogs::askAmount()
{
    DialBR dialog(parent_);
    const int amount = dialog.ask();
    backToScore(parent_);
    return amount;
}

int QtEditDialogs::askDirection()
{
    CDialArpAccord dialog(parent_);
    const int direction = dialog.ask();
    backToScore(parent_);
    return direction;
}
