#include "Glyphs.h"

#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <vector>

namespace view::glyphs {

namespace {

// The glyphs are designed in staff spaces of the screen: one space is 0.57 em
// of the small music font and 0.265 em of the large one (the fonts' sizes
// relative to the text font that sets the staff spacing).
constexpr double kSmall = 0.57;
constexpr double kLarge = 0.265;

PointF bezier(PointF a, PointF b, PointF c, PointF d, double t)
{
    const double s = 1 - t;
    const double w0 = s * s * s, w1 = 3 * s * s * t, w2 = 3 * s * t * t, w3 = t * t * t;
    return {w0 * a.x + w1 * b.x + w2 * c.x + w3 * d.x, w0 * a.y + w1 * b.y + w2 * c.y + w3 * d.y};
}

// A centre line built from straight and curved pieces, densely sampled.
class Stroke {
public:
    explicit Stroke(PointF start) { points_.push_back(start); }
    Stroke& line(PointF to, int steps = 8)
    {
        const PointF from = points_.back();
        for (int i = 1; i <= steps; ++i) {
            const double t = double(i) / steps;
            points_.push_back({from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
        }
        return *this;
    }
    Stroke& curve(PointF c1, PointF c2, PointF to, int steps = 24)
    {
        const PointF from = points_.back();
        for (int i = 1; i <= steps; ++i)
            points_.push_back(bezier(from, c1, c2, to, double(i) / steps));
        return *this;
    }
    const std::vector<PointF>& points() const { return points_; }

private:
    std::vector<PointF> points_;
};

// Outline of a centre line drawn with a broad nib held at a fixed angle, as an
// engraver's pen: strokes along the nib are thin, across it thick. `minWidth`
// keeps the thin strokes from vanishing. Twists where the stroke turns past
// the nib fill correctly under the non-zero rule.
void addNibStroke(Path& path, const std::vector<PointF>& pts, double nibWidth, double nibAngleDeg, double minWidth)
{
    if (pts.size() < 2)
        return;
    const double a = nibAngleDeg * std::numbers::pi / 180.0;
    const PointF nib{std::cos(a) * nibWidth / 2, std::sin(a) * nibWidth / 2};
    std::vector<PointF> left, right;
    const std::size_t n = pts.size();
    for (std::size_t i = 0; i < n; ++i) {
        const PointF p0 = pts[i == 0 ? 0 : i - 1];
        const PointF p1 = pts[i + 1 < n ? i + 1 : n - 1];
        double dx = p1.x - p0.x, dy = p1.y - p0.y;
        const double len = std::hypot(dx, dy);
        if (len > 0) {
            dx /= len;
            dy /= len;
        }
        // Keep the nib on the same side of the line along the whole stroke,
        // otherwise its outline would flip where the direction crosses it.
        const double side = (dx * nib.y - dy * nib.x) >= 0 ? 1.0 : -1.0;
        const PointF normal{-dy * minWidth / 2, dx * minWidth / 2};
        const PointF off{side * nib.x + normal.x, side * nib.y + normal.y};
        left.push_back({pts[i].x + off.x, pts[i].y + off.y});
        right.push_back({pts[i].x - off.x, pts[i].y - off.y});
    }
    std::vector<PointF> poly(left);
    poly.insert(poly.end(), right.rbegin(), right.rend());
    path.addPolygon(poly);
}

// A band between two concentric elliptic arcs (angles in degrees, screen
// orientation: 90 is straight down); used for the bowls of the triplet 3.
void addArcBand(Path& path, PointF c, double rx, double ry, double rxIn, double ryIn, double fromDeg, double toDeg)
{
    const int steps = 28;
    std::vector<PointF> poly;
    for (int i = 0; i <= steps; ++i) {
        const double t = (fromDeg + (toDeg - fromDeg) * i / steps) * std::numbers::pi / 180.0;
        poly.push_back({c.x + rx * std::cos(t), c.y + ry * std::sin(t)});
    }
    for (int i = steps; i >= 0; --i) {
        const double t = (fromDeg + (toDeg - fromDeg) * i / steps) * std::numbers::pi / 180.0;
        poly.push_back({c.x + rxIn * std::cos(t), c.y + ryIn * std::sin(t)});
    }
    path.addPolygon(poly);
}

void scale(Path& p, double s)
{
    p.transform(s, 0, 0, s, 0, 0);
}

// ---- small font (designed in staff spaces, scaled by kSmall) ----

Path dot()
{
    Path p;
    p.addEllipse(0, 0, 0.16, 0.16);
    scale(p, kSmall);
    return p;
}

Path deadNote()
{
    // Two crossing bars, a little wider at their ends as if cut with a pen.
    Path p;
    const double s = 0.32, t = 0.12, tEnd = 0.17;
    for (double sign : {1.0, -1.0}) {
        const PointF a{-s, -sign * s}, b{s, sign * s};
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        const PointF n{-(b.y - a.y) / len, (b.x - a.x) / len};
        auto at = [&](PointF q, double w, double side) { return PointF{q.x + side * n.x * w / 2, q.y + side * n.y * w / 2}; };
        const PointF m{0, 0};
        p.addPolygon({at(a, tEnd, 1), at(m, t, 1), at(b, tEnd, 1), at(b, tEnd, -1), at(m, t, -1), at(a, tEnd, -1)});
    }
    scale(p, kSmall);
    return p;
}

// One flag for a stem pointing down: it leaves the stem's lower end at
// (sx, sy), swells out to the right, then sweeps up into a thin tip that
// curls back towards the stem.
void addFlag(Path& p, double sx, double sy, double length, double thickness, double reach)
{
    const double L = length, r = reach;
    auto P = [&](double x, double y) { return PointF{sx + x, sy + y}; };
    auto cubic = [&](PointF c1, PointF c2, PointF e) { p.cubicTo(c1.x, c1.y, c2.x, c2.y, e.x, e.y); };
    p.moveTo(sx, sy);
    cubic(P(0.05 * r, -0.17 * L), P(0.9 * r, -0.3 * L), P(r, -0.57 * L));
    cubic(P(1.1 * r, -0.73 * L), P(0.97 * r, -0.87 * L), P(0.73 * r, -L));
    cubic(P(0.84 * r, -0.87 * L), P(0.84 * r, -0.7 * L), P(r - 1.1 * thickness, -0.57 * L));
    cubic(P(0.45 * r, -0.42 * L), P(0.08 * r, -0.37 * L), P(0, -0.25 * L - thickness));
    p.close();
}

// The stem's lower end lies a third of a space left of the glyph's reference
// and five thirds below it (where the rhythm drawing puts the flags).
constexpr double kStemX = -1.0 / 3;
constexpr double kStemY = 5.0 / 3;

Path flag()
{
    Path p;
    addFlag(p, kStemX - 0.04, kStemY, 1.5, 0.22, 0.66);
    scale(p, kSmall);
    return p;
}

Path doubleFlag()
{
    Path p;
    addFlag(p, kStemX - 0.04, kStemY, 1.25, 0.13, 0.58);
    addFlag(p, kStemX - 0.04, kStemY - 1.0 / 3, 1.25, 0.13, 0.58);
    scale(p, kSmall);
    return p;
}

Path triplet()
{
    // An italic bold 3 standing on the baseline's lower half.
    Path p;
    const double top = -0.44, bottom = 0.12, mid = -0.17;
    addArcBand(p, {0.0, (top + mid) / 2 + 0.01}, 0.17, 0.125, 0.075, 0.075, -165, 95);
    addArcBand(p, {0.01, (mid + bottom) / 2}, 0.2, 0.155, 0.095, 0.095, -95, 160);
    p.addEllipse(-0.15, top + 0.1, 0.065, 0.065);
    p.addEllipse(-0.17, bottom - 0.085, 0.07, 0.07);
    p.transform(1, 0, -0.22, 1, 0, 0); // italic slant
    scale(p, kSmall);
    return p;
}

constexpr double kWaveAdvance = 0.70; // staff spaces

Path wave()
{
    // One period of the vibrato line; copies placed one advance apart join up.
    const double w = kWaveAdvance, amp = 0.12, centre = -0.22;
    std::vector<PointF> pts;
    const int steps = 16; // smooth at any size the view draws, and light in a PDF
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        pts.push_back({-w / 2 + w * t, centre - amp * std::sin(2 * std::numbers::pi * t)});
    }
    Path p;
    addNibStroke(p, pts, 0.2, -60, 0.05);
    scale(p, kSmall);
    return p;
}

// ---- large font (designed in staff spaces, scaled by kLarge) ----

Path quarterRest()
{
    Path p;
    Stroke s({-0.16, -1.32});
    s.line({0.30, -0.64})
        .curve({0.02, -0.36}, {-0.12, -0.22}, {-0.22, 0.0})
        .line({0.26, 0.62})
        .curve({-0.08, 0.50}, {-0.36, 0.78}, {-0.10, 1.06})
        .curve({-0.02, 1.15}, {0.04, 1.22}, {0.10, 1.32});
    addNibStroke(p, s.points(), 0.44, 52, 0.09);
    scale(p, kLarge);
    return p;
}

// Eighth to sixty-fourth rests: `hooks` flags hanging left of a slanted stem.
// The reference point sits lower the more hooks there are (the drawing
// rules place longer rests lower), so the figure is shifted to stay centred
// on the middle of the staff.
Path hookedRest(int hooks)
{
    const double h = 0.62, slope = 0.30;
    const double stemLength = (hooks - 1) * h + 1.3;
    const double refBelowTop = 2.0 + (hooks - 1) / 3.0; // reference below the staff top
    const double yTop = 2.5 - refBelowTop - (stemLength - 0.2) / 2;
    const double xTop = 0.30 + 0.3 * (hooks - 1) * slope;
    Path p;
    Stroke stem({xTop, yTop});
    stem.line({xTop - slope * stemLength, yTop + stemLength}, 4);
    addNibStroke(p, stem.points(), 0.06, 0, 0.13);
    for (int k = 0; k < hooks; ++k) {
        const double y = yTop + k * h;
        const double x = xTop - slope * (y - yTop);
        const PointF blob{x - 0.56, y + 0.1};
        p.addEllipse(blob.x, blob.y, 0.19, 0.17);
        Stroke hook({blob.x + 0.02, blob.y + 0.12});
        hook.curve({blob.x + 0.26, blob.y + 0.22}, {x - 0.12, y + 0.1}, {x + 0.02, y - 0.04});
        addNibStroke(p, hook.points(), 0.1, -35, 0.09);
    }
    scale(p, kLarge);
    return p;
}

Path longRest()
{
    Path p;
    p.addPolygon({{-1.0 / 3, 0}, {1.0 / 3, 0}, {1.0 / 3, 0.5}, {-1.0 / 3, 0.5}});
    scale(p, kLarge);
    return p;
}

Path tempoNote()
{
    // A quarter note: tilted head on the baseline, stem up on its right.
    Path p;
    p.addEllipse(-0.12, -0.02, 0.37, 0.26, -22);
    p.addPolygon({{0.13, -0.08}, {0.25, -0.1}, {0.25, -1.5}, {0.13, -1.5}});
    scale(p, kLarge);
    return p;
}

struct Entry {
    Path path;
    double advance;
};

const std::map<int, Entry>& table()
{
    static const std::map<int, Entry> t = [] {
        std::map<int, Entry> m;
        auto add = [&m](int code, Path p, double adv) { m.emplace(code, Entry{std::move(p), adv}); };
        add(kDot, dot(), 0.4 * kSmall);
        add(kFlag, flag(), 0.7 * kSmall);
        add(kDoubleFlag, doubleFlag(), 0.7 * kSmall);
        add(kTriplet, triplet(), 0.55 * kSmall);
        add(kWaveWidth, wave(), kWaveAdvance * kSmall);
        add(kVibratoWave, wave(), kWaveAdvance * kSmall);
        add(kDeadNote, deadNote(), 0.8 * kSmall);
        add(kRestQuarter, quarterRest(), 0.8 * kLarge);
        add(kRest8, hookedRest(1), 1.0 * kLarge);
        add(kRest16, hookedRest(2), 1.1 * kLarge);
        add(kRest32, hookedRest(3), 1.2 * kLarge);
        add(kRest64, hookedRest(4), 1.3 * kLarge);
        add(kRestLong, longRest(), 0.8 * kLarge);
        add(kTempoNote, tempoNote(), 0.9 * kLarge);
        return m;
    }();
    return t;
}

} // namespace

const Path* outline(int code)
{
    const auto& t = table();
    const auto it = t.find(code);
    return it == t.end() ? nullptr : &it->second.path;
}

double advance(int code)
{
    if (isDigit(code))
        return 0.556 * kDigitHeight / 0.716 * kDigitWidthScale;
    const auto& t = table();
    const auto it = t.find(code);
    return it == t.end() ? 0.0 : it->second.advance;
}

const int* outlineCodes(int& count)
{
    static const std::array<int, 14> codes = {kDot,         kFlag,   kDoubleFlag, kTriplet, kWaveWidth, kRest32,  kVibratoWave,
                                              kRest16,      kRestQuarter, kDeadNote, kRest8, kRestLong, kTempoNote, kRest64};
    count = static_cast<int>(codes.size());
    return codes.data();
}

} // namespace view::glyphs
