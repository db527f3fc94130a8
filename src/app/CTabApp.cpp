#include "CTabApp.h"

#include "AppPaths.h"
#include "Autosave.h"
#include "CAboutDlg.h"
#include "CMainFrame.h"
#include "CRecoveryDlg.h"
#include "CTabDoc.h"
#include "CTabView.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "DocumentCommands.h"
#include "QtFileChooser.h"
#include "QtPrompter.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include <algorithm>
#include <chrono>

#ifndef FRETLARK_VERSION
#define FRETLARK_VERSION "0.0.0"
#endif
#ifndef FRETLARK_DATADIR
#define FRETLARK_DATADIR ""
#endif

// Resources of a static library are registered by hand, outside any namespace.
static void initResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace {

const char* kRecentGroup = "Recent File List";
constexpr std::int64_t kAutosaveIntervalMs = 30000;
constexpr int kAutosaveCheckMs = 1000;

} // namespace

CTabApp::CTabApp(int& argc, char** argv) : QApplication(argc, argv)
{
    initResources();
    setOrganizationName(QStringLiteral("Fretlark"));
    setApplicationName(QStringLiteral("Fretlark"));
    setApplicationVersion(QStringLiteral(FRETLARK_VERSION));
    setWindowIcon(QIcon(QStringLiteral(":/icons/fretlark.svg")));

    // Qt's own dialogs (file chooser, print set-up) speak French too.
    auto* qtTexts = new QTranslator(this);
    if (qtTexts->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtTexts);

    // The sans serif the program was designed around (fontconfig substitutes
    // its nearest match when it is not installed).
    setFont(QFont(QStringLiteral("Liberation Sans"), 9));

    executableDirectory_ = AppPaths::withSlash(applicationDirPath().toStdString());
    baseDirectory_ = executableDirectory_;

    qtPrompter_ = std::make_unique<QtPrompter>();
    qtChooser_ = std::make_unique<QtFileChooser>();
    urlOpener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

CTabApp::~CTabApp()
{
    ExitInstance();
}

CTabApp* CTabApp::instance()
{
    return qobject_cast<CTabApp*>(QCoreApplication::instance());
}

CMainFrame* CTabApp::mainFrame() const
{
    return frame_.data();
}

void CTabApp::setPrompter(Prompter* prompter)
{
    prompter_ = prompter;
    if (doc_)
        doc_->setPrompter(&this->prompter());
}

void CTabApp::setFileChooser(FileChooser* chooser)
{
    chooser_ = chooser;
    if (docCommands_)
        docCommands_->setFileChooser(&fileChooser());
}

void CTabApp::setUrlOpener(std::function<bool(const QUrl&)> opener)
{
    urlOpener_ = std::move(opener);
}

Prompter& CTabApp::prompter()
{
    return prompter_ ? *prompter_ : *qtPrompter_;
}

FileChooser& CTabApp::fileChooser()
{
    return chooser_ ? *chooser_ : *qtChooser_;
}

bool CTabApp::InitInstance(const QStringList& arguments)
{
    ExitInstance();
    started_ = false;
    loadRecentFiles();

    // The first argument that is not an option names the score to open.
    QString file;
    for (const QString& arg : arguments)
        if (!arg.startsWith(QLatin1Char('-'))) {
            file = arg;
            break;
        }
    const std::string currentDir = QDir::currentPath().toStdString();
    baseDirectory_ = AppPaths::baseDirectory(!file.isEmpty(), executableDirectory_, currentDir);

    doc_ = std::make_unique<CTabDoc>();
    doc_->setPrompter(&prompter());
    docCommands_ = std::make_unique<DocumentCommands>(*doc_);
    docCommands_->setFileChooser(&fileChooser());
    docCommands_->setSavedHandler([this](const std::string& path) { addToRecentFiles(path); });

    frame_ = new CMainFrame(*this, *doc_);
    qtPrompter_->setParent(frame_);
    qtChooser_->setParent(frame_);

    const bool ready = file.isEmpty() ? doc_->OnNewDocument() : OpenDocumentFile(file);
    if (!ready) {
        ExitInstance();
        return false;
    }
    // Filling the screen first also covers desktops without a window manager
    // to honour the maximised state.
    if (const QScreen* screen = frame_->screen())
        frame_->setGeometry(screen->availableGeometry());
    frame_->showMaximized();
    frame_->scoreView->setFocus();
    started_ = true;
    startRecovery();
    return true;
}

QString CTabApp::recoveryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

void CTabApp::setRecoveryChooser(RecoveryChooser chooser)
{
    recoveryChooser_ = std::move(chooser);
}

void CTabApp::setAutosaveInterval(std::int64_t ms)
{
    autosaveIntervalMs_ = ms;
}

void CTabApp::setAutosaveClock(std::function<std::int64_t()> clock)
{
    autosaveClock_ = std::move(clock);
}

std::int64_t CTabApp::autosaveNow() const
{
    if (autosaveClock_)
        return autosaveClock_();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void CTabApp::startRecovery()
{
    recoveryStore_ = std::make_unique<recovery::Store>(recoveryFolder().toStdString());
    // Without a recovery folder the editor works on, only without copies.
    if (!recoveryStore_->claim().empty())
        return;
    const RecoveryChooser choose = recoveryChooser_ ? recoveryChooser_ : [this](const std::vector<recovery::Entry>& e) {
        return CRecoveryDlg::ask(e, frame_);
    };
    const bool recovered = offerLeftOverCopies(*recoveryStore_, *doc_, prompter(), choose);

    std::int64_t interval = autosaveIntervalMs_ > 0 ? autosaveIntervalMs_ : kAutosaveIntervalMs;
    bool fromEnvironment = false;
    const qint64 fromEnv = qEnvironmentVariableIntValue("FRETLARK_AUTOSAVE_MS", &fromEnvironment);
    if (fromEnvironment && fromEnv > 0 && autosaveIntervalMs_ <= 0)
        interval = fromEnv;
    autosave_ = std::make_unique<Autosave>(*doc_, *recoveryStore_, interval, FRETLARK_VERSION);
    if (recovered)
        autosave_->adopted();
    autosaveTimer_ = new QTimer(this);
    autosaveTimer_->setInterval(static_cast<int>(std::min<std::int64_t>(kAutosaveCheckMs, interval)));
    connect(autosaveTimer_, &QTimer::timeout, this, &CTabApp::checkRecovery);
    autosaveTimer_->start();
    checkRecovery();
}

void CTabApp::stopRecovery()
{
    delete autosaveTimer_;
    autosaveTimer_ = nullptr;
    autosave_.reset(); // waits for a copy being written
    recoveryStore_.reset();
}

void CTabApp::checkRecovery()
{
    if (autosave_)
        autosave_->tick(autosaveNow());
}

void CTabApp::scoreClosed()
{
    if (autosave_) {
        autosave_->discard();
        autosave_->flush();
    }
}

void CTabApp::ExitInstance()
{
    stopRecovery();
    if (frame_) {
        qtPrompter_->setParent(nullptr);
        qtChooser_->setParent(nullptr);
        delete frame_;
    }
    docCommands_.reset();
    doc_.reset();
    started_ = false;
}

bool CTabApp::OpenDocumentFile(const QString& path)
{
    if (!doc_)
        return false;
    const std::string full = QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toStdString();
    const bool ok = doc_->OnOpenDocument(full);
    checkRecovery();
    if (!doc_->lastOpenFailed()) {
        addToRecentFiles(full);
    } else {
        // A recent entry that cannot be read any more is not offered again.
        auto& entries = recentFiles_.entries();
        const auto it = std::find(entries.begin(), entries.end(), full);
        if (it != entries.end()) {
            recentFiles_.remove(static_cast<int>(it - entries.begin()));
            saveRecentFiles();
            emit recentFilesChanged();
        }
    }
    return ok;
}

void CTabApp::addToRecentFiles(const std::string& path)
{
    recentFiles_.add(path);
    saveRecentFiles();
    emit recentFilesChanged();
}

void CTabApp::loadRecentFiles()
{
    QSettings settings;
    settings.beginGroup(QLatin1String(kRecentGroup));
    std::vector<std::string> stored;
    for (int i = 1; i <= RecentFileList::kSize; ++i)
        stored.push_back(settings.value(QStringLiteral("File%1").arg(i)).toString().toStdString());
    recentFiles_.setEntries(stored);
}

void CTabApp::saveRecentFiles() const
{
    QSettings settings;
    settings.beginGroup(QLatin1String(kRecentGroup));
    const auto& entries = recentFiles_.entries();
    for (int i = 0; i < RecentFileList::kSize; ++i) {
        const QString key = QStringLiteral("File%1").arg(i + 1);
        if (i < static_cast<int>(entries.size()))
            settings.setValue(key, QString::fromStdString(entries[static_cast<std::size_t>(i)]));
        else
            settings.remove(key);
    }
}

bool CTabApp::onCommand(int id)
{
    switch (id) {
    case cmd::FileNew:
        OnFileNew();
        return true;
    case cmd::FileOpen:
        OnFileOpen();
        return true;
    case cmd::FilePrintSetup:
        OnFilePrintSetup();
        return true;
    case cmd::AppAbout:
        OnAppAbout();
        return true;
    case cmd::AppExit:
        OnAppExit();
        return true;
    case cmd::HelpApp:
    case cmd::HelpBrowser:
        openHelp(HelpFrom::BaseDirectory);
        return true;
    case cmd::FileMru1:
    case cmd::FileMru2:
    case cmd::FileMru3:
    case cmd::FileMru4:
        OnOpenRecentFile(id - cmd::FileMru1);
        return true;
    default:
        return false;
    }
}

void CTabApp::OnFileNew()
{
    if (doc_)
        doc_->OnNewDocument();
}

void CTabApp::OnFileOpen()
{
    const auto path = fileChooser().chooseOpenPath(FileFilter::documentFilters());
    if (path && !path->empty())
        OpenDocumentFile(QString::fromStdString(*path));
}

QPrinter& CTabApp::printer()
{
    // Asking the print system for its printers takes time: only when needed.
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void CTabApp::OnFilePrintSetup()
{
    QPageSetupDialog dialog(&printer(), frame_);
    dialog.exec();
}

void CTabApp::OnAppAbout()
{
    CAboutDlg dialog(frame_);
    dialog.exec();
}

void CTabApp::OnAppExit()
{
    // The window's close step asks about unsaved changes; the run ends once
    // the window is closed.
    if (frame_)
        frame_->close();
}

void CTabApp::OnOpenRecentFile(int index)
{
    const auto& entries = recentFiles_.entries();
    if (index < 0 || index >= static_cast<int>(entries.size()))
        return;
    OpenDocumentFile(QString::fromStdString(entries[static_cast<std::size_t>(index)]));
}

QString CTabApp::helpPagePath(HelpFrom where) const
{
    // The base directory (or the current one) first; a build or an installed
    // copy keeps the page beside the program or in its data folder.
    const std::string first =
        where == HelpFrom::BaseDirectory ? baseDirectory_ : AppPaths::withSlash(QDir::currentPath().toStdString());
    return QString::fromStdString(AppPaths::findHelpPage({first, executableDirectory_, FRETLARK_DATADIR}));
}

void CTabApp::openHelp(HelpFrom where)
{
    if (urlOpener_)
        urlOpener_(QUrl::fromLocalFile(helpPagePath(where)));
}
