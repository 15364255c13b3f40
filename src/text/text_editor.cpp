// The in-place editor's state as the object classes use it: replacing the selection keeping the
// styles of the replaced characters.
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

// The run that holds character `c`; runs come from stored data and may not cover every byte.
int RunOfCharacter(const std::vector<TextRun>& runs, int c)
{
    int found = 0;
    for (int i = 0; i < static_cast<int>(runs.size()); ++i) {
        if (runs[i].firstChar <= c) found = i;
        if (runs[i].firstChar <= c && c - runs[i].firstChar < runs[i].charCount) return i;
    }
    return found;
}

bool SameFormat(const TextRun& a, const TextRun& b)
{
    return std::memcmp(&a, &b, offsetof(TextRun, firstChar)) == 0 && a.font == b.font;
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

int TenReplaceSelectionKeepStyle(HWND editor, const char* string, int* caret)
{
    Locked<TenState> s(GetTenState(editor));
    if (!s || !string) return ErrOutOfMemory;
    std::vector<char> text = ReadArray<char>(s->text, s->textLength);
    std::vector<TextRun> runs = ReadArray<TextRun>(s->runs, s->runCount);
    const int length = static_cast<int>(text.size());
    const int start = std::clamp<int>(s->selStart.charIndex, 0, length);
    const int end = std::clamp<int>(s->selEnd.charIndex, start, length);
    const int inserted = static_cast<int>(std::strlen(string));
    if (static_cast<long long>(length) - (end - start) + inserted > kLargestText) return ErrOutOfMemory;

    // Each character's run, then the new characters take the run of the character they replace.
    TextRun fallback = {};
    std::vector<TextRun> perChar;
    perChar.reserve(length + inserted);
    auto runAt = [&](int c) { return runs.empty() ? fallback : runs[RunOfCharacter(runs, c)]; };
    for (int c = 0; c < start; ++c) perChar.push_back(runAt(c));
    for (int k = 0; k < inserted; ++k) {
        int source = end > start ? std::min(start + k, end - 1) : (start > 0 ? start - 1 : 0);
        perChar.push_back(runAt(source));
    }
    for (int c = end; c < length; ++c) perChar.push_back(runAt(c));

    std::vector<char> newText(text.begin(), text.begin() + start);
    newText.insert(newText.end(), string, string + inserted);
    newText.insert(newText.end(), text.begin() + end, text.end());
    std::vector<TextRun> newRuns;
    for (int c = 0; c < static_cast<int>(perChar.size()); ++c) {
        if (!newRuns.empty() && SameFormat(newRuns.back(), perChar[c])) {
            ++newRuns.back().charCount;
            continue;
        }
        newRuns.push_back(perChar[c]);
        newRuns.back().firstChar = c;
        newRuns.back().charCount = 1;
    }
    if (newRuns.empty() && !runs.empty()) {
        newRuns.push_back(runs.front());
        newRuns.back().firstChar = newRuns.back().charCount = 0;
    }

    newText.push_back(0);
    HGLOBAL textBlock = CopyToMemory(newText.data(), newText.size());
    HGLOBAL runBlock = CopyToMemory(newRuns.data(), newRuns.size() * sizeof(TextRun));
    if (!textBlock || !runBlock) {
        if (textBlock) GlobalFree(textBlock);
        if (runBlock) GlobalFree(runBlock);
        return ErrOutOfMemory;
    }
    GlobalFree(s->text);
    GlobalFree(s->runs);
    s->text = textBlock;
    s->runs = runBlock;
    s->textLength = static_cast<INT32>(newText.size() - 1);
    s->runCount = static_cast<INT32>(newRuns.size());
    s->selStart.charIndex = s->selEnd.charIndex = start + inserted;
    s->options |= TenModified;
    if (caret) *caret = start + inserted;
    return 0;
}
