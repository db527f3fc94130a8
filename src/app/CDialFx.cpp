#include "CDialFx.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {
QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}
QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}
} // namespace

CDialFx::CDialFx(const sound::FxDialogModel& model, QWidget* parent) : QDialog(parent), model_(model)
{
    setWindowTitle(utf8(sound::FxDialogModel::kTitle));
    setModal(true);

    // ---- left: the effects and OK / Annuler ----
    auto* effects = new QGroupBox(QStringLiteral("Effets"), this);
    auto* list = new QVBoxLayout(effects);
    auto* showGroup = new QButtonGroup(this);
    showGroup->setExclusive(true);
    for (int k = 0; k < sound::kEffectCount; ++k) {
        const auto at = static_cast<std::size_t>(k);
        auto* line = new QHBoxLayout;
        auto* box = new QCheckBox(effects);
        box->setObjectName(QStringLiteral("fxOn%1").arg(k));
        box->setChecked(model_.enabled[at]);
        auto* button = new QPushButton(utf8(sound::FxDialogModel::kButtonTexts[at]), effects);
        button->setObjectName(QStringLiteral("fxShow%1").arg(k));
        button->setCheckable(true);
        button->setStyleSheet(QStringLiteral("text-align: left; padding: 3px 8px;"));
        showGroup->addButton(button, k);
        line->addWidget(box);
        line->addWidget(button, 1);
        list->addLayout(line);
        connect(box, &QCheckBox::toggled, this, [this, at](bool on) { model_.enabled[at] = on; });
        connect(button, &QPushButton::clicked, this, [this, k] { showEffect(k); });
        boxes_[at] = box;
        buttons_[at] = button;
    }
    auto* okCancel = new QDialogButtonBox(this);
    QPushButton* ok = okCancel->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    okCancel->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(okCancel, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(okCancel, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* left = new QVBoxLayout;
    left->addWidget(effects);
    left->addStretch(1);
    left->addWidget(okCancel);

    // ---- right: the shown effect's parameters ----
    params_ = new QGroupBox(QStringLiteral("Paramètres"), this);
    params_->setObjectName(QStringLiteral("fxParameters"));
    auto* grid = new QGridLayout(params_);
    grid->addWidget(new QLabel(QStringLiteral("Min"), params_), 0, 2, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("Max"), params_), 0, 4, Qt::AlignCenter);
    for (int r = 0; r < kRows; ++r) {
        Row& row = rows_[static_cast<std::size_t>(r)];
        row.label = new QLabel(params_);
        row.value = new QLabel(params_);
        row.value->setObjectName(QStringLiteral("fxValue%1").arg(r));
        row.value->setMinimumWidth(64);
        row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row.min = new QLabel(params_);
        row.max = new QLabel(params_);
        row.slider = new QSlider(Qt::Horizontal, params_);
        row.slider->setObjectName(QStringLiteral("fxSlider%1").arg(r));
        row.slider->setRange(0, 100);
        row.slider->setMinimumWidth(200);
        const int at = 1 + 2 * r;
        grid->addWidget(row.label, at, 0, 1, 5);
        grid->addWidget(row.value, at + 1, 1);
        grid->addWidget(row.min, at + 1, 2, Qt::AlignRight);
        grid->addWidget(row.slider, at + 1, 3);
        grid->addWidget(row.max, at + 1, 4);
        connect(row.slider, &QSlider::valueChanged, this, [this, r](int p) { sliderMoved(r, p); });
    }

    waveGroup_ = new QGroupBox(QStringLiteral("   Forme de l'onde   "), this);
    auto* waveLine = new QHBoxLayout(waveGroup_);
    auto* waveButtons = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(utf8(sound::FxDialogModel::kWaveTexts[static_cast<std::size_t>(i)]), waveGroup_);
        waveButtons->addButton(b, i + 1);
        waveLine->addWidget(b);
        waves_[static_cast<std::size_t>(i)] = b;
    }
    connect(waveButtons, &QButtonGroup::idClicked, this, [this](int id) { shown().wave = id; });

    phaseGroup_ = new QGroupBox(QStringLiteral("   Phase (Degrés)   "), this);
    auto* phaseLine = new QHBoxLayout(phaseGroup_);
    auto* phaseButtons = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        auto* b = new QRadioButton(utf8(sound::FxDialogModel::kPhaseTexts[static_cast<std::size_t>(i)]), phaseGroup_);
        phaseButtons->addButton(b, i + 1);
        phaseLine->addWidget(b);
        phases_[static_cast<std::size_t>(i)] = b;
    }
    connect(phaseButtons, &QButtonGroup::idClicked, this, [this](int id) { shown().phase = id; });

    auto* right = new QVBoxLayout;
    right->addWidget(params_);
    right->addWidget(waveGroup_);
    right->addWidget(phaseGroup_);
    right->addStretch(1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left);
    columns->addLayout(right, 1);

    buttons_[0]->setChecked(true);
    showEffect(0);
}

void CDialFx::showEffect(int k)
{
    if (k < 0 || k >= sound::kEffectCount)
        return;
    shown_ = k;
    buttons_[static_cast<std::size_t>(k)]->setChecked(true);
    const sound::FxDescriptor& d = shown();
    params_->setTitle(utf8(d.title));
    filling_ = true;
    for (int r = 0; r < kRows; ++r) {
        Row& row = rows_[static_cast<std::size_t>(r)];
        const bool used = r < d.count;
        for (QWidget* w : {static_cast<QWidget*>(row.label), static_cast<QWidget*>(row.value),
                           static_cast<QWidget*>(row.min), static_cast<QWidget*>(row.max),
                           static_cast<QWidget*>(row.slider)})
            w->setVisible(used);
        if (!used)
            continue;
        const sound::FxParameter& p = d.params[static_cast<std::size_t>(r)];
        row.label->setText(utf8(p.label));
        row.value->setText(qs(sound::FxDialogModel::formatValue(p.value)));
        row.min->setText(qs(sound::FxDialogModel::formatBound(p.min)));
        row.max->setText(qs(sound::FxDialogModel::formatBound(p.max)));
        row.slider->setValue(d.sliderPosition(r));
    }
    filling_ = false;
    waveGroup_->setVisible(d.waveMask != 0);
    for (int i = 0; i < 3; ++i) {
        QRadioButton* b = waves_[static_cast<std::size_t>(i)];
        b->setEnabled(d.waveMask & (1 << i));
        b->setChecked(d.wave == i + 1);
    }
    phaseGroup_->setVisible(d.phaseMask != 0);
    for (int i = 0; i < 5; ++i) {
        QRadioButton* b = phases_[static_cast<std::size_t>(i)];
        b->setEnabled(d.phaseMask & (1 << i));
        b->setChecked(d.phase == i + 1);
    }
}

void CDialFx::sliderMoved(int row, int position)
{
    if (filling_)
        return;
    sound::FxDescriptor& d = shown();
    d.moveSlider(row, position);
    rows_[static_cast<std::size_t>(row)].value->setText(
        qs(sound::FxDialogModel::formatValue(d.params[static_cast<std::size_t>(row)].value)));
}

std::optional<sound::FxDialogModel> CDialFx::ask()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return model_;
}
