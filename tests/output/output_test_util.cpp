#include "output_test_util.h"

#include "platform/img.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <sys/wait.h>

namespace outtest {

boost::shared_ptr<CImg> MakeImage(int width, int height,
                                  const std::function<Bgra(int x, int y)>& pixel) {
    auto img = boost::make_shared<CImg>();
    img->Allocate(CImg::PIXEL_BGRA32, width, height);
    img->m_dpiX = img->m_dpiY = 96.0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            SetPixel(*img, x, y, pixel(x, y));
        }
    }
    return img;
}

boost::shared_ptr<CImg> Solid(int width, int height, Bgra color) {
    return MakeImage(width, height, [color](int, int) { return color; });
}

Bgra PixelAt(const CImg& img, int x, int y) {
    const std::uint8_t* p = img.Row(y) + 4 * x;
    return Bgra{p[0], p[1], p[2], p[3]};
}

void SetPixel(CImg& img, int x, int y, Bgra c) {
    std::uint8_t* p = img.Row(y) + 4 * x;
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
    p[3] = c.a;
}

std::vector<std::uint8_t> Rgba(const CImg& img) {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < img.m_height; ++y) {
        for (int x = 0; x < img.m_width; ++x) {
            const Bgra p = PixelAt(img, x, y);
            out.insert(out.end(), {p.r, p.g, p.b, p.a});
        }
    }
    return out;
}

boost::shared_ptr<CImg> Copy(const CImg& img) {
    return boost::make_shared<CImg>(img);
}

boost::shared_ptr<CImg> FlatArt(int width, int height, double phase, bool opaque) {
    struct Disc {
        double cx, cy, r;
        Bgra color;
    };
    const double w = width;
    const double h = height;
    const double s = std::min(w, h);
    const Disc discs[] = {
        {w * (0.25 + 0.5 * phase), h * 0.4, s * 0.22, {40, 90, 220, 255}},
        {w * 0.7, h * (0.3 + 0.4 * phase), s * 0.15, {200, 160, 30, 255}},
        {w * 0.5, h * 0.75, s * (0.1 + 0.1 * phase), {60, 180, 70, 255}},
    };
    const Bgra background = opaque ? Bgra{245, 240, 235, 255} : Bgra{0, 0, 0, 0};
    return MakeImage(width, height, [&](int x, int y) {
        Bgra out = background;
        // A gradation band like a gradient-filled rectangle, then a filled stripe, then discs
        // with a one-pixel antialiased rim.
        if (y < h * 0.3) {
            const double t = x / w;
            out = Bgra{std::uint8_t(120 + 100 * t), std::uint8_t(200 - 150 * t),
                       std::uint8_t(60 + 180 * t), 255};
        }
        if (y > h * 0.85 && x < w * (0.2 + 0.6 * phase)) {
            out = Bgra{90, 60, 50, 255};
        }
        for (const Disc& d : discs) {
            const double dist = std::hypot(x + 0.5 - d.cx, y + 0.5 - d.cy);
            const double cover = std::clamp(d.r - dist + 0.5, 0.0, 1.0);
            if (cover <= 0.0) {
                continue;
            }
            const double a = cover * d.color.a / 255.0;
            const double oa = out.a / 255.0;
            const double ra = a + oa * (1.0 - a);
            auto mix = [&](std::uint8_t c, std::uint8_t o) {
                return std::uint8_t(std::lround(ra > 0 ? (c * a + o * oa * (1.0 - a)) / ra : 0.0));
            };
            out = Bgra{mix(d.color.b, out.b), mix(d.color.g, out.g), mix(d.color.r, out.r),
                       std::uint8_t(std::lround(ra * 255.0))};
        }
        return out;
    });
}

std::vector<boost::shared_ptr<CImg>> ArtFrames(int count, int width, int height, bool opaque) {
    std::vector<boost::shared_ptr<CImg>> frames;
    for (int i = 0; i < count; ++i) {
        frames.push_back(FlatArt(width, height, i / double(count), opaque));
    }
    return frames;
}

boost::shared_ptr<CImg> Gradient(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(0, 3);
    return MakeImage(width, height, [&](int x, int y) {
        return Bgra{std::uint8_t((x * 255 / std::max(width - 1, 1) + noise(random)) & 0xFF),
                    std::uint8_t((y * 255 / std::max(height - 1, 1)) & 0xFF),
                    std::uint8_t(((x + y) * 3 + noise(random)) & 0xFF),
                    std::uint8_t(200 + (x * y) % 56)};
    });
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

bool HasPngcheck() {
    return std::system("command -v pngcheck >/dev/null 2>&1") == 0;
}

int RunPngcheck(const std::filesystem::path& file, std::string& output) {
    const std::string command = "pngcheck -v '" + file.string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        return -1;
    }
    char buffer[4096];
    output.clear();
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

mrv::CFrameList Frames(const std::vector<boost::shared_ptr<CImg>>& images, bool roundTrip) {
    mrv::CFrameList list;
    list.m_images.assign(images.begin(), images.end());
    list.m_roundTrip = roundTrip;
    return list;
}

} // namespace outtest
