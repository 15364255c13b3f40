// Which way a line runs, for labels, arrowheads and line shapes.
#pragma once

// 0 horizontal, 1 diagonal, 2 vertical.
int ClassifyLineDirection(int x1, int y1, int x2, int y2, int mode);
