#include "Backgrounds.h"
#include "CTabDoc.h"
#include "Glyphs.h"
#include "QPainterCanvas.h"
#include "ScoreLayout.h"
#include "ScorePainter.h"
#include "Snapshot.h"
#include "TempDir.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <fstream>
#include <gtest/gtest.h>

using namespace view;

namespace {

const std::string kRiff = std::string(FRETLARK_EXAMPLES) + "/premier-riff.tbf";

int darkness(QRgb p)
{
    return 255 - (qRed(p) + qGreen(p) + qBlue(p)) / 3;
}

// Darkest pixel in a box around (x, y).
int darkestAround(const QImage& img, int x, int y, int radius)
{
    int best = 0;
    for (int yy = y - radius; yy <= y + radius; ++yy)
        for (int xx = x - radius; xx <= x + radius; ++xx)
            if (img.rect().contains(xx, yy))
                best = std::max(best, darkness(img.pixel(xx, yy)));
    return best;
}

int runSnapshot(std::vector<std::string> args)
{
    args.insert(args.begin(), {"fretlark", "--snapshot"});
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    return runSnapshotCommand(static_cast<int>(argv.size()), argv.data()).value_or(-1);
}

} // namespace

TEST(QPainterCanvas, TextMetricsGiveTheExpectedUnit)
{
    QImage img(10, 10, QImage::Format_RGB32);
    QPainter p(&img);
    QPainterCanvas canvas(p);
    DeviceMetrics d;
    d.width = 1000;
    d.height = 700;
    d.fonts = &canvas;
    EXPECT_DOUBLE_EQ(computeUnits(d, 100).u, 12);
    EXPECT_DOUBLE_EQ(computeUnits(d, 160).u, 19);
    EXPECT_GT(canvas.textWidth(computeUnits(d, 100).tinyFont, "Full"), 8);
}

TEST(QPainterCanvas, GlyphsLandOnTheirReferencePoint)
{
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        QPainterCanvas canvas(p);
        canvas.setFont({FontFace::Music, 21});
        canvas.setTextColor(colors::kBlack);
        canvas.drawGlyph(50, 50, '7');
        canvas.drawGlyph(120, 50, glyphs::kDeadNote);
    }
    // A digit is centred on the point, about 8 px high.
    EXPECT_GT(darkestAround(img, 50, 50, 3), 150);
    EXPECT_LT(darkestAround(img, 50, 50 - 9, 1), 40);
    EXPECT_LT(darkestAround(img, 50, 50 + 9, 1), 40);
    EXPECT_GT(darkestAround(img, 120, 50, 1), 150);
    EXPECT_LT(darkestAround(img, 85, 50, 10), 10); // nothing in between
}

TEST(QPainterCanvas, TheBackgroundPenErasesToThePicture)
{
    QImage img(300, 200, QImage::Format_RGB32);
    QPainter p(&img);
    QPainterCanvas canvas(p);
    canvas.setBackground(true, ImageId::Background4, backgroundPlainColor(4));
    canvas.drawBackground(0, 0, 300, 200);
    const QImage before = img.copy();
    canvas.setPen(colors::kBlack, 1);
    canvas.drawLine(10, 100, 200, 100);
    EXPECT_GT(darkness(img.pixel(100, 100)), 200);
    canvas.setBackgroundPen(1);
    canvas.drawLine(10, 100, 200, 100);
    p.end();
    for (int x = 10; x < 200; ++x)
        EXPECT_EQ(img.pixel(x, 100), before.pixel(x, 100)) << x;
}

TEST(QPainterCanvas, PaintedScoreShowsStavesFretsAndCursor)
{
    CTabDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.OnOpenDocument(kRiff));
    ViewState state;
    state.resetForNewScore();
    state.cursorString = 0;
    QImage img(1000, 700, QImage::Format_RGB32);
    paintView(img, doc, state);

    QImage probe(10, 10, QImage::Format_RGB32);
    QPainter p(&probe);
    QPainterCanvas canvas(p);
    DeviceMetrics d;
    d.width = 1000;
    d.height = 700;
    d.fonts = &canvas;
    const ScoreLayout layout = ScoreLayout::compute(doc, state, d);
    const LineRecord& line = layout.lineRecords().at(0);
    const MeasureSlot& slot = line.measureSlots.at(0);
    // A staff line away from any note is drawn in black.
    EXPECT_GT(darkness(img.pixel(slot.barX - 5, line.stringY[5])), 200);
    // The cursor: yellow around the first beat's top string.
    const QRgb c = img.pixel(slot.beatX[0] - 6, line.top);
    EXPECT_GT(qRed(c), 200);
    EXPECT_GT(qGreen(c), 200);
    EXPECT_LT(qBlue(c), 80);
    // A fret number on the second beat of the line, third string.
    EXPECT_GT(darkestAround(img, slot.beatX[1] + 1, line.stringY[2], 2), 150);
    // Far from everything, the background picture near its plain colour.
    const QRgb bg = img.pixel(500, 690);
    const Color plain = backgroundPlainColor(4);
    EXPECT_NEAR(qGreen(bg), plain.g, 12);
    EXPECT_NEAR(qRed(bg), plain.r, 12);
}

TEST(QPainterCanvas, PaintsOnPaperDevicesWithOutlines)
{
    // A vector device: glyphs go out as filled outlines, not cached images.
    CTabDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.OnOpenDocument(std::string(FRETLARK_EXAMPLES) + "/rythmes.tbf"));
    TempDir dir;
    const std::string file = dir.file("page.pdf");
    {
        QPdfWriter writer(QString::fromStdString(file));
        writer.setResolution(300);
        QPainter p(&writer);
        QPainterCanvas canvas(p);
        DeviceMetrics d;
        d.paper = true;
        d.width = writer.width();
        d.height = writer.height();
        d.dpi = 300;
        ViewState state;
        state.resetForNewScore();
        const ScoreLayout layout = ScoreLayout::compute(doc, state, d);
        EXPECT_GT(layout.units().u, 30);
        ScorePainter(canvas, doc, state, layout).paint();
    }
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    EXPECT_GT(static_cast<long>(in.tellg()), 5000);
}

TEST(Snapshot, WritesAPngOfTheAskedSize)
{
    TempDir dir;
    const std::string out = dir.file("vue.png");
    ASSERT_EQ(runSnapshot({kRiff, out, "--width", "640", "--height", "480", "--zoom", "160", "--background", "2"}), 0);
    QImage img(QString::fromStdString(out));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.width(), 640);
    EXPECT_EQ(img.height(), 480);
    int dark = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            dark += darkness(img.pixel(x, y)) > 180;
    EXPECT_GT(dark, 2000); // staves, numbers and notation
}

TEST(Snapshot, FailuresAreReported)
{
    TempDir dir;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runSnapshot({dir.file("absent.tbf"), dir.file("x.png")}), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Impossible d'ouvrir le fichier"), std::string::npos);

    testing::internal::CaptureStderr();
    EXPECT_EQ(runSnapshot({kRiff, dir.file("none/x.png")}), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Impossible d'enregistrer"), std::string::npos);

    testing::internal::CaptureStderr();
    EXPECT_EQ(runSnapshot({kRiff, dir.file("x.png"), "--zoom", "20"}), 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("--zoom"), std::string::npos);
    testing::internal::CaptureStderr();
    EXPECT_EQ(runSnapshot({kRiff}), 2);
    testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    EXPECT_EQ(runSnapshot({kRiff, dir.file("x.png"), "--background", "5"}), 2);
    testing::internal::GetCapturedStderr();
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
