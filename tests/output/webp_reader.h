// Reads animated WebP files back with libwebp's demuxer and animation decoder (independent of
// our writer) for the output and batch-command tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace outtest {

struct CWebpFrameInfo {
    int m_x = 0, m_y = 0, m_width = 0, m_height = 0;
    int m_duration = 0; // milliseconds
    bool m_blend = false;
    bool m_disposeToBackground = false;
    bool m_lossless = false; // the frame's image is VP8L
};

struct CWebpAnimationRead {
    std::string m_error; // what failed, else empty
    int m_width = 0;
    int m_height = 0;
    int m_loopCount = -1;
    std::uint32_t m_background = 0;
    std::vector<std::uint8_t> m_icc;
    std::vector<CWebpFrameInfo> m_frames;
    // The canvas after each frame, rows of R, G, B, A (not premultiplied).
    std::vector<std::vector<std::uint8_t>> m_canvases;
};

CWebpAnimationRead ReadWebp(const std::filesystem::path& path);

// True when webpmux (Debian package webp) is on the PATH.
bool HasWebpmux();
// Runs "webpmux -info" on the file; returns its exit status and fills its output.
int RunWebpmuxInfo(const std::filesystem::path& file, std::string& output);

// PSNR in dB of the R, G and B samples of two RGBA canvases of the same size (100 when equal).
double RgbPsnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

} // namespace outtest
