#include "ui/SearchWindow.h"

#include "browser/BrowserRequest.h"
#include "core/StringTable.h"
#include "core/document/LotwardDoc.h"
#include "platform/Cp1252.h"
#include "platform/SettingsStore.h"
#include "ui/BrowserLaunch.h"
#include "ui/BrowserMiniWindow.h"
#include "ui/CommandIds.h"
#include "ui/LotwardApp.h"
#include "ui/MainFrame.h"
#include "ui/MessageBox.h"
#include "ui/SearchWindowStrings.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

namespace
{
constexpr const char* kSection = CSavedSearchList::kSection;
constexpr int kPollCount = 50;
constexpr int kPollIntervalMs = 100;

QPointer<CSearchWindow>& Current()
{
    static QPointer<CSearchWindow> window;
    return window;
}
} // namespace

CSearchWindow::CSearchWindow(CSearchWindowHost windowHost, QWidget* parent)
    : QDialog(parent), host(std::move(windowHost))
{
    setWindowTitle(ResText(kStrSearchCaption));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* top = new QGridLayout;
    auto* serverLabel = new QLabel(ResText(kStrSearchServer), this);
    serverList = new QComboBox(this);
    serverLabel->setBuddy(serverList);
    findLabel = new QLabel(ResText(kStrSearchFind), this);
    findCombo = new QComboBox(this);
    findCombo->setEditable(true);
    findCombo->setInsertPolicy(QComboBox::NoInsert);
    findCombo->setMinimumWidth(280);
    findLabel->setBuddy(findCombo);
    top->addWidget(serverLabel, 0, 0);
    top->addWidget(serverList, 0, 1);
    top->addWidget(findLabel, 1, 0);
    top->addWidget(findCombo, 1, 1);

    optionsGroup = new QGroupBox(ResText(kStrSearchOptionsGroup), this);
    auto* options = new QGridLayout(optionsGroup);
    descriptionsBox = new QCheckBox(ResText(kStrSearchDescriptions), optionsGroup);
    textOnlyBox = new QCheckBox(ResText(kStrSearchTextOnly), optionsGroup);
    categoryLabel = new QLabel(ResText(kStrSearchCategory), optionsGroup);
    categoryList = new QComboBox(optionsGroup);
    categoryList->setMaxVisibleItems(20);
    categoryLabel->setBuddy(categoryList);
    options->addWidget(descriptionsBox, 0, 0, 1, 2);
    options->addWidget(textOnlyBox, 1, 0, 1, 2);
    options->addWidget(categoryLabel, 2, 0);
    options->addWidget(categoryList, 2, 1);
    options->setColumnStretch(1, 1);

    sortGroup = new QGroupBox(ResText(kStrSearchSortGroup), this);
    auto* sort = new QGridLayout(sortGroup);
    sortLabel = new QLabel(ResText(kStrSearchSortBy), sortGroup);
    sortList = new QComboBox(sortGroup);
    sortLabel->setBuddy(sortList);
    ascendingButton = new QRadioButton(ResText(kStrSearchAscending), sortGroup);
    descendingButton = new QRadioButton(ResText(kStrSearchDescending), sortGroup);
    sort->addWidget(sortLabel, 0, 0);
    sort->addWidget(sortList, 0, 1, 1, 2);
    sort->addWidget(ascendingButton, 1, 1);
    sort->addWidget(descendingButton, 1, 2);
    sort->setColumnStretch(1, 1);

    miniWindowBox = new QCheckBox(ResText(kStrSearchMiniWindow), this);
    launchButton = new QPushButton(ResText(kStrSearchLaunch), this);
    closeButton = new QPushButton(ResText(kStrSearchClose), this);
    launchButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(miniWindowBox);
    buttons->addStretch(1);
    buttons->addWidget(launchButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(optionsGroup);
    layout->addWidget(sortGroup);
    layout->addLayout(buttons);

    ISettingsStore& settings = *host.settings;
    const std::vector<CAuctionServer*> servers = SelectableServers();
    for (CAuctionServer* server : servers)
        serverList->addItem(ToQt(server->GetDisplayLabel()), server->serverId);
    if (!SelectServer(settings.GetInt(kSection, "Server", 0)) && !servers.empty())
        serverList->setCurrentIndex(DefaultServerIndex(servers));
    miniWindowBox->setChecked(settings.GetInt(kSection, "Browser Window", 1) != 0);
    // Without a browser that answers the window-conversation requests the choice can do
    // nothing, so it is not offered (the stored choice is kept for when one does).
    miniWindowBox->setVisible(BrowserConversationsExist());
    searches.Load(settings, [](int id) { return FindServer(id) != nullptr; });
    RebuildFindList(-1);
    findCombo->setEditText(QString());
    ApplyCapabilities();

    connect(serverList, &QComboBox::currentIndexChanged, this, [this] { ApplyCapabilities(); });
    connect(findCombo, &QComboBox::activated, this, [this](int position) { ChooseSavedSearch(position); });
    connect(findCombo->lineEdit(), &QLineEdit::textEdited, this, [this] { chosenEntry = -1; });
    connect(findCombo, &QComboBox::editTextChanged, this, [this] { UpdateLaunchButton(); });
    connect(launchButton, &QPushButton::clicked, this, [this] { Launch(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

CSearchWindow::~CSearchWindow()
{
    SaveState();
}

bool CSearchWindow::SelectServer(int serverId)
{
    const int position = serverList->findData(serverId);
    if (position < 0)
        return false;
    serverList->setCurrentIndex(position);
    return true;
}

CAuctionServer* CSearchWindow::SelectedServer() const
{
    return serverList->currentIndex() < 0 ? nullptr : FindServer(serverList->currentData().toInt());
}

void CSearchWindow::ApplyCapabilities()
{
    CAuctionServer* server = SelectedServer();
    caps = server ? GetSearchCapabilities(*server) : CSearchCapabilities();

    findLabel->setEnabled(caps.TakesText());
    findCombo->setEnabled(caps.TakesText());
    if (!caps.TakesText()) {
        findCombo->setEditText(QString());
        chosenEntry = -1;
    }
    optionsGroup->setEnabled(caps.TakesText());
    descriptionsBox->setEnabled(caps.HasDescriptions());
    textOnlyBox->setEnabled(caps.HasTextOnly());
    categoryLabel->setEnabled(caps.HasCategories());
    categoryList->setEnabled(caps.HasCategories());
    categoryList->clear();
    for (const std::string& name : caps.categories)
        categoryList->addItem(ToQt(name));

    sortGroup->setEnabled(caps.HasSort());
    sortLabel->setEnabled(caps.HasSort());
    sortList->setEnabled(caps.HasSort());
    sortList->clear();
    for (const CSortChoice& choice : caps.sortChoices)
        sortList->addItem(ResText(choice.titleId), choice.bit);
    ascendingButton->setEnabled(caps.HasDirection());
    descendingButton->setEnabled(caps.HasDirection());

    ShowControls(DefaultControls(caps));
    UpdateLaunchButton();
}

void CSearchWindow::ShowControls(const CSearchControls& controls)
{
    // A control the server does not offer is shown cleared.
    descriptionsBox->setChecked(caps.HasDescriptions() && controls.searchDescriptions);
    textOnlyBox->setChecked(caps.HasTextOnly() && controls.textOnly);
    if (caps.HasCategories())
        categoryList->setCurrentIndex(controls.categoryIndex);
    if (caps.HasSort())
        sortList->setCurrentIndex(controls.sortIndex);
    ascendingButton->setAutoExclusive(caps.HasDirection());
    descendingButton->setAutoExclusive(caps.HasDirection());
    ascendingButton->setChecked(caps.HasDirection() && controls.ascending);
    descendingButton->setChecked(caps.HasDirection() && !controls.ascending);
    ascendingButton->setAutoExclusive(true);
    descendingButton->setAutoExclusive(true);
}

CSearchControls CSearchWindow::ReadControls() const
{
    CSearchControls controls;
    controls.searchDescriptions = descriptionsBox->isChecked();
    controls.textOnly = textOnlyBox->isChecked();
    controls.ascending = !descendingButton->isChecked();
    controls.categoryIndex = std::max(0, categoryList->currentIndex());
    controls.sortIndex = std::max(0, sortList->currentIndex());
    return controls;
}

void CSearchWindow::UpdateLaunchButton()
{
    const bool noServer = serverList->currentIndex() < 0;
    launchButton->setEnabled(!noServer && (chosenEntry >= 0 || !findCombo->isEnabled() ||
                                           !findCombo->currentText().isEmpty()));
}

void CSearchWindow::RebuildFindList(int select)
{
    findCombo->blockSignals(true);
    findCombo->clear();
    for (const CSavedSearch& search : searches.Entries())
        findCombo->addItem(ToQt(search.searchString));
    findCombo->setCurrentIndex(select);
    findCombo->blockSignals(false);
}

void CSearchWindow::ChooseSavedSearch(int position)
{
    if (position < 0 || position >= searches.Count())
        return;
    chosenEntry = position;
    findCombo->setCurrentIndex(position);
    launchButton->setEnabled(true);
    ShowControls(RestoreControls(searches.Entries()[static_cast<std::size_t>(position)], caps, ReadControls()));
}

std::string CSearchWindow::Launch()
{
    CAuctionServer* server = SelectedServer();
    if (!server)
        return {};
    // The sites take Windows-1252 text: a word that cannot be written so is refused by name
    // rather than searched for as "?".
    const QString words = findCombo->currentText();
    for (const char32_t c : words.toUcs4()) {
        if (CodePointToCp1252(c) == '?' && c != U'?') {
            const QString number = QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
            LwMessage::Show(this, ResFormat(kStrSearchCharacterRefused, {QString::fromUcs4(&c, 1), number}),
                            LwMessage::Ok, QMessageBox::Warning);
            return {};
        }
    }
    const CSavedSearch settings = SettingsFromControls(caps, ReadControls());
    CSavedSearch launched;
    if (!searches.PrepareLaunch(chosenEntry, FromQt(words), findCombo->isEnabled(), settings,
                                &launched))
        return {};
    if (!launched.searchString.empty()) {
        RebuildFindList(0);
        chosenEntry = 0;
    }
    const std::string url = server->BuildSearchUrl(ToSearchRequest(launched));
    if (url.empty())
        return url;
    // Without browser conversations nothing could follow the browser window, so the
    // mini-window choice opens the results as the plain launch does.
    if (!miniWindowBox->isChecked() || !BrowserConversationsExist()) {
        OpenInBrowser(QUrl(ToQt(url), QUrl::TolerantMode));
        return url;
    }
    LaunchWithMiniWindow(*server, url);
    return url;
}

bool CSearchWindow::LaunchWithMiniWindow(CAuctionServer& server, const std::string& url)
{
    const QString folder = QDir::tempPath();
    const std::string pagePath = ChooseTempPageName(
        FromQt(folder), [](const std::string& path) { return QFileInfo::exists(ToQt(path)); });
    std::vector<std::string> titles;
    for (QWidget* widget : QApplication::topLevelWidgets())
        titles.push_back(FromQt(widget->windowTitle()));
    const std::string title = ChooseSearchWindowTitle(titles);

    int windowId = 0;
    QFile page(ToQt(pagePath));
    if (page.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        page.write(SearchPageText(title, server.GetDisplayName(), url).c_str());
        page.close();
        if (host.registerTempFile)
            host.registerTempFile(page.fileName());
        OpenInBrowser(QUrl::fromLocalFile(page.fileName()));
        for (int poll = 0; poll < kPollCount && windowId == 0; ++poll) {
            std::string list;
            if (BrowserRequest("WWW_ListWindows", "WWW_ListWindows", &list)) {
                for (std::int32_t id : ParseWindowList(list)) {
                    std::string info;
                    if (BrowserRequest("WWW_GetWindowInfo", std::to_string(id), &info) &&
                        WindowInfoMatches(info, pagePath, title)) {
                        windowId = id;
                        break;
                    }
                }
            }
            if (windowId == 0)
                QThread::msleep(kPollIntervalMs);
        }
    }
    if (windowId != 0) {
        BrowserRequest("WWW_OpenURL", "\"" + url + "\",," + std::to_string(windowId));
        BrowserRequest("WWW_Activate", std::to_string(windowId) + ",0x0");
        const int id = windowId;
        CBrowserWindowProbe probe;
        probe.exists = [id] { return BrowserRequest("WWW_GetWindowInfo", std::to_string(id)); };
        CSearchWindowHost newHost = host;
        auto* mini = new CBrowserMiniWindow(*host.settings, host.document, windowId, probe,
                                            [newHost] { ShowSearchWindow(newHost); });
        SetCurrentBrowserMiniWindow(mini);
        mini->show();
    } else {
        BrowserRequest("WWW_OpenURL", "\"" + url + "\"");
    }
    close();
    return windowId != 0;
}

void CSearchWindow::SaveState()
{
    if (saved || !host.settings)
        return;
    saved = true;
    ISettingsStore& settings = *host.settings;
    if (serverList->currentIndex() >= 0)
        settings.WriteInt(kSection, "Server", serverList->currentData().toInt());
    settings.WriteInt(kSection, "Browser Window", miniWindowBox->isChecked() ? 1 : 0);
    searches.Save(settings);
}

void CSearchWindow::done(int result)
{
    SaveState();
    QDialog::done(result);
}

void CSearchWindow::closeEvent(QCloseEvent* event)
{
    SaveState();
    QDialog::closeEvent(event);
}

CSearchWindow* CurrentSearchWindow()
{
    return Current().data();
}

CSearchWindow* ShowSearchWindow(const CSearchWindowHost& host, QWidget* parent)
{
    if (CBrowserMiniWindow* mini = CurrentBrowserMiniWindow())
        mini->close();
    CSearchWindow* window = Current().data();
    if (!window) {
        window = new CSearchWindow(host, parent);
        Current() = window;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void InstallSearchWindow(CLotwardApp& app, CMainFrame& frame)
{
    CSearchWindowHost host;
    host.settings = &app.Settings();
    host.document = [&app] { return &app.Document(); };
    host.registerTempFile = [&app](const QString& path) { app.RegisterFileToDelete(path); };
    frame.SetCommandHandler(kCmdSearchItems, [host, &frame] { ShowSearchWindow(host, &frame); });
    frame.SetCommandHandler(kCmdHelpFaq, [] { OpenInBrowser(ResText(kStrFaqUrl)); });
}
