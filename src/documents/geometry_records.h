// Geometry and picture records of an object block: an elbow connector's path (0x27, record 116),
// a custom outline (0x8031 with 0x32 vertices, record 119), a line array's layout (0x8033 with
// 0x34 entries, record 120) and a picture (0x47 header, then 0x48 bitmap chunks 112 or 0x49
// metafile chunks 113).
//
// Reading adds the store record under a fresh id of its type and points the object at it; the
// counts a record gets are bounded by what it was sized for (vertices by the header's count,
// entries by max(entries in use, 3) with entries in use at most members + 3, segments 1..5,
// connection points 16, colours 256 and what the header holds).
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

constexpr WORD kOpConnectorPath = 0x27;
constexpr WORD kOpOutline = 0x8031;
constexpr WORD kOpOutlineVertex = 0x32;
constexpr WORD kOpArrayLayout = 0x8033;
constexpr WORD kOpArrayEntry = 0x34;
constexpr WORD kOpPictureHeader = 0x47;
constexpr WORD kOpBitmapData = 0x48;
constexpr WORD kOpMetafileData = 0x49;

constexpr DWORD kConnectorPathRecordSize = 58;
constexpr DWORD kPictureHeaderBaseSize = 78;
constexpr DWORD kPictureHeaderKept = 78 + 4 * 256;   // 1102: a header with up to 256 colours

// The first 1102 bytes of a 0x47 record, kept until its 0x48 or 0x49 arrives.
struct PendingPicture {
    BYTE bytes[kPictureHeaderKept];
    DWORD length;
    BOOL pending;
};

int ReadConnectorPathRecord(DocumentState* state, DrawObject* object);
int ReadPolygonPoints(HFILE file, HWND view, DocumentState* state, DrawObject* object);
int ReadArrayLayoutBlock(HFILE file, HWND view, DocumentState* state, DrawObject* object);
// Keeps the 0x47 record in the record buffer as the pending header.
void KeepPictureHeader(PendingPicture* header);
// Stores the picture data of the 0x48 or 0x49 record in the record buffer (`length` bytes)
// under the pending header; a data record without one is dropped.
int ReadPictureData(DocumentState* state, DWORD length, WORD opcode, DrawObject* object,
                    PendingPicture* header);

int WriteConnectorPathRecord(HFILE file, DocumentState* state, const DrawObject* object);
int WritePolygonPoints(HFILE file, DocumentState* state, const DrawObject* object);
int WriteArrayLayoutBlock(HFILE file, DocumentState* state, const DrawObject* object);
int WritePictureRecords(HFILE file, DocumentState* state, const DrawObject* object);
