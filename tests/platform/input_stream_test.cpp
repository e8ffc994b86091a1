#include "common/error.h"
#include "common/message_ids.h"
#include "platform/file_input_stream.h"
#include "platform/input_stream.h"
#include "platform/test_helpers.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] = std::uint8_t(i * 7 + i / 251);
    }
    return bytes;
}

class FileInputStream : public ::testing::Test {
protected:
    morvane::test::TempFolder m_folder;
};

TEST(MemoryInputStream, ReadsSeeksAndReportsShortReads) {
    io::CMemoryInputStream stream(Counting(10));
    EXPECT_EQ(stream.Size(), 10u);
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 4), 4u);
    EXPECT_EQ(buffer[3], Counting(10)[3]);
    EXPECT_EQ(stream.Position(), 4u);
    EXPECT_EQ(stream.Remaining(), 6u);

    // Only six bytes are left: the short count tells the caller.
    EXPECT_EQ(stream.Read(buffer, 8), 6u);
    EXPECT_EQ(stream.Read(buffer, 1), 0u);

    stream.Seek(10);
    EXPECT_EQ(stream.Remaining(), 0u);
    stream.Seek(0);
    EXPECT_EQ(stream.Position(), 0u);
    try {
        stream.Seek(11);
        FAIL() << "seek beyond the end";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_STREAM_SEEK_FAILED);
    }
}

TEST(MemoryInputStream, ReadExactlyRaisesTheReadMessageWhenBytesAreMissing) {
    io::CMemoryInputStream stream(Counting(3));
    std::uint8_t buffer[4] = {};
    try {
        stream.ReadExactly(buffer, 4);
        FAIL() << "short read";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_STREAM_READ_FAILED);
        EXPECT_EQ(e.m_text.rfind("Failed to read from stream - ", 0), 0u) << e.m_text;
    }
}

TEST(MemoryInputStream, MovedStreamKeepsItsBytesAndPosition) {
    const std::vector<std::uint8_t> kept = Counting(5);
    io::CMemoryInputStream owning(Counting(5));
    std::uint8_t byte = 0;
    owning.Read(&byte, 1);
    io::CMemoryInputStream moved(std::move(owning));
    EXPECT_EQ(moved.Position(), 1u);
    moved.Read(&byte, 1);
    EXPECT_EQ(byte, kept[1]);

    io::CMemoryInputStream view = io::CMemoryInputStream::Over(kept);
    io::CMemoryInputStream movedView(std::move(view));
    movedView.Seek(4);
    movedView.Read(&byte, 1);
    EXPECT_EQ(byte, kept[4]);
}

TEST_F(FileInputStream, ReadsAcrossItsBufferAndAfterSeeks) {
    // Larger than the stream's buffer, so reads cross refills.
    const std::vector<std::uint8_t> bytes = Counting(200000);
    io::CFileInputStream stream(m_folder.Write("data.bin", bytes));
    EXPECT_EQ(stream.Size(), bytes.size());

    std::vector<std::uint8_t> head(70000);
    stream.ReadExactly(head.data(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));

    stream.Seek(150000);
    std::uint8_t small[3] = {};
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

TEST_F(FileInputStream, OpenFailuresNameThePathAndTheSystemReason) {
    const std::string missing = (m_folder.Path() / "missing.strk").string();
    try {
        io::CFileInputStream stream(missing);
        FAIL() << "missing file opened";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_FILE_OPEN_FAILED);
        EXPECT_EQ(e.m_code, std::uint32_t(ENOENT));
        EXPECT_EQ(e.m_text, "Failed to open file - " + missing + "\n\nNo such file or directory");
    }
    try {
        io::CFileInputStream stream(m_folder.Path().string());
        FAIL() << "folder opened as a file";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_FILE_OPEN_FAILED);
        EXPECT_NE(e.m_text.find("Is a directory"), std::string::npos) << e.m_text;
    }
}

} // namespace
