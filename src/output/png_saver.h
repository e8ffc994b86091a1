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

protected:
    [[nodiscard]] bool Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
                             const std::vector<CFrameRecord>& records) override;
};

} // namespace mrv
