#pragma once

#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

// A Canvas that keeps every drawing call with the pen, brush, font and text
// colour in force, so tests can assert drawing rules without pixels. Its font
// metrics are simple functions of the font size (cell height 1.1 em rounded,
// as the Liberation fonts give at the sizes used).
class RecordingCanvas : public view::Canvas {
public:
    enum class Kind { Line, Polyline, Rect, FillRect, Ellipse, Arc, Polygon, Path, Text, Glyph, Image, Background };

    struct Op {
        Kind kind;
        std::vector<view::PointF> points; // two corners for boxes, one point for text, glyphs and images
        double startDeg = 0;
        double spanDeg = 0;
        std::string text;
        int code = 0;
        view::ImageId image = view::ImageId::Background0;
        view::TextAlign align = view::TextAlign::Centre;
        bool pen = true;
        bool penIsBackground = false;
        view::Color penColor;
        int penWidth = 1;
        bool brush = false;
        bool brushIsBackground = false;
        view::Color brushColor;
        view::ViewFont font;
        view::Color textColor;

        double x() const { return points.empty() ? 0 : points[0].x; }
        double y() const { return points.empty() ? 0 : points[0].y; }
        double x2() const { return points.size() < 2 ? 0 : points[1].x; }
        double y2() const { return points.size() < 2 ? 0 : points[1].y; }
    };

    std::vector<Op> ops;
    bool backgroundIsImage = false;
    view::Color backgroundPlain;

    double cellHeight(const view::ViewFont& f) const override { return std::floor(f.pixelSize * 1.1 + 0.5); }
    double averageCharWidth(const view::ViewFont& f) const override { return std::floor(f.pixelSize * 0.5 + 0.5); }
    double textWidth(const view::ViewFont& f, std::string_view s) const override
    {
        return f.pixelSize * 0.5 * static_cast<double>(s.size());
    }

    void setPen(view::Color c, int w) override
    {
        pen_ = true;
        penBg_ = false;
        penColor_ = c;
        penWidth_ = w;
    }
    void setBackgroundPen(int w) override
    {
        pen_ = true;
        penBg_ = true;
        penColor_ = backgroundPlain;
        penWidth_ = w;
    }
    void setNoPen() override { pen_ = false; }
    void setBrush(view::Color c) override
    {
        brush_ = true;
        brushBg_ = false;
        brushColor_ = c;
    }
    void setBackgroundBrush() override
    {
        brush_ = true;
        brushBg_ = true;
        brushColor_ = backgroundPlain;
    }
    void setNoBrush() override { brush_ = false; }
    void setFont(const view::ViewFont& f) override { font_ = f; }
    void setTextColor(view::Color c) override { textColor_ = c; }
    void setBackground(bool useImage, view::ImageId, view::Color plain) override
    {
        backgroundIsImage = useImage;
        backgroundPlain = plain;
    }

    void drawLine(double x1, double y1, double x2, double y2) override { add(Kind::Line, {{x1, y1}, {x2, y2}}); }
    void drawPolyline(const std::vector<view::PointF>& p) override { add(Kind::Polyline, p); }
    void drawRect(double x1, double y1, double x2, double y2) override { add(Kind::Rect, {{x1, y1}, {x2, y2}}); }
    void fillRect(double x1, double y1, double x2, double y2) override { add(Kind::FillRect, {{x1, y1}, {x2, y2}}); }
    void drawEllipse(double x1, double y1, double x2, double y2) override { add(Kind::Ellipse, {{x1, y1}, {x2, y2}}); }
    void drawArc(double x1, double y1, double x2, double y2, double a, double s) override
    {
        Op& op = add(Kind::Arc, {{x1, y1}, {x2, y2}});
        op.startDeg = a;
        op.spanDeg = s;
    }
    void drawPolygon(const std::vector<view::PointF>& p) override { add(Kind::Polygon, p); }
    void fillPath(const view::Path&, double x, double y, double) override { add(Kind::Path, {{x, y}}); }
    void drawText(double x, double y, std::string_view s, view::TextAlign a) override
    {
        Op& op = add(Kind::Text, {{x, y}});
        op.text = std::string(s);
        op.align = a;
    }
    void drawGlyph(double x, double y, int code) override { add(Kind::Glyph, {{x, y}}).code = code; }
    void drawImage(view::ImageId id, double x, double y) override { add(Kind::Image, {{x, y}}).image = id; }
    void drawBackground(double x1, double y1, double x2, double y2) override { add(Kind::Background, {{x1, y1}, {x2, y2}}); }

    // ---- queries ----
    std::vector<Op> all(Kind k) const
    {
        std::vector<Op> out;
        std::copy_if(ops.begin(), ops.end(), std::back_inserter(out), [k](const Op& o) { return o.kind == k; });
        return out;
    }
    std::vector<Op> glyphs(int code) const
    {
        std::vector<Op> out;
        std::copy_if(ops.begin(), ops.end(), std::back_inserter(out),
                     [code](const Op& o) { return o.kind == Kind::Glyph && o.code == code; });
        return out;
    }
    std::vector<Op> texts(const std::string& s) const
    {
        std::vector<Op> out;
        std::copy_if(ops.begin(), ops.end(), std::back_inserter(out),
                     [&s](const Op& o) { return o.kind == Kind::Text && o.text == s; });
        return out;
    }
    // Ink lines (not erasing) whose two ends lie at height y.
    std::vector<Op> horizontalLinesAt(double y, double tolerance = 0.01) const
    {
        std::vector<Op> out;
        for (const Op& o : ops)
            if (o.kind == Kind::Line && !o.penIsBackground && std::abs(o.y() - y) < tolerance && std::abs(o.y2() - y) < tolerance)
                out.push_back(o);
        return out;
    }

private:
    Op& add(Kind k, std::vector<view::PointF> p)
    {
        Op op;
        op.kind = k;
        op.points = std::move(p);
        op.pen = pen_;
        op.penIsBackground = penBg_;
        op.penColor = penColor_;
        op.penWidth = penWidth_;
        op.brush = brush_;
        op.brushIsBackground = brushBg_;
        op.brushColor = brushColor_;
        op.font = font_;
        op.textColor = textColor_;
        ops.push_back(std::move(op));
        return ops.back();
    }

    bool pen_ = true;
    bool penBg_ = false;
    view::Color penColor_;
    int penWidth_ = 1;
    bool brush_ = false;
    bool brushBg_ = false;
    view::Color brushColor_;
    view::ViewFont font_;
    view::Color textColor_;
};
