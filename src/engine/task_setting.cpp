#include "engine/task_setting.h"

#include "common/error.h"
#include "common/format.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
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

// A double as the project file writes it: shortest round-trip form, "nan", "inf", "-inf".
std::string NumberText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void CheckFinite(const char* name, double value) {
    if (!std::isfinite(value)) {
        throw my::CException(IDS_VALUE_NOT_FINITE, name, NumberText(value));
    }
}

// A control character of C0 (below 0x20), DEL, or C1 (U+0080..U+009F, 0xC2 0x80..0x9F in UTF-8).
bool HasControlCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
        if (byte == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                return true;
            }
        }
    }
    return false;
}

// DstName names files inside DstFolder: no separator of either system may take them elsewhere,
// "." and ".." are folders, and a control character would break the list of written files.
// An empty name is allowed (a sequence is then named by its numbers alone).
bool IsFileName(std::string_view name) {
    return name != "." && name != ".." && name.find_first_of("/\\") == std::string_view::npos &&
           !HasControlCharacter(name);
}

// The name as a message can show it: control characters written as \xNN.
std::string VisibleText(std::string_view text) {
    std::string visible;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            visible += escaped;
        } else {
            visible += c;
        }
    }
    return visible;
}

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
    ValidateValues();
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
    ValidateValues();
}

void CTaskSetting::ValidateValues() const {
    // The writers hold a larger count at the most their formats store (65535 for a GIF); a
    // negative one has no meaning.
    if (m_loopCount < 0) {
        throw my::CException(IDS_LOOP_COUNT_INVALID, m_loopCount);
    }
    CheckFinite("InterpolateAmp", m_interpolateAmp);
    CheckFinite("Dpi", m_dpi);
    const std::array<double, 5> bk = {m_bkColor.c[0], m_bkColor.c[1], m_bkColor.c[2],
                                      m_bkColor.c[3], m_bkColor.a};
    if (!std::all_of(bk.begin(), bk.end(), [](double v) { return std::isfinite(v); })) {
        // All five, as --set and the project file write them.
        std::string text;
        for (const double value : bk) {
            text += (text.empty() ? "" : ",") + NumberText(value);
        }
        throw my::CException(IDS_VALUE_NOT_FINITE, "BkColor", text);
    }
    CheckFinite("PhaseMultiple", m_phaseMultiple);
    if (!IsFileName(m_dstName)) {
        throw my::CException(IDS_DST_NAME_INVALID, VisibleText(m_dstName));
    }
}

} // namespace mrv
