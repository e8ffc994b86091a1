// Changed-region frames: the smallest rectangle in which a frame differs from the one before,
// and the copy of a frame cut to a rectangle.
#pragma once

#include "output/img_saver.h"

namespace mrv {

// Smallest rectangle (left, top, right, bottom; delay and disposal 0) holding every pixel whose
// bytes differ between prev and cur, found by scanning rows from the top and the bottom, then
// columns from the left and the right within those rows; (0, 0, 1, 1) when nothing differs.
// Both images must have the same size and a pixel type of whole bytes (IDS_IMAGE_FORMAT_UNSUPPORTED
// otherwise).
CFrameRecord ChangedRegion(const CImg& prev, const CImg& cur);

// A new image holding the rectangle of img, with its resolution and colour profile.
CImgPtr CropImage(const CImg& img, const CFrameRecord& rect);

} // namespace mrv
