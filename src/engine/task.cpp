#include "engine/task.h"

#include "common/message_ids.h"
#include "engine/frame_schedule.h"
#include "engine/interpolator.h"
#include "engine/pairing.h"
#include "output/output_file.h"
#include "platform/color_profile.h"
#include "render/calc_bounds.h"
#include "render/img_renderer.h"
#include "render/model_renderer.h"
#include "stroke/serializer.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <unistd.h>

namespace mrv {

namespace {

// A page side in whole pixels, checked before an image of that size is made.
// A page side in whole pixels as the user reads it.
std::string SideText(double side) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", std::ceil(side));
    return text;
}

// A frame's page in whole pixels. An empty page, or one larger than the renderer can hold, is a
// size the user chose (the drawing's page or the output size), so the message names it.
stroke::CPageRect PixelPage(double width, double height) {
    const double w = std::ceil(width);
    const double h = std::ceil(height);
    if (!(w >= 1.0 && h >= 1.0)) {
        throw my::CException(IDS_PAGE_EMPTY, SideText(width), SideText(height));
    }
    if (w > raster::kMaxPageSide || h > raster::kMaxPageSide) {
        throw my::CException(IDS_IMAGE_TOO_LARGE_TO_DRAW, SideText(width), SideText(height),
                             raster::kMaxPageSide);
    }
    return {0, 0, static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)};
}

// A colour value of 0..1 as a 16-bit channel, truncated; values outside are held to the range.
std::uint16_t ChannelOf(double value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0.0, 1.0) * 65535);
}

// The machine's physical memory in bytes; 0 when the system does not say.
std::uint64_t PhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

} // namespace

void CTask::Configure(const CTaskSetting& setting) {
    m_setting = setting;
    m_saver = CreateSaver(m_setting);
}

std::vector<std::string> CTask::ListOutputPaths() const {
    std::vector<std::string> paths;
    if (m_saver) {
        m_saver->ListFilePaths(paths, m_setting.GetInterFrameCount());
    }
    return paths;
}

void CTask::CheckTerminated() const {
    if (IsTerminating()) {
        throw my::CException(IDS_TASK_INTERRUPTED);
    }
}

void CTask::Run(const CTerminable* terminator) {
    SetTerminator(terminator);
    ClearErr();
    try {
        Execute();
    } catch (const my::CException& e) {
        m_err = e;
    } catch (const std::bad_alloc&) {
        m_err = my::InternalError("mrv::CTask::Run()\nout of memory");
    } catch (const std::exception& e) {
        m_err = my::InternalError(std::string("mrv::CTask::Run()\n") + e.what());
    }
    // The images are not needed once the saver has run (or the run failed).
    m_renderedFrames = m_frames.m_images.size();
    m_frames = CFrameList{};
    m_workingSpace.reset();
    m_progressPos.store(m_progressMax.load());
    if (m_client != nullptr) {
        m_client->OnTaskEnd(*this);
    }
}

stroke::ModelPtr CTask::Load(const std::string& path) {
    stroke::ModelPtr model = stroke::CSerializer::ReadModel(path);
    CheckTerminated();
    Advance(1);
    return model;
}

void CTask::MeasureFrame(const stroke::CModel& frame) {
    stroke::CCalcBounds bounds(stroke::FIGURE_LINE | stroke::FIGURE_TEXT);
    const stroke::CBoundsRect& r = bounds.Calc(frame);
    if (r.empty) {
        return;
    }
    const CTrimRect drawn{r.left, r.top, r.Width(), r.Height()};
    const CTrimRect page{0.0, 0.0, frame.m_width, frame.m_height};
    m_trim = m_trim.Unite(drawn.Intersect(page));
}

void CTask::CheckFrameMemory(const stroke::CModel& page, std::size_t frames) const {
    const stroke::CPageRect pixels = PixelPage(page.m_width, page.m_height);
    const auto width = static_cast<std::uint64_t>(pixels.right);
    const auto height = static_cast<std::uint64_t>(pixels.bottom);
    // Four bytes a pixel; within the renderer's limit the product cannot overflow 64 bits.
    const long double needed = static_cast<long double>(width * height * 4) * frames;
    const std::uint64_t memory = PhysicalMemory();
    if (memory != 0 && needed > static_cast<long double>(memory)) {
        constexpr long double mib = 1024.0L * 1024.0L;
        throw my::CException(IDS_FRAMES_EXCEED_MEMORY, frames, width, height,
                             static_cast<std::uint64_t>(std::ceil(needed / mib)),
                             static_cast<std::uint64_t>(memory / (1024 * 1024)));
    }
}

void CTask::RenderFrame(const stroke::ModelPtr& frame) {
    stroke::CColor background;
    if (m_setting.HasFlags(TaskFlags::BkColor)) {
        // BkColor keeps its channels in the order blue, green, red (the colour dialog's order).
        const my::colord& c = m_setting.GetBkColor();
        background = stroke::CColor(ChannelOf(c.c[2]), ChannelOf(c.c[1]), ChannelOf(c.c[0]), 0,
                                    ChannelOf(c.a));
    }
    const stroke::CPageRect page = PixelPage(frame->m_width, frame->m_height);
    stroke::CImgRenderer renderer;
    m_frames.m_images.push_back(renderer.Render(page, background, frame, frame->m_resolution));
}

void CTask::Execute() {
    m_progressMax.store(1);
    m_progressPos.store(0);
    m_setting.ValidateForTask();
    if (!m_saver) {
        throw my::InternalError("mrv::CTask::Run()\nthe task is not configured");
    }
    // A folder that cannot take the files is reported now, not after every frame is rendered;
    // what runs killed earlier left there goes first.
    codec::PrepareOutputFolder(ListOutputPaths());

    const InterpolatorPtr interpolator = CreateInterpolator(m_setting);
    const int n = m_setting.GetInterFrameCount();
    const bool autoTrim = m_setting.HasFlags(TaskFlags::AutoTrim);
    m_progressMax.store(ProgressTotal(n, autoTrim));

    const stroke::ModelPtr start = Load(m_setting.GetSrcPath0());
    const stroke::ModelPtr end = Load(m_setting.GetSrcPath1());
    m_workingSpace = boost::make_shared<CColorProfile>();
    ToWorkingSpace(*start, m_workingSpace);
    ToWorkingSpace(*end, m_workingSpace);

    AnimateItemList items;
    PairModels(m_setting, *start, *end, items);

    const double multiple =
        m_setting.HasFlags(TaskFlags::Phase) ? m_setting.GetPhaseMultiple() : 0.0;
    m_hasPhase = false;
    for (const auto& item : items) {
        if (item->m_phase != 0.0) {
            item->m_phase *= multiple;
            m_hasPhase = m_hasPhase || item->m_phase != 0.0;
        }
    }
    m_mirror = interpolator->CanMirrorReturn(items);
    m_trim = CTrimRect{};

    const CScheduleParams params{n, m_hasPhase,
                                 m_setting.GetRoundType() != RoundType::None && !m_mirror};
    const std::vector<CScheduledFrame> plan = PlanPass(params);
    const auto afterFrame = [this](int steps) {
        CheckTerminated();
        Advance(steps);
    };
    if (autoTrim) {
        RunPass(
            plan, n, start, end, items, *interpolator,
            [this](const stroke::ModelPtr& frame, int) { MeasureFrame(*frame); }, afterFrame);
    }

    // Both models get the same transform, so the in-betweens made from them fit as well.
    FitToOutput(*start, m_setting, m_trim);
    FitToOutput(*end, m_setting, m_trim);
    CheckFrameMemory(*start, plan.size());

    m_frames = CFrameList{};
    m_frames.m_roundTrip = m_mirror;
    m_frames.m_images.reserve(plan.size());
    RunPass(
        plan, n, start, end, items, *interpolator,
        [this](const stroke::ModelPtr& frame, int) { RenderFrame(frame); }, afterFrame);

    m_saver->SetTerminator(GetTerminator());
    if (!m_saver->Save(m_frames)) {
        throw my::CException(IDS_TASK_INTERRUPTED);
    }
    CheckTerminated();
    Advance(1);
}

} // namespace mrv
