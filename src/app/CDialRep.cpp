#include "CDialRep.h"

#include "ScoreSettingsEdits.h"

CDialRep::CDialRep(Prompter& prompter, QWidget* parent)
    : NumberDialog(prompter, QString::fromUtf8(kTitle), QString(), QStringLiteral("renvois"), 1, kMaxDigits,
                   &edit::checkRepeatCount, parent)
{
}
