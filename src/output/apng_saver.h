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

class CApngSaver : public CImgSaver {
public:
    bool IsAnimated() const override { return true; }
    std::int32_t GetFormat() const override { return 1; }
    std::string GetExtension() const override { return "png"; }

protected:
    [[nodiscard]] bool Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
                             const std::vector<CFrameRecord>& records) override;
};

} // namespace mrv
