#include "frame_files.h"

#include "platform/file_input_stream.h"
#include "platform/png_decoder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <boost/make_shared.hpp>
#include <cmath>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace bench {

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

// What DecodePng needs to know before it decodes: the size from IHDR, and the resolution from
// pHYs so that a saved frame carries the same one as a freshly rendered frame.
struct CPngHeader {
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    double m_dpiX = 0.0;
    double m_dpiY = 0.0;
};

CPngHeader ReadPngHeader(io::CInputStream& in, const std::string& path) {
    static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                               '\r', '\n', 0x1A, '\n'};
    std::array<std::uint8_t, 8> signature{};
    in.ReadExactly(signature.data(), signature.size());
    if (signature != kSignature) {
        throw std::runtime_error(path + ": not a PNG file");
    }
    CPngHeader header;
    bool first = true;
    for (;;) {
        std::array<std::uint8_t, 8> chunk{};
        in.ReadExactly(chunk.data(), chunk.size());
        const std::uint32_t length = BigEndian32(chunk.data());
        const std::string type(reinterpret_cast<const char*>(chunk.data() + 4), 4);
        if (std::uint64_t(length) + 4 > in.Remaining()) {
            throw std::runtime_error(path + ": chunk " + type + " runs past the end of the file");
        }
        if (first != (type == "IHDR")) {
            throw std::runtime_error(path + ": IHDR is not the first chunk");
        }
        if (type == "IDAT" || type == "IEND") {
            break;
        }
        if (type == "IHDR" || type == "pHYs") {
            std::array<std::uint8_t, 13> data{};
            if (length < (type == "IHDR" ? 13u : 9u)) {
                throw std::runtime_error(path + ": chunk " + type + " is too short");
            }
            in.ReadExactly(data.data(), type == "IHDR" ? 13 : 9);
            in.Seek(in.Position() + length - (type == "IHDR" ? 13 : 9) + 4);
            if (type == "IHDR") {
                const std::uint32_t width = BigEndian32(data.data());
                const std::uint32_t height = BigEndian32(data.data() + 4);
                if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
                    throw std::runtime_error(path + ": invalid image size");
                }
                header.m_width = std::int32_t(width);
                header.m_height = std::int32_t(height);
            } else if (data[8] == 1) {
                // Pixels per metre, back to dots per inch at the precision a DPI setting has.
                header.m_dpiX = std::round(BigEndian32(data.data()) * 25.4) / 1000.0;
                header.m_dpiY = std::round(BigEndian32(data.data() + 4) * 25.4) / 1000.0;
            }
        } else {
            in.Seek(in.Position() + length + 4);
        }
        first = false;
    }
    in.Seek(0);
    return header;
}

// One frame as the renderer hands it over: BGRA rows with the PNG's resolution.
} // namespace

mrv::CImgPtr ReadFrame(const std::string& path) {
    io::CFileInputStream in(path);
    const CPngHeader header = ReadPngHeader(in, path);
    auto img = boost::make_shared<CImg>();
    img->m_pixelType = CImg::PIXEL_BGRA32;
    img->m_width = header.m_width;
    img->m_height = header.m_height;
    img->m_dpiX = header.m_dpiX;
    img->m_dpiY = header.m_dpiY;
    codec::DecodePng(in, *img);
    return img;
}

std::vector<mrv::CImgPtr> ReadFrames(const std::vector<std::string>& paths, unsigned threads) {
    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    std::vector<mrv::CImgPtr> frames(paths.size());
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::exception_ptr failure;
    const auto work = [&] {
        for (std::size_t i = next++; i < paths.size(); i = next++) {
            try {
                frames[i] = ReadFrame(paths[i]);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(mutex);
                failure = failure ? failure : std::current_exception();
                next = paths.size();
            }
        }
    };
    {
        std::vector<std::jthread> pool;
        for (unsigned t = 1; t < std::min<std::size_t>(threads, paths.size()); ++t) {
            pool.emplace_back(work);
        }
        work();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i]->m_width != frames.front()->m_width ||
            frames[i]->m_height != frames.front()->m_height) {
            throw std::runtime_error(paths[i] + ": the frames differ in size");
        }
    }
    return frames;
}

} // namespace bench
