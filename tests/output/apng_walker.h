// An APNG reader of our own for the tests: walks the chunks (checking CRCs with zlib), inflates
// each frame's data with zlib, undoes the PNG row filters and composes the frames on a canvas.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace outtest {

struct CApngFrame {
    std::uint32_t m_sequence = 0; // of the fcTL
    std::uint32_t m_width = 0, m_height = 0, m_x = 0, m_y = 0;
    std::uint16_t m_delayNum = 0, m_delayDen = 0;
    std::uint8_t m_dispose = 0, m_blend = 0;
    std::vector<std::uint8_t> m_rgba;           // the frame's own pixels
    std::vector<std::uint8_t> m_filters;        // filter type of each row
    std::vector<std::uint32_t> m_dataSequences; // of its fdAT chunks
    std::size_t m_dataChunks = 0;
};

struct CApng {
    std::string m_error;                   // the first fault found; empty when the file is sound
    std::vector<std::string> m_chunkTypes; // in file order
    std::uint32_t m_width = 0, m_height = 0;
    std::uint8_t m_bitDepth = 0, m_colorType = 0, m_interlace = 0;
    bool m_hasPhys = false;
    std::uint32_t m_ppmX = 0, m_ppmY = 0;
    std::uint8_t m_physUnit = 0;
    std::uint32_t m_numFrames = 0, m_numPlays = 0;
    std::vector<CApngFrame> m_frames;
    // The canvas after each frame, RGBA, following dispose and blend operations.
    std::vector<std::vector<std::uint8_t>> m_canvases;
};

CApng ReadApng(const std::filesystem::path& path);

// The chunk types of a file with consecutive runs of one type collapsed ("IDAT IDAT" -> "IDAT").
std::string ChunkOutline(const CApng& apng);

} // namespace outtest
