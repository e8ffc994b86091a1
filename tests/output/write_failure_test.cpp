#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "output/apng_saver.h"
#include "output/gif_saver.h"
#include "output/png_saver.h"
#include "output/webp_saver.h"
#include "output_test_util.h"
#include "support/failure.h"
#include "support/file_size_limit.h"
#include "support/open_files.h"
#include "support/temp_folder.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using namespace outtest;
using morvane::test::CFileSizeLimit;
using morvane::test::OpenDescriptorCount;

// Runs a save that must fail on writing; returns the error record (ID 0 when none came).
template <class Saver> CSimpleErr FailingSave(const CTempFolder& dir) {
    Saver saver;
    saver.m_dstFolder = dir.Str();
    saver.m_dstName = "big";
    std::vector<boost::shared_ptr<CImg>> frames;
    for (int i = 0; i < 2; ++i) {
        frames.push_back(Gradient(300, 200, unsigned(i)));
    }
    CFileSizeLimit limit(4096);
    return FailureOf([&] { (void)saver.Save(Frames(frames)); });
}

// Every saver, when the system refuses a write after its file was opened: the error names the
// file, and neither a descriptor nor a temporary file is left.
TEST(WriteFailure, EveryEncoderNamesTheFileAndTheSystemError) {
    for (int format : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(format);
        CTempFolder dir;
        const std::size_t descriptors = OpenDescriptorCount();
        const CSimpleErr e = format == 0   ? FailingSave<mrv::CPngSaver>(dir)
                             : format == 1 ? FailingSave<mrv::CApngSaver>(dir)
                             : format == 2 ? FailingSave<mrv::CGifSaver>(dir)
                             : format == 3 ? FailingSave<mrv::CAgifSaver>(dir)
                                           : FailingSave<mrv::CWebpSaver>(dir);
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
        EXPECT_EQ(e.m_id, IDS_FILE_SAVE_FAILED);
        EXPECT_EQ(e.m_code, std::uint32_t(EFBIG));
        const std::string text = e.m_text;
        EXPECT_EQ(text.rfind("Failed to save file - " + dir.Str() + "/big", 0), 0u) << text;
        EXPECT_NE(text.find("\n\nFile too large"), std::string::npos) << text;
        EXPECT_TRUE(dir.Files().empty()) << "a partly written file was left";
    }
}

TEST(WriteFailure, OutputMessagesNameNoComponentOfAnotherSystem) {
    // The steps of the PNG and GIF writers; their texts must say what failed in this program's
    // terms, not in those of libraries it does not use for them.
    for (const std::uint32_t id :
         {IDS_LIBPNG_ERROR, IDS_WIC_PALETTE_CREATE_FAILED, IDS_WIC_PALETTE_INIT_FAILED,
          IDS_WIC_CONVERTER_INIT_FAILED, IDS_WIC_METADATA_WRITER_FAILED,
          IDS_WIC_FRAME_METADATA_WRITER_FAILED, IDS_WIC_ENCODER_CREATE_FAILED,
          IDS_WIC_ENCODER_INIT_FAILED, IDS_WIC_FRAME_CREATE_FAILED, IDS_WIC_FRAME_SIZE_FAILED,
          IDS_WIC_PALETTE_WRITE_FAILED, IDS_WIC_PIXELS_WRITE_FAILED,
          IDS_WIC_ENCODER_COMMIT_FAILED}) {
        for (const my::Language language : {my::Language::English, my::Language::Japanese}) {
            const std::string text(my::MessageText(id, language));
            for (const char* word : {"WIC", "libpng", "GDI"}) {
                EXPECT_EQ(text.find(word), std::string::npos) << id << ": " << text;
            }
        }
    }
}

TEST(WriteFailure, UnwritableFolderIsReportedWithThePath) {
    // A file where the folder should be refuses the new file for every user, root included.
    CTempFolder dir;
    const std::string blocker = dir.Write("blocker", {1, 2, 3});
    mrv::CAgifSaver saver;
    saver.m_dstFolder = blocker;
    saver.m_dstName = "x";
    const CSimpleErr e = FailureOf([&] {
        (void)saver.Save(Frames({Solid(2, 2, {}), Solid(2, 2, {})}));
    });
    EXPECT_EQ(e.m_id, IDS_FILE_CREATE_FAILED);
    EXPECT_EQ(e.m_text, "Failed to create file - " + saver.GetFilePath(0) + "\n\nNot a directory");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"blocker"});
    EXPECT_EQ(ReadFile(blocker), (std::vector<std::uint8_t>{1, 2, 3}));
}

} // namespace
