#include "CDialCapo.h"

#include "ScoreSettingsEdits.h"

CDialCapo::CDialCapo(Prompter& prompter, int capo, QWidget* parent)
    : NumberDialog(prompter, QString::fromUtf8(kTitle), QStringLiteral("Case"), QString(), capo, 2, &edit::checkCapo,
                   parent)
{
}
