#include "CDialTune.h"

#include "DialogLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

CDialTune::CDialTune(const edit::TuningChoices& start, QWidget* parent) : QDialog(parent), choices_(start)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);
    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    for (int row = 0; row < 6; ++row) {
        const int k = 5 - row; // the highest string on top
        auto* combo = new QComboBox(group);
        combo->setObjectName(QStringLiteral("string%1").arg(k));
        for (const char* name : edit::tuningNoteNames(k))
            combo->addItem(QString::fromLatin1(name));
        combo->setEnabled(choices_.enabled[static_cast<std::size_t>(k)]);
        lists_[static_cast<std::size_t>(k)] = combo;
        grid->addWidget(combo, row, 1);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, k](int index) { listChanged(k, index); });
    }
    grid->addWidget(new QLabel(QStringLiteral("Aigüe"), group), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Grave"), group), 5, 0);
    link_ = new QPushButton(QStringLiteral("Lier"), group);
    link_->setCheckable(true);
    link_->setChecked(true);
    all_ = new QCheckBox(QStringLiteral("Appliquer à tous les instruments"), group);
    grid->addWidget(link_, 0, 2, 6, 1);
    grid->addWidget(all_, 6, 0, 1, 3);
    layOutWithOkCancel(*this, group);
    showChoices();
}

bool CDialTune::allTracksChecked() const
{
    return all_->isChecked();
}

void CDialTune::showChoices()
{
    showing_ = true;
    for (int k = 0; k < 6; ++k) {
        const auto ki = static_cast<std::size_t>(k);
        // A disabled list (the bass's missing strings) is left blank; a value
        // outside the list shows no selection.
        const int c = choices_.choice[ki];
        lists_[ki]->setCurrentIndex(choices_.enabled[ki] && c >= 0 && c < 12 ? c : -1);
    }
    showing_ = false;
}

void CDialTune::listChanged(int k, int index)
{
    if (showing_ || index < 0)
        return;
    choices_.move(k, index, link_->isChecked());
    showChoices();
}

std::optional<CDialTune::Answer> CDialTune::ask()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return answer();
}
