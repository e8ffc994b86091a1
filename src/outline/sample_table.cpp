#include "outline/sample_table.h"

#include <algorithm>
#include <cmath>

namespace outline {

double SampleTable::EndLength(std::size_t segment) const {
    return segment + 1 < points.size() ? points[segment + 1].length : total;
}

double SampleTable::LengthAt(std::size_t segment, double t) const {
    const double scaled = std::clamp(t, 0.0, 1.0) * kSamplesPerSegment;
    const int s = std::min(static_cast<int>(scaled), kSamplesPerSegment - 1);
    const double before =
        s == 0 ? StartLength(segment) : samples[segment * kSamplesPerSegment + s - 1].length;
    const double after = samples[segment * kSamplesPerSegment + s].length;
    return before + (after - before) * (scaled - s);
}

Cubic SegmentCurve(const Run& run, std::size_t segment) {
    const CtrlPoint& a = run.points[segment];
    const CtrlPoint& b = run.points[(segment + 1) % run.points.size()];
    return {a.pos, a.out, b.in, b.pos};
}

bool IsCoincidentSegment(const Run& run, std::size_t segment) {
    return run.points[segment].pos == run.points[(segment + 1) % run.points.size()].pos;
}

SampleTable SampleRun(const Run& run) {
    SampleTable table;
    const std::size_t n = run.points.size();
    const std::size_t segments = run.SegmentCount();
    table.points.reserve(n);
    table.samples.reserve(segments * kSamplesPerSegment);
    double length = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        SampleRecord record;
        record.pos = run.points[i].pos;
        record.length = length;
        record.segment = static_cast<std::uint32_t>(i);
        record.kind = SAMPLE_RUN_POINT;
        const std::size_t before = i > 0 ? i - 1 : n - 1;
        if ((i > 0 || run.closed) && run.points[i].pos == run.points[before].pos) {
            record.kind |= SAMPLE_COINCIDENT;
        }
        table.points.push_back(record);
        if (i >= segments) {
            break;
        }
        const Cubic curve = SegmentCurve(run, i);
        const bool coincident = IsCoincidentSegment(run, i);
        Point previous = curve.p0;
        for (int s = 1; s <= kSamplesPerSegment; ++s) {
            SampleRecord sample;
            sample.t = static_cast<double>(s) / kSamplesPerSegment;
            sample.segment = static_cast<std::uint32_t>(i);
            if (coincident) {
                sample.pos = curve.p0;
                sample.kind = SAMPLE_COINCIDENT;
            } else {
                // The last sample is the end point itself, not a rounded evaluation of it.
                sample.pos = s == kSamplesPerSegment ? curve.p3 : curve.At(sample.t);
                length += Distance(previous, sample.pos);
                previous = sample.pos;
            }
            if (s == kSamplesPerSegment) {
                sample.kind |= SAMPLE_SEGMENT_END;
            }
            sample.length = length;
            table.samples.push_back(sample);
        }
    }
    table.total = length;
    return table;
}

} // namespace outline
