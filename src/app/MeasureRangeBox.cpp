#include "MeasureRangeBox.h"

#include "CheckedDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

MeasureRangeBox::MeasureRangeBox(const QString& title, int cursorMeasure, int measureCount, QWidget* parent)
    : QGroupBox(title, parent), cursorMeasure_(cursorMeasure), measureCount_(measureCount)
{
    setObjectName(QStringLiteral("range"));
    first_ = digitField(this, QStringLiteral("first"), 5);
    last_ = digitField(this, QStringLiteral("last"), 5);
    first_->setText(QString::number(cursorMeasure_));
    last_->setText(QString::number(cursorMeasure_));
    fromStart_ = new QCheckBox(QStringLiteral("Appliquer depuis le début"), this);
    toEnd_ = new QCheckBox(QStringLiteral("Appliquer jusqu'à la fin"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Mesures"), this), 0, 0);
    grid->addWidget(first_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("à"), this), 0, 2);
    grid->addWidget(last_, 0, 3);
    grid->setColumnStretch(4, 1);
    grid->addWidget(fromStart_, 1, 0, 1, 5);
    grid->addWidget(toEnd_, 2, 0, 1, 5);

    connect(fromStart_, &QCheckBox::toggled, this, [this](bool on) { follow(first_, on, 1); });
    connect(toEnd_, &QCheckBox::toggled, this, [this](bool on) { follow(last_, on, measureCount_); });
}

void MeasureRangeBox::follow(QLineEdit* field, bool ticked, int tickedValue)
{
    // While ticked the field holds the end of the score and cannot be edited.
    field->setText(QString::number(ticked ? tickedValue : cursorMeasure_));
    field->setEnabled(!ticked);
}

void MeasureRangeBox::setFromStart(bool on)
{
    fromStart_->setChecked(on);
    follow(first_, on, 1);
}

void MeasureRangeBox::setToEnd(bool on)
{
    toEnd_->setChecked(on);
    follow(last_, on, measureCount_);
}

edit::MeasureRange MeasureRangeBox::range() const
{
    return {numberIn(first_), numberIn(last_)};
}
