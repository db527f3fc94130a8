#include "CDialCopie.h"

#include "DialogLayout.h"
#include "MeasureRangeBox.h"

#include <QCheckBox>
#include <QVBoxLayout>

CDialCopie::CDialCopie(Prompter& prompter, int cursorMeasure, int measureCount, bool forCut, QWidget* parent)
    : RangeDialog(prompter, measureCount, parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    range_ = new MeasureRangeBox(QStringLiteral("Appliquer à : "), cursorMeasure, measureCount, body);
    allTracks_ = new QCheckBox(QStringLiteral("Appliquer à toutes les pistes"), body);
    column->addWidget(range_);
    column->addWidget(allTracks_);
    allTracks_->setVisible(!forCut);
    layOutWithOkCancel(*this, body);
}

CDialCopie::Answer CDialCopie::answer() const
{
    return {range_->range(), allTracks_->isChecked()};
}

const char* CDialCopie::problem() const
{
    return edit::checkRange(range_->range(), measureCount_);
}

std::optional<CDialCopie::Answer> CDialCopie::ask()
{
    return askModal(*this, [this] { return answer(); });
}
