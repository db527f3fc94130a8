#include "CDialChPart.h"

#include "CommandTable.h"
#include "DialogLayout.h"
#include "InstrumentList.h"
#include "MeasureRangeBox.h"
#include "TrackCommands.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>

CDialChPart::CDialChPart(const std::array<std::string, 10>& names, const Start& start,
                         std::function<bool(int, int)> rangeValid, QWidget* parent)
    : QDialog(parent), rangeValid_(std::move(rangeValid))
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);
    auto* group = new QGroupBox(this);
    title_ = new QLineEdit(QString::fromStdString(start.title), group);
    title_->setObjectName(QStringLiteral("title"));
    title_->setMaxLength(edit::TrackCommands::kTitleLength);
    list_ = new InstrumentList(names, static_cast<int>(edit::kInstrumentChoices.size()), group);
    list_->selectCode(start.code);
    range_ = new MeasureRangeBox(QString(), start.cursorMeasure, start.measureCount, group);
    range_->setFromStart(true);
    range_->setToEnd(true);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Titre de la piste :"), title_);
    form->addRow(list_);
    form->addRow(range_);
    layOutWithOkCancel(*this, group);
}

CDialChPart::Answer CDialChPart::answer() const
{
    return {title_->text().trimmed().toStdString(), list_->code(), range_->range().first, range_->range().last};
}

void CDialChPart::accept()
{
    const Answer a = answer();
    if (rangeValid_ && !rangeValid_(a.first, a.last)) {
        QMessageBox::warning(this, QString::fromUtf8(CommandTable::kTitle),
                             QString::fromUtf8(edit::TrackCommands::kBadRange));
        return;
    }
    QDialog::accept();
}

std::optional<CDialChPart::Answer> CDialChPart::ask()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return answer();
}
