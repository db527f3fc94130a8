#include "CDialArpAccord.h"

#include "DialogLayout.h"

#include <QGroupBox>
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

    layOutWithOkCancel(*this, group);
}

int CDialArpAccord::direction() const
{
    return down_->isChecked() ? 1 : 0;
}

int CDialArpAccord::ask()
{
    return exec() == QDialog::Accepted ? direction() : -1;
}
