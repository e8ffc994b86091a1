#include "common/message_ids.h"
#include "platform/path.h"
#include "platform/read_file.h"
#include "platform/replace_file.h"
#include "support/failure.h"
#include "support/file_size_limit.h"
#include "support/open_files.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using morvane::test::CFileSizeLimit;
using morvane::test::CTempFolder;
using morvane::test::FailureOf;
using morvane::test::OpenDescriptorCount;

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Path, FolderNameAndJoin) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    for (const Case& c : {Case{"a/b/c.png", "a/b", "c.png"}, Case{"/c.png", "/", "c.png"},
                          Case{"c.png", "", "c.png"}, Case{"a/b/", "a/b", ""}, Case{"/", "/", ""},
                          Case{"", "", ""}}) {
        EXPECT_EQ(my::FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(my::FileNameOf(c.path), c.name) << c.path;
    }
    EXPECT_EQ(my::FolderToOpen("c.png"), ".");
    EXPECT_EQ(my::FolderToOpen("/c.png"), "/");
    // A name joined to its folder gives back the path the two came from.
    for (const char* path : {"a/b/c.png", "/c.png"}) {
        EXPECT_EQ(my::JoinPath(my::FolderOf(path), my::FileNameOf(path)), path);
    }
    EXPECT_EQ(my::JoinPath("", "c.png"), "c.png");
    EXPECT_EQ(my::JoinPath("out/", "c.png"), "out/c.png");
    EXPECT_EQ(my::JoinPath("C:", "c.png"), "C:c.png");
    EXPECT_EQ(my::JoinPath("out\\", "c.png"), "out\\c.png");
}

TEST(ReplaceFile, TargetChangesOnlyOnCommit) {
    CTempFolder dir;
    const auto target = dir.Path() / "t.bin";
    std::ofstream(target) << "old";
    {
        io::CReplaceFile file(target.string());
        ASSERT_TRUE(file.Write("new", 3));
        EXPECT_EQ(dir.Files().size(), 2u); // the target and the hidden temporary file
    }
    EXPECT_EQ(ReadFile(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"t.bin"});
    {
        io::CReplaceFile file(target.string());
        std::vector<std::uint8_t> big(200000, 7);
        ASSERT_TRUE(file.Write("ab", 2));
        ASSERT_TRUE(file.Write(big));
        ASSERT_TRUE(file.Commit());
    }
    const auto bytes = ReadFile(target);
    ASSERT_EQ(bytes.size(), 200002u);
    EXPECT_EQ(bytes[0], 'a');
    EXPECT_EQ(bytes[200001], 7);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"t.bin"});
}

TEST(ReplaceFile, AFolderAtThePathIsRefusedBeforeAnythingIsWritten) {
    CTempFolder dir;
    std::filesystem::create_directory(dir.Path() / "taken");
    const std::string path = (dir.Path() / "taken").string();
    const CSimpleErr e = FailureOf([&] { io::CReplaceFile file(path); });
    EXPECT_EQ(e.m_id, IDS_FILE_CREATE_FAILED);
    EXPECT_EQ(e.m_text, "Failed to create file - " + path + "\n\nIs a directory");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"taken"});
}

TEST(ReplaceFile, AFailedRenameIsReportedAndLeavesNothing) {
    CTempFolder dir;
    const std::string path = dir / "t.bin";
    {
        io::CReplaceFile file(path);
        ASSERT_TRUE(file.Write("x", 1));
        // A non-empty folder takes the name while the file is written: the rename fails.
        std::filesystem::create_directories(dir.Path() / "t.bin/inside");
        EXPECT_FALSE(file.Commit());
        const my::CException e = file.Failure();
        EXPECT_EQ(e.m_id, IDS_FILE_SAVE_FAILED);
        EXPECT_EQ(e.m_text,
                  "Failed to save file - " + path + "\n\n" + my::SystemErrorText(int(e.m_code)));
    }
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"t.bin"});
}

TEST(ReplaceFile, FilesCommittedTogetherArePlacedInOrderUpToTheFirstFailure) {
    CTempFolder dir;
    const auto write = [&](const char* name, bool closeFirst) {
        auto file = std::make_unique<io::CReplaceFile>(dir / name);
        EXPECT_TRUE(file->Write(name, 1));
        if (closeFirst) {
            EXPECT_TRUE(file->CloseUnsynced());
        }
        return file;
    };
    {
        std::vector<std::unique_ptr<io::CReplaceFile>> files;
        files.push_back(write("a", true));
        files.push_back(write("b", false)); // still open: CommitAll closes it
        EXPECT_EQ(io::CReplaceFile::CommitAll(files), nullptr);
    }
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ReadFile(dir.Path() / "b"), std::vector<std::uint8_t>{'b'});
    {
        std::vector<std::unique_ptr<io::CReplaceFile>> files;
        for (const char* name : {"c", "d", "e"}) {
            files.push_back(write(name, true));
        }
        // A folder takes the second name while the files are written: that rename fails.
        std::filesystem::create_directories(dir.Path() / "d/inside");
        EXPECT_EQ(io::CReplaceFile::CommitAll(files), files[1].get());
        EXPECT_EQ(files[1]->Failure().m_id, IDS_FILE_SAVE_FAILED);
    }
    // The first is in place, the failed one and the one after it left no temporary file.
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"a", "b", "c", "d"}));
    // A file closed without a flush and committed alone is flushed and placed all the same.
    auto alone = write("f", true);
    EXPECT_TRUE(alone->Commit());
    EXPECT_EQ(ReadFile(dir.Path() / "f"), std::vector<std::uint8_t>{'f'});
}

TEST(ReplaceFile, ANameTooLongForTheFolderIsRefusedBeforeAnythingIsWritten) {
    CTempFolder dir;
    const std::string path = (dir.Path() / (std::string(252, 'x') + ".png")).string();
    const CSimpleErr e = FailureOf([&] { io::CReplaceFile file(path); });
    EXPECT_EQ(e.m_id, IDS_FILE_CREATE_FAILED);
    EXPECT_EQ(e.m_text, "Failed to create file - " + path + "\n\nFile name too long");
    EXPECT_TRUE(dir.Files().empty());
    // 255 bytes fit.
    io::CReplaceFile fits((dir.Path() / (std::string(251, 'x') + ".png")).string());
    EXPECT_TRUE(fits.Commit());
}

TEST(ReplaceFile, OnlyTemporaryFilesOfEndedProcessesAreRemoved) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0); // its pid now names no process
    const std::string dead = std::to_string(child);
    const std::string self = std::to_string(getpid());
    CTempFolder dir;
    const std::vector<std::string> kept = {
        ".morvane-" + self + "-0.tmp",  // this process: a file being written
        ".morvane-1-0.tmp",             // init never ends
        ".morvane-0-0.tmp",             // not a process id (kill would signal the group)
        ".morvane--" + dead + "-0.tmp", // nor is a negative one
        // Names of another pattern.
        ".morvane-" + dead + "-x.tmp",
        ".morvane-" + dead + "-0.tmp~",
        "morvane-" + dead + "-0.tmp",
        ".morvane-" + dead + ".tmp",
        "photo.png",
    };
    for (const std::string& name : kept) {
        std::ofstream(dir.Path() / name) << "x";
    }
    std::filesystem::create_directory(dir.Path() / (".morvane-" + dead + "-7.tmp"));
    std::ofstream(dir.Path() / (".morvane-" + dead + "-0.tmp")) << "left by a killed run";
    std::ofstream(dir.Path() / (".morvane-" + dead + "-12.tmp")) << "left by a killed run";

    EXPECT_EQ(io::RemoveStaleTempFiles(dir.Str()), 2u);
    std::vector<std::string> expected = kept;
    expected.push_back(".morvane-" + dead + "-7.tmp"); // a folder is not one of our files
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.Files(), expected);
    EXPECT_EQ(io::RemoveStaleTempFiles((dir.Path() / "missing").string()), 0u);
}
TEST(ReplaceFile, FailuresAfterOpeningLeaveNoDescriptorAndNoTemporaryFile) {
    CTempFolder dir;
    const std::string path = dir / "t.bin";
    std::ofstream(path) << "old";
    const std::size_t before = OpenDescriptorCount();
    // An exception thrown while the file is being written.
    EXPECT_THROW(
        {
            io::CReplaceFile file(path);
            ASSERT_TRUE(file.Write("new", 3));
            throw std::runtime_error("stop");
        },
        std::runtime_error);
    EXPECT_EQ(OpenDescriptorCount(), before);
    // A write the system refuses.
    {
        const std::vector<std::uint8_t> big(200000, 1);
        const CFileSizeLimit limit(1000);
        io::CReplaceFile file(path);
        EXPECT_FALSE(file.Write(big));
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.Error(), EFBIG);
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(io::ReplaceFile(dir / "missing/t.bin", "x"), ENOENT);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(ReadFile(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"t.bin"});
}

TEST(ReplaceFile, ALinkStaysAndTheFileItLeadsToIsReplacedKeepingItsMode) {
    CTempFolder dir;
    std::filesystem::create_directory(dir.Path() / "real");
    const std::string real = dir / "real/p.mrva";
    std::ofstream(real) << "old";
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink("real/p.mrva", dir.Path() / "link.mrva");
    ASSERT_EQ(io::ReplaceFile(dir / "link.mrva", "new"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "link.mrva"));
    EXPECT_EQ(ReadFile(real), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"link.mrva", "real"}));
}

TEST(ReadWholeFile, FailuresAfterOpeningLeaveNoDescriptor) {
    CTempFolder dir;
    const std::string path = dir / "data";
    std::ofstream(path) << "0123456789";
    const std::size_t before = OpenDescriptorCount();
    std::string data = "kept";
    EXPECT_EQ(io::ReadWholeFile(path, 9, data), EFBIG);
    EXPECT_EQ(io::ReadWholeFile(dir.Str(), 100, data), EISDIR);
    EXPECT_EQ(data, "kept");
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(io::ReadWholeFile(path, 10, data), 0);
    EXPECT_EQ(data, "0123456789");
    EXPECT_EQ(OpenDescriptorCount(), before);
}

} // namespace
