#include "common/error.h"
#include "common/message_ids.h"
#include "output/apng_saver.h"
#include "output/gif_saver.h"
#include "output/png_saver.h"
#include "output_test_util.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

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

// Runs a save that must fail on writing; returns the exception (ID 0 when none came).
template <class Saver> my::CException FailingSave(const CTempDir& dir) {
    Saver saver;
    saver.m_dstFolder = dir.Str();
    saver.m_dstName = "big";
    std::vector<boost::shared_ptr<CImg>> frames;
    for (int i = 0; i < 2; ++i) {
        frames.push_back(Gradient(300, 200, unsigned(i)));
    }
    CFileSizeLimit limit(4096);
    return Thrown([&] { (void)saver.Save(Frames(frames)); });
}

TEST(WriteFailure, PngEncoderNamesTheFileAndTheSystemError) {
    for (bool animated : {false, true}) {
        CTempDir dir;
        const my::CException e =
            animated ? FailingSave<mrv::CApngSaver>(dir) : FailingSave<mrv::CPngSaver>(dir);
        EXPECT_EQ(e.m_id, IDS_LIBPNG_ERROR);
        const std::string text = e.what();
        EXPECT_NE(text.find("libpng error\nFailed to write "), std::string::npos) << text;
        EXPECT_NE(text.find("File too large"), std::string::npos) << text;
        EXPECT_TRUE(dir.Files().empty()) << "a partly written file was left";
    }
}

TEST(WriteFailure, GifEncoderNamesTheStepAndTheSystemError) {
    CTempDir dir;
    const my::CException e = FailingSave<mrv::CAgifSaver>(dir);
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("WIC Failed to ", 0), 0u) << text;
    EXPECT_NE(text.find("\n\nFailed to write "), std::string::npos) << text;
    EXPECT_NE(text.find("File too large"), std::string::npos) << text;
    EXPECT_TRUE(dir.Files().empty());
}

TEST(WriteFailure, ReadOnlyFolderIsReportedWithThePath) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    CTempDir dir;
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    mrv::CAgifSaver saver;
    saver.m_dstFolder = dir.Str();
    saver.m_dstName = "x";
    const my::CException e = Thrown([&] {
        (void)saver.Save(Frames({Solid(2, 2, {}), Solid(2, 2, {})}));
    });
    EXPECT_EQ(e.m_id, IDS_FILE_CREATE_FAILED);
    EXPECT_NE(std::string(e.what()).find("Permission denied"), std::string::npos);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
}

} // namespace
