// mrv::CApngSaver: all output frames in one animated PNG (signature, IHDR, pHYs, acTL, then
// fcTL with IDAT for the first frame and fcTL with fdAT for the others, IEND).
#pragma once

#include "output/img_saver.h"
#include "output/png_encoder.h"

namespace mrv {

// Delay of an APNG frame as numerator / denominator seconds for a frame rate in hundredths of
// a frame per second (at least 1): the denominator is 100 up to 100 fps, 1000 up to 1000 fps,
// else 10000.
struct CApngDelay {
    std::uint16_t m_num = 0;
    std::uint16_t m_den = 0;
};
CApngDelay ApngDelay(std::int32_t frameRate);

// Dispose and blend operations of a frame record's disposal: keep, background and previous
// blend over the canvas; unspecified (what the saver writes) replaces its rectangle.
void ApngOps(std::uint32_t disposal, std::uint8_t& dispose, std::uint8_t& blend);

// All frames share the colour type of IHDR: the alpha channel is dropped only when every frame
// is opaque. The first frame decides; a translucent frame after an opaque first one is not
// admitted, and the run starts again with alpha.
class CApngSaver : public CImgSaver {
public:
    bool IsAnimated() const override { return true; }
    std::int32_t GetFormat() const override { return 1; }
    std::string GetExtension() const override { return "png"; }
    bool Admits(const CImg& frame) const override;
    std::unique_ptr<codec::CImgSaver> MakeEncoder() const override;

protected:
    void Start(const CImg& first, bool translucent) override;
    void EncodeImage(const CImg& img, const CFrameRecord& record, std::uint32_t index,
                     codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const override;
    void AppendFrame(const CEncodedFrame& frame) override;
    void End() override;

private:
    bool m_alpha = true;
    CApngDelay m_apngDelay;
    std::vector<std::uint8_t> m_chunks;
    std::unique_ptr<codec::CPngChunkWriter> m_writer;
};

} // namespace mrv
