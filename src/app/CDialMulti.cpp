#include "CDialMulti.h"

#include "DialogLayout.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

CDialMulti::CDialMulti(const std::vector<std::string>& titles, const Ticks& shown, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);
    auto* group = new QGroupBox(QStringLiteral("Sélectionner les pistes : "), this);
    auto* grid = new QGridLayout(group);
    for (int t = 0; t < 10; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        const bool exists = ti < titles.size();
        auto* box = new QCheckBox(QString::number(t + 1), group);
        box->setChecked(shown[ti]);
        box->setEnabled(exists);
        auto* label = new QLabel(exists ? QString::fromStdString(titles[ti]) : QString::fromUtf8(kEmpty), group);
        label->setEnabled(exists);
        label->setMinimumWidth(180);
        boxes_[ti] = box;
        labels_[ti] = label;
        grid->addWidget(box, t, 0);
        grid->addWidget(label, t, 1);
    }
    layOutWithOkCancel(*this, group);
}

CDialMulti::Ticks CDialMulti::ticks() const
{
    Ticks t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = boxes_[i]->isChecked();
    return t;
}

std::optional<CDialMulti::Ticks> CDialMulti::ask()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return ticks();
}
