#include "Pagination.h"
#include "ScoreFactory.h"
#include "ViewTestScores.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

using namespace view;
using Kind = RecordingCanvas::Kind;

namespace {

// A 2000 x 2800 page at 300 dpi: u = 31, seven staves under the title block
// and eight on every later page.
DeviceMetrics paper(int width = 2000, int height = 2800)
{
    DeviceMetrics d;
    d.paper = true;
    d.width = width;
    d.height = height;
    d.dpi = 300;
    return d;
}

// A score whose every measure fills a line of its own: twenty quarters.
void lineMeasures(CTabDoc& doc, int measures, int tracks = 1)
{
    vt::score(doc, tracks, measures);
    for (int t = 0; t < tracks; ++t)
        for (int m = 0; m < measures; ++m)
            vt::setBeats(doc, t, m, std::vector<CAccord>(20, vt::beat(4, {{0, m % 25}})));
}

RecordingCanvas paintPage(const Pagination& pages, int page)
{
    RecordingCanvas rec;
    pages.paintPage(rec, page);
    return rec;
}

// The measure numbers a page writes, in drawing order. Paper writes each
// number twice, a hair apart, to read bold.
std::vector<int> measureNumbers(const RecordingCanvas& rec)
{
    std::vector<int> out;
    bool second = false;
    for (const auto& o : rec.all(Kind::Text))
        if (o.textColor == colors::kMeasureNumber) {
            if (!second)
                out.push_back(std::stoi(o.text));
            second = !second;
        }
    return out;
}

// The black texts of the page-number corner, left to right.
std::vector<std::string> corner(const RecordingCanvas& rec, const Pagination& pages)
{
    const ViewUnits& v = pages.units();
    std::vector<std::string> out;
    for (const auto& o : rec.all(Kind::Text))
        if (o.textColor == colors::kBlack && o.font == v.smallTextFont &&
            std::abs(o.y() - (v.pageRect.bottom - v.twoThirdsU)) < 1e-9 && o.x() > v.pageRect.right - 3 * v.u)
            out.push_back(o.text);
    return out;
}

} // namespace

TEST(Pagination, OnePageScoreIsNumberedOneOfOneInAWhiteEllipse)
{
    CTabDoc doc;
    lineMeasures(doc, 3);
    ViewState screen;
    screen.resetForNewScore();
    screen.isPlaying = true; // printing while the window plays still prints black on white
    screen.cursorMeasure = {0, 1};
    const Pagination pages(doc, screen, paper());
    ASSERT_EQ(pages.units().linesPerPage, 7);
    ASSERT_EQ(pages.pageCount(), 1);
    const RecordingCanvas rec = paintPage(pages, 1);
    EXPECT_EQ(corner(rec, pages), (std::vector<std::string>{"1", "/", "1"}));
    const ViewUnits& v = pages.units();
    bool ellipse = false;
    for (const auto& o : rec.all(Kind::Ellipse)) {
        EXPECT_NE(o.brushColor, colors::kYellow); // no cursor
        ellipse = ellipse || (o.brushIsBackground && o.x2() == 2000 && o.y2() == 2800 &&
                              std::abs(o.x() - (2000 - 3 * v.u - v.twoThirdsU)) < 1e-9);
    }
    EXPECT_TRUE(ellipse);
    EXPECT_FALSE(rec.backgroundIsImage);
    EXPECT_EQ(rec.backgroundPlain, colors::kWhite);
    EXPECT_TRUE(rec.all(Kind::Polygon).empty()); // no play marker
    EXPECT_TRUE(rec.all(Kind::Image).empty());
    for (const auto& o : rec.ops)
        EXPECT_NE(o.penColor, colors::kCursorMeasure);
    EXPECT_EQ(measureNumbers(rec), (std::vector<int>{1, 2, 3}));
}

TEST(Pagination, PagesEndWithTheLastMeasureAndContinueWhereTheyStopped)
{
    // Seven lines fill page 1, eight fill each later page.
    const struct {
        int measures;
        int pages;
    } cases[] = {{7, 1}, {8, 2}, {15, 2}, {16, 3}, {24, 4}};
    for (const auto& c : cases) {
        CTabDoc doc;
        lineMeasures(doc, c.measures);
        ViewState screen;
        screen.resetForNewScore();
        const Pagination pages(doc, screen, paper());
        EXPECT_EQ(pages.pageCount(), c.pages) << c.measures << " measures";
        // The last page ends with the last measure: nothing on a page after it.
        const RecordingCanvas last = paintPage(pages, pages.pageCount());
        ASSERT_FALSE(measureNumbers(last).empty());
        EXPECT_EQ(measureNumbers(last).back(), c.measures);
        EXPECT_EQ(corner(last, pages).back(), std::to_string(c.pages));
    }
}

TEST(Pagination, PagesTwoAndThreeOfFourStartWithTheirOwnMeasures)
{
    CTabDoc doc;
    lineMeasures(doc, 24);
    doc.title = "Chanson";
    ViewState screen;
    screen.resetForNewScore();
    const Pagination pages(doc, screen, paper());
    ASSERT_EQ(pages.pageCount(), 4);
    // Printed alone, as a page range does, each page starts where the one before stopped.
    const RecordingCanvas second = paintPage(pages, 2);
    const RecordingCanvas third = paintPage(pages, 3);
    EXPECT_EQ(measureNumbers(second), (std::vector<int>{8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(measureNumbers(third).front(), 16);
    EXPECT_EQ(corner(second, pages), (std::vector<std::string>{"2", "/", "4"}));
    EXPECT_EQ(corner(third, pages), (std::vector<std::string>{"3", "/", "4"}));
    // Only page 1 has the title block; later pages start at the top of the drawing area.
    EXPECT_EQ(paintPage(pages, 1).texts("Chanson").size(), 3u);
    EXPECT_TRUE(second.texts("Chanson").empty());
    const ScoreLayout l = pages.layoutOfPage(2);
    EXPECT_EQ(l.lineRecords().front().top, pages.units().drawRect.top);
    EXPECT_EQ(pages.layoutOfPage(1).lineRecords().front().top,
              pages.units().drawRect.top + truncToInt(pages.units().systemPitch));
}

TEST(Pagination, TitleBlockOnPaper)
{
    CTabDoc doc;
    lineMeasures(doc, 2, 2);
    doc.title = "Chanson";
    doc.author = "Anne";
    doc.tabber = "Luc";
    doc.trackNames = {"Lead", "Basse"};
    doc.showAuthor = 0;
    doc.showTabber = 1;
    ViewState screen;
    screen.resetForNewScore();
    const Pagination single(doc, screen, paper());
    const RecordingCanvas rec = paintPage(single, 1);
    const ViewUnits& v = single.units();
    const double cy = v.drawRect.top + truncToInt(11 * v.u) / 2.0;
    const auto title = rec.texts("Chanson");
    ASSERT_EQ(title.size(), 3u);
    EXPECT_EQ(title[2].textColor, colors::kTitlePaper);
    EXPECT_NEAR(title[2].y(), cy - 4 * v.u, 1e-9);
    EXPECT_TRUE(rec.texts("Auteur : Anne").empty());
    const auto tabber = rec.texts("Tableur : Luc");
    ASSERT_EQ(tabber.size(), 1u);
    EXPECT_NEAR(tabber[0].y(), cy + v.u + v.thirdU, 1e-9);
    EXPECT_EQ(rec.texts("Lead").size(), 1u); // the printed track's name

    doc.showAuthor = 1;
    doc.showTabber = 0;
    const RecordingCanvas author = paintPage(Pagination(doc, screen, paper()), 1);
    EXPECT_EQ(author.texts("Auteur : Anne").size(), 2u); // shadow and text
    EXPECT_TRUE(author.texts("Tableur : Luc").empty());

    screen.multiTrackView = true;
    screen.shownTracks = {true, true};
    const RecordingCanvas multi = paintPage(Pagination(doc, screen, paper()), 1);
    // Staff names only, one per staff of the seven lines: no track name in the title block.
    EXPECT_EQ(multi.texts("Lead").size() + multi.texts("Basse").size(), 6u);
    for (const auto& o : multi.texts("Lead"))
        EXPECT_EQ(o.font, v.boldTextFont);
}

TEST(Pagination, MultiTrackPagesBreakBetweenGroups)
{
    CTabDoc doc;
    lineMeasures(doc, 6, 3);
    ViewState screen;
    screen.resetForNewScore();
    screen.multiTrackView = true;
    screen.shownTracks = {true, true, true};
    const Pagination pages(doc, screen, paper());
    // Groups of three staves: six staves under the title, six per later page.
    ASSERT_EQ(pages.pageCount(), 3);
    EXPECT_EQ(pages.linesOfPage(1), (PageLines{0, 6}));
    EXPECT_EQ(pages.linesOfPage(2), (PageLines{7, 12}));
    EXPECT_EQ(pages.linesOfPage(3), (PageLines{13, 18}));
    const ScoreLayout page2 = pages.layoutOfPage(2);
    ASSERT_EQ(page2.lineRecords().size(), 6u);
    EXPECT_TRUE(page2.lineRecords().front().firstOfGroup);
    EXPECT_EQ(page2.lineRecords().front().measureSlots.front().measure, 2);

    // Ten staves never fit a page: pages then hold L + 1 lines as usual.
    CTabDoc big;
    lineMeasures(big, 2, 10);
    screen.shownTracks.fill(true);
    const Pagination torn(big, screen, paper());
    EXPECT_EQ(torn.linesOfPage(2), (PageLines{8, 15}));
    EXPECT_EQ(torn.pageCount(), 3);
    const ScoreLayout tornPage = torn.layoutOfPage(2);
    for (const LineRecord& r : tornPage.lineRecords())
        EXPECT_LE(r.groupBottom, torn.units().drawRect.bottom + 5 * torn.units().u);
}

TEST(Pagination, RandomScoresPrintEveryMeasureOnceOnContiguousPages)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 24; ++round) {
        CTabDoc doc;
        factory::randomScore(doc, rng, 4, 30);
        ViewState screen;
        screen.resetForNewScore();
        screen.cursorTrack = std::uniform_int_distribution<int>(0, doc.trackCount - 1)(rng);
        const bool multi = doc.trackCount > 1 && round % 2 == 0;
        if (multi) {
            screen.multiTrackView = true;
            screen.shownTracks.fill(true);
        }
        const int width = std::uniform_int_distribution<int>(600, 5000)(rng);
        const int height = std::uniform_int_distribution<int>(800, 7000)(rng);
        const Pagination pages(doc, screen, paper(width, height));
        const int perPage = std::max(pages.units().linesPerPage, 1);
        int expectedFirst = 0;
        std::map<int, int> numbered; // measure number -> staves writing it
        for (int p = 1; p <= pages.pageCount(); ++p) {
            const PageLines lines = pages.linesOfPage(p);
            EXPECT_EQ(lines.firstLine, expectedFirst);
            EXPECT_LE(lines.lastLine - lines.firstLine, perPage);
            expectedFirst = lines.lastLine + 1;
            const RecordingCanvas rec = paintPage(pages, p);
            EXPECT_EQ(corner(rec, pages), (std::vector<std::string>{std::to_string(p), "/", std::to_string(pages.pageCount())}));
            for (int n : measureNumbers(rec))
                ++numbered[n];
        }
        const int staves = multi ? doc.trackCount : 1;
        ASSERT_EQ(static_cast<int>(numbered.size()), doc.measureCount) << "round " << round;
        for (const auto& [n, count] : numbered)
            EXPECT_EQ(count, staves) << "measure " << n << ", round " << round;
        // No page after the one holding the last measure.
        EXPECT_LE(pages.linesOfPage(pages.pageCount()).firstLine, pages.layoutOfPage(1).lastScoreLine());
    }
}
