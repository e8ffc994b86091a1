#include "png_reader.h"

#include <csetjmp>
#include <cstdio>
#include <png.h>

namespace outtest {

namespace {

void OnError(png_structp png, png_const_charp message) {
    auto* out = static_cast<CDecodedPng*>(png_get_error_ptr(png));
    out->m_error = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Reads into out; all objects that need destruction live outside the jump scope.
void Decode(FILE* file, CDecodedPng& out, std::vector<png_bytep>& rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &out, OnError, OnWarning);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    out.m_width = png_get_image_width(png, info);
    out.m_height = png_get_image_height(png, info);
    out.m_colorType = png_get_color_type(png, info);
    out.m_bitDepth = png_get_bit_depth(png, info);
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &x, &y, &unit)) {
        out.m_hasPhys = true;
        out.m_ppmX = x;
        out.m_ppmY = y;
        out.m_physUnit = unit;
    }
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length)) {
        out.m_hasIccp = true;
        out.m_iccpName = name;
        out.m_iccp.assign(profile, profile + length);
    }
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    out.m_rgba.resize(std::size_t(out.m_width) * out.m_height * 4);
    rows.resize(out.m_height);
    for (png_uint_32 r = 0; r < out.m_height; ++r) {
        rows[r] = out.m_rgba.data() + std::size_t(r) * out.m_width * 4;
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
}

} // namespace

CDecodedPng ReadPng(const std::filesystem::path& path) {
    CDecodedPng out;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        out.m_error = "cannot open " + path.string();
        return out;
    }
    std::vector<png_bytep> rows;
    Decode(file, out, rows);
    std::fclose(file);
    return out;
}

} // namespace outtest
