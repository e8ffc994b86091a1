// The generation task end to end: drawings written with the test writer, a real run, and the
// PNG files it leaves in the output folder read back and measured.
#include "common/message_ids.h"
#include "engine/interpolator.h"
#include "engine/task.h"
#include "output/webp_encoder.h"
#include "platform/file_input_stream.h"
#include "platform/png_decoder.h"
#include "support/icc_fixture.h"
#include "support/strk_writer.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <atomic>
#include <boost/make_shared.hpp>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using morvane::test::CTempFolder;
using morvane::test::StrkWriter;

constexpr stroke::CColor kRed(65535, 0, 0, 0, 65535);

// A filled square of side 8; (x, y) is its top left corner.
struct Square {
    double x = 0.0;
    double y = 0.0;
    std::u16string name = u"square";
};

// What a frame shows: the alpha-weighted centre of what is drawn, and the drawn box.
struct Drawn {
    double cx = 0.0;
    double cy = 0.0;
    int left = -1;
    int top = -1;
    int right = -1; // exclusive
    int bottom = -1;
};

Drawn Measure(const CImg& img, int fromY = 0, int toY = -1) {
    Drawn d;
    double sum = 0.0;
    toY = toY < 0 ? img.m_height : toY;
    for (int y = fromY; y < toY; ++y) {
        for (int x = 0; x < img.m_width; ++x) {
            const double a = img.Row(y)[x * 4 + 3] / 255.0;
            if (a == 0.0) {
                continue;
            }
            sum += a;
            d.cx += (x + 0.5) * a;
            d.cy += (y + 0.5) * a;
            d.left = d.left < 0 ? x : std::min(d.left, x);
            d.top = d.top < 0 ? y : d.top;
            d.right = std::max(d.right, x + 1);
            d.bottom = y + 1;
        }
    }
    if (sum > 0.0) {
        d.cx /= sum;
        d.cy /= sum;
    }
    return d;
}

CImg ReadPng(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char head[24] = {};
    file.read(reinterpret_cast<char*>(head), sizeof head);
    const auto be32 = [&](int at) {
        return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3];
    };
    CImg img;
    img.m_pixelType = CImg::PIXEL_BGRA32;
    img.m_width = be32(16);
    img.m_height = be32(20);
    io::CFileInputStream in(path.string());
    codec::DecodePng(in, img);
    return img;
}

class TaskRun : public ::testing::Test {
protected:
    TaskRun() {
        fs::create_directories(Out());
        setting.SetSrcPath0(Write("a.strk", {{8, 20}}));
        setting.SetSrcPath1(Write("b.strk", {{40, 20}}));
        setting.SetDstFolder(Out().string());
        setting.SetDstName("f");
        setting.SetDigits(2);
        setting.SetDstFormat(mrv::DstFormat::PNG);
        setting.SetFlags(0);
        setting.SetInterFrameCount(3);
        setting.SetRoundType(mrv::RoundType::None);
        setting.SetInterpolateType(mrv::InterpolateType::LineLiner);
    }

    fs::path Out() const { return dir.Path() / "out"; }

    // A drawing of red squares on a page of w x h in the unit (1 pixels, 0 millimetres).
    std::string Write(const std::string& name, const std::vector<Square>& squares, double w = 64,
                      double h = 48, std::uint32_t unit = 1) const {
        StrkWriter writer;
        auto& model = writer.Model();
        model.unit = unit;
        model.resolution = 72;
        model.pageWidth = w;
        model.pageHeight = h;
        for (const Square& s : squares) {
            model.Line(s.name)
                .Fill(morvane::test::Mono(kRed))
                .Part(true)
                .Point(s.x, s.y, 0)
                .Point(s.x + 8, s.y, 0)
                .Point(s.x + 8, s.y + 8, 0)
                .Point(s.x, s.y + 8, 0);
        }
        const std::string path = (dir.Path() / name).string();
        writer.Save(path);
        return path;
    }

    // Runs a fresh task on the settings; the progress must end complete whatever happens.
    CSimpleErr Run(const CTerminable* stop = nullptr) {
        for (const auto& entry : fs::directory_iterator(Out())) {
            fs::remove_all(entry.path());
        }
        task = boost::make_shared<mrv::CTask>();
        task->Configure(setting);
        task->Run(stop);
        EXPECT_EQ(task->GetProgressPos(), task->GetProgressMax());
        return task->GetErr();
    }

    std::vector<std::string> Outputs() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Out())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::vector<CImg> Frames() const {
        std::vector<CImg> frames;
        for (const std::string& name : Outputs()) {
            frames.push_back(ReadPng(Out() / name));
        }
        return frames;
    }

    CTempFolder dir;
    mrv::CTaskSetting setting;
    boost::shared_ptr<mrv::CTask> task;
};

// Stops at the given question (counting from 1); the frames' threads ask it too.
class StopAt : public CTerminable {
public:
    explicit StopAt(int n) : m_left(n) {}
    bool IsTerminating() const override { return --m_left <= 0; }

private:
    mutable std::atomic<int> m_left;
};

TEST_F(TaskRun, FrameCountsAndOrderOfTheSchedule) {
    struct Case {
        int n;
        mrv::RoundType round;
        std::uint32_t roundFlags;
        std::vector<double> xs; // centre of the square in each written frame
        std::size_t rendered;
        bool mirrored;
    };
    const std::vector<Case> cases = {
        {3, mrv::RoundType::None, 0x03, {12, 20, 28, 36, 44}, 5, false},
        {0, mrv::RoundType::None, 0x03, {12, 44}, 2, false},
        {1, mrv::RoundType::Reverse, 0x03, {12, 28, 44, 28}, 4, false},
        // Every property comes back: the outward trip is rendered once and played backwards.
        {1, mrv::RoundType::Reverse, 0x1F, {12, 28, 44, 28}, 3, true},
        {0, mrv::RoundType::Reverse, 0x03, {12, 44}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n " << c.n << " flags " << c.roundFlags);
        setting.SetInterFrameCount(c.n);
        setting.SetRoundType(c.round);
        setting.SetRoundFlags(c.roundFlags);
        ASSERT_FALSE(Run().HasError());
        EXPECT_EQ(task->GetProgressMax(), 2 * c.n + 2 + 3);
        EXPECT_EQ(task->RenderedFrameCount(), c.rendered);
        EXPECT_EQ(task->IsMirrored(), c.mirrored);
        EXPECT_EQ(task->ListOutputPaths().size(), c.xs.size());
        const std::vector<CImg> frames = Frames();
        ASSERT_EQ(frames.size(), c.xs.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].m_width, 64);
            EXPECT_EQ(frames[i].m_height, 48);
            EXPECT_NEAR(Measure(frames[i]).cx, c.xs[i], 0.05) << "frame " << i;
        }
    }
    // The defaults: easing, rotating, colour and alpha reversed only; 16 frames are rendered.
    setting = mrv::CTaskSetting{};
    setting.SetSrcPath0(Write("a.strk", {{8, 20}}));
    setting.SetSrcPath1(Write("b.strk", {{40, 20}}));
    setting.SetDstFolder(Out().string());
    ASSERT_FALSE(Run().HasError());
    EXPECT_EQ(task->RenderedFrameCount(), 16u);
    EXPECT_EQ(Outputs(), std::vector<std::string>{"test.gif"});
}

// The centre of the square at each frame of an eight-frame loop, as the path of the method
// moves it, and what the rendered frames show of it.
TEST_F(TaskRun, PathsOfAMovedSquareForEveryMethodAndReturnTrip) {
    const my::pointd from{12, 24};
    const my::pointd to{44, 24};
    for (auto method : {mrv::InterpolateType::LineLiner, mrv::InterpolateType::LineCircle,
                        mrv::InterpolateType::Circle, mrv::InterpolateType::Arc}) {
        for (auto round : {mrv::RoundType::Reverse, mrv::RoundType::Rotate}) {
            SCOPED_TRACE(testing::Message() << "method " << int(method) << " round " << int(round));
            setting.SetInterpolateType(method);
            setting.SetRoundType(round);
            setting.SetInterpolateAmp(method == mrv::InterpolateType::Arc ? 2.0 : 0.5);
            ASSERT_FALSE(Run().HasError());
            const std::vector<CImg> frames = Frames();
            ASSERT_EQ(frames.size(), 8u);
            auto interpolator = mrv::CreateInterpolator(setting);
            std::vector<Drawn> seen;
            for (int i = 0; i < 8; ++i) {
                interpolator->SetFrame(i, 4, mrv::CAnimateItem{});
                const my::pointd expected = interpolator->InterpolatePoint(from, to);
                seen.push_back(Measure(frames[std::size_t(i)]));
                EXPECT_NEAR(seen.back().cx, expected.x, 0.05) << "frame " << i;
                EXPECT_NEAR(seen.back().cy, expected.y, 0.05) << "frame " << i;
            }
            // What each path means, independent of the formulas above.
            EXPECT_NEAR(seen[0].cx, 12, 0.05);
            EXPECT_NEAR(seen[4].cx, 44, 0.05);
            const double firstStep = seen[1].cx - seen[0].cx;
            const double sideOut = seen[2].cy - 24;
            const double sideBack = seen[6].cy - 24;
            switch (method) {
            case mrv::InterpolateType::LineLiner:
                EXPECT_NEAR(firstStep, 8, 0.05);
                EXPECT_NEAR(sideOut, 0, 0.05);
                break;
            case mrv::InterpolateType::LineCircle:
                EXPECT_LT(firstStep, 6); // eased in
                EXPECT_NEAR(sideOut, 0, 0.05);
                break;
            default:
                EXPECT_LT(sideOut, -3); // the path bulges to one side
                if (round == mrv::RoundType::Reverse) {
                    EXPECT_NEAR(sideBack, sideOut, 0.05); // back the same way
                } else {
                    EXPECT_GT(sideBack, 3); // on round the other side
                }
            }
        }
    }
}

TEST_F(TaskRun, PhasesShiftTheNamedFigures) {
    setting.SetSrcPath0(Write("a.strk", {{8, 4, u"plain"}, {8, 32, u"late{0.5}"}}));
    setting.SetSrcPath1(Write("b.strk", {{40, 4, u"plain"}, {40, 32, u"late{0.5}"}}));
    setting.SetInterFrameCount(1);
    setting.SetRoundType(mrv::RoundType::Reverse);
    setting.SetRoundFlags(0x1F);
    setting.SetFlags(mrv::TaskFlags::Phase);
    ASSERT_FALSE(Run().HasError());
    // A phase rules out replaying the outward trip, and START itself is interpolated too.
    EXPECT_FALSE(task->IsMirrored());
    std::vector<CImg> frames = Frames();
    ASSERT_EQ(frames.size(), 4u);
    const double plain[] = {12, 28, 44, 28};
    const double late[] = {28, 44, 28, 12};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(Measure(frames[i], 0, 24).cx, plain[i], 0.05) << i;
        EXPECT_NEAR(Measure(frames[i], 24).cx, late[i], 0.05) << i;
    }
    // Multiple 0 (or no Phase flag) cancels the phases.
    setting.SetPhaseMultiple(0.0);
    ASSERT_FALSE(Run().HasError());
    EXPECT_TRUE(task->IsMirrored());
    frames = Frames();
    EXPECT_NEAR(Measure(frames[0], 24).cx, 12, 0.05);
}

TEST_F(TaskRun, TrimsToWhatIsDrawnInAnyFrame) {
    setting.SetFlags(mrv::TaskFlags::AutoTrim);
    ASSERT_FALSE(Run().HasError());
    EXPECT_EQ(task->GetProgressMax(), 2 * (2 * 3 + 2) + 3);
    std::vector<CImg> frames = Frames();
    ASSERT_EQ(frames.size(), 5u);
    for (const CImg& frame : frames) {
        EXPECT_EQ(frame.m_width, 40); // x 8 to 48
        EXPECT_EQ(frame.m_height, 8);
    }
    EXPECT_EQ(Measure(frames[0]).left, 0);
    EXPECT_EQ(Measure(frames[4]).right, 40);

    // A square that leaves the page: the trim stops at the page edge.
    setting.SetSrcPath1(Write("b.strk", {{60, 20}}));
    ASSERT_FALSE(Run().HasError());
    EXPECT_EQ(Frames()[0].m_width, 56);

    // Trimmed, then resized to 20 x 10 keeping the proportion: scale 0.25 from 80 x 8.
    setting.SetSrcPath1(Write("b.strk", {{80, 20}}, 96));
    setting.SetSrcPath0(Write("a.strk", {{8, 20}}, 96));
    setting.SetFlags(mrv::TaskFlags::AutoTrim | mrv::TaskFlags::Resize |
                     mrv::TaskFlags::KeepProportion);
    setting.SetWidth(20);
    setting.SetHeight(10);
    ASSERT_FALSE(Run().HasError());
    EXPECT_EQ(Frames()[0].m_width, 20);
    EXPECT_EQ(Frames()[0].m_height, 2);

    // A millimetre drawing is trimmed at the requested resolution: 8 mm at 72 dpi.
    setting.SetSrcPath0(Write("a.strk", {{8, 20}}, 100, 100, 0));
    setting.SetSrcPath1(Write("b.strk", {{8, 20}}, 100, 100, 0));
    setting.SetFlags(mrv::TaskFlags::AutoTrim);
    ASSERT_FALSE(Run().HasError());
    EXPECT_EQ(Frames()[0].m_width, 23); // ceil(8 x 72 / 25.4)
}

TEST_F(TaskRun, ResizesWithAndWithoutTheProportion) {
    setting.SetSrcPath0(Write("a.strk", {{0, 0}}, 640, 480));
    setting.SetSrcPath1(Write("b.strk", {{632, 472}}, 640, 480));
    setting.SetInterFrameCount(0);
    setting.SetWidth(320);
    setting.SetHeight(270);
    setting.SetFlags(mrv::TaskFlags::Resize | mrv::TaskFlags::KeepProportion);
    ASSERT_FALSE(Run().HasError());
    std::vector<CImg> frames = Frames();
    EXPECT_EQ(frames[0].m_width, 320);
    EXPECT_EQ(frames[0].m_height, 270);
    Drawn d = Measure(frames[0]);
    EXPECT_NEAR(d.cx, 2, 0.05); // half size, centred: 15 pixels down
    EXPECT_NEAR(d.cy, 17, 0.05);

    setting.SetFlags(mrv::TaskFlags::Resize);
    ASSERT_FALSE(Run().HasError());
    frames = Frames();
    d = Measure(frames[1]);
    EXPECT_NEAR(d.cx, 636 * 0.5, 0.05);
    EXPECT_NEAR(d.cy, 476 * 0.5625, 0.05);

    // A millimetre A4 page at 72 dpi is rendered at its size in pixels, rounded up.
    setting.SetSrcPath0(Write("a.strk", {{10, 10}}, 210, 297, 0));
    setting.SetSrcPath1(Write("b.strk", {{20, 10}}, 210, 297, 0));
    setting.SetFlags(0);
    ASSERT_FALSE(Run().HasError());
    frames = Frames();
    EXPECT_EQ(frames[0].m_width, 596);
    EXPECT_EQ(frames[0].m_height, 842);
}

TEST_F(TaskRun, BackgroundIsTheChosenColour) {
    setting.SetInterFrameCount(0);
    ASSERT_FALSE(Run().HasError());
    EXPECT_EQ(Frames()[0].Row(0)[3], 0); // transparent without the flag

    // BkColor holds blue, green, red: this is a half-transparent orange.
    setting.SetFlags(mrv::TaskFlags::BkColor);
    setting.SetBkColor(my::colord{0.0, 0.5, 1.0, 0.0, 0.5});
    ASSERT_FALSE(Run().HasError());
    const std::vector<CImg> frames = Frames();
    const std::uint8_t* corner = frames[0].Row(0);
    EXPECT_NEAR(corner[2], 255, 1); // red
    EXPECT_NEAR(corner[1], 128, 1);
    EXPECT_NEAR(corner[0], 0, 1);
    EXPECT_NEAR(corner[3], 128, 1);
}

TEST_F(TaskRun, ConvertsADrawingOfAnotherRgbProfile) {
    // START carries an sRGB profile of its own, END none: both end up in the working space,
    // so they pair, and red stays red.
    StrkWriter writer;
    auto& model = writer.Model();
    model.unit = 1;
    model.pageWidth = 64;
    model.pageHeight = 48;
    model.Profile(morvane::test::MakeSrgbProfile("another sRGB", 2.1));
    model.Line(u"square")
        .Fill(morvane::test::Mono(kRed))
        .Part(true)
        .Point(8, 20, 0)
        .Point(16, 20, 0)
        .Point(16, 28, 0)
        .Point(8, 28, 0);
    writer.Save((dir.Path() / "a.strk").string());
    setting.SetInterFrameCount(0);
    ASSERT_FALSE(Run().HasError()) << task->GetErr().m_text;
    const CImg frame = Frames()[0];
    const std::uint8_t* inside = frame.Row(24) + 12 * 4;
    EXPECT_NEAR(inside[2], 255, 2);
    EXPECT_NEAR(inside[1], 0, 2);
    EXPECT_EQ(inside[3], 255);
}

TEST_F(TaskRun, FailuresAndStopsWriteNothing) {
    // A stop during the measuring pass: two loads, then two frames measured.
    setting.SetFlags(mrv::TaskFlags::AutoTrim);
    StopAt stop(4);
    CSimpleErr err = Run(&stop);
    EXPECT_EQ(err.m_id, IDS_TASK_INTERRUPTED);
    EXPECT_EQ(err.m_text, "処理が中断されました");
    EXPECT_TRUE(Outputs().empty());

    // A stop while the frames are written: the files written so far go as well.
    StopAt late(2 + 2 * 5 + 3);
    EXPECT_EQ(Run(&late).m_id, IDS_TASK_INTERRUPTED);
    EXPECT_TRUE(Outputs().empty());
    setting.SetFlags(0);

    const std::string start = setting.GetSrcPath0();
    const std::string end = setting.GetSrcPath1();
    struct Case {
        std::string start;
        std::string end;
        std::uint32_t id;
    };
    StrkWriter three;
    three.Model().unit = 1;
    three.Model().pageWidth = 64;
    three.Model().pageHeight = 48;
    three.Model()
        .Line(u"square")
        .Fill(morvane::test::Mono(kRed))
        .Part(true)
        .Point(0, 0)
        .Point(1, 1)
        .Point(2, 0);
    three.Save((dir.Path() / "three.strk").string());
    const std::vector<Case> cases = {
        {start, (dir.Path() / "missing.strk").string(), IDS_FILE_OPEN_FAILED},
        {start, (dir.Path() / "three.strk").string(), IDS_PAIR_POINT_COUNT},
        {start, Write("wide.strk", {{40, 20}}, 65), IDS_PAIR_WIDTH},
        {start, Write("two.strk", {{40, 20}, {0, 0}}), IDS_PAIR_CHILD_COUNT},
    };
    for (const Case& c : cases) {
        setting.SetSrcPath0(c.start);
        setting.SetSrcPath1(c.end);
        EXPECT_EQ(Run().m_id, c.id) << c.end;
        EXPECT_TRUE(Outputs().empty());
    }
    setting.SetSrcPath1(end);

    // The checks the task repeats, and values only the run can reject.
    setting.SetFrameRate(0);
    EXPECT_EQ(Run().m_id, IDS_FRAME_RATE_INVALID);
    setting.SetFrameRate(1000);
    setting.SetInterFrameCount(-1);
    EXPECT_EQ(Run().m_id, IDS_INTER_FRAME_COUNT_INVALID);
    setting.SetInterFrameCount(3);
    setting.SetDpi(0);
    EXPECT_EQ(Run().m_id, IDS_RESOLUTION_INVALID);
    setting.SetDpi(72);
    setting.SetInterpolateType(mrv::InterpolateType::Arc);
    setting.SetInterpolateAmp(0.5);
    EXPECT_EQ(Run().m_id, IDS_ARC_AMPLITUDE_INVALID);
    setting.SetInterpolateType(mrv::InterpolateType::LineLiner);
    // Pages the renderer cannot make are the user's sizes: refused by name before any frame.
    // (A frame too large for memory is refused too: CliRun.AFrameLargerThanMemoryIsRefused.)
    setting.SetFlags(mrv::TaskFlags::Resize);
    setting.SetInterFrameCount(3);
    setting.SetWidth(40000);
    setting.SetHeight(10);
    err = Run();
    EXPECT_EQ(err.m_id, IDS_IMAGE_TOO_LARGE_TO_DRAW);
    EXPECT_NE(err.m_text.find("40000 x 10"), std::string::npos) << err.m_text;
    EXPECT_NE(err.m_text.find("32767"), std::string::npos) << err.m_text;
    EXPECT_EQ(task->RenderedFrameCount(), 0u);
    setting.SetFlags(0);
    setting.SetSrcPath0(Write("flat0.strk", {{0, 0}}, 0, 48));
    setting.SetSrcPath1(Write("flat1.strk", {{0, 0}}, 0, 48));
    err = Run();
    EXPECT_EQ(err.m_id, IDS_PAGE_EMPTY);
    EXPECT_NE(err.m_text.find("0 x 48"), std::string::npos) << err.m_text;
    EXPECT_TRUE(Outputs().empty());
}

// Animated WebP through the frame pool: stops at any point, those asked inside libwebp
// included, and a size WebP cannot hold, leave nothing behind.
TEST_F(TaskRun, AnimatedWebpStopsAndRefusalsWriteNothing) {
    setting.SetDstFormat(mrv::DstFormat::WEBP);
    ASSERT_EQ(Run().m_id, 0);
    EXPECT_EQ(Outputs(), std::vector<std::string>{"f.webp"});
    for (const int at : {3, 6, 9, 12, 20}) {
        StopAt stop(at);
        const CSimpleErr err = Run(&stop);
        EXPECT_EQ(err.m_id, IDS_TASK_INTERRUPTED) << at;
        EXPECT_TRUE(Outputs().empty()) << at;
    }
    setting.SetFlags(mrv::TaskFlags::Resize);
    setting.SetWidth(codec::kWebpMaxDimension + 1);
    setting.SetHeight(8);
    const CSimpleErr err = Run();
    EXPECT_EQ(err.m_id, IDS_WEBP_TOO_LARGE);
    EXPECT_NE(err.m_text.find("16384 x 8"), std::string::npos) << err.m_text;
    EXPECT_TRUE(Outputs().empty());
}

TEST_F(TaskRun, AFolderThatCannotTakeTheFilesFailsBeforeTheFirstFrame) {
    struct Case {
        std::string folder;
        std::string name;
        const char* reason;
    };
    std::ofstream(dir.Path() / "plain") << "x";
    const std::vector<Case> cases = {
        {(dir.Path() / "missing").string(), "f", "No such file or directory"},
        {(dir.Path() / "plain").string(), "f", "Not a directory"},
        // Only the last file of the sequence is too long: it would fail after all the others.
        {Out().string(), std::string(249, 'n'), "File name too long"},
    };
    setting.SetStartNo(98);
    for (const Case& c : cases) {
        setting.SetDstFolder(c.folder);
        setting.SetDstName(c.name);
        const CSimpleErr err = Run();
        EXPECT_EQ(err.m_id, IDS_FILE_CREATE_FAILED) << err.m_text;
        EXPECT_NE(err.m_text.find(c.reason), std::string::npos) << err.m_text;
        EXPECT_NE(err.m_text.find(c.folder + "/" + c.name), std::string::npos) << err.m_text;
        EXPECT_EQ(task->RenderedFrameCount(), 0u) << c.reason;
        EXPECT_TRUE(Outputs().empty());
    }
}

TEST_F(TaskRun, ARunRemovesTheTemporaryFilesOfKilledRuns) {
    // A process that has ended: its pid is free until the system hands it out again.
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    const std::string dead = ".morvane-" + std::to_string(child) + "-3.tmp";
    const std::string live = ".morvane-" + std::to_string(getpid()) + "-900.tmp";
    ASSERT_FALSE(Run().HasError());
    std::ofstream(Out() / dead) << "left by a killed run";
    std::ofstream(Out() / live) << "being written";
    auto fresh = boost::make_shared<mrv::CTask>();
    fresh->Configure(setting);
    fresh->Run(nullptr);
    ASSERT_FALSE(fresh->HasErr()) << fresh->GetErr().m_text;
    EXPECT_FALSE(fs::exists(Out() / dead));
    EXPECT_TRUE(fs::exists(Out() / live));
    EXPECT_EQ(Outputs().size(), 6u); // five frames and the live file
}

// The bar moves while the frames are written, not only while they are made: it does not stand
// at its last step for the whole length of the writing.
TEST_F(TaskRun, ProgressMovesWhileTheFramesAreWritten) {
    // Asked between frames by every thread; remembers the position it was asked at.
    class CWatch : public CTerminable {
    public:
        explicit CWatch(const boost::shared_ptr<mrv::CTask>& task) : m_task(task) {}
        bool IsTerminating() const override {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_seen.push_back(m_task->GetProgressPos());
            return false;
        }
        std::vector<int> Seen() const {
            std::lock_guard<std::mutex> lock(m_mutex);
            return m_seen;
        }

    private:
        const boost::shared_ptr<mrv::CTask>& m_task;
        mutable std::mutex m_mutex;
        mutable std::vector<int> m_seen;
    };
    setting.SetDstFormat(mrv::DstFormat::AGIF);
    setting.SetInterFrameCount(11);
    setting.SetRoundType(mrv::RoundType::Reverse);
    CWatch watch(task);
    ASSERT_FALSE(Run(&watch).HasError());
    const std::vector<int> seen = watch.Seen();
    const int last = task->GetProgressMax() - 1;
    EXPECT_LE(std::count(seen.begin(), seen.end(), last), 2) << "a stall at the last step";
    EXPECT_GT(std::set<int>(seen.begin(), seen.end()).size(), 20u);
}

TEST_F(TaskRun, ListsOutputsAndTellsTheClient) {
    setting.SetRoundType(mrv::RoundType::Rotate);
    auto fresh = boost::make_shared<mrv::CTask>();
    fresh->Configure(setting);
    EXPECT_EQ(fresh->ListOutputPaths().size(), 8u);
    EXPECT_EQ(fresh->ListOutputPaths()[7], (Out() / "f07.png").string());
    EXPECT_EQ(fresh->GetProgressPos(), -1);
    struct Client : mrv::CTaskClient {
        int calls = 0;
        void OnTaskEnd(mrv::CTask& t) override {
            ++calls;
            EXPECT_EQ(t.GetProgressPos(), t.GetProgressMax());
        }
    } client;
    fresh->SetClient(&client);
    fresh->Run(nullptr);
    EXPECT_FALSE(fresh->HasErr());
    EXPECT_EQ(client.calls, 1);

    // An animated PNG holds every frame of the loop.
    setting.SetDstFormat(mrv::DstFormat::APNG);
    ASSERT_FALSE(Run().HasError());
    ASSERT_EQ(Outputs(), std::vector<std::string>{"f.png"});
    std::ifstream in(Out() / "f.png", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const auto at = bytes.find("acTL");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(bytes[at + 7], 8);
}

} // namespace
