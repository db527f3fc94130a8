#pragma once

#include "CommandRouter.h"
#include "CommandTarget.h"

#include <QMainWindow>

#include <map>
#include <memory>

class CBlueToolBar;
class CMyToolbar;
class PrintCommands;
class CTabApp;
class CTabDoc;
class CTabView;
class QAction;
class QLabel;
class QMenu;
class QTimer;

// The main window: menus, accelerators, the five toolbars, the status bar
// and the single score view.
class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    CMainFrame(CTabApp& app, CTabDoc& doc);
    ~CMainFrame() override;

    CBlueToolBar* tracksBar = nullptr;
    CMyToolbar* standardBar = nullptr;
    CMyToolbar* rhythmBar = nullptr;
    CMyToolbar* attributesBar = nullptr;
    CMyToolbar* settingsBar = nullptr;
    // Wanted visibility of the four bars the "Affichage" menu switches.
    bool showAttributes = true;
    bool showRhythm = true;
    bool showSettings = true;
    bool showStandard = false;
    CTabView* scoreView = nullptr;

    // The action of a command (one per id), or null for an unknown id.
    QAction* action(int id) const;
    QMenu* tracksMenu() const { return tracksMenu_; }
    QMenu* fileMenu() const { return fileMenu_; }
    const CommandRouter& router() const { return router_; }
    PrintCommands& printCommands() { return *printCommands_; }
    // The "MAJ", "NUM", "DEF" panes of the status bar.
    QLabel* lockIndicator(int index) const { return indicators_[index]; }

    // Routes a command (view, document, frame, application), then brings
    // the bars and every ticked state up to date.
    bool runCommand(int id);
    void updateCommandUI();
    void rebuildTrackList();
    void rebuildRecentFiles();
    // Shows or hides each switchable bar to match its wanted visibility.
    void syncBarVisibility();
    void refreshLockIndicators();

    bool onCommand(int id) override;
    bool onUpdateCommand(int id, CommandState& state) override;

    QMenu* createPopupMenu() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolbars();
    void createStatusBar();
    void createShortcuts();
    void wrapToolbarsToScreen();
    CMyToolbar* makeBar(const char* name);
    void toggleBar(CMyToolbar* bar, bool& wanted, Qt::ToolBarArea edge);
    void updateActions(const QList<QAction*>& actions);

    CTabApp& app_;
    CTabDoc& doc_;
    CommandRouter router_;
    std::unique_ptr<PrintCommands> printCommands_;
    std::map<int, QAction*> actions_;
    QMenu* fileMenu_ = nullptr;
    QMenu* tracksMenu_ = nullptr;
    QAction* recentEnd_ = nullptr; // separator after the recent files
    QLabel* indicators_[3] = {nullptr, nullptr, nullptr};
    QTimer* lockTimer_ = nullptr;
    bool lockStatesFromKeys_[3] = {false, false, false};
    bool closing_ = false;
};
