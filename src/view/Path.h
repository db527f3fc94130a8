#pragma once

#include <cstdint>
#include <vector>

namespace view {

struct PointF {
    double x = 0;
    double y = 0;
    constexpr bool operator==(const PointF&) const = default;
};

// A filled outline made of straight and cubic pieces, in any unit; the
// canvas scales it. Sub-paths are combined with the non-zero winding rule.
class Path {
public:
    enum class Op : std::uint8_t { Move, Line, Cubic, Close };
    struct Element {
        Op op;
        PointF p[3];
    };

    void moveTo(double x, double y);
    void lineTo(double x, double y);
    void cubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y);
    void close();
    // Whole closed shapes.
    void addPolygon(const std::vector<PointF>& points);
    void addEllipse(double cx, double cy, double rx, double ry, double rotationDeg = 0);
    void append(const Path& other);

    // x' = a*x + c*y + dx, y' = b*x + d*y + dy applied to every point.
    void transform(double a, double b, double c, double d, double dx, double dy);

    const std::vector<Element>& elements() const { return elements_; }
    bool empty() const { return elements_.empty(); }
    // Bounding box of the points (control points included).
    void bounds(double& left, double& top, double& right, double& bottom) const;

private:
    std::vector<Element> elements_;
};

} // namespace view
