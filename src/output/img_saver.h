// mrv::CImgSaver: the common part of the four savers that write the rendered frames of a run.
// It names the output files, expands a round-trip frame list, computes delays and changed
// regions, and hands the output frames to the format's Write.
#pragma once

#include "common/terminable.h"
#include "platform/img.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

namespace codec {
class CImgSaver;
}

namespace mrv {

using CImgPtr = boost::shared_ptr<const CImg>;

// What the generation task hands over: the rendered frames (same size and pixel type) and
// whether they are only the forward half of a return trip that goes back the same way.
struct CFrameList {
    std::vector<CImgPtr> m_images;
    bool m_roundTrip = false;
};

// The animation as a whole: size of the first frame, output frame count, repetitions.
struct CAnimationHeader {
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    std::uint32_t m_frameCount = 0;
    std::int32_t m_loopCount = 0; // 0 = endless
};

enum FrameDisposal : std::uint32_t {
    DISPOSAL_UNSPECIFIED = 0,
    DISPOSAL_KEEP = 1,
    DISPOSAL_BACKGROUND = 2, // restore to background
    DISPOSAL_PREVIOUS = 3,   // restore to previous
};

// One written frame: its rectangle in pixels of the full image, delay and disposal.
struct CFrameRecord {
    std::int32_t m_left = 0;
    std::int32_t m_top = 0;
    std::int32_t m_right = 0;
    std::int32_t m_bottom = 0;
    std::uint32_t m_delay = 0; // hundredths of a second
    std::uint32_t m_disposal = DISPOSAL_UNSPECIFIED;

    std::int32_t Width() const { return m_right - m_left; }
    std::int32_t Height() const { return m_bottom - m_top; }
    friend bool operator==(const CFrameRecord&, const CFrameRecord&) = default;
};

// Slot 0 (CanTerminate) comes from CCanTerminate: the saver asks its terminator before each
// frame and, when told to stop, returns false from Save, leaving complete files written so far.
class CImgSaver : public CCanTerminate {
public:
    ~CImgSaver() override = default;

    // True for APNG and animated GIF: one output file holding all frames.
    virtual bool IsAnimated() const = 0;
    // Whether the saver writes several frames into one file (the same answer as IsAnimated).
    virtual bool HoldsFrames() const { return IsAnimated(); }
    // Whether changed-region frames can be used (the same answer as IsAnimated).
    virtual bool SupportsFrameRegions() const { return IsAnimated(); }
    // The output format number: 0 PNG, 1 APNG, 2 GIF, 3 animated GIF.
    virtual std::int32_t GetFormat() const = 0;
    // "png" or "gif".
    virtual std::string GetExtension() const = 0;
    // DstName, the zero-padded number StartNo + index (sequences only), ".", the extension.
    virtual std::string GetFileName(std::int32_t index) const;
    // DstFolder joined with GetFileName(index); "/" is added unless the folder is empty or
    // already ends in "/", "\" or ":".
    virtual std::string GetFilePath(std::int32_t index) const;
    // Appends every path a run with interFrameCount in-between frames will write.
    virtual void ListFilePaths(std::vector<std::string>& paths, std::int32_t interFrameCount) const;
    // Writes the frames. False when the terminator stopped the run before the last frame; the
    // caller then takes its cancellation path. Failures raise my::CException.
    [[nodiscard]] virtual bool Save(const CFrameList& frames);

    // Settings, copied from the task settings by the saver factory.
    std::string m_dstFolder;
    std::string m_dstName;
    bool m_mirrorReturn = false; // the task's return trip is set
    std::int32_t m_startNo = 0;
    std::int32_t m_digits = 1;
    std::int32_t m_frameRate = 1000; // hundredths of a frame per second
    std::int32_t m_loopCount = 0;    // 0 = endless
    bool m_regionFrames = false;     // changed-region frames (AutoTrimFrames)

protected:
    // Writes the output frames; frames[i] is described by records[i]. False when stopped.
    [[nodiscard]] virtual bool Write(const CAnimationHeader& header,
                                     const std::vector<CImgPtr>& frames,
                                     const std::vector<CFrameRecord>& records) = 0;
    // Whether this run cuts later frames to their changed regions.
    virtual bool UsesFrameRegions(const CFrameList& list) const;
    // Writes every output frame to its own numbered file through encoder (sequence savers).
    [[nodiscard]] bool WriteEachFile(codec::CImgSaver& encoder, const std::vector<CImgPtr>& frames,
                                     std::int32_t loopCount);
};

// Index into a list of count frames of output frame j (count > 0): frames play forward, then,
// when mirrored and count > 2, back without repeating the turning frames.
std::size_t SourceFrameIndex(std::size_t j, std::size_t count, bool mirrored);

// Delay of every frame in hundredths of a second for a frame rate in hundredths of a frame per
// second (at least 1): 10000 / frameRate, at most 65535.
std::uint32_t FrameDelay(std::int32_t frameRate);

} // namespace mrv
