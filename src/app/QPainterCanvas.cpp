#include "QPainterCanvas.h"

#include "Glyphs.h"
#include "ViewImages.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPaintDevice>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace {

int ti(double v)
{
    return static_cast<int>(v);
}

// Pixel centre of a truncated coordinate, where antialiased strokes sit crisp.
double tc(double v)
{
    return static_cast<int>(v) + 0.5;
}

QPainterPath toQPath(const view::Path& path)
{
    QPainterPath q;
    q.setFillRule(Qt::WindingFill);
    for (const view::Path::Element& e : path.elements()) {
        switch (e.op) {
        case view::Path::Op::Move:
            q.moveTo(e.p[0].x, e.p[0].y);
            break;
        case view::Path::Op::Line:
            q.lineTo(e.p[0].x, e.p[0].y);
            break;
        case view::Path::Op::Cubic:
            q.cubicTo(e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y);
            break;
        case view::Path::Op::Close:
            q.closeSubpath();
            break;
        }
    }
    return q;
}

// The face of the fret digits: Liberation Sans Bold, drawn at 1000 pixels
// and scaled to the glyph set's digit height (narrowed a little).
struct DigitFace {
    QFont font;
    double scaleY = 1;
    double scaleX = 1;
    std::array<double, 10> advance{};
};

const DigitFace& digitFace()
{
    static const DigitFace face = [] {
        DigitFace f;
        f.font = QFont(QStringLiteral("Liberation Sans"));
        f.font.setBold(true);
        f.font.setPixelSize(1000);
        const QFontMetricsF fm(f.font);
        f.scaleY = view::glyphs::kDigitHeight / fm.capHeight();
        f.scaleX = f.scaleY * view::glyphs::kDigitWidthScale;
        for (int d = 0; d < 10; ++d)
            f.advance[static_cast<std::size_t>(d)] = fm.horizontalAdvance(QChar(static_cast<char16_t>('0' + d)));
        return f;
    }();
    return face;
}

// Digit d of the digit face at `pixels`, as a one-glyph run at the origin.
const QGlyphRun& digitRun(int pixels, int d)
{
    static std::map<int, std::array<QGlyphRun, 10>> runs;
    auto it = runs.find(pixels);
    if (it == runs.end()) {
        QFont f = digitFace().font;
        f.setPixelSize(pixels);
        f.setStretch(static_cast<int>(std::lround(view::glyphs::kDigitWidthScale * 100)));
        const QRawFont raw = QRawFont::fromFont(f);
        std::array<QGlyphRun, 10> digits;
        for (int k = 0; k < 10; ++k) {
            QGlyphRun& run = digits[static_cast<std::size_t>(k)];
            run.setRawFont(raw);
            run.setGlyphIndexes(raw.glyphIndexesForString(QString(QChar(static_cast<char16_t>('0' + k)))));
            run.setPositions({QPointF(0, 0)});
        }
        it = runs.emplace(pixels, std::move(digits)).first;
    }
    return it->second[static_cast<std::size_t>(d)];
}

// A fret digit as an outline one em high, centred on its advance and on the baseline.
const QPainterPath& digitPath(int code)
{
    static std::array<std::unique_ptr<QPainterPath>, 10> cache;
    auto& slot = cache[static_cast<std::size_t>(code - '0')];
    if (!slot) {
        const DigitFace& face = digitFace();
        QPainterPath p;
        p.addText(0, 0, face.font, QString(QChar(static_cast<char16_t>(code))));
        QTransform t;
        t.translate(0, view::glyphs::kDigitHeight / 2);
        t.scale(face.scaleX, face.scaleY);
        t.translate(-face.advance[static_cast<std::size_t>(code - '0')] / 2, 0);
        slot = std::make_unique<QPainterPath>(t.map(p));
        slot->setFillRule(Qt::WindingFill);
    }
    return *slot;
}

// The outline of a glyph one em high, or an empty path.
QPainterPath glyphPath(int code)
{
    if (view::glyphs::isDigit(code))
        return digitPath(code);
    static QHash<int, QPainterPath> cache;
    auto it = cache.find(code);
    if (it == cache.end()) {
        const view::Path* outline = view::glyphs::outline(code);
        it = cache.insert(code, outline ? toQPath(*outline) : QPainterPath());
    }
    return it.value();
}

// Glyphs pre-drawn at one size and colour, placed by whole device units.
struct Sprite {
    QImage image;
    QPoint offset; // from the reference point to the image's top left
};

const Sprite& sprite(int code, int pixelSize, QRgb color)
{
    using Key = std::tuple<int, int, QRgb>;
    static std::map<Key, Sprite> cache;
    const Key key{code, pixelSize, color};
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    if (cache.size() > 4000)
        cache.clear();
    QTransform t;
    t.scale(pixelSize, pixelSize);
    const QPainterPath path = t.map(glyphPath(code));
    const QRectF box = path.boundingRect();
    Sprite s;
    const int left = static_cast<int>(std::floor(box.left())) - 1;
    const int top = static_cast<int>(std::floor(box.top())) - 1;
    const int right = static_cast<int>(std::ceil(box.right())) + 1;
    const int bottom = static_cast<int>(std::ceil(box.bottom())) + 1;
    s.offset = QPoint(left, top);
    s.image = QImage(std::max(right - left, 1), std::max(bottom - top, 1), QImage::Format_ARGB32_Premultiplied);
    s.image.fill(Qt::transparent);
    QPainter p(&s.image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-left, -top);
    p.fillPath(path, QColor::fromRgb(color));
    p.end();
    return cache.emplace(key, std::move(s)).first->second;
}

struct FontEntry {
    QFont font;
    QFontMetricsF metrics;
};

const FontEntry& fontEntry(const view::ViewFont& font)
{
    static std::map<std::pair<int, int>, std::unique_ptr<FontEntry>> cache;
    const auto key = std::make_pair(static_cast<int>(font.face), font.pixelSize);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QFont f = QPainterCanvas::qfont(font);
        it = cache.emplace(key, std::make_unique<FontEntry>(FontEntry{f, QFontMetricsF(f)})).first;
    }
    return *it->second;
}

// A string in a font, shaped once: a page of a vector device draws the same
// measure numbers and technique marks again and again.
struct ShapedText {
    QList<QGlyphRun> runs;
    double width = 0;
    double ascent = 0;
};

const ShapedText& shaped(const FontEntry& entry, const QString& text)
{
    static std::map<std::pair<const FontEntry*, QString>, ShapedText> cache;
    if (cache.size() > 20000)
        cache.clear();
    auto key = std::make_pair(&entry, text);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QTextLayout layout(text, entry.font);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        ShapedText s;
        s.runs = line.glyphRuns();
        s.width = entry.metrics.horizontalAdvance(text);
        s.ascent = line.ascent();
        it = cache.emplace(std::move(key), std::move(s)).first;
    }
    return it->second;
}

} // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter) : painter_(painter)
{
    const QPaintDevice* device = painter.device();
    raster_ = device && (device->devType() == QInternal::Image || device->devType() == QInternal::Pixmap ||
                         device->devType() == QInternal::Widget);
    pen_ = QPen(Qt::black, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    background_ = QBrush(Qt::white);
}

QPainterCanvas::~QPainterCanvas()
{
    flush();
}

void QPainterCanvas::flushDigits()
{
    if (pendingDigits_.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(digitRun(pendingPixels_, 0).rawFont());
    run.setGlyphIndexes(pendingDigits_);
    run.setPositions(pendingPositions_);
    const QPen& now = painter_.pen();
    if (now.style() == Qt::NoPen || now.color() != pendingColor_)
        painter_.setPen(pendingColor_);
    painter_.drawGlyphRun(QPointF(0, 0), run);
    pendingDigits_.clear();
    pendingPositions_.clear();
}

void QPainterCanvas::flush()
{
    flushDigits();
    flushLines();
}

void QPainterCanvas::flushLines()
{
    if (pendingLines_.isEmpty())
        return;
    applyPen(pendingAntialiased_);
    const QBrush brush = painter_.brush();
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPath(pendingLines_);
    painter_.setBrush(brush);
    pendingLines_.clear();
}

void QPainterCanvas::gatherLine(const QPointF& a, const QPointF& b, bool antialiased)
{
    // A vector device writes a whole stroke state for each path: one path for
    // a run of lines of the same pen makes pages smaller and faster to write.
    // Only runs of lines are gathered, so everything keeps its order.
    flushDigits();
    if (antialiased != pendingAntialiased_)
        flushLines();
    pendingAntialiased_ = antialiased;
    pendingLines_.moveTo(a);
    pendingLines_.lineTo(b);
}

QFont QPainterCanvas::qfont(const view::ViewFont& font)
{
    QFont f;
    switch (font.face) {
    case view::FontFace::Serif:
        f.setFamily("Liberation Serif");
        break;
    case view::FontFace::Sans:
        f.setFamily("Liberation Sans");
        break;
    case view::FontFace::SansBold:
    case view::FontFace::Music:
        f.setFamily("Liberation Sans");
        f.setBold(true);
        break;
    }
    f.setPixelSize(std::max(font.pixelSize, 1));
    return f;
}

double QtFontMetrics::cellHeight(const view::ViewFont& font) const
{
    const QFontMetricsF& m = fontEntry(font).metrics;
    return std::round(m.ascent()) + std::round(m.descent());
}

double QtFontMetrics::averageCharWidth(const view::ViewFont& font) const
{
    return std::round(fontEntry(font).metrics.averageCharWidth());
}

double QtFontMetrics::textWidth(const view::ViewFont& font, std::string_view utf8) const
{
    return fontEntry(font).metrics.horizontalAdvance(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

double QPainterCanvas::cellHeight(const view::ViewFont& font) const
{
    return QtFontMetrics().cellHeight(font);
}

double QPainterCanvas::averageCharWidth(const view::ViewFont& font) const
{
    return QtFontMetrics().averageCharWidth(font);
}

double QPainterCanvas::textWidth(const view::ViewFont& font, std::string_view utf8) const
{
    return QtFontMetrics().textWidth(font, utf8);
}

void QPainterCanvas::setPen(view::Color color, int width)
{
    flush();
    pen_ = QPen(qcolor(color), std::max(width, 1), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    hasPen_ = true;
}

void QPainterCanvas::setBackgroundPen(int width)
{
    flush();
    pen_ = QPen(background_, std::max(width, 1), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    hasPen_ = true;
}

void QPainterCanvas::setNoPen()
{
    flush();
    hasPen_ = false;
}

void QPainterCanvas::setBrush(view::Color color)
{
    brush_ = QBrush(qcolor(color));
    hasBrush_ = true;
}

void QPainterCanvas::setBackgroundBrush()
{
    brush_ = background_;
    hasBrush_ = true;
}

void QPainterCanvas::setNoBrush()
{
    hasBrush_ = false;
}

void QPainterCanvas::setFont(const view::ViewFont& font)
{
    font_ = font;
}

void QPainterCanvas::setTextColor(view::Color color)
{
    textColor_ = qcolor(color);
}

void QPainterCanvas::setBackground(bool useImage, view::ImageId image, view::Color plain)
{
    const QPaintDevice* device = painter_.device();
    backgroundImage_ = nullptr;
    if (useImage && device) {
        backgroundImage_ = &stretchedBackground(image, device->width(), device->height());
        background_ = QBrush(*backgroundImage_);
    } else {
        background_ = QBrush(qcolor(plain));
    }
}

void QPainterCanvas::hint(QPainter::RenderHint which, bool on)
{
    // Every hint set is a state change to the paint engine, even an idle one.
    if (painter_.testRenderHint(which) != on)
        painter_.setRenderHint(which, on);
}

void QPainterCanvas::applyPen(bool antialiased)
{
    hint(QPainter::Antialiasing, antialiased);
    painter_.setPen(hasPen_ ? pen_ : QPen(Qt::NoPen));
}

void QPainterCanvas::applyTextPen()
{
    // Text takes only the pen's colour: a line pen of that colour serves, and
    // keeping it spares a vector device a change of pen around every digit.
    const QPen& now = painter_.pen();
    if (now.style() == Qt::NoPen || now.color() != textColor_)
        painter_.setPen(textColor_);
}

void QPainterCanvas::applyBrush()
{
    painter_.setBrush(hasBrush_ ? brush_ : QBrush(Qt::NoBrush));
}

void QPainterCanvas::drawLine(double x1, double y1, double x2, double y2)
{
    if (!hasPen_)
        return;
    const int ax = ti(x1), ay = ti(y1), bx = ti(x2), by = ti(y2);
    if (ax == bx && ay == by)
        return;
    if (ax == bx || ay == by) {
        // Axis-aligned: crisp, and like every line the end point is left out.
        const int ex = bx == ax ? bx : (bx > ax ? bx - 1 : bx + 1);
        const int ey = by == ay ? by : (by > ay ? by - 1 : by + 1);
        if (!raster_) {
            gatherLine(QPointF(ax, ay), QPointF(ex, ey), false);
            return;
        }
        applyPen(false);
        painter_.drawLine(ax, ay, ex, ey);
        return;
    }
    if (!raster_) {
        gatherLine(QPointF(tc(x1), tc(y1)), QPointF(tc(x2), tc(y2)), true);
        return;
    }
    applyPen(true);
    painter_.drawLine(QPointF(tc(x1), tc(y1)), QPointF(tc(x2), tc(y2)));
}

void QPainterCanvas::drawPolyline(const std::vector<view::PointF>& points)
{
    flush();
    if (!hasPen_ || points.size() < 2)
        return;
    QPolygonF poly;
    for (const auto& p : points)
        poly << QPointF(tc(p.x), tc(p.y));
    applyPen(true);
    painter_.drawPolyline(poly);
}

void QPainterCanvas::drawRect(double x1, double y1, double x2, double y2)
{
    flush();
    const int ax = ti(x1), ay = ti(y1), bx = ti(x2), by = ti(y2);
    if (bx <= ax || by <= ay)
        return;
    if (hasBrush_)
        painter_.fillRect(QRect(ax, ay, bx - ax, by - ay), brush_);
    if (hasPen_) {
        applyPen(false);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(QRect(ax, ay, bx - ax - 1, by - ay - 1));
    }
}

void QPainterCanvas::fillRect(double x1, double y1, double x2, double y2)
{
    flush();
    const int ax = ti(x1), ay = ti(y1), bx = ti(x2), by = ti(y2);
    if (!hasBrush_ || bx <= ax || by <= ay)
        return;
    painter_.fillRect(QRect(ax, ay, bx - ax, by - ay), brush_);
}

void QPainterCanvas::drawEllipse(double x1, double y1, double x2, double y2)
{
    flush();
    const int ax = ti(x1), ay = ti(y1), bx = ti(x2), by = ti(y2);
    applyPen(true);
    applyBrush();
    painter_.drawEllipse(QRectF(ax + 0.5, ay + 0.5, bx - ax - 1, by - ay - 1));
}

void QPainterCanvas::drawArc(double x1, double y1, double x2, double y2, double startDeg, double spanDeg)
{
    flush();
    if (!hasPen_)
        return;
    const int ax = ti(x1), ay = ti(y1), bx = ti(x2), by = ti(y2);
    applyPen(true);
    painter_.drawArc(QRectF(ax + 0.5, ay + 0.5, bx - ax - 1, by - ay - 1), static_cast<int>(std::lround(startDeg * 16)),
                     static_cast<int>(std::lround(spanDeg * 16)));
}

void QPainterCanvas::drawPolygon(const std::vector<view::PointF>& points)
{
    flush();
    if (points.size() < 3)
        return;
    QPolygonF poly;
    for (const auto& p : points)
        poly << QPointF(tc(p.x), tc(p.y));
    applyPen(true);
    applyBrush();
    painter_.drawPolygon(poly);
}

void QPainterCanvas::fillPath(const view::Path& path, double x, double y, double scale)
{
    flush();
    if (!hasBrush_)
        return;
    QTransform t;
    t.translate(ti(x), ti(y));
    t.scale(scale, scale);
    hint(QPainter::Antialiasing, true);
    painter_.fillPath(t.map(toQPath(path)), brush_);
}

void QPainterCanvas::drawText(double x, double y, std::string_view utf8, view::TextAlign align)
{
    flush();
    if (utf8.empty())
        return;
    const FontEntry& entry = fontEntry(font_);
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    double left = ti(x);
    if (!raster_) {
        const ShapedText& shape = shaped(entry, text);
        if (align != view::TextAlign::Left)
            left -= align == view::TextAlign::Centre ? shape.width / 2 : shape.width;
        applyTextPen();
        const QPointF origin(std::round(left), ti(y) - shape.ascent);
        for (const QGlyphRun& run : shape.runs)
            painter_.drawGlyphRun(origin, run);
        return;
    }
    if (align != view::TextAlign::Left) {
        const double w = entry.metrics.horizontalAdvance(text);
        left -= align == view::TextAlign::Centre ? w / 2 : w;
    }
    hint(QPainter::TextAntialiasing, true);
    painter_.setFont(entry.font);
    applyTextPen();
    painter_.drawText(QPointF(std::round(left), ti(y)), text);
}

void QPainterCanvas::drawGlyph(double x, double y, int code)
{
    const int px = ti(x), py = ti(y);
    if (raster_ || !view::glyphs::isDigit(code))
        flush();
    if (raster_) {
        const Sprite& s = sprite(code, font_.pixelSize, textColor_.rgb());
        painter_.drawImage(QPoint(px + s.offset.x(), py + s.offset.y()), s.image);
        return;
    }
    if (view::glyphs::isDigit(code)) {
        // Text where its outline would be, in a font of the digit's size:
        // a vector device (PDF, printer) then keeps a few bytes per digit
        // instead of a whole outline or a change of transformation.
        const DigitFace& face = digitFace();
        const double size = font_.pixelSize;
        const int pixels = std::max(1, static_cast<int>(std::lround(size * face.scaleY * 1000)));
        const double half = face.advance[static_cast<std::size_t>(code - '0')] * size * face.scaleX / 2;
        // Glyphs of the font need no text shaping, and the digits of one
        // size and colour go out as one run: pages of digits print several
        // times faster than through drawText.
        flushLines();
        if (pixels != pendingPixels_ || textColor_ != pendingColor_)
            flushDigits();
        pendingPixels_ = pixels;
        pendingColor_ = textColor_;
        pendingDigits_.append(digitRun(pixels, code - '0').glyphIndexes().value(0));
        pendingPositions_.append(QPointF(px - half, py + size * view::glyphs::kDigitHeight / 2));
        return;
    }
    QTransform t;
    t.translate(px, py);
    t.scale(font_.pixelSize, font_.pixelSize);
    hint(QPainter::Antialiasing, true);
    painter_.fillPath(t.map(glyphPath(code)), textColor_);
}

const QImage& QPainterCanvas::image(view::ImageId id)
{
    static std::map<int, QImage> cache;
    auto it = cache.find(static_cast<int>(id));
    if (it == cache.end()) {
        const view::RgbaImage src = view::makeImage(id);
        QImage img(src.width, src.height, QImage::Format_ARGB32);
        for (int y = 0; y < src.height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < src.width; ++x)
                line[x] = src.at(x, y);
        }
        it = cache.emplace(static_cast<int>(id), img.convertToFormat(QImage::Format_ARGB32_Premultiplied)).first;
    }
    return it->second;
}

const QImage& QPainterCanvas::stretchedBackground(view::ImageId id, int width, int height)
{
    struct Cached {
        int id = -1;
        QImage image;
    };
    static Cached cached;
    if (cached.id != static_cast<int>(id) || cached.image.width() != width || cached.image.height() != height) {
        cached.id = static_cast<int>(id);
        cached.image = image(id)
                           .scaled(std::max(width, 1), std::max(height, 1), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                           .convertToFormat(QImage::Format_RGB32);
    }
    return cached.image;
}

void QPainterCanvas::drawImage(view::ImageId id, double x, double y)
{
    flush();
    painter_.drawImage(QPoint(ti(x), ti(y)), image(id));
}

void QPainterCanvas::drawBackground(double x1, double y1, double x2, double y2)
{
    flush();
    const QRect r(ti(x1), ti(y1), ti(x2) - ti(x1), ti(y2) - ti(y1));
    if (backgroundImage_) {
        painter_.drawImage(r.topLeft(), *backgroundImage_, r);
        return;
    }
    painter_.fillRect(r, background_);
}
