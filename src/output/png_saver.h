// mrv::CPngSaver: the PNG sequence, one numbered PNG file per output frame, each a whole frame
// with its resolution and, when it has an RGB one, its colour profile.
#pragma once

#include "output/img_saver.h"

namespace mrv {

class CPngSaver : public CImgSaver {
public:
    bool IsAnimated() const override { return false; }
    std::int32_t GetFormat() const override { return 0; }
    std::string GetExtension() const override { return "png"; }
    std::unique_ptr<codec::CImgSaver> MakeEncoder() const override;

protected:
    void Start(const CImg&, bool) override {}
    void EncodeImage(const CImg& img, const CFrameRecord& record, std::uint32_t index,
                     codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const override;
};

} // namespace mrv
