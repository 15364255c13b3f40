// The background colour command.
#include "exchange/background.h"

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/options.h"
#include "documents/settings.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/invalidate.h"
#include "model/undo.h"
#include "model/window_utils.h"
#include "resource.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

constexpr int kBackgroundLabel = 44;
constexpr int kStandardColorCount = 48;
constexpr COLORREF kNone = static_cast<COLORREF>(-1);
constexpr COLORREF kWhite = 0xFFFFFF;

COLORREF Painted(COLORREF color)
{
    return color == kNone ? kWhite : color;
}

int ChangeBackground(HGLOBAL drawingBlock, int index, COLORREF color)
{
    Locked<Drawing> drawing(drawingBlock);
    if (!drawing) return ErrOutOfMemory;
    if (int err = BeginRecordChange(drawingBlock)) return err;
    if (int err = BeginRecordChange(drawing->objectList)) return err;
    const COLORREF oldColor = Painted(drawing->style.backgroundColor);
    COLORREF chosen = color;
    if (index >= 0) chosen = index < kStandardColorCount && g_settings ? g_settings->standardColors[index] : kNone;
    drawing->style.backgroundColor = chosen;
    COLORREF newColor = Painted(chosen);
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    InvalidationBatch batch;
    for (int row = 0; row < objects->count; ++row) {
        const DrawObject& object = (*objects)[row];
        if (!(object.state & StateAttachedLabel) || object.fillPattern != 1 || object.fillColor != oldColor) continue;
        if (int err = static_cast<int>(SendClassMessage(nullptr, drawing.get(), objects.get(), row, OM_SETFILLCOLOR, 1, 0, &newColor)))
            return err;
    }
    return 0;
}

}  // namespace

int SetBackgroundColor(int index, COLORREF color, BOOL quiet)
{
    HWND document = GetActiveDocument(nullptr);
    HWND view = document ? GetWindow(document, GW_CHILD) : nullptr;
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return 1;
    HWND editor;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return 1;
        editor = state->textEditor;
    }
    if (editor && EndTextEditing(view, 1) != 0) return 0;
    Locked<DocumentState> state(stateBlock);
    if (!state || !state->drawing) return 0;
    if (!quiet)
        if (int err = SaveUndoState(view, kBackgroundLabel)) return err;
    int err = ChangeBackground(state->drawing, index, color);
    if (!err) {
        state->flags |= DocRedraw;
        InvalidateRect(view, nullptr, FALSE);
        MarkDocumentModified(state.get());
    } else if (!quiet) {
        ShowWarningById(IDS_DISK_OR_MEMORY);
    }
    return err;
}
