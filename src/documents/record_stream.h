// The tagged-record framing shared by drawing files, drawing images, symbol streams and the
// options file: one record is a u16 opcode, a u32 length (absent when bit 0x4000 is set) and
// that many data bytes; bit 0x8000 opens a block closed by (opcode & 0x7FFF) | 0x4000.
//
// Invariants of the stream state (one reader or writer at a time):
//  1. The record buffer exists only during one top-level operation (BeginRecordBuffer ..
//     EndRecordBuffer); it starts at 65,536 bytes and grows only to the exact length of a
//     longer record that is read (GrowReadBuffer).
//  2. A memory image is the source or sink while BeginMemoryStream .. EndMemoryStream holds;
//     otherwise records come from or go to the caller's file handle.
//  3. A record's data is valid only until the next ReadRecord.
//  4. No record is read past what its source still holds: a length beyond the bytes left is
//     1001 before any buffer grows.
#pragma once

#include <windows.h>

constexpr int ErrStreamShortRead = 1001;    // the source ended inside a record
constexpr int ErrStreamShortWrite = 1002;   // a write came up short
constexpr int ErrStreamBadHeader = 1003;    // signature or first record not the expected one
constexpr int ErrStreamVersion = 1004;      // an options file of a version this program refuses

constexpr WORD kRecordBare = 0x4000;        // a 2-byte opcode: no length, no data
constexpr WORD kRecordBlock = 0x8000;       // opens a block
constexpr DWORD kRecordBufferSize = 65536;
constexpr DWORD kRecordPiece = 0x8000;      // data moves in pieces of at most 32 KB
constexpr DWORD kMemoryImageStep = 65536;
constexpr int kFileUnitsPerInch = 600;

// The end marker that closes the block `opcode` opens.
constexpr WORD BlockEndOpcode(WORD opcode) { return (WORD)((opcode & 0x7FFF) | kRecordBare); }

// Allocates (65,536 bytes) and locks the record buffer for one top-level operation: 0 or
// 10004. EndRecordBuffer frees it; both are safe to call on every exit path.
int BeginRecordBuffer();
void EndRecordBuffer();
// The data of the record last read (or the staging area of a record being written); null
// outside an operation. Its size only grows while reading.
BYTE* RecordData();
DWORD RecordBufferSize();
// The data length of the record last read.
DWORD RecordLength();
// Reallocates the record buffer to `size` bytes and locks it again: 0 or 10004.
int GrowReadBuffer(DWORD size);

// Reads the next record from the memory source, else from `file`: 0, 1001 or 10004. A bare
// opcode has length 0 and leaves the buffer as it was.
int ReadRecord(HFILE file, WORD* opcode, DWORD* length);
// Writes one record to the memory sink, else to `file`: 0 or 1002.
int WriteRecord(HFILE file, WORD opcode, DWORD length, const void* data);
// Reads and drops records up to and including the first whose opcode is `endOpcode`.
int SkipBlock(HFILE file, WORD endOpcode);

// Makes the memory image the source or sink: locked, position 4, `limit` the bytes that may be
// read from the block's start (reading) or its capacity (writing). The limit is clamped to the
// block's real size.
void BeginMemoryStream(HGLOBAL image, DWORD limit);
// Unlocks the image and clears the source or sink; the image is not freed.
void EndMemoryStream();
BOOL MemoryStreamActive();
HGLOBAL MemoryStreamImage();      // the image, which a growing sink may have moved
DWORD MemoryStreamPosition();
// Copies at most `count` bytes from the memory source, never past its limit: the number
// copied, -1 without a source.
int ReadMemoryBytes(void* destination, DWORD count);
// Appends `count` bytes to the memory sink, growing it by 65,536 bytes when they do not fit:
// count, or -1 without a sink or when the image cannot grow (the old image stays).
int AppendMemoryBytes(const void* source, DWORD count);

// Starts a memory image for writing: a zero-filled 65,536-byte image as the sink at position 4.
// 0 or 10004.
int BeginMemoryImageWrite();
// Ends a memory image write: on `ok`, stores the total length in the first u32, shrinks the
// image to it (keeping the larger image when that fails) and hands it back with its length;
// otherwise frees it and hands back nothing.
HGLOBAL EndMemoryImageWrite(BOOL ok, DWORD* totalLength);

// value * 600 / resolution truncated toward zero; unchanged when the resolution, as an
// unsigned 16-bit value, is 600. A resolution of 0 returns the value unchanged (readers refuse
// such a stream first).
INT32 ScaleFromFileUnits(INT32 value, int fileResolution, int targetResolution = kFileUnitsPerInch);

// Units per inch of the stream last read (the header's sixth value) and the older-file flag.
extern int g_fileResolution;
extern BOOL g_olderFile;

// What the read of a damaged drawing block had to leave out. The drawing-file and symbol-stream
// readers clear it when they begin; the drawing block's readers fill it; the document opening
// tells the user of it. A block whose framing breaks (the file ends inside it, or a record runs
// past its end) ends there with `cut` set: what was read so far stays.
struct ReadDamage {
    int objectsNamed;   // object blocks the header announces, or more when more were found
    int objectsLost;    // of these, the ones the drawing does not hold
    int linksLost;      // links of the table that were not stored or named a lost object
    int groupsLost;     // groups announced or found that the drawing does not hold
    int textsLost;      // object texts dropped while their objects were kept
    BOOL cut;
};
extern ReadDamage g_readDamage;
// True when the last read lost anything.
bool ReadLostSomething(const ReadDamage& damage);
