#include "CMyToolbar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolBar>

CMyToolbar::CMyToolbar(const QString& title, QWidget* parent) : QToolBar(title, parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMyToolbar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool lying = width() > height();
    QLinearGradient strip(0, 0, lying ? 0 : width(), lying ? height() : 0);
    strip.setColorAt(0.0, QColor(255, 255, 255));
    strip.setColorAt(0.45, QColor(240, 245, 250));
    strip.setColorAt(1.0, QColor(205, 220, 242));
    p.fillRect(rect(), strip);

    if (isMovable()) {
        QStyleOptionToolBar opt;
        initStyleOption(&opt);
        opt.rect = style()->subElementRect(QStyle::SE_ToolBarHandle, &opt, this);
        if (opt.rect.isValid())
            style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &opt, &p, this);
    }
}
