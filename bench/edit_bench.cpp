// What one keystroke costs on a 1000-measure score (4 tracks, 8 eighths of
// three notes per measure): the edit, the new layout of the whole score and
// the paint of what changed in the window showing the cursor (1920 x 1080 and
// 1280 x 800), as the view does it. The edit alone is measured too.
#include "CTabDoc.h"
#include "EditController.h"
#include "QPainterCanvas.h"
#include "ScoreFactory.h"
#include "ScoreLayout.h"
#include "ScorePainter.h"
#include "QtBenchMain.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

struct Session {
    CTabDoc doc;
    view::ViewState state;
    edit::EditController edit{doc, state};
    QImage image;
    // Painting starts before the canvas is made, as in the window: the canvas
    // chooses its raster path from the device it finds.
    QPainter painter;
    QPainterCanvas canvas;
    view::DeviceMetrics device;

    explicit Session(int width = 1920, int height = 1080)
        : image(width, height, QImage::Format_RGB32), painter(&image), canvas(painter)
    {
        factory::denseScore(doc, 4, 1000, 8, 3);
        device.width = image.width();
        device.height = image.height();
        device.fonts = &canvas;
        state.resetForNewScore();
        // Half-way through the score, cursor on the third line shown.
        state.firstLine = state.scrollPosition = 80;
        const view::ScoreLayout l = layout();
        state.cursorMeasure = {0, l.lineStart(82) + 1};
        state.cursorBeat = 2;
        state.cursorString = 1;
        paint(l); // warm the glyph and background caches
    }
    view::ScoreLayout layout() const { return view::ScoreLayout::compute(doc, state, device); }
    void paint(const view::ScoreLayout& l)
    {
        view::ScorePainter(canvas, doc, state, l).paint();
        benchmark::DoNotOptimize(image.constBits());
    }
    // A change at the cursor (level 2) repaints only the cursor's lines, as
    // the window does: clipped, with the lines that cannot reach them skipped.
    void paintCursorLines(const view::ScoreLayout& before, const view::ScoreLayout& l)
    {
        const auto was = view::ScorePainter::locateCursor(doc, state, before);
        const auto now = view::ScorePainter::locateCursor(doc, state, l);
        if (!was || !now) {
            paint(l);
            return;
        }
        const view::Rect a = view::ScorePainter::lineBand(*was->line, l.units());
        const view::Rect b = view::ScorePainter::lineBand(*now->line, l.units());
        const QRect band(QPoint(0, std::min(a.top, b.top)), QPoint(image.width() - 1, std::max(a.bottom, b.bottom)));
        painter.setClipRect(band);
        view::ScorePainter score(canvas, doc, state, l);
        score.limitToRows(band.top(), band.bottom());
        score.paint();
        painter.setClipping(false);
        benchmark::DoNotOptimize(image.constBits());
    }
    // What the window does for a key: the edit on the layout on screen, then
    // a new layout and a paint of what the redraw level asks for.
    view::ScoreLayout keystroke(const view::ScoreLayout& onScreen, edit::KeyPress key)
    {
        const edit::EditOutcome out = edit.keyDown(key, onScreen);
        view::ScoreLayout next = layout();
        if (out.repaint && state.redrawLevel == view::kRedrawContents)
            paintCursorLines(onScreen, next);
        else if (out.repaint)
            paint(next);
        return next;
    }
};

void BM_KeystrokeDigit(benchmark::State& bm)
{
    Session s(static_cast<int>(bm.range(0)), static_cast<int>(bm.range(1)));
    view::ScoreLayout l = s.layout();
    int digit = 0;
    for (auto _ : bm)
        l = s.keystroke(l, {edit::Key::Digit, digit++ % 10});
}
BENCHMARK(BM_KeystrokeDigit)->Args({1920, 1080})->Args({1280, 800})->Unit(benchmark::kMillisecond);

// The same window painted with no edit and no new layout: what the paint
// alone costs, for comparison with the keystrokes.
void BM_PaintOnly(benchmark::State& bm)
{
    Session s(static_cast<int>(bm.range(0)), static_cast<int>(bm.range(1)));
    const view::ScoreLayout l = s.layout();
    for (auto _ : bm)
        s.paint(l);
}
BENCHMARK(BM_PaintOnly)->Args({1920, 1080})->Args({1280, 800})->Unit(benchmark::kMillisecond);

// The editing alone, without layout or paint: digits and moves along a line.
void BM_EditOnly(benchmark::State& bm)
{
    Session s;
    const view::ScoreLayout l = s.layout();
    int n = 0;
    for (auto _ : bm) {
        const edit::Key key = n % 3 == 0 ? edit::Key::Digit : (n % 3 == 1 ? edit::Key::Right : edit::Key::Left);
        benchmark::DoNotOptimize(s.edit.keyDown({key, n % 10}, l));
        ++n;
    }
}
BENCHMARK(BM_EditOnly);

void BM_KeystrokeLeftRight(benchmark::State& bm)
{
    Session s;
    view::ScoreLayout l = s.layout();
    bool right = true;
    for (auto _ : bm) {
        l = s.keystroke(l, {right ? edit::Key::Right : edit::Key::Left, 0});
        right = !right;
    }
}
BENCHMARK(BM_KeystrokeLeftRight)->Unit(benchmark::kMillisecond);

// Insert and Delete in turn: each reshapes a measure and asks for a full relayout.
void BM_KeystrokeInsertDelete(benchmark::State& bm)
{
    Session s;
    view::ScoreLayout l = s.layout();
    bool insert = true;
    for (auto _ : bm) {
        l = s.keystroke(l, {insert ? edit::Key::Insert : edit::Key::Delete, 0});
        insert = !insert;
    }
}
BENCHMARK(BM_KeystrokeInsertDelete)->Unit(benchmark::kMillisecond);

// Undo and redo as the window does them: the history step, a new layout
// and the paint its redraw level asks for. A typed digit, then a deleted measure (an empty one,
// inserted first, so the notes stay), undone and redone in turn.
view::ScoreLayout historyMove(Session& s, const view::ScoreLayout& onScreen, bool undo)
{
    const edit::EditOutcome out = undo ? s.edit.undo() : s.edit.redo();
    view::ScoreLayout next = s.layout();
    if (out.repaint && s.state.redrawLevel == view::kRedrawContents)
        s.paintCursorLines(onScreen, next);
    else if (out.repaint)
        s.paint(next);
    return next;
}

void BM_UndoRedoDigit(benchmark::State& bm)
{
    Session s;
    view::ScoreLayout l = s.keystroke(s.layout(), {edit::Key::Digit, 7});
    bool undo = true;
    for (auto _ : bm) {
        l = historyMove(s, l, undo);
        undo = !undo;
    }
    bm.counters["history bytes per digit"] = static_cast<double>(s.edit.history().bytes());
}
BENCHMARK(BM_UndoRedoDigit)->Unit(benchmark::kMillisecond);

void BM_UndoRedoMeasureDeletion(benchmark::State& bm)
{
    Session s;
    s.edit.insertMeasure();
    view::ScoreLayout l = s.layout();
    l = s.keystroke(l, {edit::Key::Delete, 0});
    bool undo = true;
    for (auto _ : bm) {
        l = historyMove(s, l, undo);
        undo = !undo;
    }
}
BENCHMARK(BM_UndoRedoMeasureDeletion)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarksWithQt(argc, argv);
}
