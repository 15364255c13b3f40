// Writes the README's example drawing through the program's own drawing-file writer: a blank
// drawing with one filled rectangle. Usage: mkexample PATH
#include <windows.h>

#include <cstdio>

#include "documents/document_life.h"
#include "documents/document_save.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "frame/object_classes.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/objects.h"
#include "model/resource_strings.h"
#include "store/store_directory.h"
#include "text/font_cache.h"
#include "text/text_engine.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkexample PATH\n");
        return 2;
    }
    g_hInstance = GetModuleHandleA(nullptr);
    if (InitBlockStoreDirectory(100) || InstallObjectClasses() || CreateDefaultSettings() || InitFontCache() ||
        InitTextEngine() || CreateMainFrame(FALSE)) {
        std::fprintf(stderr, "mkexample: start-up failed\n");
        return 1;
    }
    HWND document = CreateDocumentWindow(nullptr, DocModeBlank);
    HWND view = document ? GetDocumentView(document) : nullptr;
    RECT rect = {1200, 1200, 3600, 2400};
    int result = view ? AddObject(view, ClassShape, &rect, 2, 0, 0, FALSE, FALSE, nullptr, FALSE) : 1;
    if (!result) {
        // A solid light blue fill.
        Locked<DocumentState> state(GetDocumentStateHandle(view));
        Locked<Drawing> drawing(state->drawing);
        Locked<ObjectList> objects(drawing->objectList);
        (*objects)[0].fillColor = RGB(160, 200, 255);
        (*objects)[0].fillPattern = 1;
    }
    if (!result) result = SaveDocumentAs(document, argv[1], FALSE, 1);
    if (result) std::fprintf(stderr, "mkexample: %d\n", result);
    return result ? 1 : 0;
}
