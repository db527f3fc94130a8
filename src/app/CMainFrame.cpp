#include "CMainFrame.h"

#include "CBlueToolBar.h"
#include "CMyToolbar.h"
#include "CTabApp.h"
#include "CTabDoc.h"
#include "CTabView.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "DocumentCommands.h"
#include "KeyboardLocks.h"
#include "PrintCommands.h"
#include "RecentFileList.h"
#include "TrackLabels.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTimer>

#include <algorithm>

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// Menu texts are written with '&' marking the mnemonic; an '&' followed by a
// space is meant to be seen.
QString menuText(const char* text)
{
    return QString::fromUtf8(text).replace(QLatin1String("& "), QLatin1String("&& "));
}

const ToolbarDef* barOfImage(int id)
{
    for (const ToolbarDef& bar : CommandTable::toolbars())
        if (bar.imageWidth > 0 && std::find(bar.buttons.begin(), bar.buttons.end(), id) != bar.buttons.end())
            return &bar;
    return nullptr;
}

// Our SVG drawing of a button face, rendered crisp at the bar's grid size and
// at twice that size for dense screens.
QIcon toolbarIcon(const std::string& name, QSize grid)
{
    QSvgRenderer svg(QStringLiteral(":/icons/%1.svg").arg(qs(name)));
    if (!svg.isValid())
        return {};
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pm(grid * scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p, QRectF(QPointF(0, 0), QSizeF(grid * scale)));
        p.end();
        pm.setDevicePixelRatio(scale);
        icon.addPixmap(pm);
    }
    return icon;
}

const char* kIndicatorTexts[3] = {"MAJ", "NUM", "DEF"};

} // namespace

CMainFrame::CMainFrame(CTabApp& app, CTabDoc& doc) : app_(app), doc_(doc)
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(CommandTable::kTitle);
    setWindowIcon(QIcon(QStringLiteral(":/icons/fretlark.svg")));
    setAcceptDrops(true);
    setDockOptions(QMainWindow::AnimatedDocks);

    scoreView = new CTabView(app_, doc_, this);
    setCentralWidget(scoreView);

    createActions();
    createMenus();
    createToolbars();
    createStatusBar();
    createShortcuts();

    printCommands_ = std::make_unique<PrintCommands>(app_, doc_, *scoreView, this);
    router_.setChain({scoreView, &app_.documentCommands(), printCommands_.get(), this, &app_});

    connect(scoreView, &CTabView::trackListChanged, this, &CMainFrame::rebuildTrackList);
    connect(scoreView, &CTabView::stateChanged, this, &CMainFrame::updateCommandUI);
    connect(&app_, &CTabApp::recentFilesChanged, this, &CMainFrame::rebuildRecentFiles);

    rebuildTrackList();
    rebuildRecentFiles();
    updateCommandUI();
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
}

QAction* CMainFrame::action(int id) const
{
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::createActions()
{
    std::map<int, const char*> menuTexts;
    for (const MenuDef& menu : CommandTable::menuBar())
        for (const MenuItemDef& item : menu.items)
            if (item.id != cmd::Separator)
                menuTexts.emplace(item.id, item.text);

    for (int id : CommandTable::allCommands()) {
        auto* a = new QAction(this);
        a->setData(id);
        const auto text = menuTexts.find(id);
        a->setText(text != menuTexts.end() ? menuText(text->second) : qs(CommandTable::statusPrompt(id)));
        a->setStatusTip(qs(CommandTable::statusPrompt(id)));
        a->setToolTip(qs(CommandTable::toolTip(id)));
        a->setCheckable(CommandTable::isCheckable(id));
        if (const std::string image = CommandTable::imageName(id); !image.empty())
            if (const ToolbarDef* bar = barOfImage(id))
                a->setIcon(toolbarIcon(image, QSize(bar->imageWidth, bar->imageHeight)));
        connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
        actions_[id] = a;
    }
}

void CMainFrame::createMenus()
{
    QMenuBar* bar = menuBar();
    // The three menu brushes: background, selection and separators.
    bar->setStyleSheet(QStringLiteral(
        "QMenuBar { background: rgb(240, 245, 250); }"
        "QMenuBar::item { padding: 3px 8px; background: transparent; }"
        "QMenuBar::item:selected { background: rgb(177, 204, 247); }"
        "QMenu { background: rgb(240, 245, 250); border: 1px solid rgb(150, 170, 210); }"
        "QMenu::item { padding: 4px 28px 4px 26px; }"
        "QMenu::item:selected { background: rgb(177, 204, 247); color: black; }"
        "QMenu::separator { height: 1px; background: rgb(190, 205, 235); margin: 3px 6px; }"
        "QMenu::icon { padding-left: 4px; }"
        // A ticked item with a picture shows the picture pressed in.
        "QMenu::icon:checked { background: rgb(177, 204, 247); border: 1px inset rgb(90, 110, 160); }"));

    for (const MenuDef& def : CommandTable::menuBar()) {
        QMenu* menu = bar->addMenu(menuText(def.title));
        menu->setObjectName(QString::fromUtf8(def.title).remove(QLatin1Char('&')));
        const bool isTracks = def.items.front().id == cmd::Track1;
        if (isTracks)
            tracksMenu_ = menu; // filled from the track list
        else
            for (const MenuItemDef& item : def.items) {
                QAction* added = action(item.id);
                if (item.id == cmd::Separator)
                    added = menu->addSeparator();
                else
                    menu->addAction(added);
                if (item.id == cmd::FileMru1)
                    fileMenu_ = menu;
                if (fileMenu_ == menu && !recentEnd_ && item.id == cmd::Separator && menu->actions().contains(action(cmd::FileMru1)))
                    recentEnd_ = added;
            }
        // Using a menu stops playback, then the ticks are brought up to date.
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            scoreView->onCommand(cmd::Stop);
            updateActions(menu->actions());
        });
        connect(menu, &QMenu::hovered, this, [this] { scoreView->onCommand(cmd::Stop); });
    }
}

CMyToolbar* CMainFrame::makeBar(const char* name)
{
    for (const ToolbarDef& def : CommandTable::toolbars()) {
        if (std::string(def.name) != name)
            continue;
        auto* bar = new CMyToolbar(QString::fromUtf8(def.title), this);
        bar->setObjectName(QString::fromUtf8(def.name));
        bar->setIconSize(QSize(def.imageWidth, def.imageHeight));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        for (int id : def.buttons) {
            if (id == cmd::Separator)
                bar->addSeparator();
            else
                bar->addAction(action(id));
        }
        return bar;
    }
    return nullptr;
}

void CMainFrame::createToolbars()
{
    tracksBar = new CBlueToolBar(QStringLiteral("Pistes"), this);
    tracksBar->setObjectName(QStringLiteral("tracksBar"));
    QList<QAction*> tracks;
    for (int t = 0; t < model::kMaxTracks; ++t)
        tracks << action(CommandTable::commandOfTrack(t));
    tracksBar->setTrackActions(tracks);
    addToolBar(Qt::RightToolBarArea, tracksBar);

    standardBar = makeBar("standardBar");
    rhythmBar = makeBar("rhythmBar");
    attributesBar = makeBar("attributesBar");
    settingsBar = makeBar("settingsBar");
    for (QToolBar* bar : {static_cast<QToolBar*>(standardBar), static_cast<QToolBar*>(rhythmBar),
                          static_cast<QToolBar*>(attributesBar), static_cast<QToolBar*>(settingsBar),
                          static_cast<QToolBar*>(tracksBar)}) {
        bar->setAllowedAreas(Qt::AllToolBarAreas);
        bar->setFloatable(true);
        bar->setMovable(true);
    }
    addToolBar(Qt::TopToolBarArea, standardBar);
    addToolBar(Qt::TopToolBarArea, rhythmBar);
    addToolBar(Qt::TopToolBarArea, attributesBar);
    addToolBar(Qt::TopToolBarArea, settingsBar);

    standardBar->hide();
    tracksBar->hide();
    showAttributes = showRhythm = showSettings = true;
    showStandard = false;
    wrapToolbarsToScreen();

    // A bar hidden by other means than its command comes back (see syncBarVisibility).
    for (CMyToolbar* bar : {standardBar, rhythmBar, attributesBar, settingsBar})
        connect(bar, &QToolBar::visibilityChanged, this, [this] {
            QTimer::singleShot(0, this, &CMainFrame::syncBarVisibility);
        });
}

void CMainFrame::wrapToolbarsToScreen()
{
    // The three visible bars share one row when the screen is wide enough;
    // otherwise the settings bar starts a second row rather than being cut.
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const int width = s ? s->availableGeometry().width() : 1024;
    const int needed = rhythmBar->sizeHint().width() + attributesBar->sizeHint().width() + settingsBar->sizeHint().width();
    if (needed > width - 40)
        insertToolBarBreak(settingsBar);
}

void CMainFrame::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->showMessage(CommandTable::kIdlePrompt);
    connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(CommandTable::kIdlePrompt);
    });
    for (int i = 0; i < 3; ++i) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QString::fromUtf8(kIndicatorTexts[i]));
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(QString::fromUtf8(kIndicatorTexts[i])) + 14);
        bar->addPermanentWidget(pane);
        indicators_[i] = pane;
    }
    bar->hide();

    lockTimer_ = new QTimer(this);
    lockTimer_->setInterval(400);
    connect(lockTimer_, &QTimer::timeout, this, &CMainFrame::refreshLockIndicators);
    lockTimer_->start();
    qApp->installEventFilter(this);
    refreshLockIndicators();
}

void CMainFrame::refreshLockIndicators()
{
    if (!statusBar()->isVisibleTo(this))
        return; // asked again when the bar is shown
    bool on[3] = {lockStatesFromKeys_[0], lockStatesFromKeys_[1], lockStatesFromKeys_[2]};
    void* display = nullptr;
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>())
        display = x11->display();
    if (const auto states = KeyboardLocks::query(display)) {
        on[0] = states->caps;
        on[1] = states->num;
        on[2] = states->scroll;
    }
    for (int i = 0; i < 3; ++i) {
        const QString text = on[i] ? QString::fromUtf8(kIndicatorTexts[i]) : QString();
        if (indicators_[i]->text() != text)
            indicators_[i]->setText(text);
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Without an X server to ask, follow the lock keys as they are pressed.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int index = key == Qt::Key_CapsLock ? 0 : key == Qt::Key_NumLock ? 1 : key == Qt::Key_ScrollLock ? 2 : -1;
        if (index >= 0 && !static_cast<QKeyEvent*>(event)->isAutoRepeat() && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->window() == this) {
            lockStatesFromKeys_[index] = !lockStatesFromKeys_[index];
            QTimer::singleShot(0, this, &CMainFrame::refreshLockIndicators);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::createShortcuts()
{
    for (const AcceleratorDef& key : CommandTable::accelerators()) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(key.keys)), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = key.id;
        shortcut->setProperty("command", id);
        connect(shortcut, &QShortcut::activated, this, [this, id] { runCommand(id); });
    }
}

bool CMainFrame::runCommand(int id)
{
    const bool handled = router_.dispatch(id);
    app_.checkRecovery();
    syncBarVisibility();
    updateCommandUI();
    return handled;
}

void CMainFrame::updateActions(const QList<QAction*>& actions)
{
    for (QAction* a : actions) {
        if (!a->data().isValid())
            continue;
        const CommandState state = router_.update(a->data().toInt());
        if (a->isCheckable() && a->isChecked() != state.checked)
            a->setChecked(state.checked);
        if (state.text) {
            const QString text = menuText(state.text->c_str());
            if (a->text() != text) {
                a->setText(text);
                // The tool tip names the step too, without the key.
                a->setToolTip(QString(text).remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0));
            }
        }
    }
}

void CMainFrame::updateCommandUI()
{
    QList<QAction*> all;
    for (const auto& [id, a] : actions_)
        all << a;
    updateActions(all);
}

void CMainFrame::rebuildTrackList()
{
    // The window's view is the one that asked.
    const std::vector<std::string> labels = TrackLabels::of(doc_);
    QStringList texts;
    for (const std::string& label : labels)
        texts << qs(label);
    tracksMenu_->clear();
    tracksBar->setTrackLabels(texts);
    for (int t = 0; t < texts.size(); ++t)
        tracksMenu_->addAction(action(CommandTable::commandOfTrack(t)));
    tracksBar->setPressedTrack(scoreView->state().cursorTrack);
    menuBar()->update();
}

void CMainFrame::rebuildRecentFiles()
{
    const std::vector<std::string>& entries = app_.recentFiles().entries();
    const QString home = QDir::homePath();
    QAction* before = recentEnd_;
    for (int i = 0; i < RecentFileList::kSize; ++i) {
        QAction* a = action(cmd::FileMru1 + i);
        fileMenu_->removeAction(a);
        if (i < static_cast<int>(entries.size())) {
            a->setText(qs(RecentFileList::menuText(i, entries[static_cast<std::size_t>(i)], home.toStdString())));
            a->setStatusTip(qs(entries[static_cast<std::size_t>(i)]));
        } else {
            a->setText(CommandTable::kRecentFileText);
            a->setStatusTip(qs(CommandTable::statusPrompt(cmd::FileMru1 + i)));
        }
        // An empty list still shows its place in the menu.
        if (i < static_cast<int>(entries.size()) || (i == 0 && entries.empty()))
            fileMenu_->insertAction(before, a);
    }
}

void CMainFrame::toggleBar(CMyToolbar* bar, bool& wanted, Qt::ToolBarArea edge)
{
    if (bar->isVisibleTo(this)) {
        // Docked again before hiding, so it never comes back floating.
        addToolBar(edge, bar);
        bar->hide();
    } else {
        bar->show();
    }
    wanted = bar->isVisibleTo(this);
}

void CMainFrame::syncBarVisibility()
{
    const std::pair<CMyToolbar*, bool> bars[] = {
        {attributesBar, showAttributes}, {rhythmBar, showRhythm}, {settingsBar, showSettings}, {standardBar, showStandard}};
    for (const auto& [bar, wanted] : bars)
        if (bar->isVisibleTo(this) != wanted && !isMinimized())
            bar->setVisible(wanted);
}

bool CMainFrame::onCommand(int id)
{
    switch (id) {
    case cmd::ViewAttributesBar:
        toggleBar(attributesBar, showAttributes, Qt::LeftToolBarArea);
        return true;
    case cmd::ViewRhythmBar:
        toggleBar(rhythmBar, showRhythm, Qt::RightToolBarArea);
        return true;
    case cmd::ViewSettingsBar:
        toggleBar(settingsBar, showSettings, Qt::TopToolBarArea);
        return true;
    case cmd::ViewStandardBar:
        toggleBar(standardBar, showStandard, Qt::TopToolBarArea);
        return true;
    case cmd::ViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisibleTo(this));
        refreshLockIndicators();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::onUpdateCommand(int id, CommandState& state)
{
    switch (id) {
    case cmd::ViewAttributesBar:
        state.checked = showAttributes;
        return true;
    case cmd::ViewRhythmBar:
        state.checked = showRhythm;
        return true;
    case cmd::ViewSettingsBar:
        state.checked = showSettings;
        return true;
    case cmd::ViewStandardBar:
        state.checked = showStandard;
        return true;
    case cmd::ViewStatusBar:
        state.checked = statusBar()->isVisibleTo(this);
        return true;
    default:
        return false;
    }
}

QMenu* CMainFrame::createPopupMenu()
{
    // Right click on the bars: the same switches as the "Affichage" menu,
    // plus the "Pistes" bar, which no menu item shows.
    auto* menu = new QMenu(this);
    for (int id : {cmd::ViewRhythmBar, cmd::ViewAttributesBar, cmd::ViewSettingsBar, cmd::ViewStandardBar,
                   cmd::ViewStatusBar})
        menu->addAction(action(id));
    menu->addSeparator();
    QAction* tracks = menu->addAction(QStringLiteral("Pistes"));
    tracks->setCheckable(true);
    tracks->setChecked(tracksBar->isVisibleTo(this));
    connect(tracks, &QAction::toggled, tracksBar, &QWidget::setVisible);
    updateActions(menu->actions());
    return menu;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // Closing while the music plays only stops it; the window stays.
    if (!closing_ && scoreView && scoreView->isPlaying()) {
        scoreView->Stop();
        event->ignore();
        return;
    }
    if (!closing_) {
        activateWindow();
        // A Yes to the modified prompt whose save did not happen keeps the window.
        if (!doc_.OnCloseDocument()) {
            event->ignore();
            return;
        }
        app_.scoreClosed();
        closing_ = true;
    }
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    activateWindow();
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    for (const QString& file : files)
        app_.OpenDocumentFile(file);
}

void CMainFrame::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowStateChange)
        if (scoreView)
            scoreView->relayout();
    QMainWindow::changeEvent(event);
}

bool CMainFrame::event(QEvent* event)
{
    // Context help is answered and does nothing.
    if (event->type() == QEvent::WhatsThis || event->type() == QEvent::EnterWhatsThisMode) {
        event->accept();
        return true;
    }
    return QMainWindow::event(event);
}
