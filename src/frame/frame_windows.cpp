// The frame's windows as the documents use them: frame, MDI client, document window, view and
// rulers; their layout and the questions shown through the one answerable prompt.
#include "frame/frame_windows.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "documents/document_close.h"
#include "documents/document_life.h"
#include "frame/frame_services.h"
#include "model/drawing.h"
#include "model/resource_strings.h"
#include "model/window_utils.h"
#include "resource.h"
#include "store/block_store.h"
#include "text/text_records.h"

namespace {


bool AddColor(BYTE* list, COLORREF color)
{
    auto* count = reinterpret_cast<INT32*>(list);
    auto* colors = reinterpret_cast<COLORREF*>(list + 4);
    if (*count >= kMaxDocumentColors) return false;
    for (int i = 0; i < *count; ++i)
        if (colors[i] == color) return true;
    colors[(*count)++] = color;
    return true;
}

// The runs of a stored text block, with their count checked against the record.
void AddTextColors(int slot, int textId, BYTE* list)
{
    HGLOBAL record = nullptr;
    if (LoadRecord(slot, RecTextBlock, textId, &record)) return;
    LONG size = GetBlockSize(record) - kBlockHeaderSize;
    {
        Locked<BYTE> bytes(record);
        if (bytes && size >= kTextBlockSize) {
            auto* block = reinterpret_cast<TextBlock*>(bytes.get() + kBlockHeaderSize);
            long long runsAt = kTextBlockSize + static_cast<long long>(block->lineCount) * kTextLineSize;
            if (block->lineCount >= 0 && block->runCount >= 0 &&
                runsAt + static_cast<long long>(block->runCount) * kTextRunSize <= size) {
                auto* runs = reinterpret_cast<TextRun*>(reinterpret_cast<BYTE*>(block) + runsAt);
                for (int r = 0; r < block->runCount; ++r)
                    if (!AddColor(list, runs[r].color)) break;
            }
        }
    }
    ReleaseBlock(record);
}

}  // namespace

int CollectDocumentColors(DocumentState* state, int firstRow)
{
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(state->storeSlot, RecDocument, RecColorListId, &record)) return err;
    if (GetBlockSize(record) < kColorListRecordSize) {
        ReleaseBlock(record);
        return 1003;
    }
    {
        Locked<BYTE> bytes(record);
        Locked<Drawing> drawing(state->drawing);
        if (bytes && drawing) {
            BYTE* list = bytes.get() + kBlockHeaderSize;
            auto* count = reinterpret_cast<INT32*>(list);
            if (firstRow == 0) *count = 0;
            if (*count < 0 || *count > kMaxDocumentColors) *count = 0;
            if (*count < kMaxDocumentColors) {
                if (firstRow == 0) {
                    const DrawingStyle& s = drawing->style;
                    const COLORREF styleColors[] = {s.borderColor, s.lineColor, s.fillColor, s.textColor,
                                                    s.shadowColor, s.backgroundColor, s.highlightColor};
                    for (COLORREF c : styleColors) AddColor(list, c & 0x00FFFFFF);
                }
                Locked<ObjectList> objects(drawing->objectList);
                for (int row = firstRow; objects && row < objects->count; ++row) {
                    const DrawObject& object = (*objects)[row];
                    if (!AddColor(list, object.lineColor)) break;
                    if (!AddColor(list, object.fillColor & 0x00FFFFFF)) break;
                    if (object.textId >= 0) AddTextColors(state->storeSlot, object.textId, list);
                    if (*count >= kMaxDocumentColors) break;
                }
            }
        }
    }
    int err = MarkBlockDirty(record);
    ReleaseBlock(record);
    return err;
}

int ShowMessageById(UINT stringId, UINT flags)
{
    char text[1024], caption[262];
    if (!LoadStringA(g_hInstance ? g_hInstance : GetModuleHandleA(nullptr), stringId, text, sizeof(text))) return 0;
    LoadResString(IDS_APP_TITLE, caption);
    return g_messageBoxPrompt(nullptr, text, caption, MB_TASKMODAL | flags);
}

void ShowWarningWithText(UINT stringId, LPCSTR text)
{
    char message[1024];
    if (!LoadStringA(g_hInstance ? g_hInstance : GetModuleHandleA(nullptr), stringId, message, sizeof(message)))
        message[0] = 0;
    std::strncat(message, text ? text : "", sizeof(message) - std::strlen(message) - 1);
    ShowWarningText(message);
}

