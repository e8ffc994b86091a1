#include "engine/task_setting.h"

#include "common/error.h"
#include "common/format.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <limits>
#include <string>
#include <vector>

namespace mrv {

namespace {

// a × b, held at the int64 bounds instead of overflowing (a huge LoopCount times a huge
// period is still only an estimate for the user).
std::int64_t SaturatingMultiply(std::int64_t a, std::int64_t b) {
    std::int64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product)) {
        return (a < 0) != (b < 0) ? std::numeric_limits<std::int64_t>::min()
                                  : std::numeric_limits<std::int64_t>::max();
    }
    return product;
}

constexpr const char* kInfinity = "\u221E";

} // namespace

COutputSummary CTaskSetting::ComputeOutputSummary() const {
    COutputSummary s;
    const bool roundTrip = m_roundType != RoundType::None;
    s.m_frames = std::int64_t{m_interFrameCount} * (roundTrip ? 2 : 1) + 2;
    // A frame rate below 1 has no finite delay; it is refused by Generate, but the form shows
    // the line while the user is still typing, so it must not divide by zero here.
    s.m_hasWait = m_frameRate >= 1;
    if (!s.m_hasWait) {
        return s;
    }
    s.m_wait = 10000 / m_frameRate;
    s.m_period = SaturatingMultiply(s.m_wait, roundTrip ? s.m_frames : s.m_frames - 1);
    s.m_play = SaturatingMultiply(m_loopCount, s.m_period);
    return s;
}

std::string CTaskSetting::FormatOutputSummary() const {
    const COutputSummary s = ComputeOutputSummary();
    std::vector<std::string> args{std::to_string(s.m_frames)};
    if (s.m_hasWait) {
        args.push_back(my::FormatFixed(s.m_wait));
        args.push_back(my::FormatFixed(s.m_period));
    } else {
        args.insert(args.end(), {kInfinity, kInfinity});
    }
    args.push_back(s.m_hasWait && s.m_play > 0 ? my::FormatFixed(s.m_play) : kInfinity);
    return my::FormatMessage(IDS_OUTPUT_SUMMARY, args);
}

void CTaskSetting::ValidateForTask() const {
    if (m_interFrameCount < 0) {
        throw my::CException(IDS_INTER_FRAME_COUNT_INVALID, m_interFrameCount);
    }
    if (m_frameRate < 1) {
        throw my::CException(IDS_FRAME_RATE_INVALID, m_frameRate);
    }
}

void CTaskSetting::ValidateForGenerate() const {
    if (m_interFrameCount < 0) {
        throw my::CException(IDS_INTER_FRAME_COUNT_INVALID, m_interFrameCount);
    }
    if (m_interFrameCount > kMaxInterFrameCount) {
        throw my::CException(IDS_INTER_FRAME_COUNT_TOO_LARGE, kMaxInterFrameCount,
                             m_interFrameCount);
    }
    if (m_frameRate < 1) {
        throw my::CException(IDS_FRAME_RATE_INVALID, m_frameRate);
    }
    if (HasFlags(TaskFlags::Resize)) {
        if (m_width < 1) {
            throw my::CException(IDS_WIDTH_INVALID);
        }
        if (m_height < 1) {
            throw my::CException(IDS_HEIGHT_INVALID);
        }
    }
}

} // namespace mrv
