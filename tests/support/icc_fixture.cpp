#include "support/icc_fixture.h"

#include <algorithm>
#include <cstring>
#include <lcms2.h>
#include <stdexcept>

namespace morvane::test {

namespace {

std::vector<std::uint8_t> Save(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    std::vector<std::uint8_t> bytes;
    if (cmsSaveProfileToMem(profile, nullptr, &size)) {
        bytes.resize(size);
    }
    if (bytes.empty() || !cmsSaveProfileToMem(profile, bytes.data(), &size)) {
        cmsCloseProfile(profile);
        throw std::runtime_error("the test profile cannot be saved");
    }
    cmsCloseProfile(profile);
    return bytes;
}

void Describe(cmsHPROFILE profile, const std::string& description) {
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description.c_str());
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsWriteTag(profile, cmsSigCopyrightTag, text);
    cmsMLUfree(text);
}

// Transforms between sRGB and Lab in floating point, for the samplers of the CMYK tables.
struct LabBridge {
    cmsHTRANSFORM toLab = nullptr;
    cmsHTRANSFORM fromLab = nullptr;

    LabBridge() {
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
        toLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_PERCEPTUAL, 0);
        fromLab = cmsCreateTransform(lab, TYPE_Lab_DBL, srgb, TYPE_RGB_DBL, INTENT_PERCEPTUAL, 0);
        cmsCloseProfile(srgb);
        cmsCloseProfile(lab);
    }
    ~LabBridge() {
        cmsDeleteTransform(toLab);
        cmsDeleteTransform(fromLab);
    }
};

cmsInt32Number CmykToLab(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
    const auto* bridge = static_cast<const LabBridge*>(cargo);
    const double black = in[3] / 65535.0;
    double rgb[3];
    for (int i = 0; i < 3; ++i) {
        rgb[i] = (1.0 - in[i] / 65535.0) * (1.0 - black);
    }
    cmsCIELab lab;
    cmsDoTransform(bridge->toLab, rgb, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return TRUE;
}

cmsInt32Number LabToCmyk(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
    const auto* bridge = static_cast<const LabBridge*>(cargo);
    cmsCIELab lab;
    cmsLabEncoded2Float(&lab, in);
    double rgb[3];
    cmsDoTransform(bridge->fromLab, &lab, rgb, 1);
    for (double& value : rgb) {
        value = std::clamp(value, 0.0, 1.0);
    }
    const double black = 1.0 - std::max({rgb[0], rgb[1], rgb[2]});
    for (int i = 0; i < 3; ++i) {
        const double ink = black < 1.0 ? (1.0 - rgb[i] - black) / (1.0 - black) : 0.0;
        out[i] = cmsUInt16Number(std::clamp(ink, 0.0, 1.0) * 65535.0 + 0.5);
    }
    out[3] = cmsUInt16Number(black * 65535.0 + 0.5);
    return TRUE;
}

cmsPipeline* Table(cmsUInt32Number inputs, cmsUInt32Number outputs, cmsUInt32Number points,
                   cmsSAMPLER16 sampler, LabBridge& bridge) {
    // ICC v4 tables hold curves on both sides of the grid; identity curves here.
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, inputs, outputs);
    cmsStage* clut = cmsStageAllocCLut16bit(nullptr, points, inputs, outputs, nullptr);
    cmsStageSampleCLut16bit(clut, sampler, &bridge, 0);
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, inputs, nullptr));
    cmsPipelineInsertStage(pipeline, cmsAT_END, clut);
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, outputs, nullptr));
    return pipeline;
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

} // namespace

std::vector<std::uint8_t> MakeSrgbProfile(const std::string& description, double version) {
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    cmsSetProfileVersion(profile, version);
    Describe(profile, description);
    return Save(profile);
}

std::vector<std::uint8_t> MakeCmykProfile(const std::string& description, unsigned cmykPoints,
                                          unsigned labPoints) {
    LabBridge bridge;
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsSetHeaderRenderingIntent(profile, INTENT_PERCEPTUAL);
    Describe(profile, description);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    // The perceptual tables serve every intent.
    cmsPipeline* toLab = Table(4, 3, cmykPoints, &CmykToLab, bridge);
    cmsPipeline* fromLab = Table(3, 4, labPoints, &LabToCmyk, bridge);
    cmsWriteTag(profile, cmsSigAToB0Tag, toLab);
    cmsWriteTag(profile, cmsSigBToA0Tag, fromLab);
    cmsPipelineFree(toLab);
    cmsPipelineFree(fromLab);
    return Save(profile);
}

std::vector<std::uint8_t> MakeGreyProfile(const std::string& description) {
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
    cmsFreeToneCurve(gamma);
    Describe(profile, description);
    return Save(profile);
}

TagPlace FindTag(const std::vector<std::uint8_t>& icc, const char signature[4]) {
    if (icc.size() < 132) {
        return {};
    }
    const std::uint32_t count = BigEndian32(icc.data() + 128);
    for (std::uint32_t i = 0; i < count && 132 + 12 * std::size_t{i} + 12 <= icc.size(); ++i) {
        const std::uint8_t* entry = icc.data() + 132 + 12 * std::size_t{i};
        if (std::memcmp(entry, signature, 4) == 0) {
            return {BigEndian32(entry + 4), BigEndian32(entry + 8)};
        }
    }
    return {};
}

} // namespace morvane::test
