// The thumbnailer's parts: the command line, the size a page gets, what is read from drawings and
// projects (and what is refused, quickly), the PNG it writes, and the limits that end a run.
#include "common/error.h"
#include "common/message_ids.h"
#include "settings/project_file.h"
#include "stroke/serializer.h"
#include "support/failure.h"
#include "support/strk_writer.h"
#include "support/temp_folder.h"
#include "thumbnail/limits.h"
#include "thumbnail/thumbnail.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <png.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using morvane::test::StrkWriter;
using Args = std::vector<std::string>;

using morvane::test::FailureId;
using morvane::test::FailureOf;

class Thumbnail : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (m_folder / name).string(); }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return Path(name);
    }
    // A drawing of one red stroke on a page of the given size in millimetres.
    static StrkWriter Drawing(double width, double height) {
        StrkWriter writer;
        writer.Model().pageWidth = width;
        writer.Model().pageHeight = height;
        writer.Model()
            .Line(u"stroke")
            .Stroke(morvane::test::Mono({65535, 0, 0, 0, 65535}))
            .Part()
            .Point(10, 10, 3)
            .Point(width - 10, height - 10, 3);
        return writer;
    }

    const morvane::test::CTempFolder m_temp;
    const fs::path& m_folder = m_temp.Path();
};

// Width, height and colour type of a PNG file, read with libpng; {0, 0, -1} when it does not read.
struct PngInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colorType = -1;
};
PngInfo ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return {};
    }
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    image.format = PNG_FORMAT_RGB;
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    char header[26] = {};
    in.read(header, sizeof header);
    return {image.width, image.height, header[25]};
}

TEST_F(Thumbnail, PagesFitIntoTheAskedSquareKeepingTheirProportion) {
    EXPECT_EQ(thumb::ThumbnailSize(210, 297, 128), std::make_pair(91, 128));
    EXPECT_EQ(thumb::ThumbnailSize(297, 210, 256), std::make_pair(256, 181));
    EXPECT_EQ(thumb::ThumbnailSize(320, 240, 64), std::make_pair(64, 48));
    EXPECT_EQ(thumb::ThumbnailSize(5000, 1, 64), std::make_pair(64, 1)); // never 0 pixels
    EXPECT_EQ(thumb::ThumbnailSize(1, 1, 1), std::make_pair(1, 1));
    for (double side : {0.0, -5.0, 1e-9, 1e300, std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(FailureId([&] { thumb::ThumbnailSize(side, 100, 128); }),
                  IDS_THUMBNAIL_PAGE_INVALID)
            << side;
        EXPECT_EQ(FailureId([&] { thumb::ThumbnailSize(100, side, 128); }),
                  IDS_THUMBNAIL_PAGE_INVALID)
            << side;
    }
}

TEST_F(Thumbnail, CommandLineNeedsASizeAnInputAndAnOutput) {
    const thumb::COptions plain = thumb::ParseArguments({"-s", "128", "in.strk", "out.png"});
    EXPECT_EQ(plain.m_size, 128);
    EXPECT_EQ(plain.m_input, "in.strk");
    EXPECT_EQ(plain.m_output, "out.png");
    EXPECT_EQ(thumb::ParseArguments({"--size=64", "a", "b"}).m_size, 64);
    EXPECT_EQ(thumb::ParseArguments({"-s4096", "a", "b"}).m_size, 4096);
    const thumb::COptions dashed = thumb::ParseArguments({"-s", "8", "--", "-in", "-out"});
    EXPECT_EQ(dashed.m_input, "-in");
    EXPECT_EQ(dashed.m_output, "-out");
    EXPECT_TRUE(thumb::ParseArguments({"--help"}).m_help);
    EXPECT_TRUE(thumb::ParseArguments({"--version"}).m_version);

    for (const Args& bad :
         {Args{"-s", "0", "a", "b"}, Args{"-s", "4097", "a", "b"}, Args{"-s", "12px", "a", "b"},
          Args{"--size=", "a", "b"}, Args{"-s", "-3", "a", "b"}}) {
        EXPECT_EQ(FailureId([&] { thumb::ParseArguments(bad); }), IDS_THUMBNAIL_BAD_SIZE) << bad[1];
    }
    EXPECT_EQ(FailureId([&] {
                  thumb::ParseArguments({"-x", "a", "b"});
              }),
              IDS_THUMBNAIL_UNKNOWN_OPTION);
    for (const Args& bad : {Args{"a", "b"}, Args{"-s", "8", "a"}, Args{"-s", "8", "a", "b", "c"},
                            Args{"a", "b", "-s"}}) {
        EXPECT_EQ(FailureId([&] { thumb::ParseArguments(bad); }), IDS_THUMBNAIL_ARGUMENTS);
    }
}

TEST_F(Thumbnail, ProjectsShowTheirStartDrawing) {
    fs::create_directories(m_folder / "art");
    Drawing(300, 100).Save(Path("art/start.strk"));
    Drawing(100, 300).Save(Path("art/end.strk"));
    mrv::CTaskSetting task;
    task.SetSrcPath0(Path("art/start.strk"));
    task.SetSrcPath1(Path("art/end.strk"));
    CSimpleErr err;
    ASSERT_TRUE(SaveProject(Path("story.mrva"), task, err)) << err.m_text;
    // The project stores its paths relative to its folder; it moves together with them.
    fs::create_directories(m_folder / "moved");
    fs::rename(m_folder / "art", m_folder / "moved" / "art");
    fs::rename(m_folder / "story.mrva", m_folder / "moved" / "story.xml");

    const stroke::ModelPtr model = thumb::LoadThumbnailModel(Path("moved/story.xml"));
    EXPECT_EQ(model->m_width, 300.0);
    EXPECT_EQ(model->m_height, 100.0);

    mrv::CTaskSetting empty;
    ASSERT_TRUE(SaveProject(Path("empty.mrva"), empty, err));
    EXPECT_EQ(FailureId([&] { thumb::LoadThumbnailModel(Path("empty.mrva")); }),
              IDS_THUMBNAIL_NO_START);
    // A project whose START is itself a project, and a file that is neither kind.
    task.SetSrcPath0(Path("empty.mrva"));
    ASSERT_TRUE(SaveProject(Path("loop.mrva"), task, err));
    EXPECT_EQ(FailureId([&] { thumb::LoadThumbnailModel(Path("loop.mrva")); }),
              IDS_THUMBNAIL_NOT_DRAWING);
    std::ofstream(Path("notes.strk")) << "my notes\n";
    EXPECT_EQ(FailureId([&] { thumb::LoadThumbnailModel(Path("notes.strk")); }),
              IDS_THUMBNAIL_NOT_DRAWING);
    std::ofstream(Path("broken.mrva")) << "<MorvaneFile><Version>";
    EXPECT_EQ(FailureId([&] { thumb::LoadThumbnailModel(Path("broken.mrva")); }),
              IDS_XML_LOAD_FAILED);
}

TEST_F(Thumbnail, HostileInputsAreRefusedWithoutBlockingOrAllocating) {
    // A pipe with no writer would block a plain open for ever; a folder is no file either.
    ASSERT_EQ(::mkfifo(Path("pipe.strk").c_str(), 0600), 0);
    EXPECT_NE(FailureOf([&] {
                  thumb::LoadThumbnailModel(Path("pipe.strk"));
              }).m_text.find("Not a regular file"),
              std::string::npos);
    EXPECT_EQ(FailureOf([&] { thumb::LoadThumbnailModel(m_folder.string()); }).m_code,
              std::uint32_t(EISDIR));
    EXPECT_EQ(FailureId([&] { thumb::LoadThumbnailModel(Path("missing.strk")); }),
              IDS_FILE_OPEN_FAILED);

    // Truncated anywhere, a drawing fails with the reader's messages.
    const std::vector<std::uint8_t> bytes = Drawing(100, 100).Bytes();
    for (std::size_t n : {std::size_t{3}, std::size_t{20}, bytes.size() / 2, bytes.size() - 1}) {
        Write("cut.strk", morvane::test::Truncated(bytes, n));
        EXPECT_NE(FailureId([&] { thumb::LoadThumbnailModel(Path("cut.strk")); }), 0) << n;
    }

    // Counts far beyond the file.
    StrkWriter counts = Drawing(100, 100);
    counts.Model().childCount = 0xFFFFFFFFu;
    Write("counts.strk", counts.Bytes());
    EXPECT_EQ(FailureId([&] { thumb::LoadThumbnailModel(Path("counts.strk")); }),
              IDS_OBJECT_COUNT_TOO_LARGE);

    // A page of 10^300 millimetres reads, but is not drawn.
    Write("page.strk", Drawing(1e300, 1e300).Bytes());
    const stroke::ModelPtr page = thumb::LoadThumbnailModel(Path("page.strk"));
    EXPECT_EQ(FailureId([&] { thumb::RenderThumbnail(page, 128); }), IDS_THUMBNAIL_PAGE_INVALID);

    // A bitmap wider than a thumbnail ever needs: the reader's own limits let it in, the
    // thumbnailer's do not.
    StrkWriter bomb = Drawing(100, 100);
    morvane::test::StrkTexture texture;
    texture.bitmap = morvane::test::SolidBitmap(5, 16000, 16, {1});
    bomb.Model().Layer().Fill(texture);
    const std::vector<std::uint8_t> bombBytes = bomb.Bytes();
    EXPECT_LT(bombBytes.size(), std::size_t{1} << 20);
    Write("bomb.strk", bombBytes);
    EXPECT_NO_THROW(stroke::CSerializer::ReadModel(Path("bomb.strk")));
    EXPECT_NE(FailureId([&] { thumb::LoadThumbnailModel(Path("bomb.strk")); }), 0);
}

TEST_F(Thumbnail, RunWritesAnOpaquePngOfTheAskedSizeOrNothing) {
    Drawing(297, 210).Save(Path("wide.strk"));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(thumb::RunThumbnailer({"-s", "200", Path("wide.strk"), Path("wide.png")}, out, err),
              thumb::kExitDone)
        << err.str();
    const PngInfo wide = ReadPng(Path("wide.png"));
    EXPECT_EQ(wide.width, 200u);
    EXPECT_EQ(wide.height, 141u);
    EXPECT_EQ(wide.colorType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(err.str(), "");

    // A failed run leaves no file, not even a temporary one, and says why on err.
    Write("cut.strk", morvane::test::Truncated(Drawing(297, 210).Bytes(), 40));
    EXPECT_EQ(thumb::RunThumbnailer({"-s", "64", Path("cut.strk"), Path("cut.png")}, out, err),
              thumb::kExitFailed);
    EXPECT_EQ(err.str().rfind("morvane-thumbnail: ", 0), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 3);
    EXPECT_FALSE(fs::exists(Path("cut.png")));

    // Usage errors end with the hint and status 2; --help goes to out.
    std::ostringstream usage;
    EXPECT_EQ(thumb::RunThumbnailer({"-s", "big", "a", "b"}, out, usage), thumb::kExitUsage);
    EXPECT_NE(usage.str().find("--help"), std::string::npos);
    EXPECT_EQ(thumb::RunThumbnailer({"--help"}, out, err), thumb::kExitDone);
    EXPECT_NE(out.str().find("-s SIZE INPUT OUTPUT"), std::string::npos);
}

// Runs body in a child process after ApplyLimits(limits); the child's exit status and its
// stderr.
struct ChildEnd {
    int status = -1;
    std::string err;
};
template <class F> ChildEnd RunLimited(const thumb::CLimits& limits, F body) {
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipe[1], STDERR_FILENO);
        ::close(pipe[0]);
        thumb::ApplyLimits(limits);
        body();
        ::_exit(0);
    }
    ::close(pipe[1]);
    ChildEnd end;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
        end.err.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    end.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return end;
}

TEST_F(Thumbnail, LimitsEndARunawayOrBlockedRunWithAMessage) {
    thumb::CLimits cpu;
    cpu.m_cpuSeconds = 1;
    cpu.m_wallSeconds = 20;
    cpu.m_addressSpace = 0;
    const ChildEnd spun = RunLimited(cpu, [] {
        std::atomic<std::uint64_t> spins{0};
        while (true) {
            spins.fetch_add(1, std::memory_order_relaxed);
        }
    });
    EXPECT_EQ(spun.status, thumb::kExitFailed);
    EXPECT_NE(spun.err.find("processor time"), std::string::npos) << spun.err;

    thumb::CLimits wall;
    wall.m_cpuSeconds = 20;
    wall.m_wallSeconds = 1;
    wall.m_addressSpace = 0;
    const ChildEnd blocked = RunLimited(wall, [] {
        int never[2];
        if (::pipe(never) == 0) {
            char c;
            ssize_t ignored = ::read(never[0], &c, 1); // no one ever writes
            (void)ignored;
        }
    });
    EXPECT_EQ(blocked.status, thumb::kExitFailed);
    EXPECT_NE(blocked.err.find("within 1 seconds"), std::string::npos) << blocked.err;
}

} // namespace
