#pragma once
// The program's single top-level window: menus, toolbar, status bar, the splitter holding the
// item list (and the description pane below it), the 500 ms frame timer, the persistence of
// its layout under "Main Window" and "BarSettings", and the questions a refresh asks the user
// (a failed item, a proxy password).

#include "core/refresh/RefreshService.h"

#include <QMainWindow>
#include <QTimer>

#include <atomic>
#include <functional>
#include <map>

class CLotwardApp;
class CLotwardDoc;
class CLotwardView;
class ISettingsStore;
class QAction;
class QLabel;
class QMenu;
class QLineEdit;
class QSplitter;
class QToolBar;

class CMainFrame : public QMainWindow, public IErrorQuestion, public IProxyCredentialsProvider
{
    Q_OBJECT
public:
    CMainFrame(CLotwardApp& app, CLotwardDoc& doc, ISettingsStore& settings);
    ~CMainFrame() override;

    CLotwardDoc& Document() { return doc; }
    CLotwardView* ItemView() const { return view; }
    // The lower splitter row, or nullptr while the description pane is hidden.
    QWidget* DescriptionPane() const;
    QAction* Action(int commandId) const;
    QToolBar* ToolBar() const { return toolbar; }
    QMenu* ContextMenu() const { return contextMenu; }
    QSplitter* Splitter() const { return splitter; }
    QLineEdit* FilterEdit() const { return filterEdit; }
    QLabel* PendingPane() const { return pendingPane; }

    // Runs command `id` through the routing: item list, document, frame, application.
    // Returns whether anyone handled it.
    bool OnCommand(int id);
    // Re-evaluates every command's enabled and checked state.
    void UpdateCommandUI();
    // Handlers that other windows of the program install for their commands (properties
    // sheet, display preferences, options, search, bookmarks, about box).
    void SetCommandHandler(int id, std::function<void()> handler);

    // The window that replaces the empty description placeholder when the pane is shown.
    void SetDescriptionPaneFactory(std::function<QWidget*(QWidget* parent)> factory);
    void SplitDescription(int listHeight); // 0: half the list's height
    void ToggleDescription();

    void SetToolbarStyle(bool text, bool big);
    // Keeps a new button style for the next start without laying out the toolbar now.
    void StoreToolbarFlags(bool text, bool big) { toolbarText = text; toolbarBig = big; }
    bool ToolbarText() const { return toolbarText; }
    bool ToolbarBig() const { return toolbarBig; }

    // Shows the window the way "ShowCmd" said (1 normal, 3 maximized), from start-up.
    void ShowFirstTime(int showCmd);
    void UpdateTitle();
    void RebuildRecentFilesMenu() { RebuildRecentFiles(); }

    // One tick of the frame timer (public for tests).
    void OnTimerTick();
    // Refreshes every unfinished item of the document: F5, the toolbar and the periodic refresh.
    void RefreshAll();
    // Runs every 5 seconds: the alarm check over the document's items, installed by the alarms.
    void CheckAlarms();
    void SetAlarmCheck(std::function<void(CLotwardDoc&)> check) { alarmCheck = std::move(check); }

    // The restored rectangle stored as Left, Top, Right, Bottom, pulled back onto `screen` so
    // that at least an icon's size of the window stays visible.
    static QRect ClampPlacement(const QRect& stored, const QRect& screen);
    void RestorePlacement();
    void SavePlacement();

    // IErrorQuestion and IProxyCredentialsProvider: called by the download engine's threads,
    // answered on the user-interface thread.
    int AskAbortRetryIgnore(const std::string& message) override;
    bool AskProxyCredentials(const std::string& proxy, std::string& user, std::string& password) override;

    // Whether the frame has been closed (questions asked afterwards are not shown).
    bool IsClosing() const { return closing.load(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct CommandDef;
    QWidget* CreateFilterRow(QWidget* below); // returns the central widget holding `below`
    void CreateActions();
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    void RebuildRecentFiles();
    bool RunFrameCommand(int id);
    void UpdateIndicators();
    void SaveBarState();
    void RestoreBarState();
    void MoveFocusToNextPane();
    void SendMail();

    CLotwardApp& app;
    CLotwardDoc& doc;
    ISettingsStore& settings;
    CLotwardView* view = nullptr;
    QSplitter* splitter = nullptr;
    QLineEdit* filterEdit = nullptr;
    QToolBar* toolbar = nullptr;
    QMenu* fileMenu = nullptr;
    QMenu* contextMenu = nullptr;
    QAction* recentSeparator = nullptr;
    QLabel* idlePane = nullptr;
    QLabel* pendingPane = nullptr;
    QLabel* capsPane = nullptr;
    QLabel* numPane = nullptr;
    std::map<int, QAction*> actions;
    std::map<int, std::function<void()>> handlers;
    std::function<QWidget*(QWidget*)> descriptionFactory;
    std::function<void(CLotwardDoc&)> alarmCheck;
    QTimer frameTimer;
    QMetaObject::Connection focusConnection;
    bool toolbarText = true;
    bool toolbarBig = true;
    int lastPendingShown = 0;
    int tickCount = 0;
    std::atomic<bool> closing{false};
    bool closeRequested = false; // a close waits for the refresh to stop
};
