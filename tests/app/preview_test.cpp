// The live preview in the main window: the frames against the APNG that Generate writes, the
// re-render after a change (and only one after many), problems shown in the pane, playback,
// frames rendered on demand, and an event loop that never waits on the rendering.
#include "apng_walker.h"
#include "app/difference_view.h"
#include "app/generation.h"
#include "app/preview_canvas.h"
#include "app/preview_pane.h"
#include "app_fixture.h"
#include "engine/task.h"
#include "settings/project_file.h"
#include "stroke/figure_type.h"
#include "support/pair_drawings.h"
#include "support/strk_writer.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

namespace fs = std::filesystem;
using morvane::test::CAppFixture;
using morvane::test::StrkWriter;

// Runs the event loop until done() holds; false after timeoutMs.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 30000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

class Preview : public ::testing::Test {
protected:
    Preview() : pane(f.m_frame->GetPreview()) {
        f.m_frame->SetGeneration(std::make_unique<mrv::CGenerationT<mrv::CTask>>(f.m_app));
        f.m_frame->resize(1400, 800);
        f.m_frame->show();
    }

    // Opens the settings as the project's record, the output in the temporary folder.
    void Open(mrv::CTaskSetting task) {
        task.SetDstFolder(f.m_temp.Str());
        f.m_app.m_doc.SetTask(task);
    }
    mrv::CTaskSetting Example(const std::string& name) {
        mrv::CTaskSetting task;
        CSimpleErr err;
        EXPECT_TRUE(LoadProject(std::string(EXAMPLES_DIR) + "/" + name + ".mrva", task, err))
            << err.m_text;
        return task;
    }
    bool Settled() {
        return WaitFor([this] {
            return pane.IsSettled() &&
                   (pane.FrameCount() == 0 || pane.AllFramesReady() || pane.IsOnDemand());
        });
    }
    // Types text into a box of the form as the user would, replacing what it shows.
    static void Type(QComboBox& box, const QString& text) {
        box.lineEdit()->selectAll();
        QTest::keyClicks(box.lineEdit(), text);
    }

    // A pair of squares of side 16 at START's and END's corner on a page of width x height.
    std::string Squares(const std::string& name, std::vector<std::pair<double, double>> at,
                        double width = 64, double height = 48, double side = 16) {
        StrkWriter writer;
        auto& model = writer.Model();
        model.unit = 1;
        model.resolution = 72;
        model.pageWidth = width;
        model.pageHeight = height;
        for (const auto& [x, y] : at) {
            model.Line(u"sq")
                .Fill(morvane::test::Mono(stroke::CColor(0, 20000, 65535, 0, 65535)))
                .Part(true)
                .Point(x, y, 0)
                .Point(x + side, y, 0)
                .Point(x + side, y + side, 0)
                .Point(x, y + side, 0);
        }
        const std::string path = (f.m_temp.Path() / name).string();
        writer.Save(path);
        return path;
    }
    mrv::CTaskSetting SquarePair(int n) {
        mrv::CTaskSetting task;
        task.SetSrcPath0(Squares("a.strk", {{4, 4}}));
        task.SetSrcPath1(Squares("b.strk", {{44, 28}}));
        task.SetInterFrameCount(n);
        task.SetRoundType(mrv::RoundType::None);
        return task;
    }

    CAppFixture f;
    mrv::CPreviewPane& pane;
};

TEST_F(Preview, EveryExampleShowsTheFramesOfTheApngGenerateWrites) {
    pane.SetActualSize(true);
    for (const std::string name : {"morph", "widths", "curved_text", "phased_dots"}) {
        SCOPED_TRACE(name);
        mrv::CTaskSetting task = Example(name);
        task.SetDstFormat(mrv::DstFormat::APNG);
        Open(task);
        f.m_frame->RunCommand(mrv::kCmdGenerate);
        ASSERT_TRUE(WaitFor([&] { return !f.m_frame->GetGeneration()->IsActive(); }));
        ASSERT_TRUE(f.m_msg.m_errors.empty()) << f.m_msg.m_errors[0].m_text;
        const outtest::CApng apng = outtest::ReadApng(f.m_temp.Path() / (name + ".png"));
        ASSERT_EQ(apng.m_error, "");

        ASSERT_TRUE(Settled());
        ASSERT_EQ(pane.FrameCount(), apng.m_numFrames);
        for (std::size_t k = 0; k < pane.FrameCount(); ++k) {
            const QImage frame = pane.Frame(k);
            ASSERT_EQ(frame.width(), int(apng.m_width));
            ASSERT_EQ(frame.height(), int(apng.m_height));
            const std::vector<std::uint8_t>& canvas = apng.m_canvases[k];
            std::size_t differing = 0;
            for (int y = 0; y < frame.height(); ++y) {
                const std::uint8_t* row = frame.constScanLine(y);
                for (int x = 0; x < frame.width(); ++x) {
                    const std::uint8_t* bgra = row + 4 * x;
                    const std::uint8_t* rgba = &canvas[4 * (std::size_t(y) * apng.m_width + x)];
                    // A transparent pixel has no colour to compare.
                    const bool same = bgra[3] == rgba[3] &&
                                      (rgba[3] == 0 || (bgra[2] == rgba[0] && bgra[1] == rgba[1] &&
                                                        bgra[0] == rgba[2]));
                    differing += same ? 0 : 1;
                }
            }
            EXPECT_EQ(differing, 0u) << "frame " << k;
        }
    }
}

TEST_F(Preview, FewerInBetweensRenderOnceAfterTheLastChange) {
    Open(Example("morph"));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(pane.FrameCount(), 24u); // 11 in-betweens there and back

    QElapsedTimer clock;
    clock.start();
    Type(*f.View().m_interFrameCount, "3");
    ASSERT_TRUE(Settled());
    RecordProperty("MillisecondsTo8Frames", int(clock.elapsed()));
    EXPECT_EQ(pane.FrameCount(), 8u);

    // Ten changes in quick succession: one render, of the last value.
    const std::uint64_t completed = pane.Renderer().CompletedCount();
    for (int n = 4; n <= 13; ++n) {
        Type(*f.View().m_interFrameCount, QString::number(n));
        QTest::qWait(20);
    }
    ASSERT_TRUE(Settled());
    EXPECT_EQ(pane.Renderer().CompletedCount(), completed + 1);
    EXPECT_EQ(pane.FrameCount(), 28u);
}

// Records what a renderer reports, from its thread.
class CRecordingClient : public mrv::CPreviewClient {
public:
    void OnPreviewStarted(std::uint64_t request, std::size_t, QSize, bool) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_started.push_back(request);
    }
    void OnPreviewFrame(std::uint64_t, std::size_t, QImage) override {}
    void OnPreviewFinished(std::uint64_t request) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished.push_back(request);
    }
    void OnPreviewFailed(std::uint64_t, CSimpleErr err) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failures.push_back(err);
    }
    void OnPreviewMismatch(std::uint64_t, mrv::CPreviewMismatch) override {}
    std::vector<std::uint64_t> Finished() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_finished;
    }

    mutable std::mutex m_mutex;
    std::vector<std::uint64_t> m_started;
    std::vector<std::uint64_t> m_finished;
    std::vector<CSimpleErr> m_failures;
};

TEST_F(Preview, ANewerRequestStopsTheStaleOnes) {
    // Straight to a renderer, with no pause in between: each request replaces the last.
    mrv::CTaskSetting task = Example("morph");
    CRecordingClient client;
    std::uint64_t last = 0;
    {
        mrv::CPreviewRenderer renderer(client);
        for (int n = 30; n < 40; ++n) {
            task.SetInterFrameCount(n);
            last = renderer.Submit({task, QSize(300, 200)});
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(WaitFor([&] { return !client.Finished().empty(); }));
        EXPECT_EQ(renderer.CompletedCount(), 1u);
        EXPECT_LE(renderer.CancelledCount(), 9u);
    }
    EXPECT_EQ(client.Finished(), std::vector<std::uint64_t>{last});
    EXPECT_TRUE(client.m_failures.empty());
}

TEST_F(Preview, AMismatchIsShownInThePaneUntilTheDrawingIsMended) {
    Open(SquarePair(2));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(pane.FrameCount(), 4u);
    EXPECT_EQ(pane.Message(), "");

    // END gains a second square on disk: the message Generate shows, in the pane's list of
    // differences.
    Squares("b.strk", {{44, 28}, {4, 30}});
    ASSERT_TRUE(WaitFor([&] { return pane.Differences() != nullptr && pane.IsSettled(); }));
    auto task = boost::make_shared<mrv::CTask>();
    task->Configure(f.m_app.m_doc.GetTask());
    task->Run(nullptr);
    ASSERT_TRUE(task->HasErr());
    const mrv::CPreviewMismatch& shown = pane.Differences()->Mismatch();
    ASSERT_EQ(shown.m_differences.size(), 1u);
    EXPECT_EQ(shown.m_differences[0].m_text.toStdString(), task->GetErr().m_text);
    EXPECT_EQ(pane.FrameCount(), 0u);
    EXPECT_TRUE(f.m_msg.m_errors.empty()); // no message box

    Squares("b.strk", {{40, 20}});
    ASSERT_TRUE(WaitFor([&] { return pane.Differences() == nullptr && pane.FrameCount() == 4u; }));
    ASSERT_TRUE(Settled());

    // An unreadable drawing and a setting Generate refuses are shown the same way.
    Type(*f.View().m_srcPath1, QString::fromStdString((f.m_temp.Path() / "none.strk").string()));
    ASSERT_TRUE(WaitFor([&] { return !pane.Message().isEmpty() && pane.IsSettled(); }));
    EXPECT_NE(pane.Message().indexOf("none.strk"), -1) << pane.Message().toStdString();
}

TEST_F(Preview, PlaysAtTheFrameRateAndStopsAfterTheLoops) {
    mrv::CTaskSetting task = SquarePair(2);
    task.SetFrameRate(10000); // a hundred frames a second
    task.SetLoopCount(2);
    Open(task);
    ASSERT_TRUE(Settled());
    ASSERT_TRUE(WaitFor([&] { return !pane.IsPlaying(); }, 5000));
    EXPECT_EQ(pane.CurrentFrame(), 3u); // on the last frame
    EXPECT_EQ(pane.PositionText(), QString::fromUtf8("フレーム 4 / 4"));

    // The keys: space plays again from the start, the arrows step and pause.
    QTest::keyClick(&pane.Canvas(), Qt::Key_Space);
    EXPECT_TRUE(pane.IsPlaying());
    QTest::keyClick(&pane.Canvas(), Qt::Key_Space);
    EXPECT_FALSE(pane.IsPlaying());
    const std::size_t at = pane.CurrentFrame();
    QTest::keyClick(&pane.Canvas(), Qt::Key_Right);
    EXPECT_EQ(pane.CurrentFrame(), (at + 1) % 4);
    QTest::keyClick(&pane.Canvas(), Qt::Key_Left);
    QTest::keyClick(&pane.Canvas(), Qt::Key_Left);
    EXPECT_EQ(pane.CurrentFrame(), (at + 3) % 4);

    // Endless: still playing after many rounds.
    Type(*f.View().m_loopCount, "0");
    pane.Play();
    QTest::qWait(300);
    EXPECT_TRUE(pane.IsPlaying());

    // Every control of the pane has a name for assistive technology.
    for (QWidget* control : pane.findChildren<QAbstractButton*>()) {
        EXPECT_FALSE(control->accessibleName().isEmpty());
    }
    for (QWidget* control : pane.findChildren<QSlider*>()) {
        EXPECT_FALSE(control->accessibleName().isEmpty());
    }
    EXPECT_FALSE(pane.Canvas().accessibleName().isEmpty());
}

TEST_F(Preview, PastTheMemoryCapFramesAreRenderedWhenShown) {
    Open(SquarePair(3));
    ASSERT_TRUE(Settled());
    pane.Pause();
    const QImage kept = pane.Frame(2);
    ASSERT_FALSE(kept.isNull());

    pane.Renderer().SetMemoryCap(1);
    pane.Reload();
    ASSERT_TRUE(WaitFor([&] { return pane.IsSettled() && pane.IsOnDemand(); }));
    pane.ShowFrame(2);
    ASSERT_TRUE(WaitFor([&] { return pane.CurrentFrame() == 2 && !pane.Frame(2).isNull(); }));
    EXPECT_EQ(pane.Frame(2), kept);
    EXPECT_TRUE(pane.Frame(1).isNull()); // nothing else is kept
}

TEST_F(Preview, TheWindowStaysResponsiveWhileAFullHdDrawingRenders) {
    // Large shapes across a 1920 x 1080 page, shown at their own size.
    std::vector<std::pair<double, double>> start, end;
    for (int i = 0; i < 12; ++i) {
        start.push_back({40.0 + 150 * i, 60.0 + 60 * (i % 5)});
        end.push_back({1700.0 - 140 * i, 700.0 - 50 * (i % 7)});
    }
    mrv::CTaskSetting task;
    task.SetSrcPath0(Squares("big-a.strk", start, 1920, 1080, 300));
    task.SetSrcPath1(Squares("big-b.strk", end, 1920, 1080, 300));
    task.SetInterFrameCount(12);
    pane.SetActualSize(true);

    morvane::test::CStallMeter meter(2);
    meter.Start();
    Open(task);
    ASSERT_TRUE(Settled());
    meter.Stop();
    const qint64 longest = meter.Longest();
    RecordProperty("LongestStallMs", int(longest));
    EXPECT_EQ(pane.FrameCount(), 26u);
    EXPECT_EQ(pane.Frame(0).size(), QSize(1920, 1080));
    EXPECT_LE(longest, 50) << "the event loop stalled for " << longest << " ms";
}

// The columns of an image that hold anything but the background of its first pixel, grouped
// into runs of neighbouring columns: one per figure for figures side by side.
std::vector<std::pair<int, int>> DrawnColumns(const QImage& image) {
    const QRgb background = image.pixel(0, image.height() - 1);
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < image.width(); ++x) {
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y) {
            drawn = image.pixel(x, y) != background;
        }
        if (drawn && !runs.empty() && runs.back().second == x) {
            runs.back().second = x + 1;
        } else if (drawn) {
            runs.push_back({x, x + 1});
        }
    }
    return runs;
}

TEST_F(Preview, EveryDifferenceIsListedAndOutlinedWhereItIs) {
    // Lines l1 .. l4 side by side; END differs in l1 (a point), l2 (a fill kind), l4 (a cap).
    const std::string start = (f.m_temp.Path() / "lines-a.strk").string();
    const std::string end = (f.m_temp.Path() / "lines-b.strk").string();
    morvane::test::LineDrawing(4, {}, 40).Save(start);
    morvane::test::ThreeDifferences(40).Save(end);
    mrv::CTaskSetting task;
    task.SetSrcPath0(start);
    task.SetSrcPath1(end);
    Open(task);
    ASSERT_TRUE(WaitFor([&] { return pane.Differences() != nullptr && pane.IsSettled(); }));
    mrv::CDifferenceView& view = *pane.Differences();
    const mrv::CPreviewMismatch& shown = view.Mismatch();
    ASSERT_EQ(shown.m_differences.size(), 3u);
    EXPECT_EQ(view.List().count(), 3);
    EXPECT_NE(shown.m_differences[0].m_startSide.indexOf("1-1-1"), -1);
    EXPECT_NE(shown.m_differences[1].m_startSide.indexOf("1-2"), -1);
    EXPECT_NE(shown.m_differences[2].m_startSide.indexOf("1-4"), -1);

    // Each entry's outline holds the drawn pixels of its line in START and no other line's.
    const std::vector<std::pair<int, int>> lines = DrawnColumns(shown.m_start);
    ASSERT_EQ(lines.size(), 4u);
    const int named[] = {0, 1, 3}; // l1, l2, l4
    for (int entry = 0; entry < 3; ++entry) {
        SCOPED_TRACE(entry);
        const QRectF mark = shown.m_differences[std::size_t(entry)].m_startMark;
        ASSERT_FALSE(mark.isEmpty());
        for (int line = 0; line < 4; ++line) {
            // Antialiasing touches the pixel beside an edge.
            const bool inside = mark.left() - 1 <= lines[std::size_t(line)].first &&
                                lines[std::size_t(line)].second <= mark.right() + 1;
            const bool apart = mark.right() < lines[std::size_t(line)].first ||
                               lines[std::size_t(line)].second <= mark.left();
            EXPECT_TRUE(line == named[entry] ? inside : apart)
                << "line " << line << " at " << lines[std::size_t(line)].first << ".."
                << lines[std::size_t(line)].second << ", mark " << mark.left() << ".."
                << mark.right();
        }
        EXPECT_FALSE(shown.m_differences[std::size_t(entry)].m_endMark.isEmpty());
    }

    // Choosing an entry emphasises it in both drawings.
    view.List().setCurrentRow(2);
    EXPECT_EQ(view.Chosen(), 2);
    EXPECT_EQ(view.StartCanvas().Marks().size(), 3u);
    EXPECT_EQ(view.EndCanvas().Marks()[2], shown.m_differences[2].m_endMark);

    // Mending two differences on disk updates the list.
    morvane::test::LineDrawing(
        4,
        [](int i, morvane::test::StrkFigure& line) {
            if (i == 3) {
                line.lineCap = stroke::CAP_SQUARE;
            }
        },
        40)
        .Save(end);
    ASSERT_TRUE(WaitFor([&] {
        return pane.Differences() != nullptr && pane.IsSettled() &&
               pane.Differences()->Mismatch().m_differences.size() == 1u;
    }));
    EXPECT_NE(pane.Differences()->Mismatch().m_differences[0].m_startSide.indexOf("1-4"), -1);
}

} // namespace
