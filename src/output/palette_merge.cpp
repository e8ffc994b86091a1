#include "output/palette_merge.h"

#include <cmath>
#include <limits>

namespace codec {

namespace {

struct CGroup {
    double m_sum[3] = {0.0, 0.0, 0.0};
    double m_mean[3] = {0.0, 0.0, 0.0};
    double m_count = 0.0;
    bool m_alive = true;
    std::size_t m_partner = 0; // the group it merges with at least cost
    double m_cost = std::numeric_limits<double>::infinity();
};

// The squared error that merging a and b adds: n_a n_b / (n_a + n_b) |mean_a - mean_b|^2.
double MergeCost(const CGroup& a, const CGroup& b) {
    double d2 = 0.0;
    for (int c = 0; c < 3; ++c) {
        const double d = a.m_mean[c] - b.m_mean[c];
        d2 += d * d;
    }
    return a.m_count * b.m_count / (a.m_count + b.m_count) * d2;
}

void FindPartner(std::vector<CGroup>& groups, std::size_t i) {
    CGroup& g = groups[i];
    g.m_cost = std::numeric_limits<double>::infinity();
    for (std::size_t j = 0; j < groups.size(); ++j) {
        if (j != i && groups[j].m_alive) {
            if (const double cost = MergeCost(g, groups[j]); cost < g.m_cost) {
                g.m_cost = cost;
                g.m_partner = j;
            }
        }
    }
}

} // namespace

std::vector<CWeightedColor> MergeColors(const std::vector<CWeightedColor>& colors,
                                        std::size_t entries) {
    std::vector<CGroup> groups(colors.size());
    for (std::size_t i = 0; i < colors.size(); ++i) {
        // A colour of no pixels still takes part, as if it had one.
        const double n = colors[i].count == 0 ? 1.0 : double(colors[i].count);
        groups[i].m_sum[0] = colors[i].r * n;
        groups[i].m_sum[1] = colors[i].g * n;
        groups[i].m_sum[2] = colors[i].b * n;
        groups[i].m_count = n;
        for (int c = 0; c < 3; ++c) {
            groups[i].m_mean[c] = groups[i].m_sum[c] / n;
        }
    }
    for (std::size_t i = 0; i < groups.size(); ++i) {
        FindPartner(groups, i);
    }
    for (std::size_t alive = groups.size(); alive > entries && alive > 1; --alive) {
        std::size_t best = 0;
        double cost = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (groups[i].m_alive && groups[i].m_cost < cost) {
                cost = groups[i].m_cost;
                best = i;
            }
        }
        // The group of the lower index takes in the other, so the order stays that of the
        // groups' first colours.
        std::size_t into = best;
        std::size_t gone = groups[best].m_partner;
        if (gone < into) {
            std::swap(into, gone);
        }
        for (int c = 0; c < 3; ++c) {
            groups[into].m_sum[c] += groups[gone].m_sum[c];
        }
        groups[into].m_count += groups[gone].m_count;
        for (int c = 0; c < 3; ++c) {
            groups[into].m_mean[c] = groups[into].m_sum[c] / groups[into].m_count;
        }
        groups[gone].m_alive = false;
        FindPartner(groups, into);
        // Costs to other groups than the two are unchanged: only the groups that paired with
        // one of them look again, and any may now pair best with the grown group.
        for (std::size_t i = 0; i < groups.size(); ++i) {
            CGroup& g = groups[i];
            if (!g.m_alive || i == into) {
                continue;
            }
            if (g.m_partner == into || g.m_partner == gone) {
                FindPartner(groups, i);
            } else if (const double c = MergeCost(g, groups[into]); c < g.m_cost) {
                g.m_cost = c;
                g.m_partner = into;
            }
        }
    }
    std::vector<CWeightedColor> palette;
    for (const CGroup& g : groups) {
        if (g.m_alive) {
            const auto mean = [&](int c) { return std::uint8_t(std::lround(g.m_mean[c])); };
            palette.push_back(
                CWeightedColor{mean(0), mean(1), mean(2), std::uint32_t(std::llround(g.m_count))});
        }
    }
    return palette;
}

} // namespace codec
