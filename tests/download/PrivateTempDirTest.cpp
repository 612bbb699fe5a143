// The private temporary directory: created private, refused when it could be someone else's.

#include "platform/PrivateTempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class PrivateTempDirTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/lw-tempdir-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        dir = root + "/private";
        setenv("LOTWARDEN_TMPDIR", dir.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("LOTWARDEN_TMPDIR");
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    static unsigned Mode(const std::string& path)
    {
        struct stat st {};
        lstat(path.c_str(), &st);
        return st.st_mode & 0777;
    }

    std::string root;
    std::string dir;
};

TEST_F(PrivateTempDirTest, CreatedForTheUserAlone)
{
    EXPECT_EQ(GetPrivateTempDir(), dir + "/");
    EXPECT_EQ(Mode(dir), 0700u);
}

TEST_F(PrivateTempDirTest, OpenPermissionsOnOurOwnDirectoryAreTakenAway)
{
    ASSERT_EQ(mkdir(dir.c_str(), 0777), 0);
    chmod(dir.c_str(), 0777);
    EXPECT_EQ(GetPrivateTempDir(), dir + "/");
    EXPECT_EQ(Mode(dir), 0700u);
}

TEST_F(PrivateTempDirTest, UnsafeDirectoriesAreRefused)
{
    const std::string elsewhere = root + "/elsewhere";
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);

    ASSERT_EQ(symlink(elsewhere.c_str(), dir.c_str()), 0);
    EXPECT_EQ(GetPrivateTempDir(), "") << "a link";
    EXPECT_EQ(CreateNumberedTempFile("download_"), "");
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere)) << "nothing created through the link";
    unlink(dir.c_str());

    { FILE* f = std::fopen(dir.c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
    EXPECT_EQ(GetPrivateTempDir(), "") << "a plain file";
    unlink(dir.c_str());

    if (geteuid() == 0) {
        ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
        ASSERT_EQ(chown(dir.c_str(), 65534, 65534), 0);
        EXPECT_EQ(GetPrivateTempDir(), "") << "another user's directory";
    }
}

TEST_F(PrivateTempDirTest, RelativeOverrideIsIgnored)
{
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    setenv("LOTWARDEN_TMPDIR", "relative/dir", 1);
    setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
    EXPECT_EQ(GetPrivateTempDir(), root + "/lotwarden/");
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(PrivateTempDirTest, NumbersAreTheSmallestFree)
{
    const std::string a = CreateNumberedTempFile("download_");
    const std::string b = CreateNumberedTempFile("download_");
    const std::string c = CreateNumberedTempFile("download_");
    EXPECT_EQ(b, dir + "/download_1");
    RemoveNumberedTempFile(b);
    EXPECT_FALSE(std::filesystem::exists(b));
    EXPECT_EQ(CreateNumberedTempFile("download_"), b) << "a freed number is given again";
    EXPECT_EQ(CreateNumberedTempFile("download_"), dir + "/download_3");
    EXPECT_EQ(CreateNumberedTempFile("other_"), dir + "/other_0") << "each prefix counts alone";
    EXPECT_EQ(CreateNumberedTempFile("../escape_"), "");
    for (const char* name : {"download_0", "download_1", "download_2", "download_3", "other_0"})
        RemoveNumberedTempFile(dir + "/" + name);
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

} // namespace
