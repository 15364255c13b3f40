// The path record of an elbow connector (record type 116) and the terms every part of the
// connector class shares.
//
// ConnectorSegmentBlock, 128 bytes with the store's block header; the store writes the memory
// image, so this layout is also the file format. Invariants every writer keeps:
//   1. each segment is normalised (x1 <= x2, y1 <= y2) and horizontal or vertical;
//   2. segments are in path order, segment i and i + 1 sharing one end point;
//   3. coordinates are relative to the inner rectangle's top-left: after a re-route the smallest
//      x1 and the smallest y1 over the segments are 0;
//   4. after routing the path's first point is its left end (its upper end on equal x); hook
//      holder code 1 and `arrowStart` belong to the first point, 2 and `arrowEnd` to the last;
//   5. absolute coordinates stay within 0..32767.
// Stored data is not trusted: readers take the segment count as 1..5 and a side outside 0 and
// 5-8 as 0 (ReadConnectorPath).
#pragma once

#include <windows.h>

#include <cstddef>

#include "model/drawing_records.h"
#include "store/store_format.h"

constexpr int kConnectorRecordType = 116;
constexpr int kConnectorMaxSegments = 5;
constexpr int kConnectorPreferredLength = 300;
constexpr int kConnectorMinStub = 60;

// The side of a shape or line an end attaches to: the path leaves that end in its direction.
enum ConnectorSide { SideNone = 0, SideTop = 5, SideBottom = 6, SideLeft = 7, SideRight = 8 };

// DrawObject::objType of a connector.
enum ConnectorKind { ConnectorSquare = 0, ConnectorCurved = 1 };

#pragma pack(push, 1)
struct ConnectorSegment {
    INT32 x1, y1, x2, y2;
};
static_assert(sizeof(ConnectorSegment) == 16);

struct ConnectorSegmentBlock {
    BYTE header[kBlockHeaderSize];
    INT32 startSide;                                  // ConnectorSide of the first point
    INT32 endSide;                                    // of the last point
    INT32 segmentCount;                               // 1..5
    ConnectorSegment segments[kConnectorMaxSegments]; // entries at and past the count unused
    INT32 preferred[kConnectorMaxSegments];           // L0..L4 of stubs and detours
};
static_assert(sizeof(ConnectorSegmentBlock) == 128);
static_assert(offsetof(ConnectorSegmentBlock, startSide) == 16);
static_assert(offsetof(ConnectorSegmentBlock, segmentCount) == 24);
static_assert(offsetof(ConnectorSegmentBlock, segments) == 28);
static_assert(offsetof(ConnectorSegmentBlock, preferred) == 108);
#pragma pack(pop)

// A stored side as the class reads it: 0 and 5-8 as they stand, anything else 0.
int SoundConnectorSide(int side);

// Loads the connector's path record (its data type and first data id): 0 with the block, a
// store error, or 25 (StoreMemoryTooSmall) for a record shorter than 128 bytes, which is then
// released again.
int LoadConnectorPath(int storeSlot, const DrawObject* connector, HGLOBAL* block);

// A copy of a loaded record's path, with the segment count limited to 1..5 and unknown sides
// read as 0.
ConnectorSegmentBlock ReadConnectorPath(HGLOBAL block);

// Writes a path into its loaded record: BeginRecordChange (so an open checkpoint journals the old
// content), the path, MarkBlockDirty. 0 or a store error.
int WriteConnectorPath(HGLOBAL block, const ConnectorSegmentBlock& path);
