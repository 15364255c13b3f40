// Writes the end-to-end scenarios' input files through the program's own model and writers:
// drawings with hooked lines, a group, styled text and plain shapes, and options files.
// Usage: e2e_scenes FOLDER. Run before the program starts: it makes a (hidden) frame of its own.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_save.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "documents/options_file.h"
#include "documents/settings.h"
#include "e2e/scenes.h"
#include "editing/arrange.h"
#include "editing/edit_operation.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "frame/object_classes.h"
#include "lines/connector_record.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/resource_strings.h"
#include "shapes/shape_kinds.h"
#include "store/store_directory.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "text/font_cache.h"
#include "text/object_text.h"
#include "text/text_engine.h"
#include "text/text_records.h"

namespace {

using namespace scenes;

std::string g_folder;

int Fail(const char* what, int code)
{
    std::fprintf(stderr, "e2e_scenes: %s: %d\n", what, code);
    return code ? code : 1;
}

// A new blank drawing without snapping, so that a drag moves by exactly what the mouse travelled.
HWND NewDrawing(HWND* view)
{
    HWND document = CreateDocumentWindow(nullptr, DocModeBlank);
    *view = document ? GetDocumentView(document) : nullptr;
    if (!*view) return nullptr;
    Locked<DocumentState> state(GetDocumentStateHandle(*view));
    Locked<Drawing> drawing(state->drawing);
    drawing->drawingFlags &= ~static_cast<DWORD>(DrawSnap);
    return document;
}

int Count(HWND view)
{
    Locked<DocumentState> state(GetDocumentStateHandle(view));
    Locked<Drawing> drawing(state->drawing);
    Locked<ObjectList> objects(drawing->objectList);
    return objects->count;
}

int AddShape(HWND view, RECT rect, COLORREF fill)
{
    if (int err = AddObject(view, ClassShape, &rect, ShapeRectangle, 0, 0, FALSE, FALSE, nullptr, FALSE)) return err;
    Locked<DocumentState> state(GetDocumentStateHandle(view));
    Locked<Drawing> drawing(state->drawing);
    Locked<ObjectList> objects(drawing->objectList);
    DrawObject& shape = (*objects)[objects->count - 1];
    shape.fillColor = fill;
    shape.fillPattern = 1;
    return 0;
}

// A line from the frame's top-left corner to its bottom-right one (creation corner 1).
int AddLine(HWND view, int objClass, RECT rect, int type)
{
    return AddObject(view, objClass, &rect, type, 1, 0, FALSE, FALSE, nullptr, FALSE);
}

int Hook(HWND view, int holder, int end, int target, int boxX, int boxY)
{
    Locked<DocumentState> state(GetDocumentStateHandle(view));
    Locked<Drawing> drawing(state->drawing);
    return AttachHook(drawing.get(), holder, -1, target, end, boxX, boxY);
}

int Propagate(HWND view)
{
    Locked<DocumentState> state(GetDocumentStateHandle(view));
    Locked<Drawing> drawing(state->drawing);
    return PropagateLinks(drawing.get());
}

int Save(HWND document, const char* name)
{
    const std::string path = g_folder + "\\" + name;
    return SaveDocumentAs(document, path.c_str(), FALSE, 1);
}

int WriteHooks()
{
    HWND view = nullptr;
    HWND document = NewDrawing(&view);
    if (!document) return 10002;
    if (int err = AddShape(view, kHookA, kRed)) return err;
    if (int err = AddShape(view, kHookB, kGreen)) return err;
    const RECT connector = {kHookA.right, (kHookA.top + kHookA.bottom) / 2, kHookB.left, (kHookB.top + kHookB.bottom) / 2};
    if (int err = AddLine(view, ClassConnector, connector, ConnectorSquare)) return err;
    const RECT line = {(kHookA.left + kHookA.right) / 2, kHookA.bottom, (kHookB.left + kHookB.right) / 2, kHookB.bottom};
    if (int err = AddLine(view, ClassLine, line, 0)) return err;
    if (int err = AddShape(view, kHookC, kBlue)) return err;
    if (int err = AddLine(view, ClassConnector, kFreeConnector, ConnectorSquare)) return err;
    if (Count(view) != kRowFree + 1) return Fail("hooks: rows", Count(view));
    // Box points run 0..600 over the target's frame.
    if (int err = Hook(view, kRowConnector, 1, kRowA, 600, 300)) return err;
    if (int err = Hook(view, kRowConnector, 2, kRowB, 0, 300)) return err;
    if (int err = Hook(view, kRowLine, 1, kRowA, 300, 600)) return err;
    if (int err = Hook(view, kRowLine, 2, kRowB, 300, 600)) return err;
    if (int err = Propagate(view)) return err;
    return Save(document, kHooksFile);
}

int WriteGroup()
{
    HWND view = nullptr;
    HWND document = NewDrawing(&view);
    if (!document) return 10002;
    if (int err = AddShape(view, kGroupLeft, kRed)) return err;
    if (int err = AddShape(view, kGroupRight, kGreen)) return err;
    SelectAllObjects();
    if (int err = DoEditOperation(view, EditGroup, 0, nullptr)) return err;
    return Save(document, kGroupFile);
}

int WriteShapes()
{
    HWND view = nullptr;
    HWND document = NewDrawing(&view);
    if (!document) return 10002;
    if (int err = AddShape(view, kShapeWide, kRed)) return err;
    if (int err = AddShape(view, kShapeSecond, kGreen)) return err;
    if (int err = AddShape(view, kShapeThird, kBlue)) return err;
    return Save(document, kShapesFile);
}

int WriteSingle(const char* name)
{
    HWND view = nullptr;
    HWND document = NewDrawing(&view);
    if (!document) return 10002;
    if (int err = AddShape(view, kSingle, kYellow)) return err;
    return Save(document, name);
}

// "Hello world" in two runs, "world" bold, one left-aligned paragraph, in the document's first
// font slot (the default face).
std::vector<BYTE> StyledText()
{
    const int length = static_cast<int>(std::strlen(kText));
    std::vector<BYTE> block(kTextBlockSize + 2 * kTextRunSize + kParagraphFormatSize + length);
    auto* header = reinterpret_cast<TextBlock*>(block.data());
    header->runCount = 2;
    header->formatCount = 1;
    header->textLength = length;
    header->layoutWidth = -1;
    header->labelLink = -1;
    auto* runs = reinterpret_cast<TextRun*>(block.data() + kTextBlockSize);
    for (int i = 0; i < 2; ++i) {
        runs[i].size = runs[i].nominalSize = kTextPoints;
        runs[i].style = i;   // the second run bold
        runs[i].firstChar = i ? kBoldFrom : 0;
        runs[i].charCount = i ? length - kBoldFrom : kBoldFrom;
    }
    auto* format = reinterpret_cast<ParagraphFormat*>(block.data() + kTextBlockSize + 2 * kTextRunSize);
    format->alignment = kTextAlignLeft;
    format->spacingBase = 120;
    format->tabInterval = 150;
    format->hyphenate = 1;
    std::memcpy(block.data() + kTextBlockSize + 2 * kTextRunSize + kParagraphFormatSize, kText, length);
    return block;
}

int WriteText()
{
    HWND view = nullptr;
    HWND document = NewDrawing(&view);
    if (!document) return 10002;
    if (int err = AddShape(view, kTextShape, RGB(255, 255, 255))) return err;
    Locked<DocumentState> state(GetDocumentStateHandle(view));
    Locked<Drawing> drawing(state->drawing);
    const int slot = drawing->header.slot;
    const std::vector<BYTE> text = StyledText();
    int id = 0;
    HGLOBAL record = nullptr;
    if (int err = NextFreeRecordId(slot, RecTextBlock, &id)) return err;
    if (int err = AddRecord(slot, RecTextBlock, id, static_cast<DWORD>(kBlockHeaderSize + text.size()), &record))
        return err;
    if (auto* bytes = static_cast<BYTE*>(GlobalLock(record))) {
        std::copy(text.begin(), text.end(), bytes + kBlockHeaderSize);
        GlobalUnlock(record);
    }
    MarkBlockDirty(record);
    ReleaseBlock(record);
    {
        Locked<ObjectList> objects(drawing->objectList);
        DrawObject& shape = (*objects)[0];
        shape.textId = id;
        if (int err = LayoutObjectText(drawing.get(), &shape, 0)) return err;
    }
    drawing.Unlock();
    state.Unlock();
    return Save(document, kTextFile);
}

int WriteOptions(const char* name, DWORD flagsOn, DWORD flagsOff, const std::string& openFolder)
{
    const DWORD saved = g_settings->flags;
    char savedFolder[sizeof g_settings->openFolder];
    std::memcpy(savedFolder, g_settings->openFolder, sizeof savedFolder);
    g_settings->flags = (g_settings->flags | flagsOn) & ~flagsOff;
    lstrcpynA(g_settings->openFolder, openFolder.c_str(), sizeof g_settings->openFolder);
    const std::string path = g_folder + "\\" + name;
    const int err = WriteOptionsFile(path.c_str());
    g_settings->flags = saved;
    std::memcpy(g_settings->openFolder, savedFolder, sizeof savedFolder);
    return err;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: e2e_scenes FOLDER\n");
        return 2;
    }
    g_folder = argv[1];
    g_hInstance = GetModuleHandleA(nullptr);
    if (InitBlockStoreDirectory(100) || InstallObjectClasses() || CreateDefaultSettings() || InitFontCache() ||
        InitTextEngine() || CreateMainFrame(FALSE))
        return Fail("start-up failed", 1);
    // The drawings are made without snapping and without hints (a hint would wait for a person).
    g_settings->flags &= ~static_cast<DWORD>(SetSnap | SetHints | SetWelcome);
    const DWORD quiet = SetSnap | SetHints | SetWelcome | SetOpenAtStart | SetTemplateDialog;
    struct Step {
        const char* name;
        int (*write)();
    };
    const Step steps[] = {
        {kHooksFile, WriteHooks},
        {kGroupFile, WriteGroup},
        {kShapesFile, WriteShapes},
        {kTextFile, WriteText},
        {kSingleFile, [] { return WriteSingle(kSingleFile); }},
        {kSecondFile, [] { return WriteSingle(kSecondFile); }},
    };
    for (const Step& step : steps)
        if (int err = step.write()) return Fail(step.name, err);
    const std::string docs = g_folder + "\\" + kDocsFolder;
    CreateDirectoryA(docs.c_str(), nullptr);
    if (int err = WriteOptions(kOptionsFile, 0, quiet, "")) return Fail(kOptionsFile, err);
    if (int err = WriteOptions(kHintsOptionsFile, SetHints, quiet & ~static_cast<DWORD>(SetHints), ""))
        return Fail(kHintsOptionsFile, err);
    if (int err = WriteOptions(kFolderOptionsFile, 0, quiet, docs)) return Fail(kFolderOptionsFile, err);
    std::printf("e2e_scenes: wrote the scenes into %s\n", g_folder.c_str());
    return 0;
}
