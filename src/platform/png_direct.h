// codec::DecodePlainPng: the quick way through the PNG streams our own frames and most drawing
// programs write (8-bit RGB or RGBA, not interlaced, no colour key), with libdeflate.
#pragma once

#include "platform/img.h"
#include "platform/input_stream.h"
#include "platform/png_decoder.h"

namespace codec {

// Decodes such a stream into img's BGRA rows exactly as libpng would, and returns true. Returns
// false, with the stream back where it was and img's rows untouched or unusable, for anything
// else: another kind of PNG, a size other than img's, a stream over the limits, and any damage;
// the caller then reads the stream with libpng, which gives every such case its message.
bool DecodePlainPng(io::CInputStream& png, CImg& img, const CPngLimits& limits);

} // namespace codec
