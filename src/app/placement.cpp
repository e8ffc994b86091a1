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
    const int areaWidth = area.right - area.left;
    const int areaHeight = area.bottom - area.top;
    const int width = std::min(rect.right - rect.left, areaWidth);
    const int height = std::min(rect.bottom - rect.top, areaHeight);
    const int left = std::clamp(rect.left, area.left, area.right - width);
    const int top = std::clamp(rect.top, area.top, area.bottom - height);
    return CRect{left, top, left + width, top + height};
}

} // namespace mrv
