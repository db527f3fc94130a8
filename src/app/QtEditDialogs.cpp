#include "QtEditDialogs.h"

#include "CDialArpAccord.h"
#include "DialBR.h"

int QtEditDialogs::askAmount()
{
    DialBR dialog(parent_);
    return dialog.ask();
}

int QtEditDialogs::askDirection()
{
    CDialArpAccord dialog(parent_);
    return dialog.ask();
}
