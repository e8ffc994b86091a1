#include "output/color_counter.h"

#include "common/error.h"

#include <algorithm>

namespace codec {

namespace {

// No colour of 24 bits has all 32 bits set.
constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
constexpr std::size_t kFirstSlots = 4096;

} // namespace

void CColorCounter::Clear() {
    if (m_keys.empty()) {
        m_keys.assign(kFirstSlots, kEmpty);
        m_values.assign(kFirstSlots, 0);
    } else {
        std::fill(m_keys.begin(), m_keys.end(), kEmpty);
    }
    m_size = 0;
}

std::size_t CColorCounter::Slot(std::uint32_t key) const {
    const std::size_t mask = m_keys.size() - 1;
    std::size_t s = std::size_t((key * 2654435761u) >> 8) & mask;
    while (m_keys[s] != kEmpty && m_keys[s] != key) {
        s = (s + 1) & mask;
    }
    return s;
}

void CColorCounter::Add(std::uint32_t key) {
    if (m_keys.empty()) {
        Clear();
    }
    const std::size_t s = Slot(key);
    if (m_keys[s] == key) {
        ++m_values[s];
        return;
    }
    m_keys[s] = key;
    m_values[s] = 1;
    // At most half full keeps the probe sequences short.
    if (++m_size * 2 > m_keys.size()) {
        Grow();
    }
}

void CColorCounter::Grow() {
    std::vector<std::uint32_t> keys(m_keys.size() * 2, kEmpty);
    std::vector<std::uint32_t> values(m_keys.size() * 2, 0);
    keys.swap(m_keys);
    values.swap(m_values);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] != kEmpty) {
            const std::size_t s = Slot(keys[i]);
            m_keys[s] = keys[i];
            m_values[s] = values[i];
        }
    }
}

std::vector<CColorCount> CColorCounter::Sorted() {
    std::vector<CColorCount> colors;
    colors.reserve(m_size);
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] != kEmpty) {
            colors.push_back(CColorCount{m_keys[i], m_values[i], 0});
        }
    }
    std::sort(colors.begin(), colors.end(),
              [](const CColorCount& a, const CColorCount& b) { return a.m_key < b.m_key; });
    for (std::size_t place = 0; place < colors.size(); ++place) {
        m_values[Slot(colors[place].m_key)] = std::uint32_t(place);
    }
    return colors;
}

std::uint32_t CColorCounter::PlaceOf(std::uint32_t key) const {
    const std::size_t s = m_keys.empty() ? 0 : Slot(key);
    if (m_keys.empty() || m_keys[s] != key) {
        throw my::InternalError("codec::CColorCounter::PlaceOf()\nA colour never counted");
    }
    return m_values[s];
}

} // namespace codec
