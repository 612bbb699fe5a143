#pragma once
// The browser mini window: a small always-on-top companion of the browser window that shows a
// search's results. Every 300 ms it follows the address that browser window shows and offers
// "Add this item" when the document would take that address as a new item.

#include <QDialog>
#include <QTimer>

#include <functional>
#include <string>

class CLotwardDoc;
class ISettingsStore;
class QPushButton;

// The state of the browser's top-level window, as the platform sees it.
struct CBrowserWindowProbe
{
    std::function<bool()> exists;
    std::function<bool()> inForeground; // the browser window is the active window
    std::function<bool()> minimized;
};

class CBrowserMiniWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 300;

    CBrowserMiniWindow(ISettingsStore& settings, std::function<CLotwardDoc*()> document, int browserWindowId,
                       CBrowserWindowProbe probe, std::function<void()> newSearch, QWidget* parent = nullptr);
    ~CBrowserMiniWindow() override;

    // One tick of the timer (public for tests).
    void OnTick();
    const std::string& CurrentUrl() const { return currentUrl; }
    QPushButton* AddButton() const { return addButton; }
    QPushButton* NewSearchButton() const { return newSearchButton; }
    void AddThisItem();

private:
    void RestorePosition();
    void SavePlacement();

    ISettingsStore& settings;
    std::function<CLotwardDoc*()> document;
    int windowId;
    CBrowserWindowProbe probe;
    std::function<void()> newSearch;
    std::string currentUrl;
    QPushButton* addButton = nullptr;
    QPushButton* newSearchButton = nullptr;
    QTimer timer;
};

CBrowserMiniWindow* CurrentBrowserMiniWindow();
void SetCurrentBrowserMiniWindow(CBrowserMiniWindow* window);
