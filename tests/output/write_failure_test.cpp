#include "common/error.h"
#include "common/message_ids.h"
#include "output/apng_saver.h"
#include "output/gif_saver.h"
#include "output/png_saver.h"
#include "output_test_util.h"
#include "support/failure.h"
#include "support/temp_folder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using namespace outtest;

// Limits the size of files this process may write, as a full disk would; writes beyond it fail
// with EFBIG instead of raising SIGXFSZ.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

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

TEST(WriteFailure, PngEncoderNamesTheFileAndTheSystemError) {
    for (bool animated : {false, true}) {
        CTempFolder dir;
        const CSimpleErr e =
            animated ? FailingSave<mrv::CApngSaver>(dir) : FailingSave<mrv::CPngSaver>(dir);
        EXPECT_EQ(e.m_id, IDS_LIBPNG_ERROR);
        const std::string text = e.m_text;
        EXPECT_NE(text.find("libpng error\nFailed to write "), std::string::npos) << text;
        EXPECT_NE(text.find("File too large"), std::string::npos) << text;
        EXPECT_TRUE(dir.Files().empty()) << "a partly written file was left";
    }
}

TEST(WriteFailure, GifEncoderNamesTheStepAndTheSystemError) {
    CTempFolder dir;
    const CSimpleErr e = FailingSave<mrv::CAgifSaver>(dir);
    const std::string text = e.m_text;
    EXPECT_EQ(text.rfind("WIC Failed to ", 0), 0u) << text;
    EXPECT_NE(text.find("\n\nFailed to write "), std::string::npos) << text;
    EXPECT_NE(text.find("File too large"), std::string::npos) << text;
    EXPECT_TRUE(dir.Files().empty());
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
