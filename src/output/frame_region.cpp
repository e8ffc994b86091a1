#include "output/frame_region.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <boost/make_shared.hpp>
#include <cstring>

namespace mrv {

namespace {

bool RowsDiffer(const CImg& a, const CImg& b, std::int32_t y, std::size_t rowBytes) {
    return std::memcmp(a.Row(y), b.Row(y), rowBytes) != 0;
}

bool PixelsDiffer(const std::uint8_t* a, const std::uint8_t* b, std::size_t x, std::size_t bpp) {
    if (bpp == 4) {
        // The frames' own format: one word each, without a call to memcmp per pixel.
        std::uint32_t p = 0;
        std::uint32_t q = 0;
        std::memcpy(&p, a + x * 4, 4);
        std::memcpy(&q, b + x * 4, 4);
        return p != q;
    }
    return std::memcmp(a + x * bpp, b + x * bpp, bpp) != 0;
}

} // namespace

CFrameRecord ChangedRegion(const CImg& prev, const CImg& cur) {
    const unsigned bits = CImg::BitsPerPixel(cur.m_pixelType);
    if (prev.m_pixelType != cur.m_pixelType || prev.m_width != cur.m_width ||
        prev.m_height != cur.m_height || bits == 0 || bits % 8 != 0) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
    const std::size_t bpp = bits / 8;
    const std::size_t rowBytes = std::size_t(cur.m_width) * bpp;

    std::int32_t top = 0;
    while (top < cur.m_height && !RowsDiffer(prev, cur, top, rowBytes)) {
        ++top;
    }
    if (top == cur.m_height) {
        // Nothing changed: a one-pixel frame keeps the frame count and its delay.
        return CFrameRecord{0, 0, 1, 1, 0, DISPOSAL_UNSPECIFIED};
    }
    std::int32_t bottom = cur.m_height; // exclusive
    while (!RowsDiffer(prev, cur, bottom - 1, rowBytes)) {
        --bottom;
    }

    // Columns: the left edge only moves left and the right edge only moves right, so each row
    // is scanned only outside the columns already known to change.
    const std::size_t width = std::size_t(cur.m_width);
    std::size_t left = width;
    std::size_t right = 0; // exclusive
    for (std::int32_t y = top; y < bottom; ++y) {
        const std::uint8_t* a = prev.Row(y);
        const std::uint8_t* b = cur.Row(y);
        for (std::size_t x = 0; x < left; ++x) {
            if (PixelsDiffer(a, b, x, bpp)) {
                left = x;
                break;
            }
        }
        for (std::size_t x = width; x > right; --x) {
            if (PixelsDiffer(a, b, x - 1, bpp)) {
                right = x;
                break;
            }
        }
    }
    return CFrameRecord{std::int32_t(left),  top, std::int32_t(right), bottom, 0,
                        DISPOSAL_UNSPECIFIED};
}

CImgPtr CropImage(const CImg& img, const CFrameRecord& rect) {
    const unsigned bits = CImg::BitsPerPixel(img.m_pixelType);
    if (bits == 0 || bits % 8 != 0 || rect.m_left < 0 || rect.m_top < 0 ||
        rect.m_right > img.m_width || rect.m_bottom > img.m_height || rect.Width() <= 0 ||
        rect.Height() <= 0) {
        throw my::InternalError(
            "mrv::CropImage()\nRectangle outside the image: " + std::to_string(rect.m_left) + ", " +
            std::to_string(rect.m_top) + ", " + std::to_string(rect.m_right) + ", " +
            std::to_string(rect.m_bottom));
    }
    auto out = boost::make_shared<CImg>();
    out->m_pixelType = img.m_pixelType;
    out->m_width = rect.Width();
    out->m_height = rect.Height();
    out->m_stride = CImg::StrideOf(img.m_pixelType, rect.Width());
    out->m_dpiX = img.m_dpiX;
    out->m_dpiY = img.m_dpiY;
    out->m_profile = img.m_profile;
    out->m_context = img.m_context;
    // The rows are appended rather than copied over a zero-filled buffer; only the padding at
    // the end of a row is zeros.
    const std::size_t bpp = bits / 8;
    const std::size_t offset = std::size_t(rect.m_left) * bpp;
    const std::size_t bytes = std::size_t(rect.Width()) * bpp;
    out->m_bits.reserve(out->m_stride * std::size_t(rect.Height()));
    for (std::int32_t y = 0; y < rect.Height(); ++y) {
        const std::uint8_t* row = img.Row(rect.m_top + y) + offset;
        out->m_bits.insert(out->m_bits.end(), row, row + bytes);
        out->m_bits.resize(out->m_bits.size() + (out->m_stride - bytes), 0);
    }
    return out;
}

} // namespace mrv
