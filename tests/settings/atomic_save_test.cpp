#include "common/message_ids.h"
#include "platform/replace_file.h"
#include "settings/app_setting.h"
#include "settings_test_util.h"
#include "support/file_size_limit.h"
#include "support/open_files.h"
#include "support/temp_folder.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using morvane::test::CFileSizeLimit;
using morvane::test::CTempFolder;
using morvane::test::OpenDescriptorCount;
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

TEST(AtomicSave, AFailingWriteLeavesTheOldFileByteForByte) {
    CTempFolder folder;
    const std::string path = folder / "Morvane32.config";
    CAppSetting old;
    old.m_lastPath = "old";
    ASSERT_TRUE(old.SaveAppSetting(path));
    const std::string before = ReadFile(path);

    CAppSetting larger = LargeSetting("new");
    const std::size_t descriptors = OpenDescriptorCount();
    {
        CFileSizeLimit limit(before.size() + 100);
        EXPECT_FALSE(larger.SaveAppSetting(path));
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
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

TEST(AtomicSave, StaleTemporaryFilesOfDeadWritersAreSweptOnLoad) {
    CTempFolder folder;
    const std::string path = folder / "p.mrva";
    ASSERT_TRUE(CAppSetting().SaveAppSetting(path));
    // A pid that cannot be running, one that is (ours), and a name that is not ours at all.
    WriteFile(folder / ".morvane-2147483646-0.tmp", "stale");
    const std::string mine = ".morvane-" + std::to_string(::getpid()) + "-99.tmp";
    WriteFile(folder / mine, "in progress");
    WriteFile(folder / ".p.mrva.notes.tmp", "user file");
    CAppSetting read;
    ASSERT_TRUE(read.LoadAppSetting(path));
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
        // Kills spread over the first few milliseconds of each child, where its first saves run;
        // the file is checked whenever the kill comes, so no time is measured.
        const auto delay = std::uniform_int_distribution<long>(0, 20000)(random);
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
