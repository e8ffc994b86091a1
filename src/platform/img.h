// CImg: the pixel image record shared by the reader (texture bitmaps), the renderer (frames)
// and the savers. Rows run top-down, each padded to a multiple of 4 bytes.
#pragma once

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

class CColorProfile;

// The colour context stored with an embedded bitmap: two integers and the profile bytes.
struct CColorContext {
    std::uint32_t m_value1 = 0;
    std::uint32_t m_value2 = 0;
    std::vector<std::uint8_t> m_profile;
};

// An allocator that leaves new bytes as they are unless given a value, so that a vector can
// grow for data written over it at once (a decoded image) without clearing it first.
template <class T> struct CUnclearedAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = CUnclearedAllocator<U>; };
    CUnclearedAllocator() = default;
    template <class U> CUnclearedAllocator(const CUnclearedAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

struct CImg {
    enum PixelType : std::uint32_t {
        PIXEL_BGRA32 = 0,  // RGB with alpha, bytes B, G, R, A
        PIXEL_BGR24 = 1,   // RGB, bytes B, G, R
        PIXEL_CMYKA40 = 2, // CMYK with alpha, bytes C, M, Y, K, A
        PIXEL_CMYK32 = 3,  // CMYK, bytes C, M, Y, K
        PIXEL_GREY8 = 4,   // 8-bit grey
        PIXEL_MONO1 = 5,   // 1 bit per pixel
    };

    std::uint32_t m_pixelType = PIXEL_BGRA32;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    double m_dpiX = 0.0;
    double m_dpiY = 0.0;
    std::size_t m_stride = 0;
    std::vector<std::uint8_t, CUnclearedAllocator<std::uint8_t>> m_bits;
    boost::shared_ptr<CColorProfile> m_profile; // may be empty
    boost::shared_ptr<CColorContext>
        m_context; // colour context of an embedded bitmap, may be empty

    // Bits per pixel of a pixel type; 0 for an unknown type.
    static unsigned BitsPerPixel(std::uint32_t pixelType);
    // ceil(width * bits / 8) rounded up to a multiple of 4; raises an internal error when the
    // type is unknown or the row would not fit in memory.
    static std::size_t StrideOf(std::uint32_t pixelType, std::int32_t width);

    // Sets type and size and allocates zeroed rows; sizes are checked before allocating
    // (negative sizes, unknown types and buffers beyond 2 GiB raise an internal error).
    void Allocate(std::uint32_t pixelType, std::int32_t width, std::int32_t height);
    // The same with rows left as they are, for a caller that writes every byte of them at once.
    void AllocateUncleared(std::uint32_t pixelType, std::int32_t width, std::int32_t height);

    std::uint8_t* Row(std::int32_t y) { return m_bits.data() + m_stride * std::size_t(y); }
    const std::uint8_t* Row(std::int32_t y) const {
        return m_bits.data() + m_stride * std::size_t(y);
    }
    bool HasAlpha() const { return m_pixelType == PIXEL_BGRA32 || m_pixelType == PIXEL_CMYKA40; }
    bool IsCmyk() const { return m_pixelType == PIXEL_CMYKA40 || m_pixelType == PIXEL_CMYK32; }
    std::size_t ByteSize() const { return m_bits.size(); }
};
