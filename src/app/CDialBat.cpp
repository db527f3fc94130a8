#include "CDialBat.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int kW = 64; // a drum button
constexpr int kH = 26;

// One drum: its gradient says whether the beat holds it.
class DrumButton : public QAbstractButton {
public:
    DrumButton(const QString& caption, QWidget* parent) : QAbstractButton(parent)
    {
        setText(caption);
        setCheckable(true);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const bool lit = isChecked() || isDown();
        QLinearGradient g(0, 0, 0, height());
        if (lit) {
            g.setColorAt(0, QColor(255, 244, 190));
            g.setColorAt(1, QColor(240, 170, 40));
        } else {
            g.setColorAt(0, QColor(90, 110, 150));
            g.setColorAt(1, QColor(20, 30, 60));
        }
        p.fillRect(rect(), g);
        p.setPen(QColor(0, 0, 0, 120));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPointSize(8);
        p.setFont(f);
        p.setPen(lit ? Qt::black : Qt::white);
        p.drawText(rect().translated(0, 2), Qt::AlignCenter | Qt::TextWordWrap, text());
    }
};

struct Place {
    int drum, x, y, w;
};

// Roughly where each drum sits on a kit seen from the drummer's stool.
constexpr Place kPlaces[] = {
    {20, 8, 8, kW},   {19, 76, 8, kW},                                        // snare, rim
    {26, 8, 40, kW},  {28, 76, 40, kW},  {24, 8, 70, kW},  {25, 76, 70, kW}, // toms
    {22, 8, 100, kW}, {23, 76, 100, kW},
    {0, 8, 160, kW},  {1, 76, 160, kW},  {14, 8, 190, kW}, {15, 76, 190, kW}, // bass and kick drums
    {6, 154, 40, kW}, {17, 154, 70, kW}, {16, 154, 100, kW},                  // hi-hats
    {3, 154, 140, kW}, {4, 154, 170, kW},                                     // bongos
    {7, 226, 40, kW}, {8, 226, 70, kW},  {9, 226, 100, kW}, {10, 226, 130, kW}, // congas
    {11, 298, 40, kW}, {12, 298, 70, kW}, {18, 298, 100, kW}, {21, 298, 130, kW}, {5, 298, 160, kW}, // cymbals
    {2, 226, 8, kW},  {29, 298, 8, kW},                                       // bell, tambourine
    {13, 76, 224, 222},                                                       // gong
};

// A push pin seen from the side: a round head over a short needle.
QIcon pinIcon()
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 70), 2));
    p.drawLine(QPointF(12, 13), QPointF(12, 23));
    p.setPen(QPen(QColor(120, 20, 20), 1.5));
    p.setBrush(QColor(210, 40, 40));
    p.drawEllipse(QPointF(12, 8), 7, 7);
    p.setBrush(QColor(255, 150, 150));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(10, 6), 2.5, 2.5);
    return QIcon(pixmap);
}

} // namespace

CDialBat::CDialBat(QWidget* view) : QWidget(view ? view->window() : nullptr, Qt::Tool), view_(view)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setObjectName(QStringLiteral("CDialBat"));
    setFixedSize(376, 258);
    setFocusPolicy(Qt::StrongFocus);
    for (const Place& place : kPlaces) {
        auto* b = new DrumButton(QString::fromLatin1(edit::drumCaption(place.drum)), this);
        b->setGeometry(place.x, place.y, place.w, kH);
        b->setObjectName(QStringLiteral("drum%1").arg(place.drum));
        const int n = place.drum;
        // The button's own toggle is undone: the palette decides what it shows.
        connect(b, &QAbstractButton::clicked, this, [this, n] { clicked(n); });
        buttons_[static_cast<std::size_t>(n)] = b;
    }
    pin_ = new QPushButton(this);
    pin_->setIcon(pinIcon());
    pin_->setIconSize(QSize(12, 12));
    pin_->setObjectName(QStringLiteral("pin"));
    pin_->setCheckable(true);
    pin_->setFocusPolicy(Qt::NoFocus);
    pin_->setToolTip(QStringLiteral("Fixer la palette"));
    pin_->setGeometry(width() - 20, 2, 18, 16);
    connect(pin_, &QPushButton::toggled, this, [this](bool on) { palette_.pinned = on; });
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setFocusPolicy(Qt::NoFocus);
    ok->setGeometry(width() - 30, height() - 18, 28, 16);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
}

void CDialBat::synchronise(const CAccord& beat)
{
    palette_.synchronise(beat);
    for (int n = 0; n < edit::kDrumCount; ++n)
        if (QAbstractButton* b = buttons_[static_cast<std::size_t>(n)])
            b->setChecked(palette_.drumSelected[static_cast<std::size_t>(n)]);
    update();
}

void CDialBat::clicked(int n)
{
    QAbstractButton* b = buttons_[static_cast<std::size_t>(n)];
    if (!palette_.click(n)) {
        b->setChecked(palette_.drumSelected[static_cast<std::size_t>(n)]);
        return;
    }
    b->setChecked(palette_.lastAdded);
    emit drumRequest(palette_.lastDrum, palette_.lastAdded);
    update();
}

void CDialBat::paintEvent(QPaintEvent*)
{
    // The kit behind the buttons: shells, heads and cymbals in outline.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, height());
    bg.setColorAt(0, QColor(40, 44, 58));
    bg.setColorAt(1, QColor(14, 16, 24));
    p.fillRect(rect(), bg);
    p.setPen(QPen(QColor(200, 200, 210, 90), 2));
    p.setBrush(QColor(120, 30, 30, 70));
    p.drawEllipse(QPointF(72, 185), 62, 48);  // bass drum
    p.drawEllipse(QPointF(72, 70), 58, 44);   // toms
    p.setBrush(QColor(210, 170, 60, 60));
    p.drawEllipse(QPointF(330, 100), 44, 12); // cymbals
    p.drawEllipse(QPointF(330, 150), 40, 10);
    p.drawEllipse(QPointF(186, 72), 36, 9);   // hi-hat
    p.setBrush(QColor(150, 90, 40, 60));
    p.drawEllipse(QPointF(258, 90), 30, 60);  // congas
    p.drawEllipse(QPointF(186, 160), 30, 22); // bongos
    p.setBrush(QColor(210, 170, 60, 50));
    p.drawEllipse(QPointF(187, 237), 120, 16); // gong
}

bool CDialBat::event(QEvent* e)
{
    // Every key is the palette's, so that none becomes a shortcut or moves
    // the focus between its buttons.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() != Qt::Key_Tab && k->key() != Qt::Key_Backtab) {
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}

void CDialBat::forward(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab || !view_) {
        QWidget::keyPressEvent(e);
        return;
    }
    if (e->modifiers() & Qt::AltModifier) {
        // Alt keys belong to the window's menus and shortcuts.
        view_->window()->activateWindow();
        view_->setFocus(Qt::OtherFocusReason);
    }
    // The window's shortcuts (Ctrl+Z, Ctrl+S, F5...) work from here as from
    // the score: the palette is a separate window, so Qt would not run them.
    if (e->type() == QEvent::KeyPress) {
        const QKeySequence typed(e->keyCombination());
        for (QAction* action : view_->window()->findChildren<QAction*>()) {
            if (action->isEnabled() && action->shortcuts().contains(typed)) {
                action->trigger();
                e->accept();
                return;
            }
        }
    }
    QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->nativeScanCode(), e->nativeVirtualKey(),
                   e->nativeModifiers(), e->text(), e->isAutoRepeat(), static_cast<quint16>(e->count()));
    QApplication::sendEvent(view_, &copy);
    e->accept();
}

void CDialBat::keyPressEvent(QKeyEvent* e)
{
    forward(e);
}

void CDialBat::keyReleaseEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab || !view_) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    forward(e);
}
