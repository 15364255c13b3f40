// Writing and reading drawing files, run by hand under Wine: drawings of 4,000 and 16,000
// objects with 1,500 and 6,000 links (lines hooked at both ends to shapes) and text on a quarter
// of the objects, written to a file and to a memory image and read back from each; prints
// milliseconds per operation. The larger drawing should cost about four times the smaller.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench_clock.h"
#include "bench_drawing.h"
#include "documents/drawing_file.h"
#include "documents/text_stream.h"
#include "exchange/printer_metrics.h"
#include "model/links.h"
#include "model/objects.h"
#include "shapes/shape_kinds.h"
#include "text/font_list.h"

namespace {

// A stored text of two runs in one paragraph; its record id, or -1.
int AddText(int slot)
{
    static const char text[] = "label text";
    TextBlock header = {};
    TextRun runs[2] = {g_defaultCharFormat, g_defaultCharFormat};
    runs[0].charCount = 5;
    runs[1].firstChar = 5;
    runs[1].charCount = sizeof text - 1 - 5;
    runs[1].style = 1;
    header.runCount = 2;
    header.formatCount = 1;
    header.textLength = sizeof text - 1;
    header.lineCount = 1;
    header.segmentCount = 1;
    header.layoutWidth = -1;
    const ParagraphFormat format = StandardParagraphFormat();
    const DWORD size = sizeof header + kTextLineSize + sizeof runs + sizeof format + kTextSegmentSize + sizeof text - 1;
    int id = 0;
    HGLOBAL block = nullptr;
    if (NextFreeRecordId(slot, RecTextBlock, &id) || AddRecord(slot, RecTextBlock, id, kBlockHeaderSize + size, &block))
        return -1;
    BYTE* p = static_cast<BYTE*>(GlobalLock(block)) + kBlockHeaderSize;
    std::memset(p, 0, size);
    std::memcpy(p, &header, sizeof header);
    p += sizeof header + kTextLineSize;
    std::memcpy(p, runs, sizeof runs);
    p += sizeof runs;
    std::memcpy(p, &format, sizeof format);
    p += sizeof format + kTextSegmentSize;
    std::memcpy(p, text, sizeof text - 1);
    GlobalUnlock(block);
    MarkBlockDirty(block);
    ReleaseBlock(block);
    return id;
}

// `n` objects: shapes, and lines hooked at both ends to shapes, `links` hooks in all; every
// fourth object holds a text.
bool Build(const BenchDrawing& w, int n, int links)
{
    const int lines = links / 2;
    const int shapes = n - lines;
    for (int i = 0; i < shapes; ++i) {
        const int x = 600 + (i % 100) * 200, y = 600 + (i / 100) * 150;
        RECT r = {x, y, x + 120, y + 120};
        if (AddObject(w.view, ClassShape, &r, ShapeRectangle, 0, 0, FALSE, TRUE, nullptr, FALSE)) return false;
    }
    for (int i = 0; i < lines; ++i) {
        const int x = 720 + (i % 100) * 200, y = 660 + (i / 100) * 150;
        RECT r = {x, y, x + 80, y};
        if (AddObject(w.view, ClassLine, &r, 1, 0, 0, FALSE, TRUE, nullptr, FALSE)) return false;
        Locked<Drawing> d(DrawingOf(w));
        const int row = shapes + i;
        if (AttachHook(d.get(), row, -1, i % shapes, 1, 600, 300)) return false;
        if (AttachHook(d.get(), row, -1, (i + 1) % shapes, 2, 0, 300)) return false;
    }
    Locked<Drawing> d(DrawingOf(w));
    Locked<ObjectList> objects(d->objectList);
    for (int row = 0; row < objects->count; row += 4) {
        const int id = AddText(w.slot);
        if (id < 0) return false;
        (*objects)[row].textId = id;
    }
    return true;
}

void ReleaseState(BenchDrawing* w)
{
    DocumentState* state = static_cast<DocumentState*>(GlobalLock(w->stateBlock));
    if (state->printerIC) DeleteReferenceDC(state->printerIC);
    GlobalFree(state->devMode);
    GlobalFree(state->fontList);
    GlobalFree(state->fontMap);
    GlobalUnlock(w->stateBlock);
    CloseBenchDrawing(w);
}

// Reads into a fresh drawing and store, as opening a document does: the time and the result.
double ReadFresh(HGLOBAL image, DWORD length, const char* path, int* result)
{
    BenchDrawing r;
    if (!OpenBenchDrawing(&r)) {
        *result = -1;
        return 0;
    }
    DocumentState* state = static_cast<DocumentState*>(GlobalLock(r.stateBlock));
    BOOL older = FALSE;
    double t0 = BenchMilliseconds();
    *result = ReadDrawingFile(HFILE_ERROR, path, image, length, r.view, state, &older, FALSE);
    double t1 = BenchMilliseconds();
    GlobalUnlock(r.stateBlock);
    ReleaseState(&r);
    return t1 - t0;
}

void Sizes(int n, int links)
{
    BenchDrawing w;
    if (!OpenBenchDrawing(&w) || !Build(w, n, links)) {
        std::printf("%6d objects: set-up failed\n", n);
        return;
    }
    DocumentState* state = static_cast<DocumentState*>(GlobalLock(w.stateBlock));
    std::string path = w.folder.File("bench.vxr");
    HGLOBAL image = nullptr;
    DWORD length = 0;
    double t0 = BenchMilliseconds();
    int e1 = WriteDrawingFile(nullptr, &image, &length, state);
    double t1 = BenchMilliseconds();
    int e2 = WriteDrawingFile(path.c_str(), nullptr, nullptr, state);
    double t2 = BenchMilliseconds();
    GlobalUnlock(w.stateBlock);
    int e3 = 0, e4 = 0;
    double readImage = ReadFresh(image, length, nullptr, &e3);
    double readFile = ReadFresh(nullptr, 0, path.c_str(), &e4);
    std::printf("%6d objects, %5d links, %8lu bytes: write image %8.1f ms, file %8.1f ms; read image %8.1f ms, "
                "file %8.1f ms (results %d %d %d %d)\n",
                n, links, static_cast<unsigned long>(length), t1 - t0, t2 - t1, readImage, readFile, e1, e2, e3, e4);
    if (image) GlobalFree(image);
    ReleaseState(&w);
}

}  // namespace

int main()
{
    StartBench();
    Sizes(4000, 1500);
    Sizes(16000, 6000);
    return 0;
}
