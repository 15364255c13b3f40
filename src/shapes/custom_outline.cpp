// Scaling a custom outline's vertex chain into a frame, and the text area inside it.
#include "shapes/custom_outline.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "geometry/real_math.h"
#include "model/class_protocol.h"
#include "shapes/shape_geometry.h"
#include "shapes/shape_kinds.h"

int UsableOutlineVertices(const OutlinePointBlock* block, SIZE_T size)
{
    if (size < sizeof(OutlinePointBlock) || block->count <= 0)
        return 0;
    // Stored blocks come from files and libraries: never trust the count beyond the block.
    const SIZE_T room = (size - sizeof(OutlinePointBlock)) / sizeof(OutlineVertex);
    return static_cast<int>(std::min<SIZE_T>(room, static_cast<SIZE_T>(block->count)));
}

namespace {

// Connector pieces turn one of four ways; any other code is damaged data, drawn straight.
constexpr int kLastTurnCode = 3;

// The class that expands the piece ending at `v`, or none for a piece drawn straight.
ObjectClassHandler ExpandingHandler(const OutlineVertex& v)
{
    if (v.pieceClass == ClassLine)
        return HandlerForClass(ClassLine);
    if (v.pieceClass == ClassConnector && v.lineShape >= 0 && v.lineShape <= kLastTurnCode)
        return HandlerForClass(ClassConnector);
    return nullptr;
}

// A coordinate moved by an offset; damaged vertices far out stay at the int range's edge.
LONG Offset(LONG origin, int offset)
{
    return static_cast<LONG>(std::clamp<std::int64_t>(static_cast<std::int64_t>(origin) + offset, INT_MIN, INT_MAX));
}

} // namespace

void ScaleCustomOutline(const RECT& rect, HGLOBAL block, POINT* points, int* count)
{
    *count = 0;
    if (!block)
        return;
    auto* head = static_cast<OutlinePointBlock*>(GlobalLock(block));
    if (!head)
        return;
    const auto* vertices = reinterpret_cast<const OutlineVertex*>(head + 1);
    const int n = UsableOutlineVertices(head, GlobalSize(block));
    // The pieces are expanded in design units, so curves stretch with the frame.
    INT32 written = 0;
    for (int i = 0; i < n && written < kMaxOutlinePoints; ++i) {
        points[written].x = vertices[i].x;
        points[written].y = vertices[i].y;
        ++written;
        if (i == 0)
            continue;
        if (ObjectClassHandler handler = ExpandingHandler(vertices[i])) {
            INT32 segment[4] = {vertices[i - 1].x, vertices[i - 1].y, vertices[i].x, vertices[i].y};
            handler(nullptr, reinterpret_cast<Drawing*>(segment), head, i, OM_GETPOINTLIST, 0,
                    static_cast<int>(reinterpret_cast<INT_PTR>(&written)), points);
            // The classes keep the list below its limit; a list beyond it is not trusted.
            written = std::clamp<INT32>(written, 0, kMaxOutlinePoints);
        }
    }
    const double dw = std::max(1.0, static_cast<double>(head->designWidth));
    const double dh = std::max(1.0, static_cast<double>(head->designHeight));
    GlobalUnlock(block);
    const double sx = (rect.right - rect.left) / dw;
    const double sy = (rect.bottom - rect.top) / dh;
    for (int i = 0; i < written; ++i) {
        points[i].x = Offset(rect.left, TruncReal(points[i].x * sx));
        points[i].y = Offset(rect.top, TruncReal(points[i].y * sy));
    }
    *count = written;
}

int CountScanlineCrossings(const POINT* points, int count, double position, INT32* crossings,
                           int vertical)
{
    int found = 0;
    for (int k = 0; k + 1 < count; ++k) {
        // Across: the coordinate the scan line fixes; along: the one the crossing gives.
        const POINT& p0 = points[k];
        const POINT& p1 = points[k + 1];
        if (p0.x == p1.x && p0.y == p1.y)
            continue;
        const double across0 = vertical ? p0.x : p0.y, across1 = vertical ? p1.x : p1.y;
        const double along0 = vertical ? p0.y : p0.x, along1 = vertical ? p1.y : p1.x;
        if (position < std::min(across0, across1) || position > std::max(across0, across1))
            continue;
        // An edge lying on the line counts as crossing at its first point.
        const double run = across1 != across0 ? across1 - across0 : 1.0;
        const double at = along0 + (position - across0) / run * (along1 - along0);
        if (at < std::min(along0, along1) || at > std::max(along0, along1))
            continue;
        // A vertex shared by two edges is one crossing.
        if (found > 0 && std::fabs(at - crossings[found - 1]) <= 1.0)
            continue;
        if (found == 2)
            return 3;
        crossings[found++] = TruncReal(at);
    }
    if (found == 2 && crossings[0] > crossings[1])
        std::swap(crossings[0], crossings[1]);
    return found;
}

namespace {

// The text rectangle's best candidate so far, shared by both passes.
struct TextArea {
    bool found = false;
    double area = 0.0;
    RECT rect = {};
};

// The rectangle's own area, in integers wide enough for any design size.
std::int64_t IntegerArea(const RECT& r)
{
    return (static_cast<std::int64_t>(r.right) - r.left) * (static_cast<std::int64_t>(r.bottom) - r.top);
}

// One pass over pairs of scan lines: vertical lines (the rectangle's top and bottom come from
// their crossings) or, with `horizontal`, the same with the axes exchanged. `along` is the
// extent the scan lines are spread over, `across` the extent the checks move in. Returns
// whether this pass found a rectangle larger than `best` held.
bool ScanPass(const POINT* points, int count, bool horizontal, double along, int across,
              TextArea* best)
{
    bool won = false;
    const int scan = horizontal ? 0 : 1;  // scan lines across the spread axis
    const int check = horizontal ? 1 : 0; // the lines that check the found edges
    const int step = across / 20;
    for (int i = 0; i <= 9; ++i) {
        const double a = along * i * 0.8 / 10;
        INT32 first[2];
        if (CountScanlineCrossings(points, count, a, first, scan) != 2)
            continue;
        for (int j = 0; j <= 9 - i; ++j) {
            const double b = (1 - (j / 10.0) * 0.8) * along;
            INT32 second[2];
            if (CountScanlineCrossings(points, count, b, second, scan) != 2)
                continue;
            // Wide enough that a move by a step never overflows, whatever the outline holds.
            std::int64_t low = std::max(first[0], second[0]);
            std::int64_t high = std::min(first[1], second[1]);
            if (high <= low)
                continue;
            INT32 seen[2];
            if (CountScanlineCrossings(points, count, low + 1.0, seen, check) > 2) {
                low += step;
                if (CountScanlineCrossings(points, count, low + 1.0, seen, check) != 2)
                    continue;
            }
            if (CountScanlineCrossings(points, count, high - 1.0, seen, check) > 2) {
                high -= step;
                if (CountScanlineCrossings(points, count, high - 1.0, seen, check) != 2)
                    continue;
            }
            if (high <= low)
                continue;
            const double area = (b - a) * (static_cast<double>(high) - low);
            if (best->found && !(area > best->area))
                continue;
            won = best->found = true;
            best->area = area;
            const LONG l = static_cast<LONG>(std::clamp<std::int64_t>(low, INT_MIN, INT_MAX));
            const LONG h = static_cast<LONG>(std::clamp<std::int64_t>(high, INT_MIN, INT_MAX));
            best->rect = horizontal ? RECT{l, TruncReal(a), h, TruncReal(b)}
                                    : RECT{TruncReal(a), l, TruncReal(b), h};
        }
    }
    return won;
}

// Lowers a pair of opposite margins that leave too little room between them.
void LimitMarginPair(double* first, double* second)
{
    while (*first + *second > 0.8) {
        if (*first > 0.4)
            *first -= 0.1;
        if (*second > 0.4)
            *second -= 0.1;
    }
}

} // namespace

void ComputeCustomTextMargins(HGLOBAL block, DrawObject* shape)
{
    int designWidth = 0, designHeight = 0;
    if (block) {
        if (const auto* head = static_cast<const OutlinePointBlock*>(GlobalLock(block))) {
            if (GlobalSize(block) >= sizeof(OutlinePointBlock)) {
                designWidth = head->designWidth;
                designHeight = head->designHeight;
            }
            GlobalUnlock(block);
        }
    }
    const RECT design = {0, 0, designWidth, designHeight};
    POINT points[kMaxOutlinePoints];
    int count = 0;
    GetShapeOutlinePoints(design, &design, shape->param, shape->objType, shape->angle, block,
                          points, &count, shape->options & (OptMirrorH | OptMirrorV));
    const int wd = std::max(designWidth, 1), hd = std::max(designHeight, 1);

    // The second pass must beat the first one's winner.
    TextArea best;
    const bool firstWon = ScanPass(points, count, false, wd, hd, &best);
    const RECT firstRect = best.rect;
    const bool secondWon = ScanPass(points, count, true, hd, wd, &best);
    RECT r = best.rect;
    // The second winner beat the first by its real area; by its truncated one it must not lose.
    if (firstWon && (!secondWon || IntegerArea(best.rect) < IntegerArea(firstRect)))
        r = firstRect;

    double left = 0.2, top = 0.2, right = 0.2, bottom = 0.2;
    if (best.found) {
        left = static_cast<double>(r.left) / wd;
        top = static_cast<double>(r.top) / hd;
        right = (static_cast<double>(designWidth) - r.right) / wd;
        bottom = (static_cast<double>(designHeight) - r.bottom) / hd;
    }
    LimitMarginPair(&left, &right);
    LimitMarginPair(&top, &bottom);
    const double fractions[4] = {left, top, right, bottom};
    std::memcpy(shape->classData, fractions, sizeof fractions);
}
