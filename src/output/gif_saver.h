// mrv::CGifSaver writes one numbered GIF file per output frame; mrv::CAgifSaver writes one
// animated GIF with loop count, delays, disposal, frame rectangles and transparency.
#pragma once

#include "output/img_saver.h"
#include "output/quantizer.h"

namespace mrv {

class CGifSaver : public CImgSaver {
public:
    bool IsAnimated() const override { return false; }
    std::int32_t GetFormat() const override { return 2; }
    std::string GetExtension() const override { return "gif"; }
    std::unique_ptr<codec::CImgSaver> MakeEncoder() const override;

protected:
    void Start(const CImg&, bool) override {}
    void EncodeImage(const CImg& img, const CFrameRecord& record, std::uint32_t index,
                     codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const override;
};

// One translucent pixel anywhere gives every frame a transparent index 0 and makes each frame
// clear its rectangle before the next (disposal 2), so transparent pixels stay transparent.
// The first frame decides; a translucent frame after an opaque first one is not admitted, and
// the run starts again as transparent.
class CAgifSaver : public CImgSaver {
public:
    bool IsAnimated() const override { return true; }
    std::int32_t GetFormat() const override { return 3; }
    std::string GetExtension() const override { return "gif"; }
    bool Admits(const CImg& frame) const override;
    std::unique_ptr<codec::CImgSaver> MakeEncoder() const override;

    // libimagequant's speed for frames of more than 256 colours.
    int m_quantizerSpeed = codec::CQuantizer::kDefaultSpeed;

protected:
    void Start(const CImg& first, bool translucent) override;
    // A frame cut to its changed region cannot make a pixel transparent again: disposal 2
    // clears its whole rectangle, which the next region frame does not redraw. So an animation
    // with transparency is written in whole frames.
    bool UsesFrameRegions() const override;
    std::uint32_t Disposal() const override;
    void EncodeImage(const CImg& img, const CFrameRecord& record, std::uint32_t index,
                     codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const override;
    void AppendFrame(const CEncodedFrame& frame) override;
    void End() override;

private:
    bool m_transparent = false;
};

} // namespace mrv
