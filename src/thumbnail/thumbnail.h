// morvane-thumbnail: small PNG pictures of stroke drawings (.strk) and of the START drawing of
// projects (.mrva) for file managers. It runs on every file a user browses, so every input is
// read whole under a size cap, refused unless it is a regular file, and drawn at thumbnail size.
#pragma once

#include "stroke/layer_model.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

struct CImg;

namespace thumb {

// The largest files read: a drawing with its embedded bitmaps, and a project.
constexpr std::uint64_t kMaxDrawingBytes = std::uint64_t{64} << 20;
constexpr std::uint64_t kMaxProjectBytes = std::uint64_t{4} << 20;
// The largest thumbnail side.
constexpr int kMaxSize = 4096;

// Exit statuses of the program.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The bytes of a regular file of at most `limit` bytes. Never blocks on a pipe or device:
// anything but a regular file raises IDS_FILE_OPEN_FAILED (a folder, a pipe, a device), a larger
// file IDS_THUMBNAIL_FILE_TOO_LARGE.
std::vector<std::uint8_t> ReadInputFile(const std::string& path, std::uint64_t limit);

// The drawing a thumbnail shows: the file itself when it starts with "stroke", the START image
// of the project when it is XML (relative paths taken from the project's folder). Anything else
// raises IDS_THUMBNAIL_NOT_DRAWING; a project without START IDS_THUMBNAIL_NO_START; the reader's
// and the project's own messages otherwise.
stroke::ModelPtr LoadThumbnailModel(const std::string& path);

// The pixel size of a page of width x height (any one unit) fitted into size x size: the longer
// side is size, the shorter keeps the proportion and is at least 1 pixel. A side that is not a
// finite positive number raises IDS_THUMBNAIL_PAGE_INVALID.
std::pair<int, int> ThumbnailSize(double width, double height, int size);

// The model (changed: scaled to pixels) drawn on a white page fitted into size x size, in sRGB
// with alpha (pixel type 0).
boost::shared_ptr<CImg> RenderThumbnail(const stroke::ModelPtr& model, int size);

// Writes the image as a PNG file through a temporary file beside it; on failure nothing is left.
void WritePng(const CImg& img, const std::string& path);

struct COptions {
    int m_size = 0;
    std::string m_input;
    std::string m_output;
    bool m_help = false;
    bool m_version = false;
};

// `-s SIZE INPUT OUTPUT` (also --size SIZE, --size=SIZE, -sSIZE), --help, --version; "--" ends
// the options. A command line that cannot be run raises IDS_THUMBNAIL_BAD_SIZE,
// IDS_THUMBNAIL_UNKNOWN_OPTION or IDS_THUMBNAIL_ARGUMENTS.
COptions ParseArguments(const std::vector<std::string>& args);

// The whole program once its limits are in place: reads, draws and writes, or says why not on
// err. Returns the exit status; never throws.
int RunThumbnailer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace thumb
