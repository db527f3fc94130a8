#include "PrintJob.h"

#include "ArgNumber.h"

#include "CTabDoc.h"
#include "QPainterCanvas.h"
#include "Snapshot.h"
#include "StderrPrompter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>
#include <unistd.h>
#include <vector>

namespace printing {

view::DeviceMetrics paperMetrics(const QPrinter& printer)
{
    view::DeviceMetrics d;
    d.paper = true;
    d.width = printer.width();
    d.height = printer.height();
    d.dpi = std::max(printer.resolution(), 1);
    return d;
}

bool printPages(QPrinter& printer, const view::Pagination& pages, int from, int to)
{
    from = std::clamp(from, 1, pages.pageCount());
    to = std::clamp(to, from, pages.pageCount());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QPainterCanvas canvas(painter);
    for (int p = from; p <= to; ++p) {
        if (p > from && !printer.newPage())
            break;
        pages.paintPage(canvas, p);
        canvas.flush();
    }
    const bool ended = painter.end();
    return ended && printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

QPageLayout pdfPageLayout(QPageSize::PageSizeId size)
{
    // The layout keeps 50 f above and below the staves but runs them from
    // edge to edge: the sides need the larger margins.
    return QPageLayout(QPageSize(size), QPageLayout::Portrait, QMarginsF(12, 8, 12, 8), QPageLayout::Millimeter);
}

bool writePdf(const CTabDoc& doc, const view::ViewState& screen, const std::string& path, const QPageLayout& page,
              Prompter& prompter)
{
    namespace fs = std::filesystem;
    // Written beside the target and moved over it once complete, so that a
    // failure leaves any previous file as it was.
    const std::string partial = path + ".partiel-" + std::to_string(::getpid());
    bool ok = false;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(partial));
        printer.setPageLayout(page);
        printer.setCreator(QStringLiteral("Fretlark"));
        printer.setDocName(QString::fromStdString(doc.title.empty() ? std::string(CTabDoc::kUntitled) : doc.title));
        const view::Pagination pages(doc, screen, paperMetrics(printer));
        ok = printPages(printer, pages, 1, pages.pageCount());
    }
    std::error_code ec;
    if (ok && fs::is_regular_file(partial, ec)) {
        fs::rename(partial, path, ec);
        ok = !ec;
    } else {
        ok = false;
    }
    if (!ok) {
        fs::remove(partial, ec);
        prompter.showMessage(formatMessage(CTabDoc::kCannotSave, path));
    }
    return ok;
}

std::optional<int> runPrintCommand(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) != "--print")
        return std::nullopt;
    std::vector<std::string> files;
    QPageSize::PageSizeId paper = QPageSize::A4;
    std::vector<int> tracks;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--tracks") {
            // 1-based track numbers, comma separated: the multi-track view of them.
            std::string list = i + 1 < argc ? argv[++i] : "";
            std::size_t at = 0;
            while (at <= list.size()) {
                const std::size_t comma = std::min(list.find(',', at), list.size());
                int t = 0;
                if (!parseInt(list.substr(at, comma - at), t) || t < 1 || t > model::kMaxTracks) {
                    std::cerr << "--tracks attend des numéros de piste séparés par des virgules.\n";
                    return 2;
                }
                tracks.push_back(t - 1);
                at = comma + 1;
            }
            continue;
        }
        if (a != "--paper") {
            if (a.rfind("--", 0) == 0) {
                std::cerr << "Option inconnue : " << a << '\n';
                return 2;
            }
            files.push_back(a);
            continue;
        }
        const std::string size = i + 1 < argc ? argv[++i] : "";
        if (size == "a4" || size == "A4") {
            paper = QPageSize::A4;
        } else if (size == "letter") {
            paper = QPageSize::Letter;
        } else {
            std::cerr << "--paper attend a4 ou letter.\n";
            return 2;
        }
    }
    if (files.size() != 2) {
        std::cerr << "--print attend un fichier de partition et un fichier PDF, puis éventuellement --paper a4|letter "
                     "et --tracks 1,2,...\n";
        return 2;
    }
    const auto app = startHeadlessGui(argc, argv);

    CTabDoc doc;
    StderrPrompter prompter;
    if (!openScoreForCommand(doc, prompter, files[0]))
        return 1;
    view::ViewState state;
    state.resetForNewScore();
    if (!tracks.empty()) {
        state.shownTracks.fill(false);
        for (int t : tracks)
            state.shownTracks[static_cast<std::size_t>(t)] = true;
        state.multiTrackView = true;
        state.cursorTrack = tracks.front() < doc.trackCount ? tracks.front() : 0;
    }
    return writePdf(doc, state, files[1], pdfPageLayout(paper), prompter) ? 0 : 1;
}

} // namespace printing
