// The editor's one undo snapshot: a copy of the content fields with tables of its own.
#include "text/text_undo.h"

#include <cstring>
#include <utility>

#include "store/results.h"
#include "model/drawing.h"
#include "text/ten_messages.h"
#include "text/text_layout.h"
#include "text/text_paint.h"
#include "text/text_view.h"

int CopyGlobalBlock(HGLOBAL* target, HGLOBAL source)
{
    const SIZE_T size = source ? GlobalSize(source) : 0;
    HGLOBAL block = *target;
    if (!block) {
        block = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    } else if (GlobalSize(block) != size) {
        block = GlobalReAlloc(block, size ? size : 1, GMEM_MOVEABLE);
    }
    if (!block) return ErrOutOfMemory;
    *target = block;
    if (size) {
        void* to = GlobalLock(block);
        const void* from = GlobalLock(source);
        if (to && from) std::memcpy(to, from, size);
        if (from) GlobalUnlock(source);
        if (to) GlobalUnlock(block);
        if (!to || !from) return ErrOutOfMemory;
    }
    return 0;
}

int SaveTextUndo(HWND editor, TenState* state, int kind)
{
    int result = 0;
    if (kind != 0) {
        if (kind != kUndoKindLoad && editor) SendMessageA(GetParent(editor), TenNoticeUndoSnapshot, 0, 0);
        TenTextCopy* current = CurrentTextCopy(state);
        TenTextCopy& copy = state->snapshot;
        const HGLOBAL tables[5] = {copy.text, copy.runs, copy.lines, copy.formats, copy.segments};
        copy = *current;
        copy.text = tables[0];
        copy.runs = tables[1];
        copy.lines = tables[2];
        copy.formats = tables[3];
        copy.segments = tables[4];
        current->options |= TenOptModified | TenOptSnapshotTaken;
        std::pair<HGLOBAL*, HGLOBAL> order[5] = {{&copy.runs, current->runs},
                                                 {&copy.formats, current->formats},
                                                 {&copy.segments, current->segments},
                                                 {&copy.lines, current->lines},
                                                 {&copy.text, current->text}};
        for (auto& [target, source] : order) {
            result = CopyGlobalBlock(target, source);
            if (result) break;
        }
    }
    state->undoKind = result ? 0 : kind;
    state->flags &= ~(TenFlagRedo | TenFlagFontsChanged);
    return result;
}

void SwapTextUndo(TenState* state)
{
    if (state->undoKind == 0) return;
    std::swap(*CurrentTextCopy(state), state->snapshot);
    state->undoKind = 0;
}

void FreeTextUndoArrays(TenTextCopy* copy)
{
    for (HGLOBAL* table : {&copy->text, &copy->runs, &copy->lines, &copy->formats, &copy->segments}) {
        if (*table) GlobalFree(*table);
        *table = nullptr;
    }
}

int TenUndo(HWND editor)
{
    HGLOBAL handle = TenStateHandle(editor);
    Locked<TenState> state(handle);
    if (!state) return 0;
    TenState* s = state.get();
    if (s->undoKind == 0) return 0;
    HideTextCaret(editor);
    const int shownWidth = s->width, shownHeight = s->height;
    std::swap(*CurrentTextCopy(s), s->snapshot);
    if (s->bands && s->bandCount > 0 && s->lineCount > 0) {
        Locked<TextRegion> bands(s->bands);
        Locked<TextLine> lines(s->lines);
        Locked<TextRun> runs(s->runs);
        Locked<BYTE> formats(s->formats);
        if (bands && lines && runs && formats)
            FlowLinesOverRegions(editor, s, 0, bands.get(), lines.get(), 0, runs.get(), formats.get());
    }
    s->flags ^= TenFlagRedo;
    BOOL whole = FALSE;
    if (s->width != shownWidth || s->height != shownHeight) {
        // The window still has the size of the text just put aside; the parent may refuse the
        // restored one, and then the editor keeps the size it shows.
        const int width = s->width, height = s->height;
        s->width = shownWidth;
        s->height = shownHeight;
        ResizeTextWindow(editor, s, width, height);
        whole = TRUE;
    } else if (s->flags & TenFlagLayoutPending) {
        int end = 0, first = 0;
        LayoutLines(editor, handle, 0, kLayoutToEnd, &end, &first);
        RefreshSelectionEnds(editor, s);
    }
    if (s->flags & TenFlagFontsChanged) {
        // The zoom is not part of the snapshot: the restored runs get fonts for the current one.
        SendMessageA(editor, TEN_SETZOOM, s->zoom, 1);
        RECT client;
        GetClientRect(editor, &client);
        SendMessageA(editor, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
    RedrawLines(editor, s, 0, kLayoutToEnd, whole);
    if (s->selStart.charIndex == s->selEnd.charIndex) ShowTextCaret(editor, s);
    ScrollCaretIntoView(editor, s, nullptr, nullptr, FALSE);
    NotifyFormatChange(editor, s, TenNotifyAll);
    return 0;
}
