// The drawing the Windows benchmarks work on: a store in a fresh temporary folder and a hidden
// view holding its DocumentState, with the program's shape class installed.
#pragma once

#include <windows.h>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "frame/object_classes.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "shapes/shape_class.h"
#include "store/block_store.h"
#include "support/temp_folder.h"

struct BenchDrawing {
    HWND view = nullptr;
    int slot = -1;
    HGLOBAL stateBlock = nullptr;
    TempFolder folder;
};

inline constexpr char kBenchViewClass[] = "VexlorBenchView";

// Once per process: the store directory, the view's window class and the object classes.
inline void StartBench()
{
    InitBlockStoreDirectory(20);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kBenchViewClass;
    wc.cbWndExtra = 8;
    RegisterClassA(&wc);
    g_classHandlers.classes[ClassShape] = SED_ShapeHandler;
    InstallObjectClasses();
}

inline bool OpenBenchDrawing(BenchDrawing* w)
{
    if (w->folder.path().empty()) return false;
    OFSTRUCT of;
    HFILE file = OpenFile(w->folder.File("bench.tmp").c_str(), &of, OF_CREATE | OF_READWRITE | OF_SHARE_DENY_WRITE);
    if (file == HFILE_ERROR || CreateStoreAt(file, &w->slot, 0, 6, 200)) return false;
    if (AddDocumentRecordTypes(w->slot)) return false;
    w->view = CreateWindowA(kBenchViewClass, "view", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    if (!w->view || CreateNewDocumentState(w->view, w->slot)) return false;
    w->stateBlock = GetDocumentStateHandle(w->view);
    return w->stateBlock != nullptr;
}

inline void CloseBenchDrawing(BenchDrawing* w)
{
    {
        Locked<DocumentState> state(w->stateBlock);
        CloseDrawing(state->drawing);
    }
    GlobalFree(w->stateBlock);
    DestroyWindow(w->view);
    CloseStore(w->slot);
}

inline HGLOBAL DrawingOf(const BenchDrawing& w)
{
    Locked<DocumentState> state(w.stateBlock);
    return state->drawing;
}
