// Thousands of queued downloads, cancelled halfway through, leave no thread, no temporary file
// and no memory behind. The server runs as a separate program so that every thread and
// allocation in this process belongs to the download engine.

#include "tests/download/DownloadTestSupport.h"
#include "tests/sim/SimProcess.h"

#include <dirent.h>
#include <malloc.h>

namespace {

auto* const tempDirs = ::testing::AddGlobalTestEnvironment(new TempDirEnvironment);

int ThreadCount()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.' ? 1 : 0;
        closedir(dir);
    }
    return count;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCountHeap = false; // the sanitizer's own allocator; LeakSanitizer checks at exit
#else
constexpr bool kCountHeap = true;
#endif

std::int64_t HeapInUse()
{
    return static_cast<std::int64_t>(mallinfo2().uordblks);
}

// Queues `total` downloads and, once `cancelAfter` have been delivered, cancels the rest and
// stops the queue.
void RunAndCancel(Probe& probe, const std::string& url, int total, int cancelAfter)
{
    for (int i = 0; i < total; ++i)
        ASSERT_TRUE(QueueDownload(new CProbeDownload(probe), url));
    ASSERT_TRUE(probe.WaitFor([&] { return probe.completes >= cancelAfter; }));
    CancelDownloads(&typeid(CProbeDownload));
    StopAllDownloads();
}

TEST(DownloadStressTest, ThousandsCancelledHalfwayLeaveNothingBehind)
{
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--scenario", std::string(LW_TEST_DATA_DIR) + "/sim/stress.scn"}, error)) << error;
    const std::string url = sim.BaseUrl() + "/small";

    // A first round lets libcurl and the C library set up what they keep for the whole run.
    Probe warmUp;
    warmUp.keepBodies = false;
    warmUp.limit = 8;
    RunAndCancel(warmUp, url, 200, 200);
    ASSERT_EQ(warmUp.created, warmUp.destroyed);

    // Counted after the first round: a sanitizer's runtime starts a thread of its own on the way.
    const int threadsBefore = ThreadCount();
    const std::int64_t heapBefore = HeapInUse();
    Probe probe;
    probe.keepBodies = false;
    probe.limit = 8;
    constexpr int kTotal = 3000;
    RunAndCancel(probe, url, kTotal, kTotal / 2);

    EXPECT_FALSE(IsQueueActive());
    EXPECT_EQ(probe.created, kTotal);
    EXPECT_EQ(probe.destroyed, kTotal) << "every download object was deleted";
    EXPECT_GE(probe.completes, kTotal / 2);
    EXPECT_LT(probe.completes, kTotal) << "the cancellation came before the end";
    EXPECT_EQ(probe.errors, 0) << "cancelled downloads are deleted without a question";
    EXPECT_EQ(ThreadCount(), threadsBefore) << "scheduler and transfer threads all ended";
    EXPECT_TRUE(FilesIn(GetPrivateTempDir()).empty()) << "no temporary file left";
    if (kCountHeap) {
        // Each download object, its strings and its libcurl handles take well over 1 KiB, so
        // a leak of any of them for 3000 downloads would show as megabytes.
        EXPECT_LT(HeapInUse() - heapBefore, 256 * 1024);
    }
}

} // namespace
