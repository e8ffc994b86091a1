// Outlines of variable-width lines: each run of a line part becomes closed figures of cubic
// pieces covering the stroke, with the line's caps and joins, for one non-zero filled path.
#pragma once

#include "outline/figure.h"
#include "outline/run.h"
#include "outline/sample_table.h"

#include <cstdint>
#include <vector>

namespace outline {

// In the order of their flag bits.
enum class Cap { Round, Butt, Square };
enum class Join { Round, Miter, Bevel };

// A line's cap flags (1 ROUND, 2 BUTT, 4 SQUARE) and join flags (1 ROUND, 2 MITER, 4 BEVEL).
// Without a known bit the shape is round, as a pen takes it; with several bits the lowest one
// wins (a layer's combined flags draw as its first shape, round before the others).
Cap CapFromFlags(std::uint32_t flags);
Join JoinFromFlags(std::uint32_t flags);

struct Style {
    std::uint32_t cap = 1;  // cap flags of the line
    std::uint32_t join = 1; // join flags of the line
    // A miter whose length (from the corner's inner to its outer point) exceeds this many
    // widths becomes a bevel, as with a pen; 10 turns corners sharper than about 11.5 degrees
    // into bevels instead of spikes.
    double miterLimit = 10.0;
    // Greatest distance of the outline from the true offset curves, in model units; about a
    // tenth of a device pixel suits rendering.
    double tolerance = 0.1;
};

// The closed figures of one run. Every figure turns positively except the inner loop of a
// closed run (the hole of its ring), so filling all figures of a line with the non-zero rule
// covers each point within half the width of the centre line, with caps at the open ends of
// an open run, the join at corners and pointed ends where the width is 0. A run with a
// non-finite or absurdly large coordinate or width (beyond 1e12) gives no figure.
std::vector<Figure> BuildOutline(const Run& run, const Style& style);

// Cuts a part into runs and builds the figures of every run.
std::vector<Figure> BuildOutlines(const Part& part, const Style& style);

} // namespace outline
