#include "ui/BrowserMiniWindow.h"

#include "browser/BrowserRequest.h"
#include "core/document/LotwardDoc.h"
#include "platform/SettingsStore.h"
#include "ui/MainFrame.h"
#include "ui/SearchWindowStrings.h"
#include "ui/UiText.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace
{
constexpr const char* kSection = "Browser Window";

QPointer<CBrowserMiniWindow>& Current()
{
    static QPointer<CBrowserMiniWindow> window;
    return window;
}
} // namespace

CBrowserMiniWindow* CurrentBrowserMiniWindow()
{
    return Current().data();
}

void SetCurrentBrowserMiniWindow(CBrowserMiniWindow* window)
{
    Current() = window;
}

CBrowserMiniWindow::CBrowserMiniWindow(ISettingsStore& store, std::function<CLotwardDoc*()> activeDocument,
                                       int browserWindowId, CBrowserWindowProbe windowProbe,
                                       std::function<void()> onNewSearch, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), settings(store), document(std::move(activeDocument)),
      windowId(browserWindowId), probe(std::move(windowProbe)), newSearch(std::move(onNewSearch))
{
    setWindowTitle(AppTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QHBoxLayout(this);
    addButton = new QPushButton(ResText(kStrMiniAddItem), this);
    newSearchButton = new QPushButton(ResText(kStrMiniNewSearch), this);
    addButton->setEnabled(false);
    layout->addWidget(addButton);
    layout->addWidget(newSearchButton);
    connect(addButton, &QPushButton::clicked, this, &CBrowserMiniWindow::AddThisItem);
    connect(newSearchButton, &QPushButton::clicked, this, [this] {
        if (newSearch)
            newSearch();
        close();
    });
    adjustSize();
    RestorePosition();
    connect(&timer, &QTimer::timeout, this, &CBrowserMiniWindow::OnTick);
    timer.start(kTickMs);
}

CBrowserMiniWindow::~CBrowserMiniWindow()
{
    SavePlacement();
}

void CBrowserMiniWindow::OnTick()
{
    if (probe.exists && !probe.exists()) {
        timer.stop();
        close();
        return;
    }
    const bool foreground = (probe.inForeground && probe.inForeground()) || isActiveWindow();
    const bool minimized = probe.minimized && probe.minimized();
    setVisible(foreground && !minimized);

    std::string reply;
    if (BrowserRequest("WWW_GetWindowInfo", std::to_string(windowId), &reply))
        currentUrl = UrlFromWindowInfo(reply);
    CLotwardDoc* doc = document ? document() : nullptr;
    bool inDocument = false;
    addButton->setEnabled(doc && !currentUrl.empty() && doc->AddFromText(currentUrl, false, &inDocument) > 0 &&
                          !inDocument);
}

void CBrowserMiniWindow::AddThisItem()
{
    addButton->setEnabled(false);
    if (CLotwardDoc* doc = document ? document() : nullptr)
        doc->AddFromText(currentUrl, true);
}

void CBrowserMiniWindow::RestorePosition()
{
    const int left = settings.GetInt(kSection, "Left", -1);
    const int top = settings.GetInt(kSection, "Top", -1);
    if (left == -1 || top == -1)
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    move(CMainFrame::ClampPlacement(QRect(QPoint(left, top), size()), available).topLeft());
}

void CBrowserMiniWindow::SavePlacement()
{
    // Left and Top are where move() puts the window back: the outer corner, frame included.
    const QRect normal = frameGeometry();
    settings.WriteInt(kSection, "Flags", 0);
    settings.WriteInt(kSection, "ShowCmd", 1);
    settings.WriteInt(kSection, "Left", normal.left());
    settings.WriteInt(kSection, "Top", normal.top());
    settings.WriteInt(kSection, "Right", normal.left() + normal.width());
    settings.WriteInt(kSection, "Bottom", normal.top() + normal.height());
}
