// Reads PNG files back with libpng (independent of our encoder) for the output tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace outtest {

struct CDecodedPng {
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    int m_colorType = -1;
    int m_bitDepth = 0;
    std::vector<std::uint8_t> m_rgba; // rows of R, G, B, A
    bool m_hasPhys = false;
    std::uint32_t m_ppmX = 0, m_ppmY = 0;
    int m_physUnit = -1;
    bool m_hasIccp = false;
    std::string m_iccpName;
    std::vector<std::uint8_t> m_iccp;
    std::string m_error; // libpng's message when reading failed
};

CDecodedPng ReadPng(const std::filesystem::path& path);

} // namespace outtest
