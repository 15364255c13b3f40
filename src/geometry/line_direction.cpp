// Which way a line runs: horizontal, diagonal or vertical by the slope of its two ends.
#include "geometry/line_direction.h"

#include <algorithm>
#include <cstdlib>

int ClassifyLineDirection(int x1, int y1, int x2, int y2, int mode)
{
    int w = std::abs(x2 - x1);
    int h = std::abs(y2 - y1);
    if (w > 0 && h == 0) return 0;
    if (h > 0 && w == 0) return 2;
    if (w == 0 && h == 0) return 0;
    if (mode == 0) return (w < 6 && 3 * h > w) ? 2 : 1;
    double r = static_cast<double>(h) / std::max(w, 6);
    if (r > 22) return 2;
    return r >= 0.04 ? 1 : 0;
}
