#pragma once

#include "Pagination.h"

#include <QPageLayout>
#include <QPageSize>

#include <optional>
#include <string>

class CTabDoc;
class Prompter;
class QPrinter;

// Printing a score on a QPrinter: the window's print command, its preview
// and the PDF export share these, so every output shows the same pages.
namespace printing {

// The printable page of a printer as the layout sees it.
view::DeviceMetrics paperMetrics(const QPrinter& printer);

// Pages `from` to `to` (1-based, limited to the pages there are) of a
// pagination, one printer page each. False when the printer would not start.
bool printPages(QPrinter& printer, const view::Pagination& pages, int from, int to);

// The page a PDF gets unless told otherwise: portrait, with room around the
// staves that the layout does not keep itself.
QPageLayout pdfPageLayout(QPageSize::PageSizeId size);

// Writes the score as a PDF file of vector pages. The file is replaced only
// once the new one is complete; failures are told to the prompter.
bool writePdf(const CTabDoc& doc, const view::ViewState& screen, const std::string& path, const QPageLayout& page,
              Prompter& prompter);

// `fretlark --print IN OUT.pdf [--paper a4|letter] [--tracks 1,2,...]` (the
// single-track view of track 1, or the multi-track view of the tracks
// listed). Returns the exit code
// when argv asks for it, nothing otherwise.
std::optional<int> runPrintCommand(int argc, char** argv);

} // namespace printing
