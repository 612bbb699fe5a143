#pragma once
// The "Search Items" window: one site, the search words with the ten saved searches, the
// site's search and sort options, and Launch, which opens the site's search URL in the
// browser. Modeless, and at most one at a time (ShowSearchWindow).

#include "browser/SavedSearches.h"

#include <QDialog>

#include <functional>

class CLotwardDoc;
class ISettingsStore;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// What the search window needs from the application.
struct CSearchWindowHost
{
    ISettingsStore* settings = nullptr;
    std::function<CLotwardDoc*()> document;             // the active document, if any
    std::function<void(const QString&)> registerTempFile; // deleted at exit
};

class CSearchWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CSearchWindow(CSearchWindowHost host, QWidget* parent = nullptr);
    ~CSearchWindow() override;

    QComboBox* ServerList() const { return serverList; }
    QComboBox* FindCombo() const { return findCombo; }
    QCheckBox* DescriptionsBox() const { return descriptionsBox; }
    QCheckBox* TextOnlyBox() const { return textOnlyBox; }
    QComboBox* CategoryList() const { return categoryList; }
    QComboBox* SortList() const { return sortList; }
    QRadioButton* AscendingButton() const { return ascendingButton; }
    QRadioButton* DescendingButton() const { return descendingButton; }
    QCheckBox* MiniWindowBox() const { return miniWindowBox; }
    QPushButton* LaunchButton() const { return launchButton; }
    const CSavedSearchList& SavedSearches() const { return searches; }

    // Selects the server with this id in the Server list; false when it is not listed.
    bool SelectServer(int serverId);
    // Chooses entry `position` of the Find list, as picking it from the drop-down does.
    void ChooseSavedSearch(int position);
    // The Launch button. Returns the URL that was built (empty when none).
    std::string Launch();

protected:
    void done(int result) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyCapabilities();
    void ShowControls(const CSearchControls& controls);
    CSearchControls ReadControls() const;
    void UpdateLaunchButton();
    void RebuildFindList(int select);
    void SaveState();
    CAuctionServer* SelectedServer() const;
    bool LaunchWithMiniWindow(CAuctionServer& server, const std::string& url);

    CSearchWindowHost host;
    CSavedSearchList searches;
    CSearchCapabilities caps;
    int chosenEntry = -1;
    bool saved = false;
    QComboBox* serverList = nullptr;
    QLabel* findLabel = nullptr;
    QComboBox* findCombo = nullptr;
    QGroupBox* optionsGroup = nullptr;
    QCheckBox* descriptionsBox = nullptr;
    QCheckBox* textOnlyBox = nullptr;
    QLabel* categoryLabel = nullptr;
    QComboBox* categoryList = nullptr;
    QGroupBox* sortGroup = nullptr;
    QLabel* sortLabel = nullptr;
    QComboBox* sortList = nullptr;
    QRadioButton* ascendingButton = nullptr;
    QRadioButton* descendingButton = nullptr;
    QCheckBox* miniWindowBox = nullptr;
    QPushButton* launchButton = nullptr;
    QPushButton* closeButton = nullptr;
};

// Command "Search Items": closes the browser mini window, then gives the focus to the open
// search window or opens one.
CSearchWindow* ShowSearchWindow(const CSearchWindowHost& host, QWidget* parent = nullptr);
CSearchWindow* CurrentSearchWindow();

class CLotwardApp;
class CMainFrame;
// Wires "Search Items" and the FAQ command into the frame.
void InstallSearchWindow(CLotwardApp& app, CMainFrame& frame);
