// Placement of the main window at start-up: the default normal rectangle for a first run and
// the clamping of a stored rectangle into the screens that exist now.
#pragma once

#include "settings/xml_document.h"

#include <vector>

namespace mrv {

// A first run's rectangle: at (left, top), 5/4 of the form's minimum width plus the frame's
// overhead wide, the form's minimum height plus the overhead high.
CRect DefaultNormalRect(int left, int top, int formWidth, int formHeight, int overheadWidth,
                        int overheadHeight);

// Moves (and, when larger, shrinks) rect so that it lies within area.
CRect ClampRect(const CRect& rect, const CRect& area);

// Puts rect on one screen (screens[0] is the primary one): the screen that holds the largest
// part of it, else the one nearest to its centre. Screens of different sizes leave holes in
// their bounding box; a window placed there would be out of sight. No screens: rect unchanged.
CRect FitToScreens(const CRect& rect, const std::vector<CRect>& screens);

} // namespace mrv
