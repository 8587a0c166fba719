#include "KeepOnMonitor.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace kestrel {

bool PointInside(const EdgeRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int NearestMonitor(const std::vector<MonitorArea>& monitors, int x, int y) {
    int best = -1;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const EdgeRect& m = monitors[i].monitor;
        std::int64_t dx = 0;
        std::int64_t dy = 0;
        if (x < m.left) {
            dx = m.left - x;
        } else if (x >= m.right) {
            dx = x - (m.right - 1);
        }
        if (y < m.top) {
            dy = m.top - y;
        } else if (y >= m.bottom) {
            dy = y - (m.bottom - 1);
        }
        const std::int64_t d = dx * dx + dy * dy;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

namespace {

struct Corner {
    int x;
    int y;
};

// Whether the point lies in the work area of the monitor nearest to it.
bool InsideNearestWorkArea(const std::vector<MonitorArea>& monitors, Corner c) {
    const int i = NearestMonitor(monitors, c.x, c.y);
    return i >= 0 && PointInside(monitors[static_cast<std::size_t>(i)].workArea, c.x, c.y);
}

EdgeRect WorkAreaNearest(const std::vector<MonitorArea>& monitors, Corner c) {
    const int i = NearestMonitor(monitors, c.x, c.y);
    return monitors[static_cast<std::size_t>(i)].workArea;
}

} // namespace

EdgeRect KeepOnMonitor(const EdgeRect& window, const std::vector<MonitorArea>& monitors) {
    if (monitors.empty()) {
        return window;
    }
    const Corner lt{window.left, window.top};
    const Corner rb{window.right, window.bottom};
    const Corner lb{window.left, window.bottom};
    const Corner rt{window.right, window.top};
    const bool ltIn = InsideNearestWorkArea(monitors, lt);
    const bool rbIn = InsideNearestWorkArea(monitors, rb);
    const bool lbIn = InsideNearestWorkArea(monitors, lb);
    const bool rtIn = InsideNearestWorkArea(monitors, rt);

    // Diagonal A runs (l, t) -> (r, b), diagonal B (l, b) -> (r, t). "First out"
    // means its first point is outside and its second inside.
    const bool aFirstOut = !ltIn && rbIn;
    const bool aFirstIn = ltIn && !rbIn;
    const bool bFirstOut = !lbIn && rtIn;
    const bool bFirstIn = lbIn && !rtIn;
    if (!aFirstOut && !aFirstIn && !bFirstOut && !bFirstIn) {
        return window;
    }

    int dx = 0;
    int dy = 0;
    if (aFirstOut) {
        const EdgeRect w = WorkAreaNearest(monitors, rb);
        dy = window.top - w.top;
        if (bFirstIn) {
            dx = 0;
        } else {
            dx = window.left - w.left;
            if (bFirstOut) {
                dy = 0;
            }
        }
    } else if (aFirstIn) {
        const EdgeRect w = WorkAreaNearest(monitors, lt);
        dy = window.bottom - w.bottom;
        if (bFirstOut) {
            dx = 0;
        } else {
            dx = window.right - w.right;
            if (bFirstIn) {
                dy = 0;
            }
        }
    } else if (bFirstOut) {
        const EdgeRect w = WorkAreaNearest(monitors, rt);
        dy = window.bottom - w.bottom;
        dx = window.left - w.left;
    } else {
        const EdgeRect w = WorkAreaNearest(monitors, lb);
        dy = window.top - w.top;
        dx = window.right - w.right;
    }
    return EdgeRect{window.left - dx, window.top - dy, window.right - dx, window.bottom - dy};
}

} // namespace kestrel
