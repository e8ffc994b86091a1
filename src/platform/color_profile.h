// CColorProfile: an ICC colour profile held by a model or an image. A profile without ICC bytes
// stands for the working RGB space (sRGB); its colour space signature is "RGB ".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CColorProfile {
public:
    static constexpr std::uint32_t kSignatureRgb = 0x52474220;  // "RGB "
    static constexpr std::uint32_t kSignatureCmyk = 0x434D594B; // "CMYK"
    static constexpr std::uint32_t kSignatureGray = 0x47524159; // "GRAY"

    CColorProfile() = default;

    // ICC colour space signature of the data ("RGB " for a profile without data).
    std::uint32_t ColorSpace() const { return m_colorSpace; }
    const std::vector<std::uint8_t>& Data() const { return m_data; }
    bool HasData() const { return !m_data.empty(); }

protected:
    std::uint32_t m_colorSpace = kSignatureRgb;
    std::vector<std::uint8_t> m_data;
};
