// icm::CColorTransform: converts single colours (16-bit RGB or CMYK channels) from one colour
// profile to another, for the colour conversion of a model's fills.
#pragma once

#include "platform/color_profile.h"

#include <array>
#include <cstdint>
#include <memory>

namespace icm {

class CColorTransform {
public:
    using Channels = std::array<std::uint16_t, 4>;

    // Builds the transform. The colour types are stroke::ColorType values (0 RGB, 1 CMYK);
    // another value raises IDS_ICM_COLOR_SPACE_UNKNOWN. Each profile must be of its colour type's
    // space, and the two must combine, else IDS_ICM_TRANSFORM_CREATE_FAILED with the reason.
    // Profiles with equal headers and the same type convert exactly (every value unchanged).
    CColorTransform(const CColorProfile& source, std::uint32_t sourceType,
                    const CColorProfile& destination, std::uint32_t destinationType);
    ~CColorTransform();
    CColorTransform(const CColorTransform&) = delete;
    CColorTransform& operator=(const CColorTransform&) = delete;

    // Converts one colour: channels 0-2 (RGB) or 0-3 (CMYK) of in are read; the result fills
    // channels 0-2 or 0-3 by the destination type and leaves the others 0. A failure of the
    // engine raises IDS_ICM_TRANSLATE_FAILED. Safe to call from several threads at once.
    Channels Convert(const Channels& in) const;

    bool IsIdentity() const;

private:
    struct CImpl;
    std::unique_ptr<CImpl> m_impl;
};

// True when a colour profile's space is the one a stroke::ColorType reads (RGB or CMYK).
bool ProfileMatchesType(const CColorProfile& profile, std::uint32_t colorType);

} // namespace icm
