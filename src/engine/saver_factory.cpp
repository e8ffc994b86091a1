#include "engine/saver_factory.h"

#include "output/apng_saver.h"
#include "output/gif_saver.h"
#include "output/png_saver.h"
#include "output/webp_encoder.h"
#include "output/webp_saver.h"

#include <boost/make_shared.hpp>

namespace mrv {

static_assert(CTaskSetting::kWebpLossless == codec::kWebpLossless);

ImgSaverPtr CreateSaver(const CTaskSetting& setting) {
    ImgSaverPtr saver;
    switch (setting.GetDstFormat()) {
    case DstFormat::APNG:
        saver = boost::make_shared<CApngSaver>();
        break;
    case DstFormat::GIF:
        saver = boost::make_shared<CGifSaver>();
        break;
    case DstFormat::AGIF:
        saver = boost::make_shared<CAgifSaver>();
        break;
    case DstFormat::WEBP: {
        const auto webp = boost::make_shared<CWebpSaver>();
        webp->m_quality = setting.GetWebpQuality();
        saver = webp;
        break;
    }
    case DstFormat::PNG:
    default:
        saver = boost::make_shared<CPngSaver>();
        break;
    }
    saver->m_dstFolder = setting.GetDstFolder();
    saver->m_dstName = setting.GetDstName();
    saver->m_mirrorReturn = setting.GetRoundType() != RoundType::None;
    saver->m_startNo = setting.GetStartNo();
    saver->m_digits = setting.GetDigits();
    saver->m_frameRate = setting.GetFrameRate();
    saver->m_loopCount = setting.GetLoopCount();
    saver->m_regionFrames = setting.HasFlags(TaskFlags::AutoTrimFrames);
    return saver;
}

} // namespace mrv
