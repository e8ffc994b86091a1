// mrv::CWebpSaver: all output frames in one animated WebP, lossless or lossy, with the loop
// count, a duration per frame that adds up to the play time of our GIF and APNG, and the ICC
// profile of RGB frames that carry one. WebP has no field for the resolution (only EXIF or XMP
// metadata could hold it), so it is not written.
#pragma once

#include "output/img_saver.h"

namespace mrv {

// Milliseconds a WebP frame is shown for a frame rate in hundredths of a frame per second: ten
// times the delay of our GIF frames, so that the animation plays as long.
std::uint32_t WebpFrameDuration(std::int32_t frameRate);

// Each frame is stored as the rectangle that changed since the frame before, drawn over it when
// its changed pixels are opaque, so the changed-region frames of the framework are not used;
// without the changed-region option every frame is stored whole. Frames are encoded on several
// threads at once and written in order; the file is the same for every thread count.
class CWebpSaver : public CImgSaver {
public:
    bool IsAnimated() const override { return true; }
    std::int32_t GetFormat() const override { return 4; }
    std::string GetExtension() const override { return "webp"; }

    // WebpQuality: 100 lossless, 0 to 99 lossy with that quality.
    std::int32_t m_quality = 100;
    // Threads that encode frames at once; 0 takes every hardware thread.
    int m_threads = 0;

protected:
    bool UsesFrameRegions(const CFrameList&) const override { return false; }
    bool Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
               const std::vector<CFrameRecord>& records) override;
};

} // namespace mrv
