#include "output/gif_saver.h"

#include "output/codec_saver.h"
#include "output/output_file.h"
#include "output/quantizer.h"

#include <algorithm>

namespace mrv {

namespace {

bool AnyTranslucent(const std::vector<CImgPtr>& frames) {
    return std::any_of(frames.begin(), frames.end(),
                       [](const CImgPtr& img) { return codec::HasTranslucentPixel(*img); });
}

} // namespace

bool CGifSaver::Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
                      const std::vector<CFrameRecord>&) {
    codec::CImgSaver encoder(codec::Container::Gif, codec::TargetFormat::Indexed8,
                             codec::OPTION_NO_COLOR_PROFILE);
    return WriteEachFile(encoder, frames, header.m_loopCount);
}

bool CAgifSaver::UsesFrameRegions(const CFrameList& list) const {
    return CImgSaver::UsesFrameRegions(list) && !AnyTranslucent(list.m_images);
}

bool CAgifSaver::Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
                       const std::vector<CFrameRecord>& records) {
    if (frames.empty()) {
        return true;
    }
    // One translucent pixel anywhere gives every frame a transparent index 0 and makes each
    // frame clear its rectangle before the next, so transparent pixels stay transparent.
    std::uint32_t options = codec::OPTION_NO_COLOR_PROFILE;
    std::vector<CFrameRecord> written = records;
    if (AnyTranslucent(frames)) {
        options |= codec::OPTION_TRANSPARENT;
        for (CFrameRecord& record : written) {
            record.m_disposal = DISPOSAL_BACKGROUND;
        }
    }
    codec::CImgSaver encoder(codec::Container::Gif, codec::TargetFormat::Indexed8, options);
    encoder.SetTerminator(this);
    codec::COutputFile file(GetFilePath(0));
    return encoder.Save(header, frames, written, file);
}

} // namespace mrv
