// CColorCounter: the colours of a frame with how many pixels have each, in a hash table that
// grows with them, and afterwards each colour's place in the list of colours by value.
#pragma once

#include <cstdint>
#include <vector>

namespace codec {

// A colour (R | G << 8 | B << 16), how many pixels have it, and its palette index.
struct CColorCount {
    std::uint32_t m_key = 0;
    std::uint32_t m_count = 0;
    std::uint8_t m_index = 0;
};

class CColorCounter {
public:
    // Forgets the colours counted before, keeping the table's memory.
    void Clear();
    // Counts one pixel of the colour (24 bits).
    void Add(std::uint32_t key);
    std::size_t Size() const { return m_size; }
    // The colours counted, in the order of their values (the same on every run), and each
    // colour's place in that order for PlaceOf.
    std::vector<CColorCount> Sorted();
    // The place in Sorted() of a colour that was counted.
    std::uint32_t PlaceOf(std::uint32_t key) const;

private:
    std::size_t Slot(std::uint32_t key) const;
    void Grow();

    std::vector<std::uint32_t> m_keys;   // kEmpty where unused
    std::vector<std::uint32_t> m_values; // counts, then places
    std::size_t m_size = 0;
};

} // namespace codec
