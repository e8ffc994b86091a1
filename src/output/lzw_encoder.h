// CLzwEncoder: the LZW image data of a GIF frame (minimum code size, data sub-blocks,
// terminator), parsed with a step of look-ahead to fewer codes than a greedy LZW coder writes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace codec {

// Any GIF decoder reads the result: the code table grows and is cleared exactly as in a greedy
// coder (a clear code when all 4096 codes are taken). What differs is where phrases end. A
// greedy coder emits the longest string in its table; this one may emit it one pixel shorter
// when the phrase after it then reaches further by more than a slack number of pixels (ending
// earlier still gains under 1 % more on our frames, at a walk through the table each). A
// shortened phrase spends a table entry on a string the table already has, so how much gain is
// worth it depends on the picture: each frame is coded with two slacks and keeps the shorter
// data.
class CLzwEncoder {
public:
    // The smallest minimum code size GIF allows for a table of `entries` colours (2 to 8).
    static int MinCodeSize(std::size_t entries);

    // Appends the image data of indices, each below 1 << minCodeSize (2 to 8). Raises
    // my::InternalError for an index out of range, which would make a file no decoder reads.
    void Encode(std::span<const std::uint8_t> indices, int minCodeSize,
                std::vector<std::uint8_t>& out);

private:
    // The data of one parse into m_data; slack < 0 parses greedily.
    void Parse(std::span<const std::uint8_t> indices, int minCodeSize, int slack);
    // Length of the longest string of the table at position j, continuing a walk of `length`
    // pixels whose codes are in path (0: a new walk); path[k] becomes the code of k + 1 pixels.
    std::size_t Walk(std::span<const std::uint8_t> indices, std::size_t j,
                     std::vector<std::uint32_t>& path, std::size_t length) const;
    std::uint32_t Find(std::uint32_t prefix, std::uint8_t symbol) const;
    void Add(std::uint32_t prefix, std::uint8_t symbol, std::uint32_t code);
    void ResetTable();
    void PutCode(std::uint32_t code, int bits);
    void FlushBits();

    // Open addressing: slot = (prefix << 8 | symbol) << 12 | code, kEmpty when unused.
    std::vector<std::uint32_t> m_table;
    std::array<std::vector<std::uint32_t>, 3> m_paths; // walks of a phrase and two next ones
    std::vector<std::uint8_t> m_data; // the codes of one parse, packed, without sub-blocks
    std::vector<std::uint8_t> m_best;
    std::uint64_t m_bitBuffer = 0;
    int m_bitCount = 0;
};

} // namespace codec
