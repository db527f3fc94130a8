#include "CDialVolTip.h"

#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QLabel* iconLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QIcon(QStringLiteral(":/icons/%1.svg").arg(name)).pixmap(20, 20));
    return label;
}

QSlider* slider(const QString& name, int value, QWidget* parent)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setRange(0, 100);
    s->setValue(value);
    s->setMinimumWidth(120);
    return s;
}

QPushButton* toggle(const QString& text, bool on, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(text);
    b->setCheckable(true);
    b->setChecked(on);
    b->setFixedWidth(26);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

CDialVolTip::CDialVolTip(int track, const edit::TrackMixer::Strip& strip, Handlers handlers, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      track_(track),
      handlers_(std::move(handlers))
{
    setObjectName(QStringLiteral("trackPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(kBackground));
    setPalette(p);

    volume_ = slider(QStringLiteral("trackVolume"), strip.volume, this);
    pan_ = slider(QStringLiteral("trackPan"), strip.pan, this);
    solo_ = toggle(QStringLiteral("S"), strip.solo, this);
    mute_ = toggle(QStringLiteral("M"), strip.mute, this);

    auto* grid = new QVBoxLayout(this);
    grid->setContentsMargins(6, 5, 6, 5);
    grid->setSpacing(3);
    auto* volumeLine = new QHBoxLayout;
    volumeLine->addWidget(iconLabel(QStringLiteral("trackvolume"), this));
    volumeLine->addWidget(volume_, 1);
    volumeLine->addWidget(solo_);
    auto* panLine = new QHBoxLayout;
    panLine->addWidget(iconLabel(QStringLiteral("trackpan"), this));
    panLine->addWidget(pan_, 1);
    panLine->addWidget(mute_);
    grid->addLayout(volumeLine);
    grid->addLayout(panLine);

    connect(volume_, &QSlider::valueChanged, this, [this](int v) {
        if (handlers_.volume)
            handlers_.volume(v);
    });
    connect(pan_, &QSlider::valueChanged, this, [this](int v) {
        if (handlers_.pan)
            handlers_.pan(v);
    });
    connect(solo_, &QPushButton::toggled, this, [this](bool on) {
        if (handlers_.solo)
            handlers_.solo(on);
    });
    connect(mute_, &QPushButton::toggled, this, [this](bool on) {
        if (handlers_.mute)
            handlers_.mute(on);
    });
    // A drag that ended outside closes the window as the pointer leaving would have.
    for (QSlider* s : {volume_, pan_})
        connect(s, &QSlider::sliderReleased, this, &CDialVolTip::closeIfPointerOutside);
    adjustSize();
}

void CDialVolTip::placeBeside(const QWidget& button)
{
    adjustSize();
    const QPoint topLeft = button.mapToGlobal(QPoint(0, 7));
    move(topLeft.x() - width(), topLeft.y());
}

void CDialVolTip::closeIfPointerOutside()
{
    if (entered_ && !frameGeometry().contains(QCursor::pos()))
        close();
}

void CDialVolTip::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    entered_ = true;
}

void CDialVolTip::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    // While a slider is dragged the pointer may stray; the release decides.
    if (entered_ && QApplication::mouseButtons() == Qt::NoButton)
        close();
}
