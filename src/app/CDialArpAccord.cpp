#include "CDialArpAccord.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CDialArpAccord::CDialArpAccord(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);

    auto* group = new QGroupBox(QStringLiteral("Sens : "), this);
    up_ = new QRadioButton(QStringLiteral("De bas en haut"), group);
    down_ = new QRadioButton(QStringLiteral("De haut en bas"), group);
    up_->setChecked(true);
    auto* inGroup = new QVBoxLayout(group);
    inGroup->addWidget(up_);
    inGroup->addWidget(down_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(group);
    column->addWidget(buttons);
}

int CDialArpAccord::direction() const
{
    return down_->isChecked() ? 1 : 0;
}

int CDialArpAccord::ask()
{
    return exec() == QDialog::Accepted ? direction() : -1;
}
