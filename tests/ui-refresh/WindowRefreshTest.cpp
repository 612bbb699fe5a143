// The desktop program refreshing as a user drives it: started the way main() starts it (the
// settings file, the application's start-up steps, the watch list named on the command line),
// keys and menu commands on the real window, the real download engine against the simulator.

#include "tests/e2e/RefreshTestSupport.h"
#include "tests/ui/UiTestSupport.h"

#include "platform/IniSettingsStore.h"
#include "ui/AddItemDialog.h"
#include "ui/AlarmDialog.h"
#include "ui/AlarmMonitor.h"
#include "ui/CommandIds.h"
#include "ui/ItemListModel.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"
#include "ui/ProxyDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <deque>
#include <map>

namespace {

// Step 1 moves 3001's auction on: a new price and a new high bidder.
const char* const kScenario = R"(
[ebay-item 3001]
title = Tin robot
first-bid = $10.00
seller = tinlover
bid = 12 $45.00 robotfan
bid = 13 $47.50 m&m_toys

[ebay-item 3002]
title = Leica M3
first-bid = $400.00
seller = shutterbug
bid = 4 $610.00 f8andbethere
header-delay-ms = 1200

[ebay-item 3003]
title = Pocket watch
seller = tictoc
bid = 1 $5.00 someone

[ebay-item 3004]
page = not-found

[ebay-item 3005]
title = Slow lamp
seller = lampman
header-delay-ms = 30000

[ebay-item 3006]
title = Brass telescope
seller = stargazer
proxy-auth = buyer:s3cret

[ebay-item 3007]
title = Compass
seller = stargazer
proxy-auth = buyer:s3cret

[ebay-item 3008]
title = Sextant
seller = navigator
)";

class WindowRefresh : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lwsim::RouteTable table;
        std::string error;
        ASSERT_TRUE(lwsim::LoadScenarioText(kScenario, ".", "test", table, error)) << error;
        server = std::make_unique<lwsim::Server>(std::move(table));
        ASSERT_TRUE(server->Start(error)) << error;
        setenv("http_proxy", server->BaseUrl().c_str(), 1);
        unsetenv("no_proxy");
        unsetenv("NO_PROXY");
        ForgetProxyCredentials();
        listPath = folder.dir.filePath(QStringLiteral("watch.lwd"));
    }

    void TearDown() override
    {
        answerer.stop();
        if (app) {
            app->Document().SetModifiedFlag(false);
            app->ExitInstance();
        }
        app.reset();
        server->Stop();
    }

    // Writes a watch list of eBay items (never refreshed), sets the options, and starts the
    // program on it as a user's launch does.
    void Start(std::initializer_list<const char*> numbers, std::map<std::string, int> options = {})
    {
        {
            CLotwardDoc doc;
            doc.OnNewDocument();
            for (const char* number : numbers)
                doc.AddItem(number, FindServer(107));
            ASSERT_TRUE(doc.OnSaveDocument(listPath.toStdString()));
        }
        settings.WriteInt("Main Window", "Split", 0);
        settings.WriteInt("Options", "Alarm Behavior", 0);
        for (const auto& [name, value] : options)
            settings.WriteInt("Options", name, value);
        app = std::make_unique<CLotwardApp>(settings, folder.Path());
        ASSERT_TRUE(app->InitInstance({QStringLiteral("Lotward"), listPath}));
        Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    }

    // Answers the modal windows that show from now on, one answer each, in order.
    void Answer(std::function<void(QWidget*)> answer)
    {
        answers.push_back(std::move(answer));
        if (answerer.isActive())
            return;
        QObject::connect(&answerer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible() || answers.empty())
                return;
            const auto next = std::move(answers.front());
            answers.pop_front();
            next(modal);
        });
        answerer.start(10);
    }
    // Answers the next question box with the button labelled `label`; keeps its text in *text.
    void Press(const QString& label, QString* text = nullptr)
    {
        Answer([label, text](QWidget* modal) {
            if (text)
                *text = qobject_cast<QMessageBox*>(modal)->text();
            for (QAbstractButton* button : modal->findChildren<QAbstractButton*>())
                if (button->text() == label)
                    return button->click();
            ADD_FAILURE() << "no button " << label.toStdString();
        });
    }
    // A key pressed in the program's window, as the user would after any dialog closed.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &Frame();
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }

    CMainFrame& Frame() { return *app->Frame(); }
    CLotwardDoc& Doc() { return app->Document(); }
    CItem* Item(const char* number) { return Doc().FindItem(number, FindServer(107)); }
    QString PendingText() { return Frame().PendingPane()->text(); }

    // Handles events until `done` holds; false after `ms` milliseconds. Notes every pending
    // count the status bar showed meanwhile.
    bool WaitUntil(const std::function<bool()>& done, int ms = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (PendingText().startsWith(QStringLiteral("Nb of Items pending: ")) &&
                PendingText() != QStringLiteral("Nb of Items pending: 00000"))
                pendingShown << PendingText();
        }
        return true;
    }
    bool WaitForRefresh(int ms = 20000)
    {
        return WaitUntil([this] { return !app->Refresh()->IsBusy(); }, ms);
    }

    bool RowIsBold(CItem* item)
    {
        CItemListModel* model = Frame().ItemView()->ItemModel();
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->ItemAt(row) == item)
                return model->data(model->index(row, 0), Qt::FontRole).value<QFont>().bold();
        return false;
    }

    QAction* MenuAction(int command)
    {
        QAction* action = Frame().Action(command);
        EXPECT_NE(action, nullptr);
        return action;
    }

    std::int64_t RequestsFor(const std::string& number)
    {
        const auto stats = server->Stats();
        const auto it = stats.routes.find("http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=" + number);
        return it == stats.routes.end() ? 0 : it->second.requests;
    }

    void Step() { SimGet(server->Port(), "/__ebay/step"); }

    ProgramFolder folder;
    // A settings file of the test's own, so that no test sees the options another one left.
    CIniSettingsStore settings{folder.dir.filePath(QStringLiteral("Lotwarden.ini")).toStdString()};
    QString listPath;
    std::unique_ptr<lwsim::Server> server;
    std::unique_ptr<CLotwardApp> app;
    QStringList pendingShown;
    QTimer answerer;
    std::deque<std::function<void(QWidget*)>> answers;
};

TEST_F(WindowRefresh, F5FillsEveryRowAndABuyerChangeFoundLaterRaisesTheAlarm)
{
    Start({"3001", "3002", "3003"}, {{"Alarm Trigger", kAlarmBuyer}});
    EXPECT_EQ(Item("3001")->description, "");

    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitForRefresh());
    // Each page was asked for once (a count taken right after F5 would race the first result).
    for (const char* number : {"3001", "3002", "3003"})
        EXPECT_EQ(RequestsFor(number), 1) << number;
    ASSERT_TRUE(WaitUntil([this] { return PendingText() == QStringLiteral("Ready"); }));
    EXPECT_FALSE(pendingShown.isEmpty()) << "the status bar counted the pending items";
    for (const char* number : {"3001", "3002", "3003"}) {
        EXPECT_FALSE(Item(number)->description.empty()) << number;
        EXPECT_TRUE(RowIsBold(Item(number))) << number;
    }
    EXPECT_EQ(Item("3001")->currentBuyer, "robotfan");
    EXPECT_TRUE(Doc().IsModified());

    // The auction moves on; View > Refresh finds the new high bidder, and the frame's next
    // alarm check raises the buyer alarm.
    Step();
    MenuAction(kCmdRefresh)->trigger();
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(Item("3001")->currentBuyer, "m&m_toys");
    auto* monitor = Frame().findChild<CAlarmMonitor*>(QStringLiteral("AlarmMonitor"));
    ASSERT_NE(monitor, nullptr);
    ASSERT_TRUE(WaitUntil([monitor] { return monitor->OpenDialog() != nullptr; }, 8000));
    EXPECT_EQ(monitor->OpenDialog()->List()->topLevelItemCount(), 1);
    EXPECT_EQ(monitor->OpenDialog()->List()->topLevelItem(0)->text(0), QStringLiteral("3001"));

    // The frame timer goes on while the alarm dialog is open: a refresh started now is counted.
    pendingShown.clear();
    Doc().RefreshItem(Item("3002"));
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_FALSE(pendingShown.isEmpty());
    monitor->OpenDialog()->close();
}

TEST_F(WindowRefresh, OpeningAFileAddingPastingAndRefreshItemEachFillTheirRows)
{
    Start({"3001", "3003"}, {{"Refresh Startup", 1}});
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(Item("3001")->seller, "tinlover");
    EXPECT_EQ(Item("3003")->seller, "tictoc");

    Answer([](QWidget* dialog) {
        auto* add = qobject_cast<CAddItemDialog*>(dialog);
        ASSERT_NE(add, nullptr);
        add->NumberEdit()->setText(QStringLiteral("3002"));
        QTest::keyClick(add->NumberEdit(), Qt::Key_Return);
    });
    MenuAction(kCmdItemAdd)->trigger();
    ASSERT_NE(Item("3002"), nullptr);
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(Item("3002")->seller, "shutterbug");

    QGuiApplication::clipboard()->setText(QString::fromStdString(EbayUrl("3008")));
    QCoreApplication::processEvents(); // the list learns that the clipboard holds an address
    Frame().ItemView()->setFocus();
    Key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_NE(Item("3008"), nullptr);
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(Item("3008")->seller, "navigator");

    // Refresh Item fetches the selected item only.
    Step();
    const std::int64_t otherRequests = RequestsFor("3003");
    CItemListModel* model = Frame().ItemView()->ItemModel();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->ItemAt(row) == Item("3001"))
            Frame().ItemView()->setCurrentIndex(model->index(row, 0));
    MenuAction(kCmdRefreshItem)->trigger();
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(Item("3001")->currentPrice, "$47.50");
    EXPECT_EQ(RequestsFor("3003"), otherRequests);
}

TEST_F(WindowRefresh, PeriodicRefreshStopAndExitWhileDownloading)
{
    // A period of one minute, and the list opened more than a minute ago: the frame timer's next
    // check starts the refresh.
    Start({"3001", "3005"}, {{"Refresh Periodically", 1}, {"Refresh Period", 1}});
    Doc().lastRefreshTime -= 61;
    ASSERT_TRUE(WaitUntil([this] { return RequestsFor("3005") == 1 && !Item("3001")->seller.empty(); }));
    ASSERT_TRUE(WaitUntil([this] { return PendingText() == QStringLiteral("Nb of Items pending: 1"); }))
        << PendingText().toStdString();

    // Esc stops the slow page at once; the item keeps what it had.
    Key(Qt::Key_Escape);
    ASSERT_TRUE(WaitForRefresh(10000)) << "Stop cancels the running download";
    EXPECT_TRUE(Item("3005")->description.empty());
    ASSERT_TRUE(WaitUntil([this] { return PendingText() == QStringLiteral("Ready"); }));

    // Exit while the slow page downloads: the download stops, then the save question comes.
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitUntil([this] { return RequestsFor("3005") == 2; }));
    QString question;
    Press(QStringLiteral("&Yes"), &question);
    EXPECT_TRUE(Frame().close());
    EXPECT_TRUE(question.startsWith(QStringLiteral("Save changes to"))) << question.toStdString();
    EXPECT_FALSE(app->Refresh()->IsBusy());
    CLotwardDoc saved;
    ASSERT_TRUE(saved.OnOpenDocument(listPath.toStdString()));
    EXPECT_EQ(saved.FindItem("3001", FindServer(107))->seller, "tinlover");
}

TEST_F(WindowRefresh, AFailedItemAsksAbortRetryIgnoreAndEachAnswerDoesItsPart)
{
    Start({"3004", "3001", "3003"}, {{"Simult Download", 1}});
    QString asked;
    Press(QStringLiteral("&Retry"), &asked);
    Press(QStringLiteral("&Ignore")); // the same page, failing again
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(asked, QStringLiteral("Error retrieving Item #3004 on Ebay"));
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(RequestsFor("3004"), 2) << "Retry fetched the page again";
    EXPECT_TRUE(Item("3004")->description.empty());
    EXPECT_EQ(Item("3003")->seller, "tictoc") << "Ignore let the refresh go on";

    // Abort: one download at a time and the failing item first, so nothing else is fetched.
    Step();
    const std::int64_t before = RequestsFor("3001");
    Press(QStringLiteral("&Abort"));
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(RequestsFor("3001"), before);
    EXPECT_EQ(Item("3001")->currentPrice, "$45.00");
}

TEST_F(WindowRefresh, OneProxyPasswordQuestionServesEveryItemBehindTheProxy)
{
    Start({"3006", "3007"});
    int questions = 0;
    QTimer proxyAnswerer;
    QObject::connect(&proxyAnswerer, &QTimer::timeout, [&questions] {
        auto* dialog = qobject_cast<CProxyDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        ++questions;
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        edits.value(0)->setText(QStringLiteral("buyer"));
        edits.value(1)->setText(QStringLiteral("s3cret"));
        dialog->accept();
    });
    proxyAnswerer.start(10);
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(Item("3006")->seller, "stargazer");
    EXPECT_EQ(Item("3007")->seller, "stargazer");

    // The next refresh sends them at once.
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(questions, 1);
}

} // namespace
