#include "CSign.h"

#include "DialogLayout.h"
#include "MeasureRangeBox.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CSign::CSign(Prompter& prompter, int numerator, int denominator, int cursorMeasure, int measureCount,
             QWidget* parent)
    : RangeDialog(prompter, measureCount, parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));

    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);

    auto* signature = new QGroupBox(QStringLiteral("Signature"), body);
    numerator_ = digitField(signature, QStringLiteral("numerator"), 2);
    denominator_ = digitField(signature, QStringLiteral("denominator"), 2);
    numerator_->setText(QString::number(numerator));
    denominator_->setText(QString::number(denominator));
    numerator_->setAlignment(Qt::AlignCenter);
    denominator_->setAlignment(Qt::AlignCenter);
    auto* bar = new QFrame(signature);
    bar->setFrameShape(QFrame::HLine);
    bar->setFrameShadow(QFrame::Plain);
    bar->setLineWidth(2);
    auto* stack = new QVBoxLayout(signature);
    stack->addWidget(numerator_, 0, Qt::AlignHCenter);
    stack->addWidget(bar);
    stack->addWidget(denominator_, 0, Qt::AlignHCenter);
    stack->addStretch();

    range_ = new MeasureRangeBox(QStringLiteral("Appliquer à :"), cursorMeasure, measureCount, body);
    range_->setToEnd(true);

    row->addWidget(signature);
    row->addWidget(range_, 1);
    layOutWithOkCancel(*this, body);
    numerator_->setFocus();
    numerator_->selectAll();
}

CSign::Answer CSign::answer() const
{
    return {numberIn(numerator_), numberIn(denominator_), range_->range()};
}

const char* CSign::problem() const
{
    const Answer a = answer();
    return edit::checkSignature(a.numerator, a.denominator, a.range, measureCount_);
}

std::optional<CSign::Answer> CSign::ask()
{
    return askModal(*this, [this] { return answer(); });
}
