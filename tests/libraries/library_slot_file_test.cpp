// A slot's library: loading into it, creating a library from the Save dialog, finding items and
// the current Vexlet.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "documents/options.h"
#include "editing/view_mouse.h"
#include "frame/frame_windows.h"
#include "libraries/library_services.h"
#include "libraries/library_slot_file.h"
#include "library_fixture.h"
#include "store/block_store.h"
#include "support/frame_support.h"

namespace {

class LibrarySlotTest : public LibraryFileTest {
protected:
    void SetUp() override
    {
        LibraryFileTest::SetUp();
        prompts_ = std::make_unique<PromptAnswerer>(IDOK);
        settings_ = {};
        savedSettings_ = g_settings;
        g_settings = &settings_;
        savedTool_ = g_paletteTool;
        savedSticky_ = g_paletteToolSticky;
        ASSERT_EQ(0, CreateMainFrame(FALSE));
    }
    void TearDown() override
    {
        for (int slot = 0; slot < kLibrarySlots; ++slot) {
            LibrarySlot& s = g_librarySlots[slot];
            if (s.items) GlobalUnlock(s.itemTable);
            if (s.infoRecord) GlobalUnlock(s.info);
            if (s.store >= 0) CloseStore(s.store);
            if (s.window) DestroyWindow(s.window);
            s = {};
        }
        CurrentVexlet = {};
        g_paletteTool = savedTool_;
        g_paletteToolSticky = savedSticky_;
        DestroyFrameAndDocuments();
        g_settings = savedSettings_;
        prompts_.reset();
        LibraryFileTest::TearDown();
    }
    std::vector<std::string> Shown() const { return ShownPrompts(*prompts_); }
    static HWND AnyWindow()
    {
        return CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }

    std::unique_ptr<PromptAnswerer> prompts_;
    Settings settings_ = {};
    Settings* savedSettings_ = nullptr;
    int savedTool_ = 0;
    BOOL savedSticky_ = FALSE;
};

void DeleteLoaded(int store, int type, int id)
{
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, LoadRecord(store, type, id, &block));
    ASSERT_EQ(0, DeleteRecord(block));
    GlobalFree(block);
}

LONG FileLength(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? static_cast<LONG>(data.nFileSizeLow) : -1;
}

}  // namespace

// The slot takes the store, the locked table and info and the button size; the library it held
// before is given up: its grid saved in its info, its store compacted because an item was
// removed, then closed.
TEST_F(LibrarySlotTest, ALoadedLibraryReplacesTheSlotsLibrary)
{
    const std::string first = MakeLibrary("first.vxl", 3);
    const std::string second = MakeLibrary("second.vxl", 2);
    EditInfo(second, [](LibraryInfo* i) { i->buttonSize = 70; });
    LibrarySlot& s = g_librarySlots[3];
    ASSERT_EQ(0, LoadLibraryFile(3, first.c_str()));
    const int firstStore = s.store;
    ASSERT_EQ(0, CheckStoreSlot(firstStore));
    ASSERT_NE(nullptr, s.items);
    EXPECT_EQ(3, s.items->count);
    ASSERT_NE(nullptr, s.infoRecord);
    EXPECT_EQ(50, s.buttonSize);
    EXPECT_EQ(0, s.readOnly);

    // An item removed: its picture records go, leaving space that compaction gives back.
    for (int id : {TestRecordNumber(2), TestRecordNumber(2) + 1}) DeleteLoaded(s.store, 201, id);
    ASSERT_EQ(0, FlushStore(s.store, FALSE));
    s.compactionNeeded = 1;
    s.columns = 3;
    s.rows = 2;
    const LONG before = FileLength(first);

    ASSERT_EQ(0, LoadLibraryFile(3, second.c_str()));
    EXPECT_EQ(StoreSlotNotOpen, CheckStoreSlot(firstStore));
    EXPECT_EQ(0, s.compactionNeeded);
    EXPECT_LT(FileLength(first), before);
    const std::vector<std::uint8_t> info = Record(first, 200, 1);
    ASSERT_EQ(1166u, info.size());
    EXPECT_EQ(3, reinterpret_cast<const LibraryInfo*>(info.data())->savedColumns);
    EXPECT_EQ(2, reinterpret_cast<const LibraryInfo*>(info.data())->savedRows);
    EXPECT_EQ(2, s.items->count);
    EXPECT_EQ(70, s.buttonSize);
}

TEST_F(LibrarySlotTest, ARefusedFileLeavesTheSlotsLibraryAlone)
{
    struct Case {
        const char* what;
        std::function<void(LibraryItemTable*)> damage;
        int result;
    };
    const std::vector<Case> cases = {
        {"without the magic", [](LibraryItemTable* t) { t->magic = 0; }, 1},
        {"version 9", [](LibraryItemTable* t) { t->version = 9; }, -1},
        {"41 items", [](LibraryItemTable* t) { t->count = 41; }, 1},
        {"a picture run past the last id", [](LibraryItemTable* t) { t->items[0].extraRecords = 32767; }, 1},
    };
    const std::string good = MakeLibrary("good.vxl", 2);
    LibrarySlot& s = g_librarySlots[0];
    ASSERT_EQ(0, LoadLibraryFile(0, good.c_str()));
    const LibrarySlot held = s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = MakeLibrary("bad.vxl", 2);
        EditTable(path, c.damage);
        EXPECT_EQ(c.result, LoadLibraryFile(0, path.c_str()));
        EXPECT_EQ(held.store, s.store);
        EXPECT_EQ(held.items, s.items);
        EXPECT_EQ(held.infoRecord, s.infoRecord);
        EXPECT_EQ(0, CheckStoreSlot(s.store));
        std::remove(path.c_str());
    }
    EXPECT_EQ(std::vector<std::string>(), Shown());
}

// When the info record cannot be read the slot has already given up its old library: it is left
// with none, never with the closed store of the new one.
TEST_F(LibrarySlotTest, AFailureAfterTheSlotTookTheFileLeavesNoLibrary)
{
    const std::string good = MakeLibrary("good.vxl", 1);
    const std::string bad = MakeLibrary("bad.vxl", 1);
    LONG infoOffset = 0;
    WithStore(bad, [&](int store) {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(store, 200, 1, &block));
        int slot = 0, type = 0, id = 0, flags = 0;
        LONG size = 0;
        ASSERT_EQ(0, ReadBlockHeader(block, &slot, &type, &id, &infoOffset, &size, &flags));
    });
    {
        std::fstream file(bad, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(infoOffset);
        const char wrongKey[2] = {77, 0};
        file.write(wrongKey, 2);
    }
    LibrarySlot& s = g_librarySlots[5];
    ASSERT_EQ(0, LoadLibraryFile(5, good.c_str()));
    const int oldStore = s.store;
    EXPECT_NE(0, LoadLibraryFile(5, bad.c_str()));
    EXPECT_EQ(-1, s.store);
    EXPECT_EQ(nullptr, s.items);
    EXPECT_EQ(nullptr, s.itemTable);
    EXPECT_EQ(nullptr, s.infoRecord);
    EXPECT_NE(0, CheckStoreSlot(oldStore));
    EXPECT_EQ(-1, FindLibraryItemIndex(5, TestRecordNumber(0)));
}

// A slot with a window shows the items and makes the first one the current Vexlet; the palette
// gives up its tool for it. An empty library leaves no item of the slot current.
TEST_F(LibrarySlotTest, ALibraryInAWindowMakesItsFirstItemCurrent)
{
    const std::string full = MakeLibrary("full.vxl", 3);
    const std::string empty = MakeLibrary("empty.vxl", 0);
    LibrarySlot& s = g_librarySlots[7];
    s.window = AnyWindow();
    g_paletteTool = ToolPointer;
    ASSERT_EQ(0, LoadLibraryFile(7, full.c_str()));
    EXPECT_EQ(3, s.shownItems);
    EXPECT_EQ(TestRecordNumber(0), CurrentVexlet.item);
    EXPECT_EQ(7, CurrentVexlet.slot);
    EXPECT_EQ(ToolVexlet, g_paletteTool);

    ASSERT_EQ(0, LoadLibraryFile(7, empty.c_str()));
    EXPECT_EQ(0, s.shownItems);
    EXPECT_EQ(-1, CurrentVexlet.item);

    // Without a window nothing is shown and the current Vexlet stays.
    CurrentVexlet = {TestRecordNumber(1), 7};
    LibrarySlot& hidden = g_librarySlots[8];
    ASSERT_EQ(0, LoadLibraryFile(8, full.c_str()));
    EXPECT_EQ(0, hidden.shownItems);
    EXPECT_EQ(TestRecordNumber(1), CurrentVexlet.item);
}

TEST_F(LibrarySlotTest, ItemsAreFoundByTheirRecordNumbers)
{
    const std::string path = MakeLibrary("find.vxl", 3);
    EditTable(path, [](LibraryItemTable* t) {
        t->items[2].recordNumber = t->items[0].recordNumber;
        t->items[3].recordNumber = 99;   // beyond the count
    });
    EXPECT_EQ(-1, FindLibraryItemIndex(4, TestRecordNumber(1)));   // no table yet
    ASSERT_EQ(0, LoadLibraryFile(4, path.c_str()));
    EXPECT_EQ(2, FindLibraryItemIndex(4, TestRecordNumber(0)));     // the last of two
    EXPECT_EQ(1, FindLibraryItemIndex(4, TestRecordNumber(1)));
    EXPECT_EQ(-1, FindLibraryItemIndex(4, 99));
    EXPECT_EQ(-1, FindLibraryItemIndex(4, -1));
    EXPECT_EQ(-1, FindLibraryItemIndex(16, TestRecordNumber(1)));
}

TEST_F(LibrarySlotTest, ANewLibraryIsMadeWhereTheSaveDialogSays)
{
    lstrcpyA(settings_.libraryFolder, "C:\\Libraries");
    const std::string path = Path("made.vxl");
    prompts_->AnswerSaveDialog(path, 1);
    char chosen[262] = "";
    ASSERT_EQ(0, CreateLibraryFile(2, chosen));
    EXPECT_EQ(path, chosen);
    ASSERT_EQ(1u, prompts_->fileDialogs().size());
    const PromptAnswerer::FileDialogSeen& seen = prompts_->fileDialogs()[0];
    EXPECT_TRUE(seen.save);
    EXPECT_EQ(std::string("Vexlet Library (*.VXL)\0*.vxl\0", 29), seen.filter.substr(0, 29));
    EXPECT_EQ("Create Vexlet Library", seen.title);
    EXPECT_EQ("C:\\Libraries", seen.initialFolder);
    EXPECT_TRUE(IsLibraryFile(chosen));
    // The slot had no button size yet: the smallest.
    EXPECT_EQ(30, g_librarySlots[2].buttonSize);
    EXPECT_EQ(30, reinterpret_cast<const LibraryInfo*>(Record(path, 200, 1).data())->buttonSize);
    EXPECT_EQ(std::vector<std::string>({"Save: "}), Shown());

    // Cancel: no message and no file.
    prompts_->Clear();
    prompts_->AnswerSaveDialog("", 1);
    EXPECT_EQ(1, CreateLibraryFile(2, chosen));
    EXPECT_EQ(std::vector<std::string>({"Save: "}), Shown());
}

// A saved entry that names the chosen file takes this slot's saved library, and this slot names
// the new file.
TEST_F(LibrarySlotTest, ANewLibraryTakesOverTheSavedEntryThatNamedIt)
{
    const std::string path = Path("taken.vxl");
    const std::string folder = dir_.string() + "\\";
    lstrcpyA(settings_.libraries[5].folder, folder.c_str());
    lstrcpyA(settings_.libraries[5].file, "TAKEN.VXL");
    lstrcpyA(settings_.libraries[2].folder, "C:\\Old\\");
    lstrcpyA(settings_.libraries[2].file, "Old.vxl");
    prompts_->AnswerSaveDialog(path, 1);
    char chosen[262] = "";
    ASSERT_EQ(0, CreateLibraryFile(2, chosen));
    EXPECT_STREQ("C:\\Old\\", settings_.libraries[5].folder);
    EXPECT_STREQ("Old.vxl", settings_.libraries[5].file);
    EXPECT_EQ(folder, settings_.libraries[2].folder);
    EXPECT_STREQ("taken.vxl", settings_.libraries[2].file);
}

// A failed creation shows message 17 and deletes only a file it made: a library that another
// program holds open is neither formatted nor deleted.
TEST_F(LibrarySlotTest, AFailedCreationSaysSoAndKeepsFilesItDidNotMake)
{
    const std::string message = "Vexlor: Disk or memory error occurred. Unable to complete this operation.";
    char chosen[262] = "";
    prompts_->AnswerSaveDialog(Path("missing\\folder\\new.vxl"), 1);
    EXPECT_NE(0, CreateLibraryFile(1, chosen));
    EXPECT_EQ(std::vector<std::string>({"Save: ", message}), Shown());

    prompts_->Clear();
    const std::string held = MakeLibrary("held.vxl", 2);
    const LONG length = FileLength(held);
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    prompts_->AnswerSaveDialog(held, 1);
    EXPECT_NE(0, CreateLibraryFile(1, chosen));
    CloseHandle(holder);
    EXPECT_EQ(std::vector<std::string>({"Save: ", message}), Shown());
    EXPECT_EQ(length, FileLength(held));
    EXPECT_TRUE(IsLibraryFile(held.c_str()));
}

TEST_F(LibrarySlotTest, CompactionClearsTheFlagAndShrinksTheFile)
{
    const std::string path = MakeLibrary("compact.vxl", 3);
    LibrarySlot& s = g_librarySlots[9];
    ASSERT_EQ(0, LoadLibraryFile(9, path.c_str()));
    for (int id : {TestRecordNumber(0), TestRecordNumber(0) + 1}) DeleteLoaded(s.store, 201, id);
    ASSERT_EQ(0, FlushStore(s.store, FALSE));
    const LONG before = FileLength(path);
    s.compactionNeeded = 1;
    EXPECT_EQ(0, CompactLibraryFile(9));
    EXPECT_EQ(0, s.compactionNeeded);
    EXPECT_LT(FileLength(path), before);
    EXPECT_EQ(std::vector<std::string>(), Shown());
}
