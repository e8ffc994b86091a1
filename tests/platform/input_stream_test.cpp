#include "common/error.h"
#include "common/message_ids.h"
#include "platform/file_input_stream.h"
#include "platform/input_stream.h"
#include "support/failure.h"
#include "support/open_files.h"
#include "support/temp_folder.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using morvane::test::FailureOf;
using morvane::test::OpenDescriptorCount;

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] = std::uint8_t(i * 7 + i / 251);
    }
    return bytes;
}

TEST(MemoryInputStream, ReadsSeeksAndReportsShortReads) {
    io::CMemoryInputStream stream(Counting(10));
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 4), 4u);
    EXPECT_EQ(buffer[3], Counting(10)[3]);
    EXPECT_EQ(stream.Remaining(), 6u);
    // Only six bytes are left: the short count tells the caller, ReadExactly raises.
    EXPECT_EQ(stream.Read(buffer, 8), 6u);
    EXPECT_EQ(stream.Read(buffer, 1), 0u);
    stream.Seek(7);
    const CSimpleErr shortRead = FailureOf([&] { stream.ReadExactly(buffer, 4); });
    EXPECT_EQ(shortRead.m_id, IDS_STREAM_READ_FAILED);
    EXPECT_EQ(shortRead.m_text.rfind("Failed to read from stream - ", 0), 0u) << shortRead.m_text;

    stream.Seek(10);
    EXPECT_EQ(stream.Remaining(), 0u);
    EXPECT_EQ(FailureOf([&] { stream.Seek(11); }).m_id, IDS_STREAM_SEEK_FAILED);
}

TEST(FileInputStream, ReadsAcrossItsBufferAndAfterSeeks) {
    // Larger than the stream's buffer, so reads cross refills.
    const morvane::test::CTempFolder folder;
    const std::vector<std::uint8_t> bytes = Counting(200000);
    io::CFileInputStream stream(folder.Write("data.bin", bytes));
    EXPECT_EQ(stream.Size(), bytes.size());

    std::vector<std::uint8_t> head(70000);
    stream.ReadExactly(head.data(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
    std::uint8_t small[3] = {};
    stream.Seek(150000);
    stream.ReadExactly(small, 3);
    EXPECT_EQ(small[2], bytes[150002]);
    stream.Seek(5);
    stream.ReadExactly(small, 3);
    EXPECT_EQ(small[0], bytes[5]);
    EXPECT_EQ(stream.Position(), 8u);

    stream.Seek(bytes.size() - 2);
    std::vector<std::uint8_t> tail(10);
    EXPECT_EQ(stream.Read(tail.data(), tail.size()), 2u);
    EXPECT_EQ(tail[1], bytes.back());
    EXPECT_THROW(stream.Seek(bytes.size() + 1), my::CException);
}

TEST(FileInputStream, OpenFailuresNameThePathAndTheSystemReason) {
    const morvane::test::CTempFolder folder;
    const std::string missing = (folder.Path() / "missing.strk").string();
    const CSimpleErr absent = FailureOf([&] { io::CFileInputStream stream(missing); });
    EXPECT_EQ(absent.m_id, IDS_FILE_OPEN_FAILED);
    EXPECT_EQ(absent.m_code, std::uint32_t(ENOENT));
    EXPECT_EQ(absent.m_text, "Failed to open file - " + missing + "\n\nNo such file or directory");

    const std::string tooLong = (folder.Path() / (std::string(300, 'n') + ".strk")).string();
    EXPECT_EQ(FailureOf([&] { io::CFileInputStream stream(tooLong); }).m_text,
              "Failed to open file - " + tooLong + "\n\nFile name too long");

    const CSimpleErr folderErr =
        FailureOf([&] { io::CFileInputStream stream(folder.Path().string()); });
    EXPECT_EQ(folderErr.m_id, IDS_FILE_OPEN_FAILED);
    EXPECT_NE(folderErr.m_text.find("Is a directory"), std::string::npos) << folderErr.m_text;
}

TEST(FileInputStream, AFifoOrADeviceIsRefusedAtOnceNamingThePath) {
    const morvane::test::CTempFolder folder;
    const std::string fifo = (folder.Path() / "drawing.strk").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::size_t before = OpenDescriptorCount();

    // Opened on another thread: a reader that waits for a writer is released by one below,
    // so that the test fails instead of hanging.
    auto opening = std::async(
        std::launch::async, [&] { return FailureOf([&] { io::CFileInputStream stream(fifo); }); });
    if (opening.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        opening.wait();
        if (writer >= 0) {
            ::close(writer);
        }
        FAIL() << "opening a FIFO blocked";
    }
    const CSimpleErr err = opening.get();
    EXPECT_EQ(err.m_id, IDS_FILE_OPEN_FAILED);
    EXPECT_EQ(err.m_text, "Failed to open file - " + fifo +
                              "\n\nNot a regular file (a pipe, a device or a socket)");

    const CSimpleErr device = FailureOf([] { io::CFileInputStream stream("/dev/null"); });
    EXPECT_EQ(device.m_id, IDS_FILE_OPEN_FAILED);
    EXPECT_EQ(device.m_text.rfind("Failed to open file - /dev/null\n\nNot a regular file", 0), 0u)
        << device.m_text;
    // The refused descriptors were closed.
    EXPECT_EQ(OpenDescriptorCount(), before);
}

// A reader that fails after the file was opened (a short file) closes it as the failure
// leaves the stream's scope.
TEST(FileInputStream, AReadFailingAfterOpeningLeavesNoDescriptor) {
    const morvane::test::CTempFolder folder;
    const std::string path = folder.Write("short.strk", Counting(10));
    const std::size_t before = OpenDescriptorCount();
    const CSimpleErr e = FailureOf([&] {
        io::CFileInputStream stream(path);
        std::uint8_t buffer[16];
        stream.ReadExactly(buffer, sizeof buffer);
    });
    EXPECT_EQ(e.m_id, IDS_STREAM_READ_FAILED);
    EXPECT_EQ(OpenDescriptorCount(), before);
}

} // namespace
