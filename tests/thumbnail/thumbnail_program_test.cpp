// Runs the built morvane-thumbnail as a file manager would: on every example drawing and project,
// and on broken and hostile drawings, which must fail quickly with a message and leave nothing.
#include "run_program.h"
#include "support/strk_writer.h"
#include "support/temp_folder.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using clitest::CResult;
using clitest::Execute;

class ThumbnailProgram : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_folder / "scratch"); }

    CResult Run(const std::string& input, const std::string& output, int size) {
        return Execute({MORVANE_THUMBNAIL, "-s", std::to_string(size), input, output},
                       m_folder / "scratch");
    }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path.string();
    }

    const morvane::test::CTempFolder m_temp;
    const fs::path& m_folder = m_temp.Path();
};

// Width and height from the IHDR chunk of a PNG file; {0, 0} when the file is no PNG.
std::pair<std::uint32_t, std::uint32_t> PngSize(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24] = {};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head) ||
        std::string(reinterpret_cast<char*>(head + 1), 3) != "PNG" ||
        std::string(reinterpret_cast<char*>(head + 12), 4) != "IHDR") {
        return {0, 0};
    }
    const auto be32 = [&](int at) {
        return std::uint32_t(head[at]) << 24 | std::uint32_t(head[at + 1]) << 16 |
               std::uint32_t(head[at + 2]) << 8 | std::uint32_t(head[at + 3]);
    };
    return {be32(16), be32(20)};
}

TEST_F(ThumbnailProgram, EveryExampleGivesAPngOfTheAskedSize) {
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(EXAMPLES_DIR)) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".strk" && extension != ".mrva") {
            continue;
        }
        ++inputs;
        for (int size : {48, 256}) {
            SCOPED_TRACE(entry.path().filename().string() + " at " + std::to_string(size));
            const fs::path png = m_folder / "thumb.png";
            const CResult run = Run(entry.path().string(), png.string(), size);
            ASSERT_EQ(run.m_status, 0) << run.m_err;
            EXPECT_EQ(run.m_err, "");
            const auto [width, height] = PngSize(png);
            EXPECT_EQ(std::max(width, height), std::uint32_t(size));
            EXPECT_GE(std::min(width, height), 1u);
        }
    }
    EXPECT_GE(inputs, 8);
}

TEST_F(ThumbnailProgram, BrokenAndHostileDrawingsFailQuicklyAndLeaveNothing) {
    morvane::test::StrkWriter drawing;
    drawing.Model().Line(u"l").Part().Point(0, 0, 2).Point(100, 100, 2);
    const std::vector<std::uint8_t> bytes = drawing.Bytes();

    morvane::test::StrkWriter counts;
    counts.Model().Line(u"l").Part().Point(0, 0, 2).pointCount = 0x7FFFFFFFu;
    morvane::test::StrkWriter page;
    page.Model().pageWidth = 1e300;
    page.Model().pageHeight = std::numeric_limits<double>::quiet_NaN();
    morvane::test::StrkWriter bitmap;
    morvane::test::StrkTexture texture;
    texture.bitmap = morvane::test::SolidBitmap(5, 16000, 16, {1});
    bitmap.Model().Layer().Fill(texture);

    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> inputs = {
        {"truncated.strk", morvane::test::Truncated(bytes, bytes.size() / 2)},
        {"counts.strk", counts.Bytes()},
        {"page.strk", page.Bytes()},
        {"bitmap.strk", bitmap.Bytes()},
        {"empty.strk", {}},
    };
    for (const auto& [name, content] : inputs) {
        SCOPED_TRACE(name);
        const std::string input = Write(name, content);
        const fs::path png = m_folder / "out" / "thumb.png";
        fs::create_directories(png.parent_path());
        const auto started = std::chrono::steady_clock::now();
        const CResult run = Run(input, png.string(), 128);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
        EXPECT_EQ(run.m_status, 1);
        EXPECT_EQ(run.m_err.rfind("morvane-thumbnail: ", 0), 0u) << run.m_err;
        EXPECT_TRUE(fs::is_empty(png.parent_path()));
    }
}

// A text of 400 000 letters is a small file whose drawing needs more memory and time than a
// thumbnail may take: the limits stop it with a message well before a file manager would wait.
TEST_F(ThumbnailProgram, ResourceBombsAreStoppedByTheLimits) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizer builds run the thumbnailer without its address-space limit";
#endif
    morvane::test::StrkWriter text;
    auto& figure = text.Model().Text(u"t", std::u16string(400000, u'W'));
    figure.Stroke(morvane::test::Mono({0, 0, 65535, 0, 65535}));
    figure.Part().Point(0, 100).Point(200, 100);
    const std::string input = Write("text.strk", text.Bytes());
    const fs::path png = m_folder / "text.png";

    const auto started = std::chrono::steady_clock::now();
    const CResult run = Run(input, png.string(), 256);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
    EXPECT_EQ(run.m_status, 1);
    EXPECT_EQ(run.m_err.rfind("morvane-thumbnail: Stopped: ", 0), 0u) << run.m_err;
    EXPECT_FALSE(fs::exists(png));
}

} // namespace
