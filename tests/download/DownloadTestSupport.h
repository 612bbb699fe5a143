#pragma once
// Download objects for the engine's tests: every operation the scheduler calls is recorded in a
// shared Probe, and the test decides what OnDownloaded and OnError answer.

#include "download/DownItem.h"
#include "download/DownloadQueue.h"
#include "platform/PrivateTempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

struct Probe
{
    std::mutex lock;
    std::condition_variable changed;
    int created = 0;
    int destroyed = 0;
    int downloaded = 0;
    int errors = 0;
    int completes = 0;
    int released = 0; // IsForItem with keep false let go of the item
    std::vector<std::string> bodies;     // what OnDownloaded found in the file
    std::vector<int> errorStatuses;      // downloadStatus seen by OnError
    std::vector<int> destroyedStatuses;  // downloadStatus when deleted
    std::vector<int> countsWhileParsing; // CountDownloads of the kind inside OnDownloaded
    bool keepBodies = true;

    std::atomic<int> limit{3};
    std::atomic<int> otherLimit{3};
    // Hooks; default: parse succeeds, errors are ignored.
    std::function<int(CDownItem&, bool&, int call)> onDownloaded;
    std::function<int(CDownItem&, int call)> onError;

    // Waits (at most 30 s, so that a broken engine fails instead of hanging) for `done`.
    template <typename Pred> bool WaitFor(Pred done, std::chrono::seconds deadline = std::chrono::seconds(30))
    {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, deadline, done);
    }
};

class CProbeDownload : public CDownItem
{
public:
    explicit CProbeDownload(Probe& p, const CItem* forItem = nullptr)
        : probe(p), item(forItem)
    {
        std::lock_guard guard(probe.lock);
        ++probe.created;
    }
    ~CProbeDownload() override
    {
        std::lock_guard guard(probe.lock);
        ++probe.destroyed;
        probe.destroyedStatuses.push_back(downloadStatus);
        probe.changed.notify_all();
    }

    int OnDownloaded(bool& fetchAgain) override
    {
        std::string body;
        if (probe.keepBodies) {
            std::ifstream in(localFile, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            body = text.str();
        }
        const int pending = CountDownloads(typeid(*this));
        int call;
        {
            std::lock_guard guard(probe.lock);
            call = probe.downloaded++;
            probe.countsWhileParsing.push_back(pending);
            if (probe.keepBodies)
                probe.bodies.push_back(body);
        }
        const int result = probe.onDownloaded ? probe.onDownloaded(*this, fetchAgain, call) : 0;
        Notify();
        return result;
    }
    int OnError() override
    {
        int call;
        {
            std::lock_guard guard(probe.lock);
            call = probe.errors++;
            probe.errorStatuses.push_back(downloadStatus);
        }
        const int answer = probe.onError ? probe.onError(*this, call) : 2;
        Notify();
        return answer;
    }
    void OnComplete() override
    {
        std::lock_guard guard(probe.lock);
        ++probe.completes;
        probe.changed.notify_all();
    }
    bool IsForItem(const CItem* forItem, bool keep) override
    {
        if (!forItem || forItem != item)
            return false;
        if (!keep) {
            item = nullptr;
            ++probe.released; // under the queue lock, not the probe's: only read when idle
        }
        return true;
    }
    int GetMaxSimultaneous() override { return probe.limit; }

    Probe& probe;
    const CItem* item;

private:
    void Notify()
    {
        std::lock_guard guard(probe.lock);
        probe.changed.notify_all();
    }
};

// A second kind of download, with a limit of its own.
class COtherDownload : public CProbeDownload
{
public:
    using CProbeDownload::CProbeDownload;
    int GetMaxSimultaneous() override { return probe.otherLimit; }
};

// A private temporary directory for the test program, removed at the end.
class TempDirEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        char pattern[] = "/tmp/lw-download-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        root = made;
        setenv("LOTWARDEN_TMPDIR", (root + "/tmp").c_str(), 1);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::string root;
};

inline bool WaitUntil(const std::function<bool()>& done)
{
    for (int i = 0; i < 3000; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

inline std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ignored))
        names.push_back(entry.path().filename().string());
    return names;
}
