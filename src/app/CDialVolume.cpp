#include "CDialVolume.h"

#include "DialogLayout.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

CDialVolume::CDialVolume(const edit::VolumeRows& rows, QWidget* parent) : QDialog(parent), volumes_(rows.volumes)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);
    auto* group = new QWidget(this);
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    for (int t = 0; t < model::kMaxTracks; ++t) {
        const auto at = static_cast<std::size_t>(t);
        auto* row = new QFrame(group);
        row->setObjectName(QStringLiteral("volumeRow%1").arg(t + 1));
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(6, 3, 6, 3);
        auto* label = new QLabel(QString::fromStdString(rows.labels[at]), row);
        label->setMinimumWidth(140);
        auto* slider = new QSlider(Qt::Horizontal, row);
        slider->setObjectName(QStringLiteral("volumeSlider%1").arg(t + 1));
        slider->setRange(0, 100);
        slider->setValue(volumes_[at]);
        slider->setMinimumWidth(220);
        line->addWidget(label);
        line->addWidget(slider, 1);
        if (t == rows.marked) {
            // The track being edited: its row stands out on a dark band.
            row->setAutoFillBackground(true);
            QPalette p = row->palette();
            p.setColor(QPalette::Window, QColor(64, 64, 72));
            p.setColor(QPalette::WindowText, Qt::white);
            row->setPalette(p);
        }
        connect(slider, &QSlider::valueChanged, this, [this, at](int v) { volumes_[at] = v; });
        row->setVisible(t < rows.count);
        column->addWidget(row);
        rows_[at] = row;
        labels_[at] = label;
        sliders_[at] = slider;
    }
    layOutWithOkCancel(*this, group);
}

std::optional<edit::TrackVolumes> CDialVolume::ask()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return volumes_;
}
