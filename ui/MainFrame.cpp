#include "ui/MainFrame.h"

#include "core/document/LotwardDoc.h"
#include "core/options/AppOptions.h"
#include "platform/PrivateTempDir.h"
#include "platform/SettingsStore.h"
#include "ui/AddItemDialog.h"
#include "ui/Artwork.h"
#include "ui/BrowserLaunch.h"
#include "ui/CommandIds.h"
#include "ui/KeyboardState.h"
#include "ui/LotwardApp.h"
#include "ui/LotwardView.h"
#include "ui/MessageBox.h"
#include "ui/ProxyDialog.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <ctime>

namespace {

const char* const kMainWindow = "Main Window";
const char* const kBarSettings = "BarSettings";

// A standard icon's size: the part of the window that must stay on screen.
constexpr int kIconSize = 32;

// Windows show states, as stored in "ShowCmd".
constexpr int kShowNormal = 1;
constexpr int kShowMaximized = 3;

struct CommandSpec
{
    int id;
    int labelId; // 0: no menu entry of its own
    QList<QKeySequence> keys;
    int image;   // ToolImage, or -1
};

const std::vector<CommandSpec>& CommandTable()
{
    static const std::vector<CommandSpec> table = {
        {kCmdFileNew, kStrLabelNew, {QKeySequence(Qt::CTRL | Qt::Key_N)}, int(ToolImage::New)},
        {kCmdFileOpen, kStrLabelOpen, {QKeySequence(Qt::CTRL | Qt::Key_O)}, int(ToolImage::Open)},
        {kCmdFileSave, kStrLabelSave, {QKeySequence(Qt::CTRL | Qt::Key_S)}, int(ToolImage::Save)},
        {kCmdFileSaveAs, kStrLabelSaveAs, {}, -1},
        {kCmdFileSendMail, kStrLabelSend, {}, -1},
        {kCmdFileExport, kStrLabelExport, {}, -1},
        {kCmdAppExit, kStrLabelExit, {QKeySequence(Qt::CTRL | Qt::Key_Q)}, -1},
        {kCmdEditCut, kStrLabelCut, {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
         int(ToolImage::Cut)},
        {kCmdEditCopy, kStrLabelCopy, {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)},
         int(ToolImage::Copy)},
        {kCmdEditPaste, kStrLabelPaste, {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
         int(ToolImage::Paste)},
        {kCmdEditClear, kStrLabelDelete, {QKeySequence(Qt::Key_Delete)}, int(ToolImage::Erase)},
        {kCmdEditSelectAll, kStrLabelSelectAll, {QKeySequence(Qt::CTRL | Qt::Key_A)}, -1},
        {kCmdViewToolbar, kStrLabelToolbar, {}, -1},
        {kCmdViewStatusBar, kStrLabelStatusBar, {}, -1},
        {kCmdViewDescription, kStrLabelDescription, {}, -1},
        {kCmdViewDisplayPrefs, kStrLabelDisplayPrefs, {}, -1},
        {kCmdViewOptions, kStrLabelOptions, {}, -1},
        {kCmdRefresh, kStrLabelRefresh, {QKeySequence(Qt::Key_F5)}, int(ToolImage::Refresh)},
        {kCmdStop, 0, {QKeySequence(Qt::Key_Escape)}, int(ToolImage::Stop)},
        {kCmdItemAdd, kStrLabelAdd, {}, -1},
        {kCmdItemImport, kStrLabelImport, {}, -1},
        {kCmdSearchItems, kStrLabelSearch, {}, int(ToolImage::Search)},
        {kCmdHelpFaq, kStrLabelFaq, {}, -1},
        {kCmdAppAbout, kStrLabelAbout, {}, -1},
        {kCmdOpenInBrowser, kStrLabelOpenInBrowser, {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, -1},
        {kCmdProperties, kStrLabelProperties,
         {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)}, int(ToolImage::Properties)},
        {kCmdMarkRead, kStrLabelMarkRead, {}, -1},
        {kCmdMarkUnread, kStrLabelMarkUnread, {}, -1},
        {kCmdRefreshItem, kStrLabelRefreshItem, {}, -1},
        {kCmdNextPane, 0, {QKeySequence(Qt::Key_Tab)}, -1},
        {kCmdPrevPane, 0, {QKeySequence(Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::Key_Backtab)}, -1},
    };
    return table;
}

// Toolbar entries left to right; 0 is a separator.
const int kToolbarEntries[] = {kCmdFileNew,   kCmdFileOpen, kCmdFileSave,   0,           kCmdEditClear,
                               kCmdEditCut,   kCmdEditCopy, kCmdEditPaste,  kCmdProperties, 0,
                               kCmdStop,      kCmdRefresh,  0,              kCmdSearchItems};

} // namespace

CMainFrame::CMainFrame(CLotwardApp& application, CLotwardDoc& document, ISettingsStore& store)
    : app(application), doc(document), settings(store)
{
    setWindowIcon(FrameIcon());
    setAcceptDrops(true);
    setAttribute(Qt::WA_DeleteOnClose, false);

    frameTimer.setInterval(500);
    connect(&frameTimer, &QTimer::timeout, this, &CMainFrame::OnTimerTick);
    frameTimer.start();

    CreateActions();
    CreateStatusBar();

    splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(4);
    view = new CLotwardView(doc, settings, *this, splitter);
    splitter->addWidget(view);
    setCentralWidget(CreateFilterRow(splitter));

    CreateMenus();
    CreateToolbar();
    toolbarText = settings.GetInt(kMainWindow, "ToolBarText", 1) != 0;
    toolbarBig = settings.GetInt(kMainWindow, "ToolBarBig", 1) != 0;
    SetToolbarStyle(toolbarText, toolbarBig);
    RestoreBarState();

    RestorePlacement();
    if (settings.GetInt(kMainWindow, "Split", 1) != 0)
        SplitDescription(settings.GetInt(kMainWindow, "SplitPos", 0));

    focusConnection = connect(qApp, &QApplication::focusChanged, this, [this] { UpdateCommandUI(); });
    UpdateTitle();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame()
{
    // The list goes first, while the frame it reports to is still whole.
    disconnect(focusConnection);
    frameTimer.stop();
    CLotwardView* list = view;
    view = nullptr;
    delete list;
}

QWidget* CMainFrame::CreateFilterRow(QWidget* below)
{
    // The filter box above the list narrows the rows to those holding the words typed.
    auto* central = new QWidget(this);
    filterEdit = new QLineEdit(central);
    filterEdit->setClearButtonEnabled(true);
    filterEdit->setPlaceholderText(ResText(kStrFilterHint));
    auto* label = new QLabel(ResText(kStrFilterLabel), central);
    label->setBuddy(filterEdit);
    connect(filterEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (view)
            view->SetFilterText(text);
    });
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, [this] {
        filterEdit->setFocus(Qt::ShortcutFocusReason);
        filterEdit->selectAll();
    });
    addAction(find);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(6, 4, 6, 2);
    row->addWidget(label);
    row->addWidget(filterEdit, 1);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(row);
    layout->addWidget(below, 1);
    return central;
}

void CMainFrame::CreateActions()
{
    for (const CommandSpec& spec : CommandTable()) {
        auto* action = new QAction(this);
        if (spec.labelId)
            action->setText(ResText(spec.labelId));
        action->setStatusTip(ResPrompt(spec.id));
        const QString label = ResLabel(spec.id);
        if (!label.isEmpty()) {
            action->setToolTip(label);
            action->setIconText(label);
        }
        if (spec.image >= 0)
            action->setIcon(ToolbarIcon(static_cast<ToolImage>(spec.image), true));
        action->setShortcuts(spec.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setData(spec.id);
        addAction(action); // accelerators work even for commands that are on no menu
        const int id = spec.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        actions[id] = action;
    }
    for (int id : {kCmdViewToolbar, kCmdViewStatusBar, kCmdViewDescription})
        actions[id]->setCheckable(true);
}

QAction* CMainFrame::Action(int commandId) const
{
    auto it = actions.find(commandId);
    return it == actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateMenus()
{
    auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(actions[id]);
        }
    };
    fileMenu = menuBar()->addMenu(ResText(kStrMenuFile));
    add(fileMenu, {kCmdFileNew, kCmdFileOpen, kCmdFileSave, kCmdFileSaveAs, 0, kCmdFileSendMail, 0, kCmdFileExport});
    recentSeparator = fileMenu->addSeparator();
    fileMenu->addSeparator();
    fileMenu->addAction(actions[kCmdAppExit]);
    RebuildRecentFiles();

    add(menuBar()->addMenu(ResText(kStrMenuEdit)),
        {kCmdEditCut, kCmdEditCopy, kCmdEditPaste, kCmdEditClear, kCmdEditSelectAll});
    add(menuBar()->addMenu(ResText(kStrMenuView)),
        {kCmdViewToolbar, kCmdViewStatusBar, kCmdViewDescription, 0, kCmdViewDisplayPrefs, kCmdViewOptions, 0,
         kCmdRefresh});
    add(menuBar()->addMenu(ResText(kStrMenuItem)), {kCmdItemAdd, kCmdItemImport, 0, kCmdSearchItems});
    add(menuBar()->addMenu(ResText(kStrMenuHelp)), {kCmdHelpFaq, 0, kCmdAppAbout});

    contextMenu = new QMenu(ResText(kStrMenuContext), this);
    add(contextMenu, {kCmdOpenInBrowser, 0, kCmdEditCut, kCmdEditCopy, kCmdEditClear, 0, kCmdMarkRead,
                      kCmdMarkUnread, 0, kCmdRefreshItem, 0, kCmdProperties});
    contextMenu->setDefaultAction(actions[kCmdOpenInBrowser]);
    // The menu draws its default entry in bold; measured in bold too, the entry is not cut.
    // (Open in Browser is on no other menu.)
    QFont bold = actions[kCmdOpenInBrowser]->font();
    bold.setBold(true);
    actions[kCmdOpenInBrowser]->setFont(bold);

    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::RebuildRecentFiles()
{
    // The entries sit between the separator after Export and the one before Exit.
    const QList<QAction*> all = fileMenu->actions();
    qsizetype index = all.indexOf(recentSeparator);
    for (qsizetype i = index + 1; i < all.size() && !all[i]->isSeparator(); ++i) {
        fileMenu->removeAction(all[i]);
        if (all[i]->parent() == fileMenu)
            all[i]->deleteLater();
    }
    const QList<QAction*> after = fileMenu->actions();
    QAction* before = after.value(after.indexOf(recentSeparator) + 1);
    const QStringList files = app.RecentFiles();
    if (files.isEmpty()) {
        auto* placeholder = new QAction(ResText(kStrLabelRecentFile), fileMenu);
        placeholder->setEnabled(false);
        fileMenu->insertAction(before, placeholder);
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        auto* entry = new QAction(ResFormat(kStrLabelRecentEntry, {QString::number(i + 1), QDir::toNativeSeparators(path)}),
                                  fileMenu);
        entry->setStatusTip(ResPrompt(kCmdFileMru1 + i));
        connect(entry, &QAction::triggered, this, [this, path] {
            if (app.SaveModified())
                app.OpenDocumentFile(path);
        });
        fileMenu->insertAction(before, entry);
    }
}

void CMainFrame::CreateToolbar()
{
    toolbar = new QToolBar(ResText(kStrToolbar), this);
    toolbar->setObjectName(QStringLiteral("Toolbar"));
    toolbar->setAllowedAreas(Qt::AllToolBarAreas);
    toolbar->setMovable(true);
    toolbar->setFloatable(true);
    for (int id : kToolbarEntries) {
        if (id == 0)
            toolbar->addSeparator();
        else
            toolbar->addAction(actions[id]);
    }
    addToolBar(Qt::TopToolBarArea, toolbar);
    connect(toolbar, &QToolBar::visibilityChanged, this, [this] { UpdateCommandUI(); });
}

void CMainFrame::SetToolbarStyle(bool text, bool big)
{
    toolbarText = text;
    toolbarBig = big;
    // Button and image sizes of the four layouts: big with labels, big, small with labels, small.
    const QSize imageSize = big ? QSize(22, 20) : QSize(16, 15);
    const QSize buttonSize = big ? (text ? QSize(70, 45) : QSize(29, 26)) : (text ? QSize(70, 40) : QSize(23, 21));
    toolbar->setIconSize(imageSize);
    toolbar->setToolButtonStyle(text ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    for (const CommandSpec& spec : CommandTable()) {
        if (spec.image < 0)
            continue;
        QAction* action = actions[spec.id];
        action->setIcon(ToolbarIcon(static_cast<ToolImage>(spec.image), big));
        if (QWidget* button = toolbar->widgetForAction(action))
            button->setFixedSize(buttonSize);
    }
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    idlePane = new QLabel(ResText(kStrIdle), bar);
    bar->addWidget(idlePane, 1);
    pendingPane = new QLabel(ResText(kStrPendingWidest), bar);
    pendingPane->setMinimumWidth(pendingPane->fontMetrics().horizontalAdvance(ResText(kStrPendingWidest)) + 12);
    pendingPane->setFrameShape(QFrame::Panel);
    pendingPane->setFrameShadow(QFrame::Sunken);
    bar->addPermanentWidget(pendingPane);
    for (QLabel** pane : {&capsPane, &numPane}) {
        *pane = new QLabel(bar);
        (*pane)->setFrameShape(QFrame::Panel);
        (*pane)->setFrameShadow(QFrame::Sunken);
        (*pane)->setAlignment(Qt::AlignCenter);
        bar->addPermanentWidget(*pane);
    }
    capsPane->setMinimumWidth(capsPane->fontMetrics().horizontalAdvance(ResText(kStrCapsIndicator)) + 12);
    numPane->setMinimumWidth(numPane->fontMetrics().horizontalAdvance(ResText(kStrNumIndicator)) + 12);
    UpdateIndicators();
}

void CMainFrame::UpdateIndicators()
{
    const KeyboardLocks locks = ReadKeyboardLocks();
    capsPane->setText(locks.known && locks.capsLock ? ResText(kStrCapsIndicator) : QString());
    numPane->setText(locks.known && locks.numLock ? ResText(kStrNumIndicator) : QString());
}

QWidget* CMainFrame::DescriptionPane() const
{
    return splitter->count() > 1 ? splitter->widget(1) : nullptr;
}

void CMainFrame::SetDescriptionPaneFactory(std::function<QWidget*(QWidget*)> factory)
{
    descriptionFactory = std::move(factory);
}

void CMainFrame::SplitDescription(int listHeight)
{
    if (DescriptionPane())
        return;
    const int total = splitter->height();
    const int rowHeight = listHeight > 0 ? listHeight : view->height() / 2;
    QWidget* pane = descriptionFactory ? descriptionFactory(splitter) : nullptr;
    if (!pane) {
        // Stands where the item description will be drawn.
        pane = new QWidget(splitter);
        pane->setObjectName(QStringLiteral("DescriptionPane"));
        pane->setAutoFillBackground(true);
        QPalette palette = pane->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Base));
        pane->setPalette(palette);
    }
    splitter->addWidget(pane);
    splitter->setSizes({rowHeight, std::max(1, total - rowHeight - splitter->handleWidth())});
    UpdateCommandUI();
}

void CMainFrame::ToggleDescription()
{
    if (QWidget* pane = DescriptionPane()) {
        if (pane->hasFocus() || pane->isAncestorOf(QApplication::focusWidget()))
            view->setFocus();
        delete pane;
    } else {
        SplitDescription(0);
    }
    UpdateCommandUI();
}

void CMainFrame::MoveFocusToNextPane()
{
    QWidget* pane = DescriptionPane();
    if (!pane) {
        view->setFocus();
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == pane || pane->isAncestorOf(focus)))
        view->setFocus();
    else
        pane->setFocus();
}

void CMainFrame::SetCommandHandler(int id, std::function<void()> handler)
{
    handlers[id] = std::move(handler);
    UpdateCommandUI();
}

bool CMainFrame::OnCommand(int id)
{
    UpdateCommandUI();
    QAction* action = Action(id);
    if (action && !action->isEnabled())
        return false;
    // The item list first (it handles its commands whichever pane has the focus), then the
    // document, the frame and the application.
    if (view && view->OnCommand(id))
        return true;
    if (auto it = handlers.find(id); it != handlers.end() && it->second) {
        it->second();
        return true;
    }
    return RunFrameCommand(id);
}

bool CMainFrame::RunFrameCommand(int id)
{
    switch (id) {
    case kCmdItemAdd: {
        CAddItemDialog dialog(settings, this);
        if (dialog.exec() == QDialog::Accepted && dialog.ChosenServer())
            doc.AddItem(dialog.ItemNumber(), dialog.ChosenServer());
        break;
    }
    case kCmdRefresh:
        RefreshAll();
        break;
    case kCmdStop:
        doc.StopRefresh();
        break;
    case kCmdFileNew:
        if (app.SaveModified())
            app.NewDocument();
        break;
    case kCmdFileOpen:
        app.FileOpen();
        break;
    case kCmdFileSave:
        app.FileSave();
        break;
    case kCmdFileSaveAs:
        app.FileSaveAs();
        break;
    case kCmdFileSendMail:
        SendMail();
        break;
    case kCmdAppExit:
        close();
        break;
    case kCmdViewToolbar:
        toolbar->setVisible(!toolbar->isVisible());
        break;
    case kCmdViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        break;
    case kCmdViewDescription:
        ToggleDescription();
        break;
    case kCmdNextPane:
    case kCmdPrevPane:
        MoveFocusToNextPane();
        break;
    case kCmdHelpFaq:
        OpenInBrowser(ResText(kStrFaqUrl));
        break;
    default:
        return false;
    }
    UpdateCommandUI();
    return true;
}

void CMainFrame::UpdateCommandUI()
{
    if (!view)
        return;
    setWindowModified(doc.IsModified());
    const bool hasItems = doc.GetItemCount() > 0;
    const bool selection = view->HasSelection();
    const bool focused = view->FocusedItem() != nullptr;
    const bool tracking = view->TrackChanges();
    auto set = [this](int id, bool enabled) {
        if (QAction* action = Action(id))
            action->setEnabled(enabled);
    };
    set(kCmdFileExport, hasItems);
    set(kCmdEditCut, selection);
    set(kCmdEditCopy, selection);
    set(kCmdEditClear, selection);
    set(kCmdEditPaste, view->CanPaste());
    set(kCmdEditSelectAll, hasItems);
    set(kCmdOpenInBrowser, focused);
    set(kCmdProperties, focused);
    set(kCmdMarkRead, selection && tracking);
    set(kCmdMarkUnread, selection && tracking);
    set(kCmdRefreshItem, selection);
    actions[kCmdViewToolbar]->setChecked(toolbar && toolbar->isVisible());
    actions[kCmdViewStatusBar]->setChecked(statusBar()->isVisible());
    actions[kCmdViewDescription]->setChecked(DescriptionPane() != nullptr);
}

void CMainFrame::UpdateTitle()
{
    // "[*]" is where the desktop shows the unsaved-changes mark.
    setWindowTitle(app.DocumentTitle() + QStringLiteral("[*] - ") + AppTitle());
    setWindowModified(doc.IsModified());
}

void CMainFrame::OnTimerTick()
{
    const int pending = app.Refresh() ? app.Refresh()->PendingCount() : 0;
    if (pending != lastPendingShown) {
        lastPendingShown = pending;
        pendingPane->setText(pending ? ResFormat(kStrPending, {QString::number(pending)}) : ResText(kStrReady));
    }
    UpdateIndicators();
    UpdateCommandUI();

    const int tick = tickCount++;
    if (tick % 10 != 0)
        return;
    const std::time_t now = std::time(nullptr);
    if (GetBoolOption(2)) {
        if (now - doc.lastRefreshTime > static_cast<std::time_t>(GetIntOption(1)) * 60) {
            OnCommand(kCmdRefresh);
            doc.lastRefreshTime = now;
        }
    } else {
        doc.lastRefreshTime = now;
    }
    CheckAlarms();
}

void CMainFrame::RefreshAll()
{
    doc.RefreshAll();
}

void CMainFrame::CheckAlarms()
{
    if (alarmCheck)
        alarmCheck(doc);
}

QRect CMainFrame::ClampPlacement(const QRect& stored, const QRect& screen)
{
    // Left and Top are pulled back so that at least an icon's size of the window stays on the
    // screen; a window whose edges came from a larger screen keeps its size.
    const int width = stored.width();
    const int height = stored.height();
    int left = std::min(stored.left(), screen.left() + screen.width() - kIconSize);
    int top = std::min(stored.top(), screen.top() + screen.height() - kIconSize);
    left = std::max(left, screen.left() - width + kIconSize);
    top = std::max(top, screen.top());
    return QRect(left, top, width, height);
}

void CMainFrame::RestorePlacement()
{
    const int left = settings.GetInt(kMainWindow, "Left", -1);
    const int top = settings.GetInt(kMainWindow, "Top", -1);
    const int right = settings.GetInt(kMainWindow, "Right", -1);
    const int bottom = settings.GetInt(kMainWindow, "Bottom", -1);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (left == -1 || top == -1 || right == -1 || bottom == -1) {
        const QSize size(std::min(860, available.width()), std::min(600, available.height()));
        setGeometry(QRect(available.center() - QPoint(size.width() / 2, size.height() / 2), size));
        return;
    }
    const QRect stored(QPoint(left, top), QPoint(right - 1, bottom - 1));
    const QRect clamped = ClampPlacement(stored, available);
    // Right and Bottom keep their place: the window shrinks when its left or top edge moved.
    setGeometry(QRect(clamped.topLeft(), QSize(std::max(1, right - clamped.left()), std::max(1, bottom - clamped.top()))));
}

void CMainFrame::SavePlacement()
{
    const QRect normal = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
    const int showCmd = isMaximized() ? kShowMaximized : kShowNormal; // never start minimized
    settings.WriteInt(kMainWindow, "Flags", 0);
    settings.WriteInt(kMainWindow, "ShowCmd", showCmd);
    settings.WriteInt(kMainWindow, "Left", normal.left());
    settings.WriteInt(kMainWindow, "Top", normal.top());
    settings.WriteInt(kMainWindow, "Right", normal.left() + normal.width());
    settings.WriteInt(kMainWindow, "Bottom", normal.top() + normal.height());
}

void CMainFrame::ShowFirstTime(int showCmd)
{
    if (showCmd == kShowMaximized)
        showMaximized();
    else
        show();
}

void CMainFrame::SaveBarState()
{
    settings.WriteString(kBarSettings, "State", saveState().toHex().toStdString());
    settings.WriteInt(kBarSettings, "Toolbar", toolbar->isVisibleTo(this) ? 1 : 0);
    settings.WriteInt(kBarSettings, "StatusBar", statusBar()->isVisibleTo(this) ? 1 : 0);
}

void CMainFrame::RestoreBarState()
{
    const std::string state = settings.GetString(kBarSettings, "State");
    if (!state.empty())
        restoreState(QByteArray::fromHex(QByteArray::fromStdString(state)));
    toolbar->setVisible(settings.GetInt(kBarSettings, "Toolbar", 1) != 0);
    statusBar()->setVisible(settings.GetInt(kBarSettings, "StatusBar", 1) != 0);
    // A floating toolbar from a larger screen comes back onto this one.
    if (toolbar->isFloating()) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect clamped = ClampPlacement(toolbar->geometry(), screen->availableGeometry());
            toolbar->move(clamped.topLeft());
        }
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    SaveBarState();
    SavePlacement();
    settings.WriteInt(kMainWindow, "ToolBarText", toolbarText ? 1 : 0);
    settings.WriteInt(kMainWindow, "ToolBarBig", toolbarBig ? 1 : 0);
    const bool split = DescriptionPane() != nullptr;
    settings.WriteInt(kMainWindow, "Split", split ? 1 : 0);
    settings.WriteInt(kMainWindow, "SplitPos", split ? splitter->sizes().value(0) : 0);
    // Running downloads stop first, and the results already on their way are applied, so that
    // the save question covers everything the document holds.
    if (closeRequested) {
        event->ignore();
        return;
    }
    closeRequested = true;
    app.StopRefreshAndWait();
    closeRequested = false;
    if (!app.SaveModified()) {
        event->ignore();
        return;
    }
    closing = true;
    frameTimer.stop();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
    event->ignore();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // The first local file dropped becomes the document, as the single-document frame does.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            const QString path = url.toLocalFile();
            activateWindow();
            if (app.SaveModified())
                app.OpenDocumentFile(path);
            return;
        }
    }
}

bool CMainFrame::event(QEvent* e)
{
    if (e->type() == QEvent::StatusTip && static_cast<QStatusTipEvent*>(e)->tip().isEmpty())
        statusBar()->clearMessage();
    return QMainWindow::event(e);
}

void CMainFrame::SendMail()
{
    QString attachment = app.PathName();
    if (attachment.isEmpty() || doc.IsModified()) {
        // Mail the document as it is now, without saving over the user's file. The copy goes
        // into the private temporary folder under a name created for it alone, so no other user
        // can read it or plant a link where it is written.
        const std::string tempPath = CreateNamedTempFile((AppTitle() + ResText(kStrFileExtension)).toStdString());
        if (tempPath.empty()) {
            LwMessage::Show(this, ResText(kStrSaveFailed), LwMessage::Ok, QMessageBox::Critical);
            return;
        }
        const QString temp = QString::fromStdString(tempPath);
        app.RegisterFileToDelete(temp);
        std::string error;
        if (!doc.SaveCopy(tempPath, &error)) {
            LwMessage::Show(this, ToQt(error), LwMessage::Ok, QMessageBox::Critical);
            return;
        }
        attachment = temp;
    }
    if (!QProcess::startDetached(QStringLiteral("xdg-email"), {QStringLiteral("--attach"), attachment}))
        LwMessage::Show(this, ResText(kStrSendFailed), LwMessage::Ok, QMessageBox::Critical);
}

int CMainFrame::AskAbortRetryIgnore(const std::string& message)
{
    // A failure met while the window closes stops nothing more and asks nothing.
    int answer = kIgnore;
    auto ask = [this, &message, &answer] {
        if (closing || closeRequested)
            return;
        switch (LwMessage::Show(this, ToQt(message), LwMessage::AbortRetryIgnore, QMessageBox::Warning)) {
        case LwMessage::AnswerRetry:
            answer = kRetry;
            break;
        case LwMessage::AnswerIgnore:
            answer = kIgnore;
            break;
        default:
            answer = kAbort;
            break;
        }
    };
    if (QThread::currentThread() == thread()) {
        ask();
    } else if (!closing) {
        // Asked from the download scheduler thread; the box runs on the user-interface thread.
        QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection);
    }
    return answer;
}

bool CMainFrame::AskProxyCredentials(const std::string& proxy, std::string& user, std::string& password)
{
    bool accepted = false;
    auto ask = [this, &proxy, &user, &password, &accepted] {
        if (closing || closeRequested)
            return;
        CProxyDialog dialog(ToQt(proxy), this);
        if (dialog.exec() == QDialog::Accepted) {
            user = dialog.User().toStdString();
            password = dialog.Password().toStdString();
            accepted = true;
        }
    };
    if (QThread::currentThread() == thread()) {
        ask();
    } else if (!closing) {
        // Asked from a transfer thread; the dialog runs on the user-interface thread.
        QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection);
    }
    return accepted;
}
