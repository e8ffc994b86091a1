#include "output/png_saver.h"

#include "output/codec_saver.h"

namespace mrv {

bool CPngSaver::Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
                      const std::vector<CFrameRecord>&) {
    codec::CImgSaver encoder(codec::Container::Png, codec::TargetFormat::Own, 0);
    return WriteEachFile(encoder, frames, header.m_loopCount);
}

} // namespace mrv
