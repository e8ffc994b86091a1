#include "output/lzw_encoder.h"

#include "common/error.h"

#include <algorithm>
#include <array>
#include <string>

namespace codec {

namespace {

constexpr std::uint32_t kMaxCodes = 4096; // 12-bit codes
constexpr int kMaxBits = 12;
constexpr std::size_t kMaxSubBlock = 255;
// Twice the codes a table can hold keeps the probe sequences short.
constexpr std::uint32_t kSlotBits = 13;
constexpr std::uint32_t kSlotMask = (1u << kSlotBits) - 1;
// No entry has prefix 4095 and code 4095 (the last code is added with an earlier prefix), so
// all bits set never stands for an entry.
constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
// The slacks each frame is parsed with: 0 takes any look-ahead gain, which suits scattered
// shapes on a plain ground; 2 takes only long gains, which suits gradations, where a short
// phrase costs more in table entries than it saves.
constexpr std::array<int, 2> kSlacks = {0, 2};

std::uint32_t Hash(std::uint32_t key) {
    return (key * 0x9E3779B1u) >> (32 - kSlotBits);
}

} // namespace

int CLzwEncoder::MinCodeSize(std::size_t entries) {
    int bits = 2;
    while (bits < 8 && (std::size_t{1} << bits) < entries) {
        ++bits;
    }
    return bits;
}

void CLzwEncoder::Encode(std::span<const std::uint8_t> indices, int minCodeSize,
                         std::vector<std::uint8_t>& out) {
    if (minCodeSize < 2 || minCodeSize > 8) {
        throw my::InternalError("codec::CLzwEncoder::Encode()\nMinimum code size " +
                                std::to_string(minCodeSize));
    }
    const auto top = std::max_element(indices.begin(), indices.end());
    if (top != indices.end() && *top >= (1u << minCodeSize)) {
        throw my::InternalError("codec::CLzwEncoder::Encode()\nIndex " + std::to_string(*top) +
                                " beyond " + std::to_string(minCodeSize) + " bits");
    }
    m_table.resize(std::size_t{1} << kSlotBits);
    for (auto& path : m_paths) {
        path.resize(kMaxCodes);
    }
    bool first = true;
    for (const int slack : kSlacks) {
        Parse(indices, minCodeSize, slack);
        if (first || m_data.size() < m_best.size()) {
            m_best.swap(m_data);
            first = false;
        }
    }
    out.push_back(std::uint8_t(minCodeSize));
    for (std::size_t at = 0; at < m_best.size(); at += kMaxSubBlock) {
        const std::size_t n = std::min(kMaxSubBlock, m_best.size() - at);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), m_best.begin() + std::ptrdiff_t(at),
                   m_best.begin() + std::ptrdiff_t(at + n));
    }
    out.push_back(0);
}

void CLzwEncoder::Parse(std::span<const std::uint8_t> indices, int minCodeSize, int slack) {
    const std::uint32_t clear = 1u << minCodeSize;
    const std::uint32_t end = clear + 1;
    m_data.clear();
    m_bitBuffer = 0;
    m_bitCount = 0;
    ResetTable();
    std::uint32_t next = end + 1;
    int bits = minCodeSize + 1;
    PutCode(clear, bits);
    const std::size_t n = indices.size();
    // m_paths[at] holds the walk of the phrase at i, `length` pixels of it walked already: the
    // look-ahead walks both phrases that may follow, and the one that does follow is only
    // continued where the entry added in between extends it.
    std::size_t at = 0;
    std::size_t length = 0;
    std::size_t i = 0;
    while (i < n) {
        length = Walk(indices, i, m_paths[at], length);
        std::size_t take = length;
        std::size_t then = at;
        std::size_t following = 0;
        if (slack >= 0 && length > 1 && i + length < n) {
            // Leaving the longest phrase a pixel early must let the phrase after it reach
            // further by more than the slack.
            const std::size_t whole = (at + 1) % m_paths.size();
            const std::size_t early = (at + 2) % m_paths.size();
            const std::size_t afterWhole = Walk(indices, i + length, m_paths[whole], 0);
            const std::size_t afterEarly = Walk(indices, i + length - 1, m_paths[early], 0);
            if (afterEarly > afterWhole + 1 + std::size_t(slack)) {
                take = length - 1;
                then = early;
                following = afterEarly;
            } else {
                then = whole;
                following = afterWhole;
            }
        }
        const std::uint32_t code = m_paths[at][take - 1];
        PutCode(code, bits);
        i += take;
        if (i == n) {
            break;
        }
        // The entry a decoder makes on reading the next code: this phrase and the pixel after
        // it. After a shortened phrase the string is in the table already; its code is used up
        // all the same, since the decoder counts it.
        if (next < kMaxCodes) {
            if (Find(code, indices[i]) == kNone) {
                Add(code, indices[i], next);
            }
            ++next;
            if (next > (1u << bits) && bits < kMaxBits) {
                ++bits;
            }
        } else {
            PutCode(clear, bits);
            ResetTable();
            next = end + 1;
            bits = minCodeSize + 1;
            following = 0; // walked through the old table
        }
        at = then;
        length = following;
    }
    PutCode(end, bits);
    FlushBits();
}

std::size_t CLzwEncoder::Walk(std::span<const std::uint8_t> indices, std::size_t j,
                              std::vector<std::uint32_t>& path, std::size_t length) const {
    if (length == 0) {
        path[0] = indices[j];
        length = 1;
    }
    std::uint32_t code = path[length - 1];
    while (j + length < indices.size()) {
        const std::uint32_t child = Find(code, indices[j + length]);
        if (child == kNone) {
            break;
        }
        code = child;
        path[length++] = code;
    }
    return length;
}

std::uint32_t CLzwEncoder::Find(std::uint32_t prefix, std::uint8_t symbol) const {
    const std::uint32_t key = prefix << 8 | symbol;
    for (std::uint32_t s = Hash(key);; s = (s + 1) & kSlotMask) {
        const std::uint32_t slot = m_table[s];
        if (slot == kEmpty) {
            return kNone;
        }
        if (slot >> 12 == key) {
            return slot & (kMaxCodes - 1);
        }
    }
}

void CLzwEncoder::Add(std::uint32_t prefix, std::uint8_t symbol, std::uint32_t code) {
    const std::uint32_t key = prefix << 8 | symbol;
    std::uint32_t s = Hash(key);
    while (m_table[s] != kEmpty) {
        s = (s + 1) & kSlotMask;
    }
    m_table[s] = key << 12 | code;
}

void CLzwEncoder::ResetTable() {
    std::fill(m_table.begin(), m_table.end(), kEmpty);
}

void CLzwEncoder::PutCode(std::uint32_t code, int bits) {
    m_bitBuffer |= std::uint64_t(code) << m_bitCount;
    m_bitCount += bits;
    while (m_bitCount >= 8) {
        m_data.push_back(std::uint8_t(m_bitBuffer));
        m_bitBuffer >>= 8;
        m_bitCount -= 8;
    }
}

void CLzwEncoder::FlushBits() {
    if (m_bitCount > 0) {
        m_data.push_back(std::uint8_t(m_bitBuffer));
    }
    m_bitBuffer = 0;
    m_bitCount = 0;
}

} // namespace codec
