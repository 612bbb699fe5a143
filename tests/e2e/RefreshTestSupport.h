#pragma once
// The real refresh path for tests: a document with the refresh service both programs use, the
// simulator's server in this process answering for eBay through http_proxy, and a main thread
// (the test's) that applies results as lotwarden does.

#include "core/document/LotwardDoc.h"
#include "core/options/AppOptions.h"
#include "core/refresh/RefreshService.h"
#include "download/DownloadQueue.h"
#include "sites/AuctionServer.h"
#include "tools/auction-sim/Scenario.h"
#include "tools/auction-sim/SimServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A plain GET to the simulator (its control pages); returns the body.
inline std::string SimGet(int port, const std::string& path)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return {};
    }
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    if (write(fd, request.data(), request.size()) < 0) {
        close(fd);
        return {};
    }
    std::string answer;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        answer.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    const std::size_t body = answer.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : answer.substr(body + 4);
}

// Answers the Abort/Retry/Ignore question with a fixed answer, or passes it on to a test's own
// question, and records every message.
class CRecordingQuestion : public IErrorQuestion, public IProxyCredentialsProvider
{
public:
    std::atomic<int> answer{kIgnore};
    std::atomic<IErrorQuestion*> answerWith{nullptr};
    int AskAbortRetryIgnore(const std::string& message) override
    {
        {
            std::lock_guard guard(lock);
            messages.push_back(message);
        }
        IErrorQuestion* other = answerWith;
        return other ? other->AskAbortRetryIgnore(message) : answer.load();
    }
    bool AskProxyCredentials(const std::string&, std::string&, std::string&) override { return false; }
    std::vector<std::string> Messages()
    {
        std::lock_guard guard(lock);
        return messages;
    }

private:
    std::mutex lock;
    std::vector<std::string> messages;
};

class CHintRecorder : public IDocumentObserver
{
public:
    void OnDocumentUpdate(CLotwardDoc&, int hint, CItem* item) override { hints.emplace_back(hint, item); }
    int Count(int hint, const CItem* item) const
    {
        int n = 0;
        for (const auto& [h, i] : hints)
            n += h == hint && i == item ? 1 : 0;
        return n;
    }
    std::vector<std::pair<int, CItem*>> hints;
};

class RefreshFixture : public ::testing::Test
{
protected:
    // Starts the simulator with `scenario` (ebay-item sections) and wires the document.
    void StartSite(const std::string& scenario, int simultaneous = 3)
    {
        tmp = std::filesystem::temp_directory_path().string() + "/lw-e2e-" +
                                std::to_string(getpid());
        setenv("LOTWARDEN_TMPDIR", tmp.c_str(), 1);
        options.simultDownload = simultaneous;

        lwsim::RouteTable table;
        std::string error;
        ASSERT_TRUE(lwsim::LoadScenarioText(scenario, ".", "test", table, error)) << error;
        server = std::make_unique<lwsim::Server>(std::move(table));
        ASSERT_TRUE(server->Start(error)) << error;
        setenv("http_proxy", server->BaseUrl().c_str(), 1);
        unsetenv("no_proxy");
        unsetenv("NO_PROXY");

        ebay = FindServer(107);
        ASSERT_NE(ebay, nullptr);
        doc.OnNewDocument();
        doc.AddObserver(&hints);
        refresh = std::make_unique<CRefreshService>(doc, options, question, question);
    }

    void TearDown() override
    {
        refresh.reset();
        doc.RemoveObserver(&hints);
        if (server)
            server->Stop();
        std::error_code ignored;
        std::filesystem::remove_all(tmp, ignored);
    }

    // The test's thread plays the main thread: it applies results until the engine is idle.
    // The bound only turns a hung engine into a failure.
    void RunRefresh()
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (refresh->IsBusy() && std::chrono::steady_clock::now() < giveUp)
            refresh->WaitAndApply(std::chrono::milliseconds(20));
        refresh->ApplyPendingResults();
        ASSERT_FALSE(refresh->IsBusy()) << "the refresh did not end";
    }

    CItem* Add(const std::string& number)
    {
        EXPECT_EQ(doc.AddItem(number, ebay), nullptr);
        return doc.FindItem(number, ebay);
    }

    void Step() { SimGet(server->Port(), "/__ebay/step"); }

    std::int64_t RequestsFor(const std::string& number)
    {
        const auto stats = server->Stats();
        const auto it = stats.routes.find("http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=" + number);
        return it == stats.routes.end() ? 0 : it->second.requests;
    }

    std::string tmp;
    CAppOptions options;
    std::unique_ptr<lwsim::Server> server;
    CAuctionServer* ebay = nullptr;
    CLotwardDoc doc;
    CHintRecorder hints;
    CRecordingQuestion question;
    std::unique_ptr<CRefreshService> refresh;
};
