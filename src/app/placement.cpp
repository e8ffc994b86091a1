#include "app/placement.h"

#include <algorithm>

namespace mrv {

CRect DefaultNormalRect(int left, int top, int formWidth, int formHeight, int overheadWidth,
                        int overheadHeight) {
    const int width = formWidth * 5 / 4 + overheadWidth;
    const int height = formHeight + overheadHeight;
    return CRect{left, top, left + width, top + height};
}

CRect ClampRect(const CRect& rect, const CRect& area) {
    // In 64 bits: a rectangle read from a damaged settings file may span more than int holds.
    const long long areaWidth = static_cast<long long>(area.right) - area.left;
    const long long areaHeight = static_cast<long long>(area.bottom) - area.top;
    const long long width = std::min(static_cast<long long>(rect.right) - rect.left, areaWidth);
    const long long height = std::min(static_cast<long long>(rect.bottom) - rect.top, areaHeight);
    const long long left = std::clamp<long long>(rect.left, area.left, area.right - width);
    const long long top = std::clamp<long long>(rect.top, area.top, area.bottom - height);
    return CRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
                 static_cast<int>(top + height)};
}

namespace {

long long OverlapArea(const CRect& a, const CRect& b) {
    const long long width =
        static_cast<long long>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    const long long height =
        static_cast<long long>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// Squared distance from a point to the nearest point of area.
long long DistanceSquared(long long x, long long y, const CRect& area) {
    const long long dx = x < area.left ? area.left - x : x > area.right ? x - area.right : 0;
    const long long dy = y < area.top ? area.top - y : y > area.bottom ? y - area.bottom : 0;
    return dx * dx + dy * dy;
}

} // namespace

CRect FitToScreens(const CRect& rect, const std::vector<CRect>& screens) {
    if (screens.empty()) {
        return rect;
    }
    const CRect* best = &screens.front();
    long long bestOverlap = OverlapArea(rect, *best);
    for (const CRect& screen : screens) {
        const long long overlap = OverlapArea(rect, screen);
        if (overlap > bestOverlap) {
            best = &screen;
            bestOverlap = overlap;
        }
    }
    if (bestOverlap == 0) {
        const long long x = (static_cast<long long>(rect.left) + rect.right) / 2;
        const long long y = (static_cast<long long>(rect.top) + rect.bottom) / 2;
        long long nearest = DistanceSquared(x, y, *best);
        for (const CRect& screen : screens) {
            const long long distance = DistanceSquared(x, y, screen);
            if (distance < nearest) {
                best = &screen;
                nearest = distance;
            }
        }
    }
    return ClampRect(rect, *best);
}

} // namespace mrv
