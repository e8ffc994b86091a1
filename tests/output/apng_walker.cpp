#include "apng_walker.h"

#include "output_test_util.h"

#include <cstdlib>
#include <cstring>
#include <zlib.h>

namespace outtest {

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint16_t U16(const std::uint8_t* p) {
    return std::uint16_t(p[0] << 8 | p[1]);
}

int PaethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Inflates and unfilters the zlib stream of a frame of RGBA (colour type 6) or RGB (2) pixels
// into RGBA; false with a reason on any fault.
bool DecodeFrame(const std::vector<std::uint8_t>& zlib, std::uint8_t colorType, CApngFrame& frame,
                 std::string& error) {
    if (colorType != 6 && colorType != 2) {
        error = "colour type " + std::to_string(colorType);
        return false;
    }
    const std::size_t bpp = colorType == 6 ? 4 : 3;
    const std::size_t stride = std::size_t(frame.m_width) * bpp;
    std::vector<std::uint8_t> raw(frame.m_height * (stride + 1));
    uLongf size = uLongf(raw.size());
    if (uncompress(raw.data(), &size, zlib.data(), uLong(zlib.size())) != Z_OK ||
        size != raw.size()) {
        error = "inflate failed or gave the wrong size";
        return false;
    }
    std::vector<std::uint8_t> rows(frame.m_height * stride, 0);
    std::vector<std::uint8_t> zero(stride, 0);
    for (std::size_t y = 0; y < frame.m_height; ++y) {
        const std::uint8_t type = raw[y * (stride + 1)];
        const std::uint8_t* in = &raw[y * (stride + 1) + 1];
        std::uint8_t* out = &rows[y * stride];
        const std::uint8_t* up = y ? &rows[(y - 1) * stride] : zero.data();
        frame.m_filters.push_back(type);
        if (type > 4) {
            error = "unknown filter type " + std::to_string(type);
            return false;
        }
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= bpp ? out[i - bpp] : 0;
            const int b = up[i];
            const int c = i >= bpp ? up[i - bpp] : 0;
            const int predictors[] = {0, a, b, (a + b) / 2, PaethPredictor(a, b, c)};
            out[i] = std::uint8_t(in[i] + predictors[type]);
        }
    }
    const std::size_t pixels = std::size_t(frame.m_width) * frame.m_height;
    frame.m_rgba.assign(pixels * 4, 0xFF);
    for (std::size_t p = 0; p < pixels; ++p) {
        std::memcpy(&frame.m_rgba[p * 4], &rows[p * bpp], bpp);
    }
    return true;
}

void Compose(CApng& apng, std::vector<std::uint8_t>& canvas, const CApngFrame& f) {
    for (std::uint32_t y = 0; y < f.m_height; ++y) {
        for (std::uint32_t x = 0; x < f.m_width; ++x) {
            const std::uint8_t* src = &f.m_rgba[(std::size_t(y) * f.m_width + x) * 4];
            std::uint8_t* dst = &canvas[((std::size_t(f.m_y) + y) * apng.m_width + f.m_x + x) * 4];
            if (f.m_blend == 0 || src[3] == 255) {
                std::memcpy(dst, src, 4);
            } else if (src[3] != 0) {
                // Blend over, straight alpha.
                const double sa = src[3] / 255.0, da = dst[3] / 255.0;
                const double oa = sa + da * (1 - sa);
                for (int c = 0; c < 3; ++c) {
                    dst[c] = std::uint8_t((src[c] * sa + dst[c] * da * (1 - sa)) / oa + 0.5);
                }
                dst[3] = std::uint8_t(oa * 255 + 0.5);
            }
        }
    }
}

} // namespace

CApng ReadApng(const std::filesystem::path& path) {
    CApng apng;
    const std::vector<std::uint8_t> bytes = ReadFile(path);
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) {
        apng.m_error = "no PNG signature";
        return apng;
    }
    std::uint32_t expectedSequence = 0;
    std::vector<std::uint8_t> data; // zlib stream of the current frame
    std::vector<std::uint8_t> canvas;
    std::vector<std::uint8_t> beforeFrame;
    auto finishFrame = [&]() -> bool {
        if (apng.m_frames.empty()) {
            return true;
        }
        CApngFrame& f = apng.m_frames.back();
        if (!DecodeFrame(data, apng.m_colorType, f, apng.m_error)) {
            return false;
        }
        data.clear();
        if (canvas.empty()) {
            canvas.assign(std::size_t(apng.m_width) * apng.m_height * 4, 0);
        }
        beforeFrame = canvas;
        Compose(apng, canvas, f);
        apng.m_canvases.push_back(canvas);
        if (f.m_dispose == 1) {
            for (std::uint32_t y = 0; y < f.m_height; ++y) {
                std::memset(&canvas[((std::size_t(f.m_y) + y) * apng.m_width + f.m_x) * 4], 0,
                            std::size_t(f.m_width) * 4);
            }
        } else if (f.m_dispose == 2) {
            canvas = beforeFrame;
        }
        return true;
    };

    std::size_t pos = 8;
    while (pos + 12 <= bytes.size()) {
        const std::uint32_t length = U32(&bytes[pos]);
        if (pos + 12 + length > bytes.size()) {
            apng.m_error = "chunk runs past the end";
            return apng;
        }
        const std::string type(reinterpret_cast<const char*>(&bytes[pos + 4]), 4);
        const std::uint8_t* d = &bytes[pos + 8];
        const uLong crc = crc32(0, &bytes[pos + 4], uInt(length + 4));
        if (crc != U32(d + length)) {
            apng.m_error = "CRC error in " + type;
            return apng;
        }
        apng.m_chunkTypes.push_back(type);
        pos += 12 + length;

        if (type == "IHDR" && length == 13) {
            apng.m_width = U32(d);
            apng.m_height = U32(d + 4);
            apng.m_bitDepth = d[8];
            apng.m_colorType = d[9];
            apng.m_interlace = d[12];
        } else if (type == "pHYs" && length == 9) {
            apng.m_hasPhys = true;
            apng.m_ppmX = U32(d);
            apng.m_ppmY = U32(d + 4);
            apng.m_physUnit = d[8];
        } else if (type == "acTL" && length == 8) {
            apng.m_numFrames = U32(d);
            apng.m_numPlays = U32(d + 4);
        } else if (type == "fcTL" && length == 26) {
            if (!finishFrame()) {
                return apng;
            }
            CApngFrame f;
            f.m_sequence = U32(d);
            f.m_width = U32(d + 4);
            f.m_height = U32(d + 8);
            f.m_x = U32(d + 12);
            f.m_y = U32(d + 16);
            f.m_delayNum = U16(d + 20);
            f.m_delayDen = U16(d + 22);
            f.m_dispose = d[24];
            f.m_blend = d[25];
            if (f.m_sequence != expectedSequence++) {
                apng.m_error = "fcTL sequence number " + std::to_string(f.m_sequence);
                return apng;
            }
            if (f.m_x + f.m_width > apng.m_width || f.m_y + f.m_height > apng.m_height) {
                apng.m_error = "frame outside the image";
                return apng;
            }
            apng.m_frames.push_back(f);
        } else if (type == "IDAT") {
            if (apng.m_frames.size() != 1) {
                apng.m_error = "IDAT outside the first frame";
                return apng;
            }
            data.insert(data.end(), d, d + length);
            ++apng.m_frames.back().m_dataChunks;
        } else if (type == "fdAT" && length >= 4) {
            if (apng.m_frames.size() < 2) {
                apng.m_error = "fdAT before the second fcTL";
                return apng;
            }
            const std::uint32_t sequence = U32(d);
            if (sequence != expectedSequence++) {
                apng.m_error = "fdAT sequence number " + std::to_string(sequence);
                return apng;
            }
            apng.m_frames.back().m_dataSequences.push_back(sequence);
            data.insert(data.end(), d + 4, d + length);
            ++apng.m_frames.back().m_dataChunks;
        } else if (type == "IEND") {
            if (!finishFrame()) {
                return apng;
            }
            if (pos != bytes.size()) {
                apng.m_error = "bytes after IEND";
            }
            return apng;
        }
    }
    apng.m_error = "no IEND";
    return apng;
}

std::string ChunkOutline(const CApng& apng) {
    std::string outline;
    for (std::size_t i = 0; i < apng.m_chunkTypes.size(); ++i) {
        if (i > 0 && apng.m_chunkTypes[i] == apng.m_chunkTypes[i - 1]) {
            continue;
        }
        outline += (outline.empty() ? "" : " ") + apng.m_chunkTypes[i];
    }
    return outline;
}

} // namespace outtest
