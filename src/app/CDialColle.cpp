#include "CDialColle.h"

#include "DialogLayout.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

CDialColle::CDialColle(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);
    auto* group = new QGroupBox(QStringLiteral("Type de collage : "), this);
    insert_ = new QRadioButton(QStringLiteral("Insérer après la mesure en cours"), group);
    replace_ = new QRadioButton(QStringLiteral("Remplacer les mesures"), group);
    insert_->setChecked(true);
    auto* column = new QVBoxLayout(group);
    column->addWidget(insert_);
    column->addWidget(replace_);
    layOutWithOkCancel(*this, group);
}

edit::PasteMode CDialColle::mode() const
{
    return replace_->isChecked() ? edit::PasteMode::Replace : edit::PasteMode::InsertAfter;
}

std::optional<edit::PasteMode> CDialColle::ask()
{
    return askModal(*this, [this] { return mode(); });
}
