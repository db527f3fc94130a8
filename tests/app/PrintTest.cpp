// The File menu's print commands in the window: print with a page range,
// the preview's tool bar, the PDF export.
#include "CTabView.h"
#include "CommandIds.h"
#include "Pagination.h"
#include "PdfInfo.h"
#include "PrintCommands.h"
#include "PrintJob.h"
#include "ScoreFactory.h"
#include "WindowFixture.h"

#include <QAction>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>
#include <QToolBar>

namespace {

class PrintTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        score = dir.file("long.tbf");
        writeScore(score, [](CTabDoc& d) { factory::denseScore(d, 2, 120, 8, 3); });
        ASSERT_TRUE(start({QString::fromStdString(score)}));
    }
    void TearDown() override
    {
        frame().printCommands().setDialogRunner(nullptr);
        WindowTest::TearDown();
    }
    int pagesOn(QPrinter& printer)
    {
        return view::Pagination(doc(), frame().scoreView->state(), printing::paperMetrics(printer)).pageCount();
    }

    std::string score;
};

QAction* actionNamed(QToolBar* bar, const QString& text)
{
    for (QAction* a : bar->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

TEST_F(PrintTest, PrintsThePageRangeChosenAndLeavesTheWindowAsItWas)
{
    CTabView& view = *frame().scoreView;
    view.state().cursorMeasure = {0, 30};
    view.state().cursorMeasureIndex = 30;
    view.state().firstLine = view.state().scrollPosition = 6;
    const view::ViewState before = view.state();
    const std::string pdf = dir.file("range.pdf");
    app().printer().setPageSize(QPageSize(QPageSize::A4));
    int total = 0, shownMax = 0;
    frame().printCommands().setDialogRunner([&](QDialog& d) {
        auto* dialog = qobject_cast<QPrintDialog*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog)
            return int(QDialog::Rejected);
        QPrinter* printer = dialog->printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(pdf));
        total = pagesOn(*printer);
        shownMax = dialog->maxPage();
        printer->setPrintRange(QPrinter::PageRange);
        printer->setFromTo(2, 3);
        return int(QDialog::Accepted);
    });
    frame().runCommand(cmd::FilePrint);
    EXPECT_GT(total, 3);
    EXPECT_EQ(shownMax, total);
    EXPECT_EQ(pdfInfo(pdf, "Pages"), "2");
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(view.state().cursorMeasure, before.cursorMeasure);
    EXPECT_EQ(view.state().firstLine, before.firstLine);
    EXPECT_EQ(view.layout().units().paper, false);
}

TEST_F(PrintTest, PreviewOffersTheProgramsCommandsAndItsPrintOpensThePrintDialog)
{
    std::vector<std::string> seen;
    QStringList texts;
    int pageAfterNext = 0, pageAfterPrevious = 0, pages = 0;
    double zoomBefore = 0, zoomAfter = 0;
    QString label;
    frame().printCommands().setDialogRunner([&](QDialog& d) {
        if (qobject_cast<QPrintDialog*>(&d)) {
            seen.push_back("print");
            return int(QDialog::Rejected);
        }
        seen.push_back("preview");
        auto* bar = d.findChild<QToolBar*>(QStringLiteral("previewBar"));
        auto* widget = d.findChild<QPrintPreviewWidget*>();
        EXPECT_TRUE(bar && widget);
        if (!bar || !widget)
            return int(QDialog::Rejected);
        d.show();
        widget->updatePreview();
        QCoreApplication::processEvents();
        for (QAction* a : bar->actions())
            if (!a->isSeparator() && !a->text().isEmpty())
                texts << a->text();
        pages = widget->pageCount();
        actionNamed(bar, QStringLiteral("&Suivante"))->trigger();
        actionNamed(bar, QStringLiteral("&Suivante"))->trigger();
        pageAfterNext = widget->currentPage();
        actionNamed(bar, QStringLiteral("&Précédente"))->trigger();
        pageAfterPrevious = widget->currentPage();
        label = bar->findChild<QLabel*>(QStringLiteral("previewPage"))->text();
        zoomBefore = widget->zoomFactor();
        actionNamed(bar, QStringLiteral("Zoom ava&nt"))->trigger();
        zoomAfter = widget->zoomFactor();
        actionNamed(bar, QStringLiteral("&Imprimer..."))->trigger();
        return d.result();
    });
    frame().runCommand(cmd::FilePrintPreview);
    EXPECT_EQ(texts, (QStringList{"&Imprimer...", "&Suivante", "&Précédente", "Zoom ava&nt", "Zoom a&rrière", "&Fermer"}));
    EXPECT_EQ(pages, pagesOn(app().printer()));
    EXPECT_EQ(pageAfterNext, 3);
    EXPECT_EQ(pageAfterPrevious, 2);
    EXPECT_EQ(label.trimmed(), QStringLiteral("Page 2 / %1").arg(pages));
    EXPECT_GT(zoomAfter, zoomBefore);
    EXPECT_EQ(seen, (std::vector<std::string>{"preview", "print"}));
}

TEST_F(PrintTest, ExportsThePdfUnderTheChosenNameWithTheSameNumberOfPages)
{
    chooser.answers.push_back(dir.file("partition"));
    frame().runCommand(cmd::FileExportPdf);
    ASSERT_EQ(chooser.suggestions.size(), 1u);
    EXPECT_EQ(chooser.suggestions[0], dir.file("long.pdf"));
    EXPECT_EQ(chooser.offeredFilters[0], std::vector<std::string>{"Documents PDF (*.pdf)"});
    EXPECT_EQ(chooser.exportTitles, std::vector<std::string>{"Exporter en PDF"});
    const std::string pdf = dir.file("partition.pdf");
    QPrinter a4(QPrinter::HighResolution);
    a4.setOutputFormat(QPrinter::PdfFormat);
    QPageLayout page = printing::pdfPageLayout(QPageSize::A4);
    page.setPageSize(app().printer().pageLayout().pageSize());
    a4.setPageLayout(page);
    EXPECT_EQ(pdfInfo(pdf, "Pages"), std::to_string(pagesOn(a4)));
    EXPECT_TRUE(prompter.messages.empty());

    // Cancelled: nothing written; a folder that does not exist: the message.
    frame().runCommand(cmd::FileExportPdf);
    chooser.answers.push_back(dir.file("absent/x.pdf"));
    frame().runCommand(cmd::FileExportPdf);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "Impossible d'enregistrer le fichier " + dir.file("absent/x.pdf") + ".");
}
