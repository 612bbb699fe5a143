// A save killed at any moment leaves the watch list as the old or the new version, never a
// mix: a child process saves versions of a document in a loop and is killed with SIGKILL at
// random moments; after each kill the file must open and hold exactly one whole version.

#include "core/document/LotwardDoc.h"
#include "sites/AuctionServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Version v holds 1 + v % 200 items numbered "v-0", "v-1", ...: a file mixing two versions
// shows numbers of two versions or the wrong count for its version.
void FillVersion(CLotwardDoc& doc, int version)
{
    doc.OnNewDocument();
    CAuctionServer* server = FindServer(107);
    const int count = 1 + version % 200;
    for (int i = 0; i < count; ++i) {
        CItem* item = nullptr;
        doc.AddItem(std::to_string(version) + "-" + std::to_string(i), server);
        item = doc.GetItem(doc.GetItemCount() - 1);
        item->description = std::string(static_cast<std::size_t>(40 + i % 60), static_cast<char>('a' + version % 26));
    }
}

// The version the file holds, or -1 (with a failure recorded) when it is not one whole version.
int CheckWholeVersion(const std::string& path)
{
    CLotwardDoc doc;
    std::string error;
    if (!doc.OnOpenDocument(path, &error)) {
        ADD_FAILURE() << "the saved watch list does not open: " << error;
        return -1;
    }
    if (doc.GetItemCount() == 0) {
        ADD_FAILURE() << "the saved watch list is empty";
        return -1;
    }
    const std::string first = doc.GetItem(0)->GetItemNumber();
    const int version = std::atoi(first.c_str());
    EXPECT_EQ(doc.GetItemCount(), 1 + version % 200) << "version " << version;
    for (int i = 0; i < doc.GetItemCount(); ++i) {
        const CItem* item = doc.GetItem(i);
        EXPECT_EQ(item->GetItemNumber(), std::to_string(version) + "-" + std::to_string(i));
        EXPECT_EQ(item->description,
                  std::string(static_cast<std::size_t>(40 + i % 60), static_cast<char>('a' + version % 26)));
    }
    return version;
}

TEST(SaveKillTest, KilledSaveLeavesOldOrNewVersion)
{
    const std::filesystem::path dir = std::filesystem::path(std::getenv("HOME")) / "savekill";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "list.lwd").string();
    {
        CLotwardDoc doc;
        FillVersion(doc, 0);
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }

    std::mt19937 random(20000305);
    std::uniform_int_distribution<int> pauseUs(200, 30000);
    int lastVersion = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The child saves ever newer versions until it is killed.
            CLotwardDoc doc;
            for (int version = lastVersion + 1;; ++version) {
                FillVersion(doc, version);
                if (!doc.OnSaveDocument(path))
                    ::_exit(3);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself: " << status;

        const int version = CheckWholeVersion(path);
        ASSERT_GE(version, lastVersion) << "round " << round << ": an older version came back";
        lastVersion = version;
    }
    // A kill between writing and renaming may leave a temporary file; the next save removes
    // those of processes that no longer run.
    {
        CLotwardDoc doc;
        FillVersion(doc, lastVersion + 1);
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"list.lwd"});
    std::filesystem::remove_all(dir);
}

} // namespace
