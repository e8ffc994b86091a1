// mrv::CTaskSetting: every parameter of one generation run (inputs, output kind and place,
// frames, return trip, interpolation, timing, size, background, phases), as the form edits it,
// the project and settings files store it and the Generate command checks it.
#pragma once

#include "common/color.h"

#include <cstdint>
#include <string>
#include <utility>

// Two texts that belong together (the opening and closing phase brace).
using CStringPair = std::pair<std::string, std::string>;

namespace mrv {

// Kind of output.
enum class DstFormat : std::int32_t { PNG = 0, APNG = 1, GIF = 2, AGIF = 3, WEBP = 4 };

// Whether a kind of output is one file holding every frame (APNG, AGIF, WEBP).
bool IsAnimatedFormat(DstFormat format);

// Return trip after START -> END.
enum class RoundType : std::int32_t { None = 0, Reverse = 1, Rotate = 2 };

// Path along which every value moves from START to END.
enum class InterpolateType : std::int32_t { LineLiner = 0, LineCircle = 1, Circle = 2, Arc = 3 };

// Properties reversed on the return trip (bits of CTaskSetting's RoundFlags).
struct RoundFlags {
    enum : std::uint32_t {
        ReverseColor = 0x01,
        ReverseAlpha = 0x02,
        ReverseAngle = 0x04,
        ReverseRate = 0x08,
        ReverseOffset = 0x10,
    };
};

// On/off options (bits of CTaskSetting's Flags).
struct TaskFlags {
    enum : std::uint32_t {
        Resize = 0x01,
        KeepProportion = 0x02,
        AutoTrim = 0x04,
        AutoTrimFrames = 0x08,
        BkColor = 0x10,
        Phase = 0x20,
    };
};

// The four values of the output summary line, in hundredths of a second except the frame
// count; hasWait is false when FrameRate < 1 gives no finite frame delay.
struct COutputSummary {
    std::int64_t m_frames = 0;
    std::int64_t m_wait = 0;
    std::int64_t m_period = 0;
    std::int64_t m_play = 0;
    bool m_hasWait = true;
};

// A plain value type. Paths (SrcPath0, SrcPath1, DstFolder) and names are UTF-8 std::string:
// Linux file names are byte strings, and UTF-8 is what the rest of the system uses for them.
class CTaskSetting {
public:
    static constexpr std::int32_t kMaxInterFrameCount = 999;
    // WebpQuality: 100 writes lossless frames, 0 to 99 lossy frames of that quality.
    static constexpr std::int32_t kWebpLossless = 100;

    CTaskSetting() = default;
    friend bool operator==(const CTaskSetting&, const CTaskSetting&) = default;

    std::uint32_t GetFlags() const { return m_flags; }
    void SetFlags(std::uint32_t flags) { m_flags = flags; }
    // True when every bit of `bits` is set in Flags.
    bool HasFlags(std::uint32_t bits) const { return (m_flags & bits) == bits; }

    const std::string& GetSrcPath0() const { return m_srcPath0; }
    void SetSrcPath0(std::string path) { m_srcPath0 = std::move(path); }
    const std::string& GetSrcPath1() const { return m_srcPath1; }
    void SetSrcPath1(std::string path) { m_srcPath1 = std::move(path); }
    // START (index 0) or END (index 1) path, for commands that take the image index.
    const std::string& GetSrcPath(int index) const { return index == 0 ? m_srcPath0 : m_srcPath1; }
    void SetSrcPath(int index, std::string path) {
        (index == 0 ? m_srcPath0 : m_srcPath1) = std::move(path);
    }

    DstFormat GetDstFormat() const { return m_dstFormat; }
    void SetDstFormat(DstFormat format) { m_dstFormat = format; }
    const std::string& GetDstFolder() const { return m_dstFolder; }
    void SetDstFolder(std::string folder) { m_dstFolder = std::move(folder); }
    const std::string& GetDstName() const { return m_dstName; }
    void SetDstName(std::string name) { m_dstName = std::move(name); }
    std::int32_t GetStartNo() const { return m_startNo; }
    void SetStartNo(std::int32_t startNo) { m_startNo = startNo; }
    std::int32_t GetDigits() const { return m_digits; }
    void SetDigits(std::int32_t digits) { m_digits = digits; }
    // Animated WebP: 100 (the default) is lossless, 0 to 99 lossy with that quality.
    std::int32_t GetWebpQuality() const { return m_webpQuality; }
    void SetWebpQuality(std::int32_t quality) { m_webpQuality = quality; }

    std::int32_t GetInterFrameCount() const { return m_interFrameCount; }
    void SetInterFrameCount(std::int32_t count) { m_interFrameCount = count; }
    RoundType GetRoundType() const { return m_roundType; }
    void SetRoundType(RoundType type) { m_roundType = type; }
    std::uint32_t GetRoundFlags() const { return m_roundFlags; }
    void SetRoundFlags(std::uint32_t flags) { m_roundFlags = flags; }
    InterpolateType GetInterpolateType() const { return m_interpolateType; }
    void SetInterpolateType(InterpolateType type) { m_interpolateType = type; }
    double GetInterpolateAmp() const { return m_interpolateAmp; }
    void SetInterpolateAmp(double amp) { m_interpolateAmp = amp; }

    // Hundredths of a frame per second (1000 = 10 frames per second).
    std::int32_t GetFrameRate() const { return m_frameRate; }
    void SetFrameRate(std::int32_t rate) { m_frameRate = rate; }
    // Repeat count of the animation; 0 = endless.
    std::int32_t GetLoopCount() const { return m_loopCount; }
    void SetLoopCount(std::int32_t count) { m_loopCount = count; }

    std::int32_t GetWidth() const { return m_width; }
    void SetWidth(std::int32_t width) { m_width = width; }
    std::int32_t GetHeight() const { return m_height; }
    void SetHeight(std::int32_t height) { m_height = height; }
    double GetDpi() const { return m_dpi; }
    void SetDpi(double dpi) { m_dpi = dpi; }
    const my::colord& GetBkColor() const { return m_bkColor; }
    void SetBkColor(const my::colord& color) { m_bkColor = color; }

    const CStringPair& GetPhaseBraces() const { return m_phaseBraces; }
    void SetPhaseBraces(CStringPair braces) { m_phaseBraces = std::move(braces); }
    double GetPhaseMultiple() const { return m_phaseMultiple; }
    void SetPhaseMultiple(double multiple) { m_phaseMultiple = multiple; }

    // Frames, wait, period and play time of the animation these settings describe: an
    // estimate for the user that counts a return trip whenever RoundType is not None.
    COutputSummary ComputeOutputSummary() const;
    // The summary as the form shows it (message 188); "∞" for an endless play time.
    std::string FormatOutputSummary() const;

    // The checks of the Generate command, in order; the first failure is raised as a
    // my::CException (IDS_INTER_FRAME_COUNT_INVALID, IDS_INTER_FRAME_COUNT_TOO_LARGE,
    // IDS_FRAME_RATE_INVALID, then IDS_WIDTH_INVALID / IDS_HEIGHT_INVALID when Resize is set),
    // followed by the checks of ValidateValues.
    void ValidateForGenerate() const;
    // The checks the generation task repeats when it starts (IDS_INTER_FRAME_COUNT_INVALID,
    // IDS_FRAME_RATE_INVALID), followed by the checks of ValidateValues.
    void ValidateForTask() const;

private:
    // Values no run can use, whoever starts it: a negative LoopCount (IDS_LOOP_COUNT_INVALID), a
    // floating field that is not finite (IDS_VALUE_NOT_FINITE, naming the field), a DstName that
    // is no plain file name (IDS_DST_NAME_INVALID), a WebpQuality outside 0 to 100.
    void ValidateValues() const;

    std::uint32_t m_flags = TaskFlags::AutoTrimFrames | TaskFlags::BkColor;
    std::string m_srcPath0;
    std::string m_srcPath1;
    DstFormat m_dstFormat = DstFormat::AGIF;
    std::string m_dstFolder;
    std::string m_dstName = "test";
    std::int32_t m_startNo = 0;
    std::int32_t m_digits = 4;
    std::int32_t m_interFrameCount = 7;
    RoundType m_roundType = RoundType::Rotate;
    std::uint32_t m_roundFlags = RoundFlags::ReverseColor | RoundFlags::ReverseAlpha;
    InterpolateType m_interpolateType = InterpolateType::LineCircle;
    double m_interpolateAmp = 1.0;
    std::int32_t m_frameRate = 1000;
    std::int32_t m_loopCount = 0;
    std::int32_t m_width = 320;
    std::int32_t m_height = 270;
    double m_dpi = 72.0;
    my::colord m_bkColor{1.0, 1.0, 1.0, 0.0, 1.0};
    CStringPair m_phaseBraces{"{", "}"};
    double m_phaseMultiple = 1.0;
    std::int32_t m_webpQuality = kWebpLossless;
};

} // namespace mrv
