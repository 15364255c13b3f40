// Paste and Duplicate of 1,000, 4,000 and 8,000 objects (shapes, every second one with a text
// record, and lines, every fourth hooked to its shape), and Copy of one object of 16,000, run by hand under Wine in a document
// of the real frame; prints milliseconds per operation and microseconds per object.
#include <windows.h>

#include <cstdio>

#include "bench_clock.h"
#include "bench_drawing.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "documents/settings.h"
#include "editing/edit_operation.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/frame_windows.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/undo.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"

namespace {

struct Document {
    HWND window = nullptr;
    HWND view = nullptr;
    HGLOBAL stateBlock = nullptr;
};

HGLOBAL DrawingBlock(const Document& doc)
{
    Locked<DocumentState> state(doc.stateBlock);
    return state->drawing;
}

// `count` objects: pairs of a shape and a line, some hooked to it; or shapes only.
bool Fill(const Document& doc, int count, bool hooked)
{
    const int slot = [&] {
        Locked<DocumentState> state(doc.stateBlock);
        return state->storeSlot;
    }();
    for (int i = 0; i < count; ++i) {
        const int cell = hooked ? i / 2 : i;
        const int x = 600 + (cell % 100) * 120, y = 600 + (cell / 100) * 120;
        RECT r = hooked && (i % 2) ? RECT{x + 60, y + 30, x + 100, y + 30} : RECT{x, y, x + 60, y + 60};
        if (AddObject(doc.view, hooked && (i % 2) ? ClassLine : ClassShape, &r, hooked && (i % 2) ? 0 : ShapeRectangle,
                      hooked && (i % 2) ? 1 : 0, 0, FALSE, TRUE, nullptr, FALSE))
            return false;
        Locked<Drawing> d(DrawingBlock(doc));
        // A quarter of the lines are hooked: a drawing holds at most 6,000 links, and Paste and
        // Duplicate double them.
        if (hooked && i % 8 == 1 && AttachHook(d.get(), i, -1, i - 1, 1, 0, 300)) return false;
        // Every second shape has text: a store keeps at most 4,500 records of one type, and
        // Duplicate doubles them.
        if (!hooked || (i % 4)) continue;
        int id = 0;
        HGLOBAL record = nullptr;
        if (NextFreeRecordId(slot, RecTextBlock, &id) || AddRecord(slot, RecTextBlock, id, kBlockHeaderSize, &record))
            return false;
        ReleaseBlock(record);
        Locked<ObjectList> objects(d->objectList);
        (*objects)[i].textId = id;
    }
    return true;
}

void SelectRows(const Document& doc, int first, int end)
{
    Locked<Drawing> d(DrawingBlock(doc));
    Locked<ObjectList> objects(d->objectList);
    d->selectedCount = 0;
    for (int row = 0; row < objects->count; ++row) {
        bool on = row >= first && row < end;
        objects->Entries()[row].state = on ? (objects->Entries()[row].state | StateSelected)
                                           : (objects->Entries()[row].state & ~static_cast<DWORD>(StateSelected));
        d->selectedCount += on ? 1 : 0;
    }
    d->currentRow = first;
}

bool OpenDocument(Document* doc)
{
    doc->window = CreateDocumentWindow(nullptr, DocModeBlank);
    doc->view = doc->window ? GetDocumentView(doc->window) : nullptr;
    doc->stateBlock = doc->view ? GetDocumentStateHandle(doc->view) : nullptr;
    return doc->stateBlock != nullptr;
}

void CloseDocument(const Document& doc)
{
    SendMessageA(g_mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(doc.window), 0);
}

void Report(const char* what, int objects, double ms)
{
    std::printf("%-40s %6d objects: %9.1f ms, %7.1f us per object\n", what, objects, ms, ms * 1000.0 / objects);
}

}  // namespace

int main()
{
    StartBench();
    static Settings settings = {};
    settings.flags = SetSnap | SetLinesLink;
    settings.ruler.screenUnit = 1;
    settings.ruler.scaleBase = 100.0;
    settings.ruler.divisions = 12;
    settings.ruler.shownValue = 1.0;
    g_settings = &settings;
    if (CreateSharedGdiObjects() || CreateMainFrame(FALSE) || RegisterClipboardFormats()) {
        std::printf("no frame\n");
        return 1;
    }
    for (int count : {1000, 4000, 8000}) {
        Document doc;
        if (!OpenDocument(&doc) || !Fill(doc, count, true)) {
            std::printf("set-up failed at %d\n", count);
            return 1;
        }
        SelectRows(doc, 0, count);
        double start = BenchMilliseconds();
        int err = DoEditOperation(doc.view, EditDuplicate, 0, nullptr);
        Report("Duplicate", count, BenchMilliseconds() - start);
        if (!err) err = UndoLastChange(doc.view, FALSE);
        SelectRows(doc, 0, count);
        if (!err) err = DoEditOperation(doc.view, EditCopy, 0, nullptr);
        start = BenchMilliseconds();
        if (!err) err = DoEditOperation(doc.view, EditPaste, 0, nullptr);
        Report("Paste", count, BenchMilliseconds() - start);
        if (err) std::printf("error %d\n", err);
        CloseDocument(doc);
    }
    {
        Document doc;
        if (!OpenDocument(&doc) || !Fill(doc, 16000, false)) {
            std::printf("set-up failed at 16000\n");
            return 1;
        }
        SelectRows(doc, 8000, 8001);
        double start = BenchMilliseconds();
        int err = DoEditOperation(doc.view, EditCopy, 0, nullptr);
        Report("Copy of one", 16000, BenchMilliseconds() - start);
        if (err) std::printf("error %d\n", err);
        CloseDocument(doc);
    }
    DestroyMainFrame();
    CloseClipboardStore();
    return 0;
}
