#include "PrintCommands.h"

#include "CTabApp.h"
#include "CTabDoc.h"
#include "CTabView.h"
#include "CommandIds.h"
#include "FileChooser.h"
#include "PrintJob.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

#include <filesystem>

namespace {

constexpr double kPreviewZoomStep = 1.25;

std::string pdfNameFor(const CTabDoc& doc)
{
    std::filesystem::path p(doc.pathName);
    if (p.empty())
        p = (doc.title.empty() ? std::string(CTabDoc::kUntitled) : doc.title);
    p.replace_extension(".pdf");
    return p.string();
}

bool endsWithPdf(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".pdf";
}

} // namespace

PrintCommands::PrintCommands(CTabApp& app, CTabDoc& doc, CTabView& view, QWidget* window)
    : app_(app), doc_(doc), view_(view), window_(window)
{
}

void PrintCommands::setDialogRunner(DialogRunner runner)
{
    runner_ = std::move(runner);
}

int PrintCommands::run(QDialog& dialog)
{
    return runner_ ? runner_(dialog) : dialog.exec();
}

bool PrintCommands::onCommand(int id)
{
    switch (id) {
    case cmd::FilePrint:
        print();
        return true;
    case cmd::FilePrintPreview:
        preview();
        return true;
    case cmd::FileExportPdf:
        exportPdf();
        return true;
    default:
        return false;
    }
}

void PrintCommands::restoreView()
{
    // The window's own layout and fonts were never touched; one full paint
    // brings back whatever the dialogs covered.
    view_.requestRedraw(view::kRedrawAll);
}

bool PrintCommands::printOn(QPrinter& printer)
{
    // Paginated for the paper chosen in the dialog, which may have changed.
    const view::Pagination pages(doc_, view_.state(), printing::paperMetrics(printer));
    int from = 1, to = pages.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = printer.toPage() > 0 ? std::min(printer.toPage(), to) : to;
    }
    if (from > to)
        return false; // the range lies past the last page
    return printing::printPages(printer, pages, from, to);
}

void PrintCommands::print()
{
    view_.Stop();
    QPrinter& printer = app_.printer();
    const view::Pagination pages(doc_, view_.state(), printing::paperMetrics(printer));
    QPrintDialog dialog(&printer, window_);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies);
    dialog.setMinMax(1, pages.pageCount());
    printer.setFromTo(0, 0);
    printer.setPrintRange(QPrinter::AllPages);
    const bool accepted = run(dialog) == QDialog::Accepted;
    if (accepted && !printOn(printer))
        app_.prompter().showMessage(kPrintFailed);
    restoreView();
}

void PrintCommands::fitPreviewToolBar(QPrintPreviewDialog& dialog, const std::function<void()>& onPrint)
{
    auto* widget = dialog.findChild<QPrintPreviewWidget*>();
    auto* layout = qobject_cast<QBoxLayout*>(dialog.layout());
    if (!widget || !layout)
        return;
    // Qt's own bar stays in place, hidden; ours offers the program's commands.
    for (QToolBar* bar : dialog.findChildren<QToolBar*>())
        bar->hide();
    auto* bar = new QToolBar(&dialog);
    bar->setObjectName(QStringLiteral("previewBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [&](const char* text, auto slot) {
        QAction* a = bar->addAction(QString::fromUtf8(text));
        QObject::connect(a, &QAction::triggered, &dialog, slot);
        return a;
    };
    auto* pageLabel = new QLabel(bar);
    pageLabel->setObjectName(QStringLiteral("previewPage"));
    auto showPage = [widget, pageLabel] {
        pageLabel->setText(QStringLiteral("  Page %1 / %2").arg(widget->currentPage()).arg(widget->pageCount()));
    };
    auto turn = [widget, showPage](int step) {
        const int page = widget->currentPage() + step;
        if (page >= 1 && page <= widget->pageCount())
            widget->setCurrentPage(page);
        showPage();
    };
    add("&Imprimer...", [onPrint] { onPrint(); });
    bar->addSeparator();
    add("&Suivante", [turn] { turn(1); });
    add("&Précédente", [turn] { turn(-1); });
    bar->addSeparator();
    add("Zoom ava&nt", [widget] { widget->zoomIn(kPreviewZoomStep); });
    add("Zoom a&rrière", [widget] { widget->zoomOut(kPreviewZoomStep); });
    bar->addSeparator();
    add("&Fermer", [&dialog] { dialog.reject(); });
    bar->addSeparator();
    bar->addWidget(pageLabel);
    QObject::connect(widget, &QPrintPreviewWidget::previewChanged, pageLabel, showPage);
    layout->insertWidget(0, bar);
}

void PrintCommands::preview()
{
    QPrinter& printer = app_.printer();
    QPrintPreviewDialog dialog(&printer, window_);
    dialog.setWindowTitle(QStringLiteral("Aperçu avant impression"));
    if (window_)
        dialog.resize(window_->size() * 9 / 10);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this](QPrinter* p) {
        const view::Pagination pages(doc_, view_.state(), printing::paperMetrics(*p));
        printing::printPages(*p, pages, 1, pages.pageCount());
    });
    bool printAsked = false;
    fitPreviewToolBar(dialog, [&] {
        printAsked = true;
        dialog.accept();
    });
    run(dialog);
    restoreView();
    if (printAsked)
        print();
}

void PrintCommands::exportPdf()
{
    const std::vector<FileFilter> filters = {{"Documents PDF (*.pdf)", {"*.pdf"}}};
    auto path = app_.fileChooser().chooseExportPath("Exporter en PDF", filters, pdfNameFor(doc_), "pdf");
    if (!path || path->empty())
        return;
    if (!endsWithPdf(*path))
        *path += ".pdf";
    // The paper and orientation of the page set-up, the margins of a PDF.
    const QPageLayout setup = app_.printer().pageLayout();
    QPageLayout page = printing::pdfPageLayout(QPageSize::A4);
    page.setPageSize(setup.pageSize());
    page.setOrientation(setup.orientation());
    printing::writePdf(doc_, view_.state(), *path, page, app_.prompter());
    restoreView();
}
