#pragma once

#include "CommandTarget.h"

#include <functional>

class CTabApp;
class CTabDoc;
class CTabView;
class QDialog;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

// The File menu's print commands: "&Imprimer..." through the print dialog
// with its page range, "Aperçu avant impression" through the preview window,
// and "Exporter en PDF...". Every one paginates the score afresh for the
// paper of the printer set up for the run, in the window's view, without
// touching the window's own cursor, scroll position, units or fonts.
class PrintCommands : public CommandTarget {
public:
    PrintCommands(CTabApp& app, CTabDoc& doc, CTabView& view, QWidget* window);

    bool onCommand(int id) override;

    void print();
    void preview();
    void exportPdf();
    // Prints the pages the printer's range asks for (all of them without a
    // range); false when nothing could be printed.
    bool printOn(QPrinter& printer);

    // Runs a modal dialog and returns its result; tests answer in their place.
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner runner);

    // The preview window's tool bar: the commands the preview offers.
    static void fitPreviewToolBar(QPrintPreviewDialog& dialog, const std::function<void()>& onPrint);

    static constexpr const char* kPrintFailed = "L'impression de la partition a échoué.";

private:
    int run(QDialog& dialog);
    void restoreView();

    CTabApp& app_;
    CTabDoc& doc_;
    CTabView& view_;
    QWidget* window_;
    DialogRunner runner_;
};
