// Keeping the main window on its monitor after a layout change: the two
// diagonals of the window rectangle are tested against the work areas of the
// monitors nearest to their end points, and a window that sticks out is moved
// back by the amount it overlaps. Pure functions over rectangles.
#pragma once

#include <vector>

namespace kestrel {

// A rectangle with exclusive right and bottom edges (left <= x < right).
struct EdgeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const EdgeRect&) const = default;
};

struct MonitorArea {
    EdgeRect monitor;  // the whole monitor
    EdgeRect workArea; // the monitor without task bars and panels
};

bool PointInside(const EdgeRect& r, int x, int y);

// Index of the monitor nearest to the point (distance to the monitor
// rectangle, 0 inside; the first one wins a tie), -1 when there is none.
int NearestMonitor(const std::vector<MonitorArea>& monitors, int x, int y);

// The window rectangle after the keep-on-monitor rule; unchanged when all
// four corners are inside or each diagonal lies wholly outside.
EdgeRect KeepOnMonitor(const EdgeRect& window, const std::vector<MonitorArea>& monitors);

} // namespace kestrel
