// The drawing fixture of the tests.
#include "support/drawing_fixture.h"

#include "documents/document_life.h"
#include "documents/options.h"
#include "frame/object_classes.h"
#include "model/class_protocol.h"
#include "model/groups.h"
#include "model/objects.h"
#include "store/block_store.h"

namespace {

const char* ViewClass()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VexlorTestView";
        wc.cbWndExtra = 8;
        RegisterClassA(&wc);
        registered = true;
    }
    return "VexlorTestView";
}

}  // namespace

void DrawingFixture::InstallHandlers()
{
    ASSERT_EQ(0, InstallObjectClasses());
}

void DrawingFixture::SetUp()
{
    prompts_ = std::make_unique<PromptAnswerer>();
    RotationRefused = FALSE;
    InstallHandlers();
    if (HasFatalFailure()) return;

    settings_ = {};
    settings_.flags = SetSnap | SetLinesLink;
    settings_.defaults.defaultBorderWidth = 12;
    settings_.defaults.defaultTextAlignH = 6;
    settings_.defaults.defaultTextAlignV = 6;
    settings_.ruler.screenUnit = 1;
    settings_.ruler.scaleBase = 100.0;
    settings_.ruler.divisions = 12;
    settings_.ruler.shownValue = 1.0;
    g_settings = &settings_;

    folder_ = std::make_unique<TempFolder>();
    ASSERT_FALSE(folder_->path().empty());
    path_ = folder_->File("drawing.tmp");
    OFSTRUCT of;
    file_ = OpenFile(path_.c_str(), &of, OF_CREATE | OF_READWRITE | OF_SHARE_DENY_WRITE);
    ASSERT_NE(HFILE_ERROR, file_);
    ASSERT_EQ(0, CreateStoreAt(file_, &slot_, 0, 6, 200));
    ASSERT_EQ(0, AddDocumentRecordTypes(slot_));

    view_ = CreateWindowA(ViewClass(), "view", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(view_);
    ASSERT_EQ(0, CreateNewDocumentState(view_, slot_));
    stateBlock_ = GetDocumentStateHandle(view_);
    ASSERT_TRUE(stateBlock_);
    state_ = static_cast<DocumentState*>(GlobalLock(stateBlock_));
}

void DrawingFixture::TearDown()
{
    if (state_) {
        CloseDrawing(state_->drawing);
        GlobalUnlock(stateBlock_);
        FreeDocumentStateBlocks(stateBlock_);
        state_ = nullptr;
    }
    if (view_) DestroyWindow(view_);
    view_ = nullptr;
    // Closing the store closes its file; a file that never became a store is closed here.
    if (slot_ >= 0)
        CloseStore(slot_);
    else if (file_ != HFILE_ERROR)
        _lclose(file_);
    slot_ = -1;
    file_ = HFILE_ERROR;
    folder_.reset();
    g_settings = nullptr;
    RemoveClassHandlers();
    RotationRefused = FALSE;
    prompts_.reset();
}

Locked<Drawing> DrawingFixture::LockDrawing() const
{
    return Locked<Drawing>(state_->drawing);
}

HGLOBAL DrawingFixture::DrawingHandle() const
{
    return state_->drawing;
}

int DrawingFixture::AddAt(int objClass, RECT rect, int type, int a, int b, void* p)
{
    EXPECT_EQ(0, AddObject(view_, objClass, &rect, type, a, b, FALSE, TRUE, p, FALSE));
    return Count() - 1;
}

int DrawingFixture::Count() const
{
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    return objects->count;
}

std::vector<int> DrawingFixture::SelectedRows() const
{
    std::vector<int> rows;
    for (int r = 0; r < Count(); ++r)
        if (Object(r).state & StateSelected) rows.push_back(r);
    return rows;
}

DrawObject DrawingFixture::Object(int row) const
{
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    return (*objects)[row];
}

std::vector<int> DrawingFixture::ZOrder() const
{
    Locked<Drawing> d = LockDrawing();
    Locked<ZOrderList> zOrder(d->zOrderList);
    return std::vector<int>(zOrder->Entries(), zOrder->Entries() + zOrder->count);
}

std::vector<LinkEntry> DrawingFixture::LinkEntries() const
{
    Locked<Drawing> d = LockDrawing();
    Locked<LinkIndex> index(d->linkIndex);
    return std::vector<LinkEntry>(index->Entries(), index->Entries() + index->count);
}

std::vector<GroupEntry> DrawingFixture::Groups() const
{
    Locked<Drawing> d = LockDrawing();
    Locked<GroupTable> table(d->groupTable);
    return std::vector<GroupEntry>(table->Entries(), table->Entries() + table->count);
}

int DrawingFixture::AddGroup(int groupId, const std::vector<int>& rows, bool keepGroupedFrames)
{
    Locked<Drawing> d = LockDrawing();
    int index;
    {
        Locked<GroupTable> probe(d->groupTable);
        index = probe->count;
    }
    EXPECT_EQ(0, ResizeRecord(&d->groupTable, GroupTable::SizeFor(index + 1)));
    {
        Locked<GroupTable> table(d->groupTable);
        (*table)[index] = GroupEntry{};
        (*table)[index].groupId = groupId;
        table->count = index + 1;
        Locked<ObjectList> objects(d->objectList);
        for (int row : rows) {
            (*objects)[row].groupId = groupId;
            (*objects)[row].groupRow = index;
            if (keepGroupedFrames) (*objects)[row].groupFrame = (*objects)[row].frame;
        }
    }
    UpdateGroupBounds(d.get(), index, nullptr);
    return index;
}

std::string DrawingFixture::RecordBytes(int type, int id) const
{
    HGLOBAL block = nullptr;
    if (LoadRecord(slot_, type, id, &block)) return {};
    LONG size = GetBlockSize(block);
    std::string payload;
    {
        Locked<BYTE> bytes(block);
        if (bytes && size > kBlockHeaderSize)
            payload.assign(reinterpret_cast<const char*>(bytes.get()) + kBlockHeaderSize, size - kBlockHeaderSize);
    }
    ReleaseBlock(block);
    return payload;
}
