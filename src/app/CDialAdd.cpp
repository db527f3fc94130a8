#include "CDialAdd.h"

#include "DialogLayout.h"
#include "InstrumentList.h"
#include "TrackCommands.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>

CDialAdd::CDialAdd(const std::array<std::string, 10>& names, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);
    auto* group = new QGroupBox(this);
    title_ = new QLineEdit(group);
    title_->setObjectName(QStringLiteral("title"));
    title_->setMaxLength(edit::TrackCommands::kTitleLength);
    list_ = new InstrumentList(names, edit::kAddableInstruments, group);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Titre de la piste :"), title_);
    form->addRow(list_);
    layOutWithOkCancel(*this, group);
    title_->setFocus();
}

CDialAdd::Answer CDialAdd::answer() const
{
    return {title_->text().toStdString(), list_->code()};
}

std::optional<CDialAdd::Answer> CDialAdd::ask()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return answer();
}
