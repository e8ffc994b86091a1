// mrv::CGifSaver writes one numbered GIF file per output frame; mrv::CAgifSaver writes one
// animated GIF with loop count, delays, disposal, frame rectangles and transparency.
#pragma once

#include "output/img_saver.h"

namespace mrv {

class CGifSaver : public CImgSaver {
public:
    bool IsAnimated() const override { return false; }
    std::int32_t GetFormat() const override { return 2; }
    std::string GetExtension() const override { return "gif"; }

protected:
    [[nodiscard]] bool Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
                             const std::vector<CFrameRecord>& records) override;
};

class CAgifSaver : public CImgSaver {
public:
    bool IsAnimated() const override { return true; }
    std::int32_t GetFormat() const override { return 3; }
    std::string GetExtension() const override { return "gif"; }

protected:
    [[nodiscard]] bool Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
                             const std::vector<CFrameRecord>& records) override;
    // A frame cut to its changed region cannot make a pixel transparent again: disposal 2
    // clears its whole rectangle, which the next region frame does not redraw. So an animation
    // with transparency is written in whole frames.
    bool UsesFrameRegions(const CFrameList& list) const override;
};

} // namespace mrv
