// The OutlinePointBlock of a custom-outline shape (record type 119) and its scaling into a
// frame.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "model/drawing_records.h"
#include "store/store_format.h"

constexpr int kOutlineRecordType = RecOutlinePoints;

#pragma pack(push, 1)
// One vertex of the chain: the descriptor of the piece that ends here (coming from the
// previous vertex; the first vertex's descriptor takes no part in the outline), then the
// vertex in design units, relative to the top-left of the joined lines' extent.
struct OutlineVertex {
    std::int32_t pieceClass;  // 1 straight line, 2 elbow connector: the class that expands it
    std::int32_t orientation; // orientation or type of the piece, as its class defines it
    std::int32_t lineShape;   // straight line: 0 plain, 1 zigzag, 2 steps, 3 arc; elbow: turn
    double param;             // parameter of the line shape
    std::int32_t x;
    std::int32_t y;
};
static_assert(sizeof(OutlineVertex) == 28);
static_assert(offsetof(OutlineVertex, param) == 12);
static_assert(offsetof(OutlineVertex, x) == 20);

// The record (and the same layout as a plain memory block): header, then `count` vertices.
// Its size is 28 + 28 x count; a block may have room for more vertices than it counts. The
// chain is closed by its last vertex lying near the first; there is no closing vertex.
struct OutlinePointBlock {
    std::uint8_t header[kBlockHeaderSize]; // the store's block header
    std::int32_t count;
    std::int32_t designWidth;  // read as 1 when below 1
    std::int32_t designHeight; // read as 1 when below 1
};
static_assert(sizeof(OutlinePointBlock) == 28);
static_assert(offsetof(OutlinePointBlock, count) == kBlockHeaderSize);
static_assert(offsetof(OutlinePointBlock, designWidth) == 20);
static_assert(offsetof(OutlinePointBlock, designHeight) == 24);
#pragma pack(pop)

// The number of vertices of a locked block of `size` bytes that lie within it: its count,
// lowered to what the block holds (0 for a negative count or a block below 28 bytes).
int UsableOutlineVertices(const OutlinePointBlock* block, SIZE_T size);

// The outline polygon of the block in `rect` (room for kMaxOutlinePoints): each vertex, the
// curved pieces expanded by their line class (OM_GETPOINTLIST) in design units, then all
// scaled into `rect`. The list stops at kMaxOutlinePoints. No block gives no points.
void ScaleCustomOutline(const RECT& rect, HGLOBAL block, POINT* points, int* count);

// The crossings of the polyline `points` (consecutive points only, no closing edge) with the
// line x = `position` (`vertical` 1, crossings as y values) or y = `position` (`vertical` 0,
// crossings as x values): 0, 1 or 2 of them in `crossings` (two sorted ascending), or 3 for
// more than two.
int CountScanlineCrossings(const POINT* points, int count, double position, INT32* crossings,
                           int vertical);

// The four text-area fractions in `shape`'s classData (left, top, right, bottom of the design
// size): a large upright rectangle inside the outline of `block`, found on a grid of scan
// lines; 0.2 each when there is none. Opposite margins together stay within 0.8.
void ComputeCustomTextMargins(HGLOBAL block, DrawObject* shape);
