#pragma once

#include "CommandTarget.h"
#include "RecentFileList.h"
#include "RecoveryOffer.h"

#include <QApplication>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

class Autosave;
class CMainFrame;
class CTabDoc;
class DocumentCommands;
class FileChooser;
class Prompter;
class QPrinter;
class QTimer;
class QUrl;
class QtFileChooser;
class QtPrompter;

// The application: start-up, the base directory, the file commands of the
// application's scope, the recent-file list, help and the about box.
class CTabApp : public QApplication, public CommandTarget {
    Q_OBJECT
public:
    CTabApp(int& argc, char** argv);
    ~CTabApp() override;

    static CTabApp* instance();

    // Start-up: opens the file named in arguments (program name excluded) or
    // a new score and shows the main window. False when the editor must end.
    bool InitInstance(const QStringList& arguments);
    // Drops the window and the document (the window's close step has run).
    void ExitInstance();

    CTabDoc& document() { return *doc_; }
    CMainFrame* mainFrame() const;
    DocumentCommands& documentCommands() { return *docCommands_; }

    // Directory, ending in '/', beneath which samples and help are looked up.
    const std::string& baseDirectory() const { return baseDirectory_; }
    bool started() const { return started_; }

    // Opens a score through the document (command line, recent files, drops,
    // Open). False when the document could not be set up at all.
    bool OpenDocumentFile(const QString& path);

    RecentFileList& recentFiles() { return recentFiles_; }
    void addToRecentFiles(const std::string& path);

    // Hooks for tests and other shells; null puts the Qt dialogs back.
    void setPrompter(Prompter* prompter);
    void setFileChooser(FileChooser* chooser);
    void setUrlOpener(std::function<bool(const QUrl&)> opener);
    Prompter& prompter();
    FileChooser& fileChooser();

    // ---- command handlers of the application's scope ----
    bool onCommand(int id) override;
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppAbout();
    void OnAppExit();
    void OnOpenRecentFile(int index);
    enum class HelpFrom { BaseDirectory, CurrentDirectory };
    // The help page in the user's browser; a failure is silent.
    void openHelp(HelpFrom where);
    // The page openHelp would open.
    QString helpPagePath(HelpFrom where) const;

    // The printer set up by "Configuration de l'impression", made on first use.
    QPrinter& printer();

    // ---- recovery copies ----
    // Folder of the copies: the user's data folder's "recovery".
    static QString recoveryFolder();
    // Hooks for tests, set before InitInstance: the start-up question's
    // answers, the copy interval (30 s; FRETLARK_AUTOSAVE_MS overrides it)
    // and the clock in milliseconds. Null or 0 puts the defaults back.
    void setRecoveryChooser(RecoveryChooser chooser);
    void setAutosaveInterval(std::int64_t ms);
    void setAutosaveClock(std::function<std::int64_t()> clock);
    Autosave* autosave() const { return autosave_.get(); }
    recovery::Store* recoveryStore() const { return recoveryStore_.get(); }
    // The score may have changed state (a command ran, a file was opened):
    // the copy follows at once.
    void checkRecovery();
    // The user answered the question on closing: the copy goes.
    void scoreClosed();

signals:
    void recentFilesChanged();

private:
    void loadRecentFiles();
    void startRecovery();
    void stopRecovery();
    std::int64_t autosaveNow() const;
    void saveRecentFiles() const;

    std::unique_ptr<CTabDoc> doc_;
    std::unique_ptr<DocumentCommands> docCommands_;
    QPointer<CMainFrame> frame_;
    std::unique_ptr<QtPrompter> qtPrompter_;
    std::unique_ptr<QtFileChooser> qtChooser_;
    std::unique_ptr<QPrinter> printer_;
    Prompter* prompter_ = nullptr;
    FileChooser* chooser_ = nullptr;
    std::function<bool(const QUrl&)> urlOpener_;
    RecentFileList recentFiles_;
    std::string baseDirectory_;
    std::string executableDirectory_;
    bool started_ = false;

    std::unique_ptr<recovery::Store> recoveryStore_;
    std::unique_ptr<Autosave> autosave_;
    QTimer* autosaveTimer_ = nullptr;
    RecoveryChooser recoveryChooser_;
    std::int64_t autosaveIntervalMs_ = 0;
    std::function<std::int64_t()> autosaveClock_;
};
