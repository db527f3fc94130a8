#include "CDialTempo.h"

#include "DialogLayout.h"
#include "MeasureRangeBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDialTempo::CDialTempo(Prompter& prompter, int tempo, int cursorMeasure, int measureCount, QWidget* parent)
    : RangeDialog(prompter, measureCount, parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);

    auto* row = new QHBoxLayout();
    // A quarter note stands for the beat the tempo counts.
    auto* note = new QLabel(QStringLiteral("\u2669 ="), body);
    QFont big = note->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    note->setFont(big);
    tempo_ = digitField(body, QStringLiteral("tempo"), 3);
    tempo_->setText(QString::number(tempo));
    row->addWidget(note);
    row->addWidget(tempo_);
    row->addStretch();
    column->addLayout(row);

    range_ = new MeasureRangeBox(QStringLiteral("Appliquer à :"), cursorMeasure, measureCount, body);
    range_->setFromStart(true);
    range_->setToEnd(true);
    column->addWidget(range_);

    layOutWithOkCancel(*this, body);
    tempo_->setFocus();
    tempo_->selectAll();
}

CDialTempo::Answer CDialTempo::answer() const
{
    return {numberIn(tempo_), range_->range()};
}

const char* CDialTempo::problem() const
{
    const Answer a = answer();
    return edit::checkTempo(a.tempo, a.range, measureCount_);
}

std::optional<CDialTempo::Answer> CDialTempo::ask()
{
    return askModal(*this, [this] { return answer(); });
}
