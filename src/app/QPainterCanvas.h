#pragma once

#include "Canvas.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QPen>


// The metrics of the fonts the view draws with, as QPainterCanvas measures
// them, for laying out before (or without) painting.
class QtFontMetrics : public view::FontMetrics {
public:
    double cellHeight(const view::ViewFont& font) const override;
    double averageCharWidth(const view::ViewFont& font) const override;
    double textWidth(const view::ViewFont& font, std::string_view utf8) const override;
};

// The score drawing's Canvas on a QPainter: screen widgets, QImage and
// QPrinter alike. Coordinates are truncated to whole device units as the
// drawing rules expect; straight lines and rectangles stay crisp, curves,
// glyphs and text are antialiased. Music glyphs are our own outlines (fret
// digits come from Liberation Sans Bold); on raster devices they are drawn
// from small cached images. Use from the GUI thread only.
class QPainterCanvas : public view::Canvas {
public:
    explicit QPainterCanvas(QPainter& painter);
    ~QPainterCanvas() override;

    // Draws what the canvas holds back: on a vector device the lines of one
    // pen are gathered into one path. Call before the page changes.
    void flush();

    // FontMetrics
    double cellHeight(const view::ViewFont& font) const override;
    double averageCharWidth(const view::ViewFont& font) const override;
    double textWidth(const view::ViewFont& font, std::string_view utf8) const override;

    // Canvas
    void setPen(view::Color color, int width) override;
    void setBackgroundPen(int width) override;
    void setNoPen() override;
    void setBrush(view::Color color) override;
    void setBackgroundBrush() override;
    void setNoBrush() override;
    void setFont(const view::ViewFont& font) override;
    void setTextColor(view::Color color) override;
    void setBackground(bool useImage, view::ImageId image, view::Color plain) override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void drawPolyline(const std::vector<view::PointF>& points) override;
    void drawRect(double x1, double y1, double x2, double y2) override;
    void fillRect(double x1, double y1, double x2, double y2) override;
    void drawEllipse(double x1, double y1, double x2, double y2) override;
    void drawArc(double x1, double y1, double x2, double y2, double startDeg, double spanDeg) override;
    void drawPolygon(const std::vector<view::PointF>& points) override;
    void fillPath(const view::Path& path, double x, double y, double scale) override;
    void drawText(double x, double y, std::string_view utf8, view::TextAlign align) override;
    void drawGlyph(double x, double y, int code) override;
    void drawImage(view::ImageId image, double x, double y) override;
    void drawBackground(double x1, double y1, double x2, double y2) override;

    // The QFont a ViewFont stands for.
    static QFont qfont(const view::ViewFont& font);
    // A picture of the view, made once per process.
    static const QImage& image(view::ImageId id);
    // A background stretched to a size, kept until another size is asked for.
    static const QImage& stretchedBackground(view::ImageId id, int width, int height);

private:
    void hint(QPainter::RenderHint which, bool on);
    void applyPen(bool antialiased);
    void applyTextPen();
    void applyBrush();
    void gatherLine(const QPointF& a, const QPointF& b, bool antialiased);
    void flushDigits();
    void flushLines();
    QColor qcolor(view::Color c) const { return QColor(c.r, c.g, c.b); }

    QPainter& painter_;
    bool raster_ = true;
    QPen pen_;
    bool hasPen_ = true;
    QBrush brush_;
    bool hasBrush_ = false;
    QBrush background_;
    const QImage* backgroundImage_ = nullptr; // the stretched picture, when there is one
    view::ViewFont font_;
    QColor textColor_ = Qt::black;
    QPainterPath pendingLines_;
    bool pendingAntialiased_ = false;
    QList<quint32> pendingDigits_; // glyph indexes, for a vector device
    QList<QPointF> pendingPositions_;
    int pendingPixels_ = 0;
    QColor pendingColor_;
};
