// The record stream framing: reading and writing records through a file or a memory image, the
// shared record buffer, and the rescaling of file units.
#include "documents/record_stream.h"

#include <algorithm>
#include <cstring>

#include "store/results.h"

int g_fileResolution = kFileUnitsPerInch;
BOOL g_olderFile = FALSE;
ReadDamage g_readDamage = {};

bool ReadLostSomething(const ReadDamage& damage)
{
    return damage.objectsLost > 0 || damage.linksLost > 0 || damage.groupsLost > 0 || damage.textsLost > 0;
}

namespace {

HGLOBAL g_buffer = nullptr;
BYTE* g_bufferData = nullptr;
DWORD g_bufferSize = 0;
DWORD g_recordLength = 0;

HGLOBAL g_image = nullptr;
BYTE* g_imageBase = nullptr;
DWORD g_imageLimit = 0;
DWORD g_imagePosition = 0;

// Bytes the current source still holds; a file's is its length less its position.
DWORD BytesLeft(HFILE file)
{
    if (g_image) return g_imagePosition < g_imageLimit ? g_imageLimit - g_imagePosition : 0;
    LONG here = _llseek(file, 0, FILE_CURRENT);
    LONG end = _llseek(file, 0, FILE_END);
    if (here < 0 || end < 0) return 0;
    _llseek(file, here, FILE_BEGIN);
    return end > here ? (DWORD)(end - here) : 0;
}

// Reads exactly `count` bytes from the source: TRUE when they all arrived.
BOOL ReadExact(HFILE file, void* destination, DWORD count)
{
    if (g_image) return ReadMemoryBytes(destination, count) == (int)count;
    return _lread(file, destination, count) == count;
}

BOOL WriteExact(HFILE file, const void* source, DWORD count)
{
    if (g_image) return AppendMemoryBytes(source, count) == (int)count;
    return _lwrite(file, static_cast<LPCCH>(source), count) == count;
}

}  // namespace

int BeginRecordBuffer()
{
    EndRecordBuffer();
    g_buffer = GlobalAlloc(GMEM_MOVEABLE, kRecordBufferSize);
    if (!g_buffer) return ErrOutOfMemory;
    g_bufferData = static_cast<BYTE*>(GlobalLock(g_buffer));
    if (!g_bufferData) {
        GlobalFree(g_buffer);
        g_buffer = nullptr;
        return ErrOutOfMemory;
    }
    g_bufferSize = kRecordBufferSize;
    return 0;
}

void EndRecordBuffer()
{
    if (!g_buffer) return;
    GlobalUnlock(g_buffer);
    GlobalFree(g_buffer);
    g_buffer = nullptr;
    g_bufferData = nullptr;
    g_bufferSize = 0;
}

BYTE* RecordData() { return g_bufferData; }
DWORD RecordBufferSize() { return g_bufferSize; }
DWORD RecordLength() { return g_recordLength; }

int GrowReadBuffer(DWORD size)
{
    if (!g_buffer) return ErrOutOfMemory;
    GlobalUnlock(g_buffer);
    g_bufferData = nullptr;
    HGLOBAL grown = GlobalReAlloc(g_buffer, size, GMEM_MOVEABLE);
    if (grown) {
        g_buffer = grown;
        g_bufferSize = size;
    }
    g_bufferData = static_cast<BYTE*>(GlobalLock(g_buffer));
    return grown && g_bufferData ? 0 : ErrOutOfMemory;
}

int ReadRecord(HFILE file, WORD* opcode, DWORD* length)
{
    *length = 0;
    g_recordLength = 0;
    // Read into a local so that a stream ending after one byte leaves no half opcode behind.
    WORD op = 0;
    if (!ReadExact(file, &op, sizeof(WORD))) return ErrStreamShortRead;
    *opcode = op;
    if (op & kRecordBare) return 0;
    DWORD n = 0;
    if (!ReadExact(file, &n, sizeof(DWORD))) return ErrStreamShortRead;
    if (n == 0) return 0;
    // A length beyond what the source holds is a damaged stream, not a reason to allocate. A
    // file is measured only when the buffer would grow (two seeks); a shorter record that runs
    // out fails on its data piece all the same.
    BOOL grow = n > g_bufferSize || !g_bufferData;
    if ((g_image || grow) && n > BytesLeft(file)) return ErrStreamShortRead;
    if (grow) {
        int result = GrowReadBuffer(n);
        if (result) return result;
    }
    for (DWORD done = 0; done < n;) {
        DWORD piece = n - done < kRecordPiece ? n - done : kRecordPiece;
        if (!ReadExact(file, g_bufferData + done, piece)) return ErrStreamShortRead;
        done += piece;
    }
    *length = n;
    g_recordLength = n;
    return 0;
}

int WriteRecord(HFILE file, WORD opcode, DWORD length, const void* data)
{
    if (!WriteExact(file, &opcode, sizeof(WORD))) return ErrStreamShortWrite;
    if (opcode & kRecordBare) return 0;
    if (!WriteExact(file, &length, sizeof(DWORD))) return ErrStreamShortWrite;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    for (DWORD done = 0; done < length;) {
        DWORD piece = length - done < kRecordPiece ? length - done : kRecordPiece;
        if (!WriteExact(file, bytes + done, piece)) return ErrStreamShortWrite;
        done += piece;
    }
    return 0;
}

int SkipBlock(HFILE file, WORD endOpcode)
{
    for (;;) {
        WORD opcode = 0;
        DWORD length = 0;
        int result = ReadRecord(file, &opcode, &length);
        if (result) return result;
        if (opcode == endOpcode) return 0;
    }
}

void BeginMemoryStream(HGLOBAL image, DWORD limit)
{
    EndMemoryStream();
    g_imageBase = static_cast<BYTE*>(GlobalLock(image));
    if (!g_imageBase) return;
    g_image = image;
    DWORD size = (DWORD)GlobalSize(image);
    g_imageLimit = limit < size ? limit : size;
    g_imagePosition = 4;
}

void EndMemoryStream()
{
    if (g_image) GlobalUnlock(g_image);
    g_image = nullptr;
    g_imageBase = nullptr;
    g_imageLimit = 0;
    g_imagePosition = 0;
}

BOOL MemoryStreamActive() { return g_image != nullptr; }
HGLOBAL MemoryStreamImage() { return g_image; }
DWORD MemoryStreamPosition() { return g_imagePosition; }

int ReadMemoryBytes(void* destination, DWORD count)
{
    if (!g_image) return -1;
    DWORD left = g_imagePosition < g_imageLimit ? g_imageLimit - g_imagePosition : 0;
    DWORD n = count < left ? count : left;
    if (n) memcpy(destination, g_imageBase + g_imagePosition, n);
    g_imagePosition += n;
    return (int)n;
}

int AppendMemoryBytes(const void* source, DWORD count)
{
    if (!g_image) return -1;
    if ((unsigned long long)g_imagePosition + count > g_imageLimit) {
        // The image grows by half its size at least, so that a large drawing is not copied
        // once per step; the writer trims it to its length at the end.
        unsigned long long wanted = (unsigned long long)g_imagePosition + count;
        unsigned long long grown64 = g_imageLimit + std::max<unsigned long long>(kMemoryImageStep, g_imageLimit / 2);
        if (grown64 < wanted) grown64 = wanted;
        if (grown64 > 0x7FFFFFFFull) return -1;
        DWORD capacity = (DWORD)grown64;
        GlobalUnlock(g_image);
        HGLOBAL grown = GlobalReAlloc(g_image, capacity, GMEM_MOVEABLE | GMEM_ZEROINIT);
        if (grown) g_image = grown;
        g_imageBase = static_cast<BYTE*>(GlobalLock(g_image));
        if (!grown || !g_imageBase) return -1;
        g_imageLimit = capacity;
        if ((unsigned long long)g_imagePosition + count > g_imageLimit) return -1;
    }
    if (count) memcpy(g_imageBase + g_imagePosition, source, count);
    g_imagePosition += count;
    return (int)count;
}

int BeginMemoryImageWrite()
{
    HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kMemoryImageStep);
    if (!image) return ErrOutOfMemory;
    BeginMemoryStream(image, kMemoryImageStep);
    if (!g_image) {
        GlobalFree(image);
        return ErrOutOfMemory;
    }
    return 0;
}

HGLOBAL EndMemoryImageWrite(BOOL ok, DWORD* totalLength)
{
    HGLOBAL image = g_image;
    DWORD total = g_imagePosition;
    if (image && ok) memcpy(g_imageBase, &total, sizeof(DWORD));
    EndMemoryStream();
    if (!image) return nullptr;
    if (!ok) {
        GlobalFree(image);
        return nullptr;
    }
    HGLOBAL shrunk = GlobalReAlloc(image, total, GMEM_MOVEABLE);
    if (totalLength) *totalLength = total;
    return shrunk ? shrunk : image;
}

INT32 ScaleFromFileUnits(INT32 value, int fileResolution, int targetResolution)
{
    WORD resolution = (WORD)fileResolution;
    if (resolution == (WORD)targetResolution || resolution == 0) return value;
    double factor = (double)targetResolution / (double)resolution;
    double scaled = factor * (double)value;
    if (scaled >= 2147483647.0) return 0x7FFFFFFF;
    if (scaled <= -2147483648.0) return (INT32)0x80000000;
    return (INT32)scaled;
}
