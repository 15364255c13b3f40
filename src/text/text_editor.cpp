// The in-place editor's window and state: loading an object's text with its character runs,
// selections, replacing the selection keeping its styles, and storing the text back.
#include "text/text_editor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "documents/document_state.h"
#include "model/drawing.h"
#include "model/resource_strings.h"
#include "model/undo.h"
#include "store/results.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "text/object_text.h"
#include "text/ten_window.h"

namespace {

constexpr char kEditorClass[] = "TENClass";

HGLOBAL CopyToMemory(const void* bytes, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size ? size : 1);
    if (!block) return nullptr;
    if (size) {
        void* target = GlobalLock(block);
        std::memcpy(target, bytes, size);
        GlobalUnlock(block);
    }
    return block;
}

template <typename T>
std::vector<T> ReadArray(HGLOBAL block, int count)
{
    std::vector<T> items;
    if (!block || count <= 0 || GlobalSize(block) < sizeof(T) * count) return items;
    const T* source = static_cast<const T*>(GlobalLock(block));
    if (!source) return items;
    items.assign(source, source + count);
    GlobalUnlock(block);
    return items;
}

void FreeTenState(HGLOBAL stateBlock)
{
    if (!stateBlock) return;
    if (TenState* s = static_cast<TenState*>(GlobalLock(stateBlock))) {
        for (HGLOBAL h : {s->text, s->runs, s->formats, s->lines, s->segments})
            if (h) GlobalFree(h);
        GlobalUnlock(stateBlock);
    }
    GlobalFree(stateBlock);
}

// Loads the TextBlock record `textId` into a new editor state; a record too short for its
// counts loads as an empty text.
int LoadEditorState(int slot, int textId, int row, HGLOBAL* stateBlock)
{
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(slot, RecTextBlock, textId, &record)) return err;
    TextBlock header = {};
    std::vector<BYTE> text;
    std::vector<TextRun> runs;
    std::vector<ParagraphFormat> formats;
    const LONG payloadSize = GetBlockSize(record) - kBlockHeaderSize;
    if (const BYTE* block = static_cast<const BYTE*>(GlobalLock(record))) {
        const BYTE* payload = block + kBlockHeaderSize;
        if (payloadSize >= static_cast<LONG>(sizeof(TextBlock))) {
            const auto* stored = reinterpret_cast<const TextBlock*>(payload);
            const long long size = TextBlockSize(stored);
            if (size >= 0 && size <= payloadSize) {
                header = *stored;
                TextBlockView view = ViewTextBlock(payload, payloadSize);
                runs.assign(view.runs, view.runs + view.runCount);
                formats.assign(view.formats, view.formats + view.formatCount);
                const BYTE* textAt = payload + size - header.textLength;
                text.assign(textAt, textAt + header.textLength);
            }
        }
        GlobalUnlock(record);
    }
    ReleaseBlock(record);
    // Stored texts may end in a zero; the editor's length counts the characters only.
    while (!text.empty() && text.back() == 0) text.pop_back();
    header.lineCount = header.segmentCount = 0;
    // Editing needs a run to put characters in, also for a stored text without runs.
    if (runs.empty()) {
        runs.push_back(TextRun{});
        runs.back().charCount = static_cast<INT32>(text.size());
    }

    *stateBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(TenState));
    if (!*stateBlock) return ErrOutOfMemory;
    Locked<TenState> s(*stateBlock);
    text.push_back(0);
    s->textLength = static_cast<INT32>(text.size() - 1);
    s->text = CopyToMemory(text.data(), text.size());
    s->runCount = static_cast<INT32>(runs.size());
    s->runs = CopyToMemory(runs.data(), runs.size() * sizeof(TextRun));
    // The format table is a 32-bit count followed by the entries.
    std::vector<BYTE> table(sizeof(INT32) + formats.size() * sizeof(ParagraphFormat));
    const INT32 formatCount = static_cast<INT32>(formats.size());
    std::memcpy(table.data(), &formatCount, sizeof(INT32));
    if (!formats.empty())
        std::memcpy(table.data() + sizeof(INT32), formats.data(), formats.size() * sizeof(ParagraphFormat));
    s->formats = CopyToMemory(table.data(), table.size());
    s->options = static_cast<DWORD>(header.options) & ~TenOptModified;
    SetRect(&s->margins, header.marginLeft, header.marginTop, header.marginRight, header.marginBottom);
    s->zoom = header.zoom;
    s->labelLink = header.labelLink;
    s->effect = header.effect;
    s->ownerRow = row;
    s->baseUnit = 600;
    s->width = header.layoutWidth > 0 ? header.layoutWidth + header.marginLeft + header.marginRight : 0;
    if (!s->text || !s->runs || !s->formats) {
        s.Unlock();
        FreeTenState(*stateBlock);
        *stateBlock = nullptr;
        return ErrOutOfMemory;
    }
    return 0;
}

}  // namespace

HGLOBAL GetTenState(HWND editor)
{
    if (!editor) return nullptr;
    char name[16] = {};
    if (!GetClassNameA(editor, name, sizeof(name)) || std::strcmp(name, kEditorClass) != 0)
        return nullptr;
    return reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(editor, kTenStateWord)));
}

int BeginObjectTextEdit(HWND view, DocumentState* state, int row, int x, int y, int mode)
{
    (void)mode;
    if (!state) return 0;
    if (state->textEditor) {
        if (int err = EndTextEditing(view, -1)) return err;
    }
    Locked<Drawing> drawing(state->drawing);
    if (!drawing) return ErrOutOfMemory;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    if (row < 0 || row >= objects->count || ((*objects)[row].state & StateLocked)) return 0;
    const int holder = ResolveTextHolderIndex(objects.get(), row);
    if (holder < 0 || (*objects)[holder].textId < 0) return 0;

    HGLOBAL stateBlock = nullptr;
    if (int err = LoadEditorState(drawing->header.slot, (*objects)[holder].textId, holder, &stateBlock))
        return err;
    HINSTANCE instance = g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
    if (RegisterTenClass(instance) != 0) {
        FreeTenState(stateBlock);
        return ErrWindowNotCreated;
    }
    // Created without a creation record the editor has no state of its own: it takes the one
    // loaded here, which TENProc frees with the window.
    HWND editor = CreateWindowA(kEditorClass, "", WS_CHILD, x, y, 1, 1, view, nullptr, instance, nullptr);
    if (!editor) {
        FreeTenState(stateBlock);
        return ErrWindowNotCreated;
    }
    SetWindowLongA(editor, kTenStateWord, static_cast<LONG>(reinterpret_cast<LONG_PTR>(stateBlock)));
    (*objects)[holder].state |= StateTextEditing;
    state->textEditor = editor;
    return 0;
}

int StoreEditorText(HWND editor, Drawing* drawing, ObjectList* objects)
{
    Locked<TenState> s(GetTenState(editor));
    if (!s || !drawing || !objects) return 0;
    if (s->ownerRow < 0 || s->ownerRow >= objects->count) return 0;
    const DrawObject& object = (*objects)[s->ownerRow];
    if (object.textId < 0) return 0;

    HGLOBAL record = nullptr;
    if (int err = LoadRecord(drawing->header.slot, RecTextBlock, object.textId, &record)) return err;
    // The measured figures stay as stored until the text is laid out again.
    TextBlock header = {};
    if (GetBlockSize(record) - kBlockHeaderSize >= static_cast<LONG>(sizeof(TextBlock))) {
        if (const BYTE* block = static_cast<const BYTE*>(GlobalLock(record))) {
            const auto* stored = reinterpret_cast<const TextBlock*>(block + kBlockHeaderSize);
            header.widestLine = stored->widestLine;
            header.textHeight = stored->textHeight;
            header.widestWord = stored->widestWord;
            GlobalUnlock(record);
        }
    }
    header.options = static_cast<INT32>(s->options & ~TenOptModified);
    header.marginLeft = s->margins.left;
    header.marginTop = s->margins.top;
    header.marginRight = s->margins.right;
    header.marginBottom = s->margins.bottom;
    header.layoutWidth = s->width > 0 ? s->width - s->margins.left - s->margins.right : -1;
    header.zoom = s->zoom;
    header.labelLink = s->labelLink;
    header.ownerRow = s->ownerRow;
    header.effect = s->effect;
    std::vector<TextRun> runs = ReadArray<TextRun>(s->runs, s->runCount);
    std::vector<ParagraphFormat> formats;
    if (s->formats && GlobalSize(s->formats) >= sizeof(INT32)) {
        const BYTE* table = static_cast<const BYTE*>(GlobalLock(s->formats));
        INT32 count = 0;
        std::memcpy(&count, table, sizeof(INT32));
        const size_t room = (GlobalSize(s->formats) - sizeof(INT32)) / sizeof(ParagraphFormat);
        if (count > 0 && static_cast<size_t>(count) <= room) {
            const auto* entries = reinterpret_cast<const ParagraphFormat*>(table + sizeof(INT32));
            formats.assign(entries, entries + count);
        }
        GlobalUnlock(s->formats);
    }
    std::vector<char> text = ReadArray<char>(s->text, s->textLength);
    header.runCount = static_cast<INT32>(runs.size());
    header.formatCount = static_cast<INT32>(formats.size());
    header.textLength = static_cast<INT32>(text.size());
    header.lineCount = header.segmentCount = 0;

    std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(&header),
                            reinterpret_cast<const BYTE*>(&header) + sizeof(header));
    auto append = [&](const void* p, size_t n) {
        bytes.insert(bytes.end(), static_cast<const BYTE*>(p), static_cast<const BYTE*>(p) + n);
    };
    append(runs.data(), runs.size() * sizeof(TextRun));
    append(formats.data(), formats.size() * sizeof(ParagraphFormat));
    append(text.data(), text.size());
    HGLOBAL memory = CopyToMemory(bytes.data(), bytes.size());
    if (!memory) {
        ReleaseBlock(record);
        return ErrOutOfMemory;
    }
    int err = BeginRecordChange(record);
    if (!err) err = StoreTextBlock(&record, memory);
    ReleaseBlock(record);
    GlobalFree(memory);
    return err;
}
