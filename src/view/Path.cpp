#include "Path.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace view {

void Path::moveTo(double x, double y)
{
    elements_.push_back({Op::Move, {{x, y}, {}, {}}});
}

void Path::lineTo(double x, double y)
{
    elements_.push_back({Op::Line, {{x, y}, {}, {}}});
}

void Path::cubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y)
{
    elements_.push_back({Op::Cubic, {{c1x, c1y}, {c2x, c2y}, {x, y}}});
}

void Path::close()
{
    elements_.push_back({Op::Close, {}});
}

void Path::addPolygon(const std::vector<PointF>& points)
{
    if (points.size() < 3)
        return;
    moveTo(points[0].x, points[0].y);
    for (std::size_t i = 1; i < points.size(); ++i)
        lineTo(points[i].x, points[i].y);
    close();
}

void Path::addEllipse(double cx, double cy, double rx, double ry, double rotationDeg)
{
    // Four cubic quarters; kappa puts the curve on the circle at 45 degrees.
    constexpr double k = 0.5522847498307936;
    const double a = rotationDeg * std::numbers::pi / 180.0;
    const double ca = std::cos(a);
    const double sa = std::sin(a);
    auto pt = [&](double x, double y) { return PointF{cx + x * ca - y * sa, cy + x * sa + y * ca}; };
    const PointF p0 = pt(rx, 0), p1 = pt(0, ry), p2 = pt(-rx, 0), p3 = pt(0, -ry);
    auto cubic = [&](PointF c1, PointF c2, PointF e) { cubicTo(c1.x, c1.y, c2.x, c2.y, e.x, e.y); };
    moveTo(p0.x, p0.y);
    cubic(pt(rx, k * ry), pt(k * rx, ry), p1);
    cubic(pt(-k * rx, ry), pt(-rx, k * ry), p2);
    cubic(pt(-rx, -k * ry), pt(-k * rx, -ry), p3);
    cubic(pt(k * rx, -ry), pt(rx, -k * ry), p0);
    close();
}

void Path::append(const Path& other)
{
    elements_.insert(elements_.end(), other.elements_.begin(), other.elements_.end());
}

void Path::transform(double a, double b, double c, double d, double dx, double dy)
{
    for (Element& e : elements_)
        for (PointF& p : e.p) {
            const double x = p.x;
            p.x = a * x + c * p.y + dx;
            p.y = b * x + d * p.y + dy;
        }
}

void Path::bounds(double& left, double& top, double& right, double& bottom) const
{
    left = top = std::numeric_limits<double>::max();
    right = bottom = std::numeric_limits<double>::lowest();
    for (const Element& e : elements_) {
        const int n = e.op == Op::Cubic ? 3 : (e.op == Op::Close ? 0 : 1);
        for (int i = 0; i < n; ++i) {
            left = std::min(left, e.p[i].x);
            right = std::max(right, e.p[i].x);
            top = std::min(top, e.p[i].y);
            bottom = std::max(bottom, e.p[i].y);
        }
    }
    if (elements_.empty())
        left = top = right = bottom = 0;
}

} // namespace view
