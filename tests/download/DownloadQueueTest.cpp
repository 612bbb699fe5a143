// The download engine against the simulator's server on loopback: limits, retries,
// cancellation, failure classes, proxy credentials and temporary files.

#include "tests/download/DownloadTestSupport.h"

#include "download/DownloadTuning.h"
#include "download/ProxyCredentials.h"
#include "tools/auction-sim/SimServer.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <netinet/in.h>
#include <unistd.h>

namespace {

auto* const tempDirs = ::testing::AddGlobalTestEnvironment(new TempDirEnvironment);

const std::string kBinaryBody("<html>line one\r\nline two\nline three\r\0\x80\xff end</html>", 48);

// Lets a test hold transfers inside the server until it opens the gate.
struct Gate
{
    std::mutex lock;
    std::condition_variable opened;
    bool open = false;

    void Open()
    {
        std::lock_guard guard(lock);
        open = true;
        opened.notify_all();
    }
    void Pass()
    {
        std::unique_lock guard(lock);
        opened.wait_for(guard, std::chrono::seconds(30), [&] { return open; });
    }
};

lwsim::Route MakeRoute(std::string pattern, std::string body, int status = 200)
{
    lwsim::Route route;
    route.pattern = std::move(pattern);
    route.response.body = std::move(body);
    route.response.status = status;
    return route;
}

const CItem* FakeItem(int n)
{
    static int items[8];
    return reinterpret_cast<const CItem*>(&items[n]);
}

class DownloadQueueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lwsim::RouteTable table;
        table.Add(MakeRoute("/page", kBinaryBody));
        table.Add(MakeRoute("/first", "first page"));
        table.Add(MakeRoute("/second", "second page"));
        table.Add(MakeRoute("/notfound", "<html>no such item</html>", 404));
        table.Add(MakeRoute("/error500", "<html>server error</html>", 500));
        table.Add(MakeRoute("http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=123", "ebay item 123"));

        lwsim::Route gated = MakeRoute("/gated", "after the gate");
        gated.handler = [this](const lwsim::Request&, lwsim::Response&) {
            gate.Pass();
            return true;
        };
        table.Add(gated);
        lwsim::Route otherGated = gated;
        otherGated.pattern = "/gated-other";
        table.Add(otherGated);
        lwsim::Route gatedNotFound = gated;
        gatedNotFound.pattern = "/gated-notfound";
        gatedNotFound.response.status = 404;
        table.Add(gatedNotFound);

        lwsim::Route slow = MakeRoute("/slow", "late");
        slow.fault.headerDelayMs = 30000;
        table.Add(slow);

        lwsim::Route reset;
        reset.pattern = "/reset";
        reset.response.generatedSize = 100000;
        reset.fault.chunkSize = 1000;
        reset.fault.resetAfter = 5000;
        table.Add(reset);

        lwsim::Route truncated;
        truncated.pattern = "/truncated";
        truncated.response.generatedSize = 10000;
        truncated.fault.truncateAfter = 4000;
        table.Add(truncated);

        lwsim::Route big;
        big.pattern = "/big";
        big.response.generatedSize = kMaxBody + 1;
        table.Add(big);
        big.pattern = "/at-limit";
        big.response.generatedSize = kMaxBody;
        table.Add(big);
        // An error page without end: read to the end, it would hold the transfer for hours.
        big.pattern = "/endless-404";
        big.response.status = 404;
        big.response.generatedSize = std::int64_t{1} << 40;
        table.Add(big);

        lwsim::Route stalled = MakeRoute("/stalled", "never in time");
        stalled.fault.headerDelayMs = 5000;
        table.Add(stalled);

        lwsim::Route auth = MakeRoute("/auth", "behind the proxy");
        auth.fault.requireProxyAuth = true;
        auth.fault.proxyUser = "buyer";
        auth.fault.proxyPassword = "s3cret";
        table.Add(auth);
        lwsim::Route changed = auth;
        changed.pattern = "/auth-changed";
        changed.fault.proxyPassword = "changed";
        table.Add(changed);

        server = std::make_unique<lwsim::Server>(std::move(table));
        std::string error;
        ASSERT_TRUE(server->Start(error)) << error;

        DownloadTuning tuning;
        tuning.connectRetryDelayMs = 10;
        tuning.stallTimeoutSec = 1;
        tuning.maxBodyBytes = kMaxBody;
        SetDownloadTuning(tuning);
        unsetenv("http_proxy");
        unsetenv("no_proxy");
        unsetenv("NO_PROXY");
    }

    IProxyCredentialsProvider* credentialsProvider = nullptr; // given to every queued download

    void TearDown() override
    {
        gate.Open();
        StopAllDownloads();
        EXPECT_FALSE(IsQueueActive());
        EXPECT_EQ(probe.created, probe.destroyed) << "every queued download is deleted";
        ForgetProxyCredentials();
        unsetenv("http_proxy");
        server->Stop();
        SetDownloadTuning(DownloadTuning{});
    }

    std::string Url(const std::string& path) const { return server->BaseUrl() + path; }

    template <typename T = CProbeDownload> T* Queue(const std::string& url, const CItem* item = nullptr)
    {
        auto* download = new T(probe, item);
        download->proxyCredentials = credentialsProvider;
        EXPECT_TRUE(QueueDownload(download, url));
        return download;
    }

    lwsim::RouteStats RouteStats(const std::string& pattern) const
    {
        const auto stats = server->Stats();
        auto it = stats.routes.find(pattern);
        return it == stats.routes.end() ? lwsim::RouteStats{} : it->second;
    }

    bool WaitIdle()
    {
        return WaitUntil([] { return !IsQueueActive(); });
    }

    static constexpr std::int64_t kMaxBody = 256 * 1024;
    Probe probe;
    Gate gate;
    std::unique_ptr<lwsim::Server> server;
};

TEST_F(DownloadQueueTest, BodyIsStoredByteForByteAndDelivered)
{
    Queue(Url("/page"));
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 1; }));
    EXPECT_EQ(probe.downloaded, 1);
    EXPECT_EQ(probe.errors, 0);
    EXPECT_EQ(probe.completes, 1);
    ASSERT_EQ(probe.bodies.size(), 1u);
    EXPECT_EQ(probe.bodies[0], kBinaryBody) << "no line-end conversion, binary bytes kept";
}

// Each failure class ends in exactly one OnError with the status, and nothing is parsed.
TEST_F(DownloadQueueTest, FailuresGiveTheirStatusAndOneErrorQuestion)
{
    const int closedPort = [] {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t length = sizeof addr;
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
        close(fd);
        return ntohs(addr.sin_port);
    }();
    struct Case
    {
        const char* what;
        std::string url;
        int status;
    };
    const Case cases[] = {
        {"404 page", Url("/notfound"), 3},
        {"500 page", Url("/error500"), 3},
        {"unknown page", Url("/nothing-here"), 3},
        {"body larger than the limit", Url("/big"), 3},
        {"error page larger than the limit", Url("/endless-404"), 3},
        {"connection reset mid-body", Url("/reset"), 2},
        {"body shorter than announced", Url("/truncated"), 2},
        {"server stops answering", Url("/stalled"), 2},
        {"connection refused", "http://127.0.0.1:" + std::to_string(closedPort) + "/page", 2},
        {"not a URL", "not a url", 1},
        {"unsupported scheme", "ftp://127.0.0.1/page", 1},
        {"file scheme", "file:///etc/passwd", 1},
        {"no host", "http://", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Probe& p = probe;
        const int before = p.destroyed;
        Queue(c.url);
        ASSERT_TRUE(p.WaitFor([&] { return p.destroyed == before + 1; }));
        EXPECT_EQ(p.errorStatuses.back(), c.status);
    }
    EXPECT_EQ(probe.errors, static_cast<int>(std::size(cases)));
    EXPECT_EQ(probe.downloaded, 0) << "a failed transfer is never parsed";
    EXPECT_EQ(probe.completes, 0);
}

TEST_F(DownloadQueueTest, BodyOfExactlyTheLimitIsAccepted)
{
    probe.keepBodies = false;
    Queue(Url("/at-limit"));
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 1; }));
    EXPECT_EQ(probe.errors, 0);
    EXPECT_EQ(probe.completes, 1);
}

TEST_F(DownloadQueueTest, UnwritableTemporaryFileGivesStatusOne)
{
    auto* download = new CProbeDownload(probe);
    RemoveNumberedTempFile(download->localFile);
    download->localFile = "/nonexistent-lotwarden-dir/download_0";
    ASSERT_TRUE(QueueDownload(download, Url("/page")));
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 1; }));
    ASSERT_EQ(probe.errorStatuses.size(), 1u);
    EXPECT_EQ(probe.errorStatuses[0], 1);
}

TEST_F(DownloadQueueTest, ThreadThatCannotStartEndsWithStatusOne)
{
    FailTransferThreadStartsForTesting(1);
    probe.onError = [](CDownItem&, int call) { return call == 0 ? 1 : 2; };
    Queue(Url("/page"));
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 1; }));
    ASSERT_EQ(probe.errorStatuses.size(), 1u);
    EXPECT_EQ(probe.errorStatuses[0], 1);
    EXPECT_EQ(probe.completes, 1) << "the retry ran on a thread that could start";
}

TEST_F(DownloadQueueTest, NeverMoreThanTheLimitAtOnce)
{
    probe.limit = 3;
    for (int i = 0; i < 10; ++i)
        Queue(Url("/gated"));
    ASSERT_TRUE(WaitUntil([&] { return RouteStats("/gated").active == 3; }));
    EXPECT_EQ(CountDownloads(typeid(CProbeDownload)), 10);
    gate.Open();
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 10; }));
    EXPECT_EQ(probe.completes, 10);
    EXPECT_EQ(RouteStats("/gated").maxConcurrent, 3);
    EXPECT_EQ(RouteStats("/gated").requests, 10);
}

TEST_F(DownloadQueueTest, KindAtItsLimitDoesNotHoldBackAnotherKind)
{
    probe.limit = 2;
    probe.otherLimit = 1;
    for (int i = 0; i < 5; ++i)
        Queue(Url("/gated"));
    Queue<COtherDownload>(Url("/gated-other"));
    ASSERT_TRUE(WaitUntil([&] {
        return RouteStats("/gated").active == 2 && RouteStats("/gated-other").active == 1;
    }));
    EXPECT_EQ(CountDownloads(typeid(CProbeDownload)), 5);
    EXPECT_EQ(CountDownloads(typeid(COtherDownload)), 1);
    gate.Open();
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 6; }));
    EXPECT_EQ(RouteStats("/gated").maxConcurrent, 2);
}

TEST_F(DownloadQueueTest, RetryIsNotHeldBackByTheLimit)
{
    probe.limit = 1;
    probe.onError = [&](CDownItem&, int call) {
        if (call > 0)
            return 2;
        probe.limit = 0; // the kind is now over its limit; the retry must start all the same
        return 1;
    };
    Queue(Url("/notfound"));
    Queue(Url("/page"));
    ASSERT_TRUE(probe.WaitFor([&] { return probe.errors == 2 && probe.destroyed == 1; }));
    EXPECT_EQ(RouteStats("/notfound").requests, 2);
    EXPECT_EQ(RouteStats("/page").requests, 0) << "the waiting download stays behind the limit";
    EXPECT_EQ(CountDownloads(typeid(CProbeDownload)), 1);
    EXPECT_TRUE(CancelDownloads(&typeid(CProbeDownload)));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(probe.errors, 2);
    EXPECT_EQ(probe.completes, 0);
}

TEST_F(DownloadQueueTest, LimitOfZeroKeepsDownloadsWaitingUntilCancelled)
{
    probe.limit = 0;
    for (int i = 0; i < 3; ++i)
        Queue(Url("/page"));
    // Long enough for at least one idle pass of the scheduler.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_TRUE(IsQueueActive());
    EXPECT_EQ(CountDownloads(typeid(CProbeDownload)), 3);
    EXPECT_EQ(server->Stats().total.requests, 0);
    EXPECT_FALSE(CancelDownloads(&typeid(COtherDownload)));
    EXPECT_TRUE(CancelDownloads(&typeid(CProbeDownload)));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(probe.destroyed, 3);
    EXPECT_EQ(probe.errors + probe.downloaded + probe.completes, 0);
}

TEST_F(DownloadQueueTest, CancellingAStuckTransferEndsItWithoutAQuestion)
{
    DownloadTuning tuning = GetDownloadTuning();
    tuning.stallTimeoutSec = 60;
    SetDownloadTuning(tuning);
    Queue(Url("/slow"));
    ASSERT_TRUE(WaitUntil([&] { return RouteStats("/slow").active == 1; }));
    EXPECT_TRUE(CancelDownloads(nullptr));
    // The server holds its answer for 30 s and the stall time-out is 60 s: only the cancel
    // itself can end the transfer within the wait.
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 1; }, std::chrono::seconds(10)));
    EXPECT_EQ(probe.destroyedStatuses[0], 2);
    EXPECT_EQ(probe.errors, 0);
    EXPECT_EQ(probe.downloaded, 0);
    EXPECT_EQ(probe.completes, 0);
    ASSERT_TRUE(WaitUntil([&] { return RouteStats("/slow").active == 0; }))
        << "the connection was closed, not left hanging";
}

TEST_F(DownloadQueueTest, DownloadsOfAnItemAreFoundAndCancelled)
{
    probe.limit = 1;
    Queue(Url("/slow"), FakeItem(0));
    Queue(Url("/page"), FakeItem(1));
    Queue(Url("/page"), FakeItem(1));
    Queue(Url("/page"), FakeItem(2));
    EXPECT_TRUE(HasDownloadFor(typeid(CProbeDownload), FakeItem(1), true));
    EXPECT_TRUE(HasDownloadFor(typeid(CProbeDownload), FakeItem(0), true));
    EXPECT_FALSE(HasDownloadFor(typeid(CProbeDownload), FakeItem(3), true));
    EXPECT_FALSE(HasDownloadFor(typeid(COtherDownload), FakeItem(1), true));

    EXPECT_TRUE(CancelMatching(typeid(CProbeDownload), FakeItem(1), false));
    EXPECT_FALSE(CancelMatching(typeid(CProbeDownload), FakeItem(3), false));
    EXPECT_TRUE(CancelMatching(typeid(CProbeDownload), FakeItem(0), false)) << "a running one too";
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 4; }));
    EXPECT_EQ(probe.released, 3) << "every download of the item let go of it";
    EXPECT_EQ(probe.completes, 1) << "only the other item's page was delivered";
    EXPECT_EQ(probe.errors, 0);
}

TEST_F(DownloadQueueTest, AbortCancelsEveryDownloadOfTheKind)
{
    probe.limit = 1;
    probe.otherLimit = 1;
    probe.onError = [](CDownItem&, int) { return 3; };
    // The failing download is held in the server until the others are queued behind it.
    Queue(Url("/gated-notfound"));
    for (int i = 0; i < 3; ++i)
        Queue(Url("/page"));
    Queue<COtherDownload>(Url("/page"));
    gate.Open();
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 5; }));
    EXPECT_EQ(probe.errors, 1);
    EXPECT_EQ(probe.completes, 1) << "only the other kind's download";
}

TEST_F(DownloadQueueTest, FetchAgainRunsTheDownloadOnceMore)
{
    probe.onDownloaded = [&](CDownItem& download, bool& fetchAgain, int call) {
        if (call == 0) {
            download.url = Url("/second");
            fetchAgain = true;
        }
        return 0;
    };
    Queue(Url("/first"));
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 1; }));
    EXPECT_EQ(probe.bodies, (std::vector<std::string>{"first page", "second page"}));
    EXPECT_EQ(probe.completes, 1);
}

TEST_F(DownloadQueueTest, FailedParseWithFetchAgainAsksThenFetchesAgain)
{
    probe.onDownloaded = [&](CDownItem&, bool& fetchAgain, int call) {
        fetchAgain = call == 0;
        return call == 0 ? 1 : 0;
    };
    probe.onError = [](CDownItem&, int) { return 3; };
    Queue(Url("/first"));
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 1; }));
    EXPECT_EQ(probe.errorStatuses, std::vector<int>{1});
    EXPECT_EQ(probe.downloaded, 2);
    EXPECT_EQ(probe.completes, 1);
}

TEST_F(DownloadQueueTest, QueueGoesIdleAfterTheLastDownload)
{
    EXPECT_EQ(CountDownloads(typeid(CProbeDownload)), 0);
    probe.limit = 1;
    Queue(Url("/page"));
    Queue(Url("/page"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(CountDownloads(typeid(CProbeDownload)), 0);
    EXPECT_FALSE(CancelDownloads(nullptr)) << "nothing to cancel once idle";
    EXPECT_FALSE(HasDownloadFor(typeid(CProbeDownload), FakeItem(0), true));
    EXPECT_EQ(probe.completes, 2);
    // While its page is read, the download being finished still counts as pending.
    EXPECT_EQ(probe.countsWhileParsing, (std::vector<int>{2, 1}));
    // A new download after the scheduler ended starts a new scheduler.
    Queue(Url("/page"));
    ASSERT_TRUE(probe.WaitFor([&] { return probe.completes == 3; }));
}

TEST_F(DownloadQueueTest, ProxyStyleRequestReachesTheSitesPage)
{
    setenv("http_proxy", server->BaseUrl().c_str(), 1);
    Queue("http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=123");
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 1; }));
    ASSERT_EQ(probe.bodies.size(), 1u);
    EXPECT_EQ(probe.bodies[0], "ebay item 123");
}

class FakeCredentials : public IProxyCredentialsProvider
{
public:
    bool AskProxyCredentials(const std::string& proxy, std::string& user, std::string& password) override
    {
        const int now = ++inFlight;
        int seen = maxInFlight.load();
        while (now > seen && !maxInFlight.compare_exchange_weak(seen, now)) {
        }
        // Long enough for the other transfers to meet their 407 and wait their turn.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        lastProxy = proxy;
        user = answerUser;
        password = answerPassword;
        ++calls;
        --inFlight;
        return accept;
    }

    std::atomic<int> inFlight{0};
    std::atomic<int> maxInFlight{0};
    std::atomic<int> calls{0};
    std::string lastProxy;
    std::string answerUser = "buyer";
    std::string answerPassword = "s3cret";
    bool accept = true;
};

TEST_F(DownloadQueueTest, ProxyCredentialsAreAskedOnceAndServeEveryLaterTransfer)
{
    // The proxy is configured with a stale password: the question names it without one.
    std::string proxy = server->BaseUrl();
    proxy.insert(proxy.find("://") + 3, "old:stale@");
    setenv("http_proxy", proxy.c_str(), 1);
    FakeCredentials credentials;
    credentialsProvider = &credentials;
    probe.limit = 4;
    for (int i = 0; i < 4; ++i)
        Queue("http://auctions.example/auth");
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 4; }));
    EXPECT_EQ(probe.completes, 4);
    EXPECT_EQ(credentials.calls, 1);
    EXPECT_EQ(credentials.maxInFlight, 1);
    EXPECT_EQ(credentials.lastProxy, server->BaseUrl());
    EXPECT_EQ(probe.bodies, std::vector<std::string>(4, "behind the proxy"));

    // Later transfers send them at once; a proxy that refuses them asks again, once.
    Queue("http://auctions.example/auth");
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 5; }));
    EXPECT_EQ(credentials.calls, 1);
    credentials.answerPassword = "changed";
    for (int i = 0; i < 3; ++i)
        Queue("http://auctions.example/auth-changed");
    ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == 8; }));
    EXPECT_EQ(probe.completes, 8);
    EXPECT_EQ(credentials.calls, 2);
}

TEST_F(DownloadQueueTest, ProxyCredentialsRefusedOrMissingGiveStatusThree)
{
    setenv("http_proxy", server->BaseUrl().c_str(), 1);
    struct Case
    {
        const char* what;
        bool provider;
        bool accept;
        const char* password;
    };
    const Case cases[] = {
        {"no provider", false, true, "s3cret"},
        {"user declines", true, false, "s3cret"},
        {"wrong password", true, true, "guess"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeCredentials credentials;
        credentials.accept = c.accept;
        credentials.answerPassword = c.password;
        credentialsProvider = c.provider ? &credentials : nullptr;
        const int before = probe.destroyed;
        Queue("http://auctions.example/auth");
        ASSERT_TRUE(probe.WaitFor([&] { return probe.destroyed == before + 1; }));
        EXPECT_EQ(probe.errorStatuses.back(), 3);
        EXPECT_EQ(credentials.calls, c.provider ? 1 : 0);
        ASSERT_TRUE(WaitIdle());
        credentialsProvider = nullptr;
        ForgetProxyCredentials();
    }
    EXPECT_EQ(probe.completes, 0);
}

TEST_F(DownloadQueueTest, TemporaryNamesAreReservedAndReusedAfterDeletion)
{
    const std::string dir = GetPrivateTempDir();
    ASSERT_FALSE(dir.empty());
    auto first = std::make_unique<CProbeDownload>(probe);
    auto second = std::make_unique<CProbeDownload>(probe);
    EXPECT_EQ(first->localFile, dir + "download_0");
    EXPECT_EQ(second->localFile, dir + "download_1");
    struct stat st {};
    ASSERT_EQ(stat(first->localFile.c_str(), &st), 0) << "the name is reserved by an empty file";
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    first.reset();
    second.reset();
    EXPECT_TRUE(FilesIn(dir).empty());
    auto again = std::make_unique<CProbeDownload>(probe);
    EXPECT_EQ(again->localFile, dir + "download_0");
}

TEST_F(DownloadQueueTest, NamesTakenByOthersAreSkippedAndNeverFollowed)
{
    const std::string dir = GetPrivateTempDir();
    ASSERT_FALSE(dir.empty());
    const std::string target = dir + "elsewhere";
    { std::ofstream(dir + "download_0") << "someone else's"; }
    ASSERT_EQ(symlink(target.c_str(), (dir + "download_1").c_str()), 0);
    {
        CProbeDownload download(probe);
        EXPECT_EQ(download.localFile, dir + "download_2");
        EXPECT_FALSE(std::filesystem::exists(target)) << "a dangling link is not followed";
    }
    std::ifstream kept(dir + "download_0");
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "someone else's");
    std::filesystem::remove(dir + "download_0");
    std::filesystem::remove(dir + "download_1");
}

} // namespace
