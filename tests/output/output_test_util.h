// Helpers of the output tests: frames built in memory, file reading, a stop request that fires
// at a given question, and pngcheck.
#pragma once

#include "common/error.h"
#include "common/terminable.h"
#include "output/img_saver.h"
#include "support/failure.h"
#include "support/temp_folder.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace outtest {

struct Bgra {
    std::uint8_t b = 0, g = 0, r = 0, a = 255;
    friend bool operator==(const Bgra&, const Bgra&) = default;
};

// A frame of pixel type 0 whose pixel (x, y) is pixel(x, y).
boost::shared_ptr<CImg> MakeImage(int width, int height,
                                  const std::function<Bgra(int x, int y)>& pixel);
// A frame of one colour.
boost::shared_ptr<CImg> Solid(int width, int height, Bgra color);
// Pixel (x, y) of a frame of pixel type 0.
Bgra PixelAt(const CImg& img, int x, int y);
void SetPixel(CImg& img, int x, int y, Bgra color);
// The pixels of a frame of pixel type 0 as straight R, G, B, A bytes, rows packed: what the
// decoders of the written files give back.
std::vector<std::uint8_t> Rgba(const CImg& img);
// A copy that can be changed without touching the original.
boost::shared_ptr<CImg> Copy(const CImg& img);

// Flat vector art as the renderer makes it: a plain background and filled shapes with
// antialiased edges, moved by phase (0..1).
boost::shared_ptr<CImg> FlatArt(int width, int height, double phase, bool opaque = true);
// count frames of FlatArt moving from phase 0 towards 1.
std::vector<boost::shared_ptr<CImg>> ArtFrames(int count, int width, int height, bool opaque);
// Smooth colour gradients with noise: thousands of colours, every PNG filter type in use.
boost::shared_ptr<CImg> Gradient(int width, int height, unsigned seed);

// The shared temporary folder and failure helpers, under the names these tests use.
using morvane::test::CTempFolder;
using morvane::test::FailureOf;

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);

// Stops once question n (counting from 0) is asked: savers ask once before each frame.
class CStopAtQuestion : public CTerminable {
public:
    explicit CStopAtQuestion(std::size_t n) : m_n(n) {}
    bool IsTerminating() const override { return m_asked++ >= m_n; }

private:
    std::size_t m_n;
    mutable std::size_t m_asked = 0;
};

// True when pngcheck is on the PATH.
bool HasPngcheck();
// Runs "pngcheck -v" on the file; returns its exit status and fills its output.
int RunPngcheck(const std::filesystem::path& file, std::string& output);

// Frames of a list for a saver's Save.
mrv::CFrameList Frames(const std::vector<boost::shared_ptr<CImg>>& images, bool roundTrip = false);

} // namespace outtest
