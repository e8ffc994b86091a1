#include "common/message_ids.h"
#include "settings/app_setting.h"
#include "settings/atomic_file.h"
#include "settings_test_util.h"
#include "support/temp_folder.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using morvane::test::CTempFolder;
using settings_test::ReadFile;
using settings_test::WriteFile;

// Names in the folder other than `keep`: what a save left behind.
std::vector<std::string> Leftovers(const std::string& folder, const std::string& keep) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != keep) {
            names.push_back(name);
        }
    }
    return names;
}

// A settings record whose file is a few hundred kilobytes.
CAppSetting LargeSetting(const std::string& tag) {
    CAppSetting s;
    s.m_lastPath = tag;
    s.m_dstNames.SetMaxSize(3000);
    for (int i = 0; i < 3000; ++i) {
        s.m_dstNames.Add("/home/user/drawings/" + tag + "/animation-" + std::to_string(i) +
                         "/start.strk");
    }
    return s;
}

// Lowers the largest file this process may write, so that writing the new file fails with
// EFBIG whoever runs the test (root included).
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

TEST(AtomicSave, AFailingWriteLeavesTheOldFileByteForByte) {
    CTempFolder folder;
    const std::string path = folder / "Morvane32.config";
    CAppSetting old;
    old.m_lastPath = "old";
    ASSERT_TRUE(old.SaveAppSetting(path));
    const std::string before = ReadFile(path);

    CAppSetting larger = LargeSetting("new");
    {
        CFileSizeLimit limit(before.size() + 100);
        EXPECT_FALSE(larger.SaveAppSetting(path));
    }
    EXPECT_EQ(larger.GetErr().m_id, IDS_XML_SAVE_FAILED);
    EXPECT_EQ(larger.GetErr().m_code, static_cast<std::uint32_t>(EFBIG));
    EXPECT_EQ(larger.GetErr().m_text, "Failed to save XML document - File too large\n\n" + path);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_TRUE(Leftovers(folder.Str(), "Morvane32.config").empty());
}

TEST(AtomicSave, AMissingFolderFailsWithoutCreatingAnything) {
    CTempFolder folder;
    WriteFile(folder / "file", "x");
    CAppSetting setting;
    EXPECT_FALSE(setting.SaveAppSetting(folder / "file/Morvane32.config"));
    EXPECT_EQ(setting.GetErr().m_id, IDS_XML_SAVE_FAILED);
    EXPECT_EQ(setting.GetErr().m_text, "Failed to save XML document - Not a directory\n\n" +
                                           folder / "file/Morvane32.config");
    EXPECT_EQ(ReadFile(folder / "file"), "x");
    // A folder in the file's place is never replaced.
    std::filesystem::create_directories(folder / "dir.config");
    EXPECT_FALSE(setting.SaveAppSetting(folder / "dir.config"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.config"));
    EXPECT_EQ(Leftovers(folder.Str(), "file"), std::vector<std::string>{"dir.config"});
}

TEST(AtomicSave, StaleTemporaryFilesOfDeadWritersAreSwept) {
    CTempFolder folder;
    const std::string path = folder / "p.mrva";
    WriteFile(path, "<MorvaneFile/>");
    // A pid that cannot be running, one that is (ours), and a name that is not ours at all.
    WriteFile(folder / ".p.mrva.2147483646-0.tmp", "stale");
    const std::string mine = ".p.mrva." + std::to_string(::getpid()) + "-99.tmp";
    WriteFile(folder / mine, "in progress");
    WriteFile(folder / ".p.mrva.notes.tmp", "user file");
    my::RemoveStaleTempFiles(path);
    auto left = Leftovers(folder.Str(), "p.mrva");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{mine, ".p.mrva.notes.tmp"}));
}

// A child saves two large documents in turn and is killed at a random moment; the file must
// then hold one of the two documents exactly. A kill between naming the finished temporary
// file and renaming it (two system calls) can leave that file; the next load removes it.
TEST(AtomicSave, KilledSavesNeverTearTheFile) {
    CTempFolder folder;
    const std::string path = folder / "Morvane32.config";
    const CAppSetting a = LargeSetting("a");
    const CAppSetting b = LargeSetting("b");
    CAppSetting writer = a;
    ASSERT_TRUE(writer.SaveAppSetting(folder / "a.ref"));
    writer = b;
    ASSERT_TRUE(writer.SaveAppSetting(folder / "b.ref"));
    const std::string textA = ReadFile(folder / "a.ref");
    const std::string textB = ReadFile(folder / "b.ref");
    ASSERT_GT(textA.size(), 150000u);
    std::filesystem::create_directories(folder / "live");
    const std::string live = folder / "live/Morvane32.config";
    writer = a;
    ASSERT_TRUE(writer.SaveAppSetting(live));

    // The time of one save, to spread the kills over the first saves of each child.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(writer.SaveAppSetting(live));
    const auto oneSave = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);

    std::mt19937 random(12345);
    constexpr int kRounds = 200;
    for (int round = 0; round < kRounds; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CAppSetting s = round % 2 ? a : b;
            for (int i = 0; i < 200; ++i) {
                s.m_lastPath = i % 2 ? "a" : "b";
                s.m_dstNames = (i % 2 ? a : b).m_dstNames;
                if (!s.SaveAppSetting(live)) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
        const auto delay = std::uniform_int_distribution<long>(0, 3 * oneSave.count())(random);
        ::usleep(static_cast<useconds_t>(delay));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        const std::string text = ReadFile(live);
        ASSERT_TRUE(text == textA || text == textB) << "torn file after round " << round;
        CAppSetting read;
        ASSERT_TRUE(read.LoadAppSetting(live)) << read.GetErr().m_text;
        ASSERT_TRUE(Leftovers(folder / "live", "Morvane32.config").empty()) << round;
    }
}

} // namespace
