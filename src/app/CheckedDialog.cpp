#include "CheckedDialog.h"

#include "Prompter.h"
#include "ScoreSettingsEdits.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

CheckedDialog::CheckedDialog(Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter)
{
    setModal(true);
}

void CheckedDialog::accept()
{
    if (const char* message = problem()) {
        prompter_.showMessage(message);
        return;
    }
    QDialog::accept();
}

QLineEdit* digitField(QWidget* parent, const QString& objectName, int maxLength)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    field->setValidator(new QRegularExpressionValidator(digits, field));
    if (maxLength > 0) {
        field->setMaxLength(maxLength);
        // Wide enough for its digits and a little more, not for a sentence.
        const int width = field->fontMetrics().horizontalAdvance(QString(maxLength + 1, QLatin1Char('0')));
        field->setFixedWidth(width + 16);
    }
    return field;
}

int numberIn(const QLineEdit* field)
{
    return edit::readNumber(field->text().toStdString());
}
