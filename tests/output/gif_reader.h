// Reads GIF files back with giflib for the output tests and composes their frames on a canvas
// by the disposal of each frame.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace outtest {

struct CGifFrame {
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    std::vector<std::uint8_t> m_palette; // R, G, B per entry
    std::vector<std::uint8_t> m_indices;
    bool m_hasControl = false;
    int m_delay = 0;
    int m_disposal = 0;
    int m_transparent = -1;                  // transparent index, -1 for none
    std::uint8_t m_transparentIndexByte = 0; // the raw byte of the control extension
};

struct CGif {
    std::string m_error;
    std::string m_version; // "GIF87a" or "GIF89a"
    int m_width = 0, m_height = 0, m_background = 0;
    bool m_hasLoop = false;
    std::vector<std::uint8_t> m_loopBlock; // bytes of the NETSCAPE2.0 sub-block
    int m_extensionCount = 0;              // all extension blocks of the file
    std::vector<CGifFrame> m_frames;
    // RGBA canvas after each frame; disposal 2 clears the frame's rectangle to transparent.
    std::vector<std::vector<std::uint8_t>> m_canvases;
};

CGif ReadGif(const std::filesystem::path& path);

} // namespace outtest
