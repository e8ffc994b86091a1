// PNG frames from disk as the renderer hands frames over (BGRA rows with the PNG's resolution),
// for the bench programs that compare our writers with other tools on the same files.
#pragma once

#include "output/img_saver.h"

#include <string>
#include <vector>

namespace bench {

// One frame; raises std::runtime_error naming the path when the file is not a PNG we can read.
mrv::CImgPtr ReadFrame(const std::string& path);

// All frames, decoded on up to `threads` threads (0: every hardware thread); they must share
// one size.
std::vector<mrv::CImgPtr> ReadFrames(const std::vector<std::string>& paths, unsigned threads = 0);

} // namespace bench
