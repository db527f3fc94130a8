#include "NumberDialog.h"

#include "DialogLayout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

NumberDialog::NumberDialog(Prompter& prompter, const QString& title, const QString& before, const QString& after,
                           int start, int maxLength, Check check, QWidget* parent)
    : CheckedDialog(prompter, parent), check_(check)
{
    setWindowTitle(title);
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    if (!before.isEmpty())
        row->addWidget(new QLabel(before, body));
    field_ = digitField(body, QStringLiteral("number"), maxLength);
    field_->setText(QString::number(start));
    row->addWidget(field_);
    if (!after.isEmpty())
        row->addWidget(new QLabel(after, body));
    row->addStretch();
    layOutWithOkCancel(*this, body);
    field_->setFocus();
    field_->selectAll();
}

int NumberDialog::value() const
{
    return numberIn(field_);
}

const char* NumberDialog::problem() const
{
    return check_(value());
}

std::optional<int> NumberDialog::ask()
{
    return askModal(*this, [this] { return value(); });
}
