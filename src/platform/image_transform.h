// Colour conversion of whole pixel images between two colour profiles (textures of a model,
// rendered frames), and the widening of grey images to RGB or CMYK that comes before it.
#pragma once

#include "platform/color_profile.h"
#include "platform/img.h"

#include <cstdint>

namespace icm {

// Converts src, whose colours are in srcProfile, into dst, whose colours are to be in
// dstProfile. dst must already have src's width and height and a pixel type 0-3 (RGB or CMYK,
// with or without alpha); src may be of any type: grey images (4, 5) are widened to the layout
// of srcProfile's space first. Alpha is copied when both images have it and set opaque when
// only dst has it. Profiles with equal headers and images of the same colour space copy the
// colours unchanged. Failures: IDS_IMAGE_FORMAT_UNSUPPORTED for a dst type without colour channels
// or an unknown type; IDS_WIC_TRANSFORM_CREATE_FAILED with the reason when a profile does not fit
// its image or the two do not combine.
void TransformImage(const CImg& src, const CColorProfile& srcProfile, CImg& dst,
                    const CColorProfile& dstProfile);

// A copy of a grey image (pixel type 4 or 5) in the layout of a stroke::ColorType without
// alpha: RGB (type 1) repeats the grey value in each channel; CMYK (type 3) puts its inverse
// into black and leaves cyan, magenta and yellow empty. A 1-bit pixel 1 is white. Resolution,
// profile and colour context are shared with the source. Other types: IDS_IMAGE_FORMAT_UNSUPPORTED;
// other colour types: IDS_ICM_COLOR_SPACE_UNKNOWN.
CImg WidenGrey(const CImg& grey, std::uint32_t colorType);

} // namespace icm
