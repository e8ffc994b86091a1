// The sample table of a run: every Bezier segment evaluated at a fixed number of parameters,
// with cumulative arc lengths, from which the outline builder spreads the widths.
#pragma once

#include "outline/cubic.h"
#include "outline/run.h"

#include <cstdint>
#include <vector>

namespace outline {

inline constexpr int kSamplesPerSegment = 20;

// Kind bits of a sample record.
enum SampleKind : std::uint32_t {
    SAMPLE_RUN_POINT = 0x001,   // the record of a run point
    SAMPLE_COINCIDENT = 0x002,  // at a point that shares its position with the point before it
    SAMPLE_SEGMENT_END = 0x100, // the last sample of a segment
};

struct SampleRecord {
    Point pos;
    double length = 0.0; // cumulative arc length of the run up to here
    double t = 0.0;      // Bezier parameter within its segment
    std::uint32_t segment = 0;
    std::uint32_t kind = 0;
};

struct SampleTable {
    // One record per run point (parameter 0 of the segment that starts there).
    std::vector<SampleRecord> points;
    // kSamplesPerSegment records per segment, at t = s / kSamplesPerSegment for s = 1 ... 20.
    std::vector<SampleRecord> samples;
    // Length of the whole run, the closing segment of a closed run included.
    double total = 0.0;

    // Cumulative length at the start and at the end of a segment.
    double StartLength(std::size_t segment) const { return points[segment].length; }
    double EndLength(std::size_t segment) const;
    // Cumulative length at parameter t of a segment, interpolated between its samples.
    double LengthAt(std::size_t segment, double t) const;
};

// The Bezier segment from run point i to the next (the first one, for the closing segment).
Cubic SegmentCurve(const Run& run, std::size_t segment);
// Whether a segment joins two points at one position: it adds no length.
bool IsCoincidentSegment(const Run& run, std::size_t segment);

// Samples every segment of a run. A segment between two points at one position adds no
// length; its records all lie on the point and carry SAMPLE_COINCIDENT.
SampleTable SampleRun(const Run& run);

} // namespace outline
