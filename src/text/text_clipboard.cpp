// Copy, Cut, Clear and Paste of the text editor. Clipboard data may come from any program, so a
// "TENClipClass" block is checked as a loaded block is before it is pasted.
#include "resource.h"
#include "text/text_clipboard.h"

#include <algorithm>
#include <cstring>

#include "frame/frame_services.h"
#include "model/drawing.h"
#include "store/results.h"
#include "text/ten_messages.h"
#include "text/ten_window.h"
#include "text/text_block.h"
#include "text/text_edit.h"
#include "text/text_engine.h"
#include "text/text_measure.h"
#include "text/text_paint.h"
#include "text/text_undo.h"

namespace {


// CF_TEXT of a block's characters: every paragraph end as CR LF, a closing NUL.
HGLOBAL PlainTextOf(HGLOBAL blockHandle, int selectionLines)
{
    Locked<TextBlock> block(blockHandle);
    if (!block) return nullptr;
    const TextBlock* b = block.get();
    const char* text = reinterpret_cast<const char*>(b) + kTextBlockSize + kTextLineSize * b->lineCount +
                       kTextRunSize * b->runCount + kParagraphFormatSize * b->formatCount +
                       kTextSegmentSize * b->segmentCount;
    const int ends = static_cast<int>(std::count(text, text + b->textLength, 13));
    HGLOBAL plain = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::max(selectionLines, ends) + b->textLength + 1);
    if (!plain) return nullptr;
    Locked<char> out(plain);
    if (!out) {
        GlobalFree(plain);
        return nullptr;
    }
    char* at = out.get();
    for (int i = 0; i < b->textLength; ++i) {
        *at++ = text[i];
        if (text[i] == 13) *at++ = 10;
    }
    *at = 0;
    return plain;
}

// A copy of "TENClipClass" data when it holds a whole, consistent block; null otherwise.
HGLOBAL CheckedRichCopy(HANDLE data, int editorFormats)
{
    const SIZE_T size = GlobalSize(data);
    if (size < kTextBlockSize) return nullptr;
    Locked<TextBlock> source(data);
    if (!source) return nullptr;
    const TextBlock* b = source.get();
    if (b->runCount < 0 || b->lineCount < 0 || b->formatCount < 0 || b->segmentCount < 0 || b->textLength < 0)
        return nullptr;
    const long long needed = kTextBlockSize + 60LL * b->lineCount + 68LL * b->runCount + 44LL * b->formatCount +
                             24LL * b->segmentCount + b->textLength;
    if (needed > static_cast<long long>(size) || !IsLoadableTextBlock(b, editorFormats)) return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size + 1);
    if (!copy) return nullptr;
    Locked<BYTE> target(copy);
    if (!target) {
        GlobalFree(copy);
        return nullptr;
    }
    std::memcpy(target.get(), b, size);
    target.get()[size] = 0;
    // Font handles belong to the process that made them.
    TextRun* runs = reinterpret_cast<TextRun*>(target.get() + kTextBlockSize + kTextLineSize * b->lineCount);
    for (int i = 0; i < b->runCount; ++i) runs[i].font = 0;
    return copy;
}

int EditorFormatCount(HWND editor)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    Locked<BYTE> formats(state->formats);
    return formats ? FormatTableCount(formats.get()) : 0;
}

}  // namespace

int TenCopy(HWND owner, HWND editor)
{
    SetCursorByIndex(CursorBusy);
    HGLOBAL block = nullptr, plain = nullptr;
    int result = 0;
    {
        Locked<TenState> state(TenStateHandle(editor));
        if (!state) return 0;
        TenState* s = state.get();
        if (s->selStart.charIndex == s->selEnd.charIndex) return 0;
        block = SerializeTextBlock(s, 0);
        if (!block) return ErrSelectionTooLarge;
        const int lines = std::max<int>(s->selEnd.lineIndex - s->selStart.lineIndex + 1, 1);
        bool hasText = false;
        if (Locked<TextBlock> b(block); b) hasText = b->textLength > 0;
        if (hasText) {
            plain = PlainTextOf(block, lines);
            if (!plain) result = ErrOutOfMemory;
        }
    }
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        if (plain) GlobalFree(plain);
        return ErrOutOfMemory;
    }
    EmptyClipboard();
    if (!SetClipboardData(g_tenClipFormat, block)) {
        GlobalFree(block);
        result = ErrOutOfMemory;
    }
    if (plain && !SetClipboardData(CF_TEXT, plain)) GlobalFree(plain);
    CloseClipboard();
    return result;
}

int TenCut(HWND owner, HWND editor, BOOL copyFirst)
{
    {
        Locked<TenState> state(TenStateHandle(editor));
        if (!state || state->selStart.charIndex == state->selEnd.charIndex) return 0;
    }
    if (copyFirst)
        if (int err = TenCopy(owner, editor)) return err;
    {
        Locked<TenState> state(TenStateHandle(editor));
        if (!state) return 0;
        if (int err = SaveTextUndo(editor, state.get(), kUndoKindDelete)) return err;
    }
    return EditTextChar(editor, 0, TenEditLayout | TenEditRepaint);
}

int TenPaste(HWND owner, HWND editor)
{
    SetCursorByIndex(CursorBusy);
    bool plainOnly = false;
    {
        Locked<TenState> state(TenStateHandle(editor));
        if (!state) return 0;
        plainOnly = (state->flags & TenFlagPastePlain) != 0;
    }
    const int formats = EditorFormatCount(editor);
    if (!OpenClipboard(owner)) return 0;
    HGLOBAL rich = nullptr, plain = nullptr;
    int plainLength = 0, result = 0;
    if (!plainOnly && g_tenClipFormat) {
        if (HANDLE data = GetClipboardData(g_tenClipFormat)) {
            if (GlobalSize(data) >= kLargestPaste) result = ErrOutOfMemory;
            else rich = CheckedRichCopy(data, formats);
        }
    }
    if (!rich && !result) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            const SIZE_T size = GlobalSize(data);
            Locked<char> text(data);
            plain = size < kLargestPaste ? GlobalAlloc(GMEM_MOVEABLE, size + 1) : nullptr;
            Locked<char> copy(plain);
            if (!text || !copy) {
                result = ErrOutOfMemory;
            } else {
                // Up to the first NUL, at most 20,000 characters, without line feeds.
                const char* chars = text.get();
                const size_t length = strnlen(chars, std::min<SIZE_T>(size, kPlainPasteLimit));
                for (size_t i = 0; i < length; ++i)
                    if (chars[i] != 10) copy.get()[plainLength++] = chars[i];
                copy.get()[plainLength] = 0;
            }
        }
    }
    CloseClipboard();
    if (!result) {
        const WPARAM flags = TenEditLayout | TenEditRepaint | TenEditCaretBehind | TenEditUndo;
        if (rich) {
            Locked<TextBlock> block(rich);
            result = block ? TenReplaceSelection(editor, block.get(), 0, flags) : ErrOutOfMemory;
        } else if (plainLength > 0) {
            Locked<char> text(plain);
            result = text ? TenReplaceSelection(editor, text.get(), plainLength, flags) : ErrOutOfMemory;
        }
    }
    if (plain) GlobalFree(plain);
    if (rich) GlobalFree(rich);
    return result;
}
