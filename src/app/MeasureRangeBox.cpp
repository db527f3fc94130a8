#include "MeasureRangeBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

namespace {
int numberIn(const QLineEdit* edit)
{
    bool ok = false;
    const int n = edit->text().trimmed().toInt(&ok);
    return ok ? n : 0;
}
} // namespace

MeasureRangeBox::MeasureRangeBox(int measureCount, int cursorMeasure, QWidget* parent) : QWidget(parent)
{
    first_ = new QLineEdit(QStringLiteral("1"), this);
    first_->setObjectName(QStringLiteral("firstMeasure"));
    last_ = new QLineEdit(QString::number(measureCount), this);
    last_->setObjectName(QStringLiteral("lastMeasure"));
    for (QLineEdit* e : {first_, last_}) {
        e->setValidator(new QIntValidator(0, 99999, e));
        e->setMaximumWidth(70);
    }
    fromStart_ = new QCheckBox(QStringLiteral("Appliquer depuis le début"), this);
    toEnd_ = new QCheckBox(QStringLiteral("Appliquer jusqu'à la fin"), this);
    fromStart_->setChecked(true);
    toEnd_->setChecked(true);
    connect(fromStart_, &QCheckBox::toggled, this, [this, cursorMeasure](bool on) {
        first_->setText(QString::number(on ? 1 : cursorMeasure));
    });
    connect(toEnd_, &QCheckBox::toggled, this, [this, measureCount, cursorMeasure](bool on) {
        last_->setText(QString::number(on ? measureCount : cursorMeasure));
    });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Mesures"), this), 0, 0);
    grid->addWidget(first_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("à"), this), 0, 2);
    grid->addWidget(last_, 0, 3);
    grid->addWidget(fromStart_, 1, 0, 1, 4);
    grid->addWidget(toEnd_, 2, 0, 1, 4);
}

int MeasureRangeBox::first() const
{
    return numberIn(first_);
}

int MeasureRangeBox::last() const
{
    return numberIn(last_);
}
