// The editor's one undo snapshot: a copy of the content fields with tables of its own.
#include "text/text_undo.h"

#include <cstring>
#include <utility>

#include "store/results.h"
#include "text/ten_messages.h"

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
