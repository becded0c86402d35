#include "core/chart/canvas.h"

namespace kelvor::chart {

bool clip_segment(Segment& segment, double left, double top, double right, double bottom) {
    // Liang-Barsky: the part of x1 + t dx, y1 + t dy with t in [0, 1] on the inner side of all four edges.
    const double dx = segment.x2 - segment.x1;
    const double dy = segment.y2 - segment.y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {segment.x1 - left, right - segment.x1, segment.y1 - top, bottom - segment.y1};
    double t0 = 0.0;
    double t1 = 1.0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            if (t > t0) t0 = t;
        } else {
            if (t < t0) return false;
            if (t < t1) t1 = t;
        }
    }
    const Segment original = segment;
    segment.x1 = original.x1 + t0 * dx;
    segment.y1 = original.y1 + t0 * dy;
    segment.x2 = original.x1 + t1 * dx;
    segment.y2 = original.y1 + t1 * dy;
    return true;
}

} // namespace kelvor::chart
