// The model tests' drawing: a working-copy store in a temporary file, a hidden view window
// holding the DocumentState, and recording handlers in every class slot.
#include "model_fixture.h"

#include <cstring>

#include "group_helper.h"
#include "model/groups.h"
#include "model/objects.h"
#include "store/block_store.h"

Recorder g_recorder;

std::vector<int> Recorder::Messages(int message) const
{
    std::vector<int> ids;
    for (const SentMessage& sent : log) {
        if (sent.message == message) ids.push_back(sent.objId);
    }
    return ids;
}

namespace {

template <int Class>
LONG CALLBACK RecordingHandler(HDC, Drawing*, void* objects, int row, int message, int a, int b, void*)
{
    DrawObject* object = objects ? AddressedObject(objects, row) : nullptr;
    g_recorder.log.push_back({Class, row, message, a, b, object ? object->objId : 0});
    if (message == OM_INIT && object) {
        object->hookCapacity = g_recorder.hookCapacity;
        return g_recorder.initResult;
    }
    return g_recorder.answer ? g_recorder.answer(message, object) : 0;
}

const char* ViewClass()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VexlorModelTestView";
        wc.cbWndExtra = 8;
        RegisterClassA(&wc);
        registered = true;
    }
    return "VexlorModelTestView";
}

}  // namespace

void ModelTest::SetUp()
{
    static bool directory = false;
    if (!directory) {
        ASSERT_EQ(0, InitBlockStoreDirectory(100));
        directory = true;
    }
    g_recorder = Recorder{};
    g_classHandlers.classes[0] = RecordingHandler<0>;
    g_classHandlers.classes[1] = RecordingHandler<1>;
    g_classHandlers.classes[2] = RecordingHandler<2>;
    g_classHandlers.classes[3] = RecordingHandler<3>;
    ASSERT_EQ(0, InstallClassHandlers());

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

    char dir[MAX_PATH], name[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "VXM", 0, name);
    path_ = name;
    OFSTRUCT of;
    file_ = OpenFile(name, &of, OF_READWRITE | OF_SHARE_DENY_WRITE);
    ASSERT_NE(HFILE_ERROR, file_);
    ASSERT_EQ(0, CreateStoreAt(file_, &slot_, 0, 6, 200));
    for (int type : {100, 110, 115, 111, 112, 113, 114, 116, 117, 119, 120, 118}) ASSERT_EQ(0, AddRecordType(slot_, type));

    view_ = CreateWindowA(ViewClass(), "view", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(view_);
    ASSERT_EQ(0, CreateNewDocumentState(view_, slot_));
    stateBlock_ = GetDocumentStateHandle(view_);
    ASSERT_TRUE(stateBlock_);
    state_ = static_cast<DocumentState*>(GlobalLock(stateBlock_));
}

void ModelTest::TearDown()
{
    if (state_) {
        CloseDrawing(state_->drawing);
        GlobalUnlock(stateBlock_);
        GlobalFree(stateBlock_);
    }
    if (view_) DestroyWindow(view_);
    if (slot_ >= 0) CloseStore(slot_);
    DeleteFileA(path_.c_str());
    g_settings = nullptr;
    RemoveClassHandlers();
}

Locked<Drawing> ModelTest::LockDrawing() const
{
    return Locked<Drawing>(state_->drawing);
}

DocumentState* ModelTest::State() const
{
    return state_;
}

HGLOBAL ModelTest::DrawingHandle() const
{
    return state_->drawing;
}

int ModelTest::Add(int objClass, int x, int y, int w, int h)
{
    RECT rect = {x, y, x + w, y + h};
    int err = AddObject(view_, objClass, &rect, 2, 0, 0, FALSE, TRUE, nullptr, FALSE);
    EXPECT_EQ(0, err);
    return Count() - 1;
}

int ModelTest::Count() const
{
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    return objects->count;
}

DrawObject ModelTest::Object(int row) const
{
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    return (*objects)[row];
}

std::vector<int> ModelTest::ZOrder() const
{
    Locked<Drawing> d = LockDrawing();
    Locked<ZOrderList> zOrder(d->zOrderList);
    return std::vector<int>(zOrder->Entries(), zOrder->Entries() + zOrder->count);
}

std::vector<LinkEntry> ModelTest::Links() const
{
    Locked<Drawing> d = LockDrawing();
    Locked<LinkIndex> index(d->linkIndex);
    return std::vector<LinkEntry>(index->Entries(), index->Entries() + index->count);
}

std::vector<GroupEntry> ModelTest::Groups() const
{
    Locked<Drawing> d = LockDrawing();
    Locked<GroupTable> table(d->groupTable);
    return std::vector<GroupEntry>(table->Entries(), table->Entries() + table->count);
}

int ModelTest::MakeGroup(int groupId, const std::vector<int>& rows)
{
    Locked<Drawing> d = LockDrawing();
    return AddTestGroup(d.get(), groupId, rows, false);
}

std::string ModelTest::RecordBytes(int type, int id) const
{
    HGLOBAL block = nullptr;
    if (LoadRecord(slot_, type, id, &block)) return {};
    LONG size = GetBlockSize(block);
    Locked<BYTE> bytes(block);
    std::string payload(reinterpret_cast<const char*>(bytes.get()) + 16, size - 16);
    ReleaseBlock(block);
    return payload;
}
