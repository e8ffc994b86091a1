#include "outline/run.h"

namespace outline {

namespace {

// Removes the inner points of every group of three or more consecutive points at one
// position, keeping the first point (with the handle that leads into the group) and the last
// (with the handle that leads out of it), so the neighbouring segments keep their shape.
void RemoveSurplusCoincident(Run& run) {
    const std::size_t n = run.points.size();
    if (n < 3) {
        return;
    }
    auto same = [&](std::size_t a, std::size_t b) {
        return run.points[a % n].pos == run.points[b % n].pos;
    };
    std::vector<bool> drop(n, false);
    // A closed run's groups may straddle the wrap, so walk from the start of a group.
    std::size_t start = 0;
    if (run.closed) {
        while (start < n && same(start + n - 1, start)) {
            ++start;
        }
        if (start == n) {
            // Every point at one position: keep two; the run is then dropped.
            run.points.resize(2);
            run.source.resize(2);
            return;
        }
    }
    const std::size_t limit = run.closed ? start + n : n;
    for (std::size_t i = start; i < limit;) {
        std::size_t j = i + 1;
        while (j < limit && same(j - 1, j)) {
            ++j;
        }
        for (std::size_t k = i + 1; k + 1 < j; ++k) {
            drop[k % n] = true;
        }
        i = j;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!drop[i]) {
            run.points[kept] = run.points[i];
            run.source[kept] = run.source[i];
            ++kept;
        }
    }
    run.points.resize(kept);
    run.source.resize(kept);
}

bool KeepRun(const Run& run) {
    if (run.points.size() > 2) {
        return true;
    }
    return run.points.size() == 2 && run.points[0].pos != run.points[1].pos;
}

class RunCollector {
public:
    explicit RunCollector(const Part& part) : m_part(part) {}

    bool IsOpen() const { return m_open; }
    void Open() {
        m_run = Run{};
        m_open = true;
    }
    void Append(std::size_t index) {
        m_run.points.push_back(m_part.points[index]);
        m_run.source.push_back(index);
    }
    void Close(bool closedRun = false) {
        m_open = false;
        m_run.closed = closedRun;
        RemoveSurplusCoincident(m_run);
        if (KeepRun(m_run)) {
            m_runs.push_back(std::move(m_run));
        }
        m_run = Run{};
    }
    std::vector<Run> Take() { return std::move(m_runs); }

private:
    const Part& m_part;
    Run m_run;
    bool m_open = false;
    std::vector<Run> m_runs;
};

} // namespace

std::size_t Run::SegmentCount() const {
    if (points.size() < 2) {
        return 0;
    }
    return closed ? points.size() : points.size() - 1;
}

std::vector<Run> CutRuns(const Part& part) {
    const std::size_t n = part.points.size();
    if (n < 2) {
        return {};
    }
    RunCollector runs(part);
    std::size_t first = 0;
    if (part.closed) {
        while (first < n && part.points[first].width != 0.0) {
            ++first;
        }
        if (first == n) {
            runs.Open();
            for (std::size_t i = 0; i < n; ++i) {
                runs.Append(i);
            }
            runs.Close(true);
            return runs.Take();
        }
    }
    const std::size_t steps = part.closed ? n + 1 : n;
    for (std::size_t i = 0; i < steps; ++i) {
        const std::size_t j = (first + i) % n;
        if (part.points[j].width == 0.0) {
            if (runs.IsOpen()) {
                runs.Append(j);
                runs.Close();
            }
        } else if (!runs.IsOpen()) {
            runs.Open();
            if (i > 0) {
                runs.Append((first + i - 1) % n);
            }
            runs.Append(j);
        } else {
            runs.Append(j);
        }
    }
    if (runs.IsOpen()) {
        runs.Close();
    }
    return runs.Take();
}

} // namespace outline
