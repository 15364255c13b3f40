// The private clipboard store: Copy, Cut and Paste through the executor, pastes from damaged
// store files, and the documents-in-memory routines around the store.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "documents/document_save.h"
#include "documents/documents_in_memory.h"
#include "editing/clipboard_store.h"
#include "exchange/exchange_standins.h"
#include "model/undo.h"
#include "store/store_compact.h"
#include "support/shown_document.h"
#include "text/text_records.h"

namespace {

class ClipboardStore : public ShownDocumentFixture {
protected:
    // An empty text record of the object's own.
    void GiveText(int row)
    {
        int id = 0;
        HGLOBAL record = nullptr;
        ASSERT_EQ(0, NextFreeRecordId(slot_, RecTextBlock, &id));
        ASSERT_EQ(0, AddRecord(slot_, RecTextBlock, id, kBlockHeaderSize, &record));
        ReleaseBlock(record);
        Change(row, [&](DrawObject& o, Drawing&) { o.textId = id; });
    }
};

// Every (type, id) of a store.
std::vector<std::pair<int, int>> RecordKeys(int slot)
{
    std::vector<std::pair<int, int>> keys;
    int types = 0;
    CountRecordTypes(slot, &types);
    for (int t = 0; t < types; ++t) {
        int type = 0, count = 0;
        GetRecordTypeAt(slot, t, &type);
        CountRecords(slot, type, &count);
        for (int i = 0; i < count; ++i) {
            int id = 0;
            GetRecordIdAt(slot, type, i, &id);
            keys.emplace_back(type, id);
        }
    }
    return keys;
}

// Changes a table of the clipboard store in place.
template <typename Table>
void ChangeStoredTable(int type, const std::function<void(Table&)>& change)
{
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, LoadRecord(g_clipboardStoreSlot, type, 0, &block));
    {
        Locked<Table> table(block);
        change(*table);
    }
    MarkBlockDirty(block);
    ReleaseBlock(block);
}

int StoredObjectCount()
{
    int count = -1;
    ChangeStoredTable<ObjectList>(RecObjectList, [&](ObjectList& list) { count = list.count; });
    return count;
}

TEST_F(ClipboardStore, CopyWithNothingSelectedStoresTheWholeDrawingWithoutToken)
{
    Shape(1000, 1000);
    Shape(3000, 1000);
    ASSERT_EQ(0, Run(EditUseSnaps));
    SetFlag(DocModified, false);
    EXPECT_EQ(0, Run(EditCopy));
    EXPECT_EQ(0, state_->undoLabel);
    EXPECT_FALSE(state_->flags & DocModified);
    EXPECT_FALSE(ClipboardOffers(g_pictureFormat));
    EXPECT_EQ(2, StoredObjectCount());
    EXPECT_TRUE(Prompts().empty());
}

TEST_F(ClipboardStore, CopyOfASavedDocumentSetsTheLinkSourceCutNever)
{
    Select({Shape(1000, 1000)});
    struct Case {
        int op;
        bool titled, linked;
    };
    for (const Case& c : {Case{EditCopy, false, false}, Case{EditCopy, true, true}, Case{EditCut, true, false}}) {
        {
            Locked<DocumentFile> file(GetDocumentFileHandle(document_));
            file->untitledNumber = c.titled ? 0 : 1;
        }
        g_linkSourceOn = !c.linked;
        Select({0});
        EXPECT_EQ(0, Run(c.op)) << c.op;
        EXPECT_EQ(c.linked, g_linkSourceOn != FALSE) << c.op << c.titled;
        EXPECT_TRUE(ClipboardOffers(g_pictureFormat));
        EXPECT_EQ(1, StoredObjectCount());
    }
    EXPECT_EQ(0, Count());
    EXPECT_EQ(UndoCut, state_->undoLabel);
}

TEST_F(ClipboardStore, PasteTwiceMakesIndependentCopiesInOnePlace)
{
    const int a = Shape(1000, 1000), b = Shape(2000, 1000), c = Shape(4000, 2000);
    const int line = Line(1600, 1300, 2000, 1300);
    for (int row : {a, b, c, line}) GiveText(row);
    Hook(line, a);
    Hook(line, b);
    AddGroup(1, {a, b}, true);
    Shape(6000, 6000);   // not copied
    Select({a, b, c, line});
    ASSERT_EQ(0, Run(EditCopy));
    ASSERT_EQ(0, Run(EditPaste));
    ASSERT_EQ(0, Run(EditPaste));
    ASSERT_EQ(13, Count());
    std::set<int> ids, texts;
    for (int row = 0; row < Count(); ++row) {
        ids.insert(Object(row).objId);
        if (Object(row).textId >= 0) texts.insert(Object(row).textId);
    }
    EXPECT_EQ(13u, ids.size());
    const std::vector<GroupEntry> groups = Groups();
    ASSERT_EQ(3u, groups.size());
    EXPECT_NE(groups[1].groupId, groups[2].groupId);
    for (int k = 0; k < 4; ++k) {
        const DrawObject first = Object(5 + k), second = Object(9 + k);
        EXPECT_EQ(first.frame, second.frame) << k;
        EXPECT_NE(first.textId, second.textId) << k;
    }
    // The pasted line holds both pasted shapes of its own paste, and the second paste is selected.
    const DrawObject pastedLine = Object(12);
    ASSERT_EQ(2, pastedLine.hookCount);
    EXPECT_EQ(Object(9).objId, pastedLine.hooks[0].targetId);
    EXPECT_EQ(Object(10).objId, pastedLine.hooks[1].targetId);
    EXPECT_EQ(std::vector<int>({9, 10, 11, 12}), SelectedRows());
    EXPECT_TRUE(Prompts().empty());
}

TEST_F(ClipboardStore, PastePositionFollowsTheContextMenuOrTheVisibleCorner)
{
    Select({Shape(1000, 1000)});
    ASSERT_EQ(0, Run(EditCopy));
    ASSERT_EQ(0, Run(EditPaste));
    EXPECT_EQ(300, Object(1).frame.left);
    EXPECT_EQ(300, Object(1).frame.top);

    POINT client = {40, 30}, expected = client;
    HDC dc = GetDC(view_);
    DPtoLP(dc, &expected, 1);
    ReleaseDC(view_, dc);
    PendingPastePoint = client;
    ClientToScreen(view_, &PendingPastePoint);
    ASSERT_EQ(0, Run(EditPaste));
    EXPECT_EQ(expected.x, Object(2).frame.left);
    EXPECT_EQ(expected.y, Object(2).frame.top);
    PendingPastePoint = {-1, 0};

    const Drawing d = *LockDrawing();
    Select({AddAt(ClassShape, RECT{100, 5000, d.pageWidth - 200, 5600}, 1)});
    ASSERT_EQ(0, Run(EditCopy));
    ASSERT_EQ(0, Run(EditPaste));
    EXPECT_EQ(d.pageWidth, Object(Count() - 1).frame.right);
    EXPECT_EQ(300, Object(Count() - 1).frame.top);
}

TEST_F(ClipboardStore, PastedGroupsTakeIdsBelowTheLowest)
{
    const int a = Shape(1000, 1000), b = Shape(2000, 1000);
    AddGroup(5, {a, b}, true);
    Select({a, b});
    ASSERT_EQ(0, Run(EditCopy));
    ASSERT_EQ(0, Run(EditPaste));
    ASSERT_EQ(2u, Groups().size());
    EXPECT_EQ(4, Groups()[1].groupId);
    EXPECT_EQ(4, Object(2).groupId);
    EXPECT_EQ(1, Object(3).groupRow);
}

TEST_F(ClipboardStore, ALabelWithoutItsLineBecomesFreeText)
{
    Select({Shape(1000, 1000)});
    ASSERT_EQ(0, Run(EditCopy));
    ChangeStoredTable<ObjectList>(RecObjectList, [](ObjectList& list) {
        list[0].labelId = 999;
        list[0].labelRow = 7;
        list[0].state |= StateAttachedLabel;
    });
    ASSERT_EQ(0, Run(EditPaste));
    EXPECT_EQ(kNoLabel, Object(1).labelId);
    EXPECT_EQ(-1, Object(1).labelRow);
    EXPECT_FALSE(Object(1).state & StateAttachedLabel);
}

// VEXLRK3.CLP outlives the run and any program can put "VXPICT" on the clipboard: a damaged
// store is refused before anything is merged, and row hints are only hints.
TEST_F(ClipboardStore, DamagedStoresAreRefusedBeforeAnythingIsPasted)
{
    const int a = Shape(1000, 1000), b = Shape(3000, 1000);
    const int line = Line(1600, 1300, 3000, 1300);
    Hook(line, a);
    Hook(line, b);
    AddGroup(3, {a, b}, true);
    Select({a, b, line});
    struct Case {
        const char* name;
        std::function<void()> damage;
    };
    const Case cases[] = {
        {"count past its record", [] { ChangeStoredTable<ObjectList>(RecObjectList, [](ObjectList& l) { l.count += 5; }); }},
        {"z-order row twice", [] { ChangeStoredTable<ZOrderList>(RecZOrderList, [](ZOrderList& z) { z[1] = z[0]; }); }},
        {"z-order row past the rows", [] { ChangeStoredTable<ZOrderList>(RecZOrderList, [](ZOrderList& z) { z[2] = 3; }); }},
        {"class outside 0-3", [] { ChangeStoredTable<ObjectList>(RecObjectList, [](ObjectList& l) { l[1].objClass = 7; }); }},
        {"group hint past the groups", [] { ChangeStoredTable<ObjectList>(RecObjectList, [](ObjectList& l) { l[0].groupRow = 1; }); }},
        {"hook count above 2", [] { ChangeStoredTable<ObjectList>(RecObjectList, [](ObjectList& l) { l[2].hookCount = 9; }); }},
        {"group count past its record", [] { ChangeStoredTable<GroupTable>(RecGroupTable, [](GroupTable& g) { g.count = 40; }); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(0, Run(EditCopy));
        c.damage();
        prompts_->Clear();
        EXPECT_EQ(kDamagedDrawing, Run(EditPaste));
        EXPECT_EQ(3, Count());
        EXPECT_EQ(1u, Prompts().size());
        Select({a, b, line});
    }

    // Stale hints past the table: hooks and labels are found by id.
    ASSERT_EQ(0, Run(EditCopy));
    ChangeStoredTable<ObjectList>(RecObjectList, [](ObjectList& l) {
        l[2].hooks[0].targetRow = 5000;
        l[2].hooks[1].targetRow = -40;
    });
    ASSERT_EQ(0, Run(EditPaste));
    ASSERT_EQ(6, Count());
    ASSERT_EQ(2, Object(5).hookCount);
    EXPECT_EQ(Object(3).objId, Object(5).hooks[0].targetId);
    EXPECT_EQ(Object(4).objId, Object(5).hooks[1].targetId);

    // A hook on an object that was not pasted is dropped.
    ASSERT_EQ(0, Run(EditCopy));
    ChangeStoredTable<ObjectList>(RecObjectList, [](ObjectList& l) { l[2].hooks[1].targetId = 777; });
    ASSERT_EQ(0, Run(EditPaste));
    EXPECT_EQ(1, Object(Count() - 1).hookCount);
}

TEST_F(ClipboardStore, TextSlotsNameTheTargetsSlots)
{
    // A text record with three runs naming pasted slots 1, 5 (outside the map) and -1.
    const LONG payload = sizeof(TextBlock) + 3 * sizeof(TextRun);
    HGLOBAL record = nullptr;
    int id = 0;
    ASSERT_EQ(0, NextFreeRecordId(slot_, RecTextBlock, &id));
    ASSERT_EQ(0, AddRecord(slot_, RecTextBlock, id, kBlockHeaderSize + payload, &record));
    {
        Locked<BYTE> bytes(record);
        auto* header = reinterpret_cast<TextBlock*>(bytes.get() + kBlockHeaderSize);
        *header = TextBlock{};
        header->runCount = 3;
        auto* runs = reinterpret_cast<TextRun*>(header + 1);
        const int faces[3] = {1, 5, -1};
        for (int i = 0; i < 3; ++i) {
            runs[i] = TextRun{};
            runs[i].face = faces[i];
            runs[i].font = 1234;
        }
    }
    HGLOBAL table = GlobalAlloc(GMEM_MOVEABLE, 4 * sizeof(INT32));
    {
        Locked<INT32> t(table);
        const INT32 values[4] = {3, 7, 8, 9};
        std::memcpy(t.get(), values, sizeof(values));
    }
    RemapTextFontSlots(table, record);
    {
        Locked<BYTE> bytes(record);
        const auto* runs = reinterpret_cast<const TextRun*>(bytes.get() + kBlockHeaderSize + sizeof(TextBlock));
        EXPECT_EQ(8, runs[0].face);
        EXPECT_EQ(0, runs[1].face);
        EXPECT_EQ(0, runs[2].face);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(0, runs[i].font);
    }
    ReleaseBlock(record);
    GlobalFree(table);
}

TEST_F(ClipboardStore, TheCopiedStoreHoldsEveryRecordOfTheDocument)
{
    Shape(1000, 1000);
    Line(1000, 3000, 3000, 3000);
    ASSERT_EQ(0, CopyDrawingToClipboardStore(view_, state_));
    const auto keys = RecordKeys(g_clipboardStoreSlot);
    EXPECT_EQ(RecordKeys(slot_), keys);
    EXPECT_NE(keys.end(), std::find(keys.begin(), keys.end(), std::make_pair(100, 101)));
    EXPECT_EQ(0, CheckStore(g_clipboardStoreSlot));
}

TEST_F(ClipboardStore, SavingAsideNeedsTheToken)
{
    char path[MAX_PATH] = "";
    EXPECT_EQ(0, ExchangeClipboardStoreFile(path));
    EXPECT_STREQ("", path);
    const std::string kept = folder_->File("kept.clp");
    HANDLE file = CreateFileA(kept.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    lstrcpyA(path, kept.c_str());
    EXPECT_EQ(0, ExchangeClipboardStoreFile(path));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kept.c_str()));

    // With the token: saved aside, emptied, put back.
    Select({Shape(1000, 1000)});
    ASSERT_EQ(0, Run(EditCopy));
    path[0] = '\0';
    ASSERT_EQ(0, ExchangeClipboardStoreFile(path));
    ASSERT_STRNE("", path);
    ASSERT_EQ(0, ClearClipboardStore());
    EXPECT_TRUE(RecordKeys(g_clipboardStoreSlot).empty());
    ASSERT_EQ(0, ExchangeClipboardStoreFile(path));
    EXPECT_EQ(1, StoredObjectCount());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path));
}

TEST_F(ClipboardStore, RenderDrawingDataOfTheDocumentOrTheStore)
{
    Select({Shape(1000, 1000)});
    HGLOBAL image = nullptr;
    ASSERT_EQ(0, RenderDrawingData(view_, state_, &image, 0));
    ASSERT_NE(nullptr, image);
    DWORD length = 0;
    {
        Locked<DWORD> bytes(image);
        length = *bytes;
    }
    EXPECT_GT(length, 0u);
    EXPECT_LE(length, GlobalSize(image));
    GlobalFree(image);

    ASSERT_EQ(0, Run(EditCopy));
    struct Case {
        int format, result;
    };
    // The pictures of the store's drawing: a bitmap, and a METAFILEPICT of the copied shape.
    for (const Case& c : {Case{RenderBitmap, 0}, Case{RenderMetafilePicture, 0}, Case{0, 0}}) {
        HGLOBAL out = nullptr;
        EXPECT_EQ(c.result, RenderDrawingData(nullptr, nullptr, &out, c.format)) << c.format;
        EXPECT_EQ(c.result == 0, out != nullptr) << c.format;
        if (!out) continue;
        if (c.format == RenderBitmap) {
            BITMAP bitmap = {};
            EXPECT_NE(0, GetObjectA(reinterpret_cast<HBITMAP>(out), sizeof(bitmap), &bitmap));
            EXPECT_GT(bitmap.bmWidth, 0);
            DeleteObject(reinterpret_cast<HBITMAP>(out));
        } else if (c.format == RenderMetafilePicture) {
            METAFILEPICT pict = {};
            std::memcpy(&pict, GlobalLock(out), sizeof(pict));
            GlobalUnlock(out);
            EXPECT_EQ(MM_ANISOTROPIC, pict.mm);
            EXPECT_GE(pict.xExt, 600 * 2540 / 600) << "at least the shape's inch";
            DeleteMetaFile(pict.hMF);
            GlobalFree(out);
        } else {
            GlobalFree(out);
        }
    }
    EXPECT_EQ(1, StoredObjectCount());
}

TEST_F(ClipboardStore, ALargeStoreImageReloadsIdentical)
{
    for (int i = 0; i < 220; ++i) Shape(600 + (i % 20) * 700, 600 + (i / 20) * 700);
    ASSERT_EQ(0, FlushDocumentState(document_, FALSE));
    DocumentFile file;
    {
        Locked<DocumentFile> locked(GetDocumentFileHandle(document_));
        file = *locked;
    }
    auto readWorkingCopy = [&] {
        HANDLE h = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file.workHandle));
        DWORD size = GetFileSize(h, nullptr), got = 0;
        std::string bytes(size, '\0');
        SetFilePointer(h, 0, nullptr, FILE_BEGIN);
        ReadFile(h, bytes.data(), size, &got, nullptr);
        return bytes;
    };
    const std::string before = readWorkingCopy();
    ASSERT_GT(before.size(), 65534u);
    HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD) + before.size() + 100);
    {
        Locked<BYTE> bytes(image);
        const DWORD count = static_cast<DWORD>(before.size());
        std::memcpy(bytes.get(), &count, sizeof(count));
        std::memcpy(bytes.get() + sizeof(count), before.data(), before.size());
    }
    GlobalUnlock(stateBlock_);
    const int result = ReloadDocumentFromStoreImage(document_, image, nullptr);
    stateBlock_ = GetDocumentStateHandle(view_);
    state_ = static_cast<DocumentState*>(GlobalLock(stateBlock_));
    GlobalFree(image);
    ASSERT_EQ(0, result);
    {
        Locked<DocumentFile> locked(GetDocumentFileHandle(document_));
        file = *locked;
    }
    slot_ = state_->storeSlot;
    EXPECT_EQ(before, readWorkingCopy());
    EXPECT_EQ(220, Count());
    EXPECT_TRUE(IsWindowVisible(view_));
}

}  // namespace
