// The link graph: hooks and the LinkIndex kept in step through attach, re-attach, removal,
// deletion and rebuild, and the messages holders and targets hear.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>

#include "model/links.h"
#include "model/objects.h"
#include "support/model_fixture.h"
#include "store/block_store.h"

namespace {

// Every hook in use has exactly one index entry with its (target, holder), and back; the index
// is sorted by target id.
::testing::AssertionResult HooksMatchIndex(ObjectList& objects, LinkIndex& index)
{
    std::map<std::pair<int, int>, int> hooks, entries;
    for (int row = 0; row < objects.count; ++row) {
        const DrawObject& o = objects[row];
        if (o.hookCount < 0 || o.hookCount > 2) return ::testing::AssertionFailure() << "hook count " << o.hookCount;
        for (int s = 0; s < o.hookCount; ++s) ++hooks[{o.hooks[s].targetId, o.objId}];
    }
    for (int i = 0; i < index.count; ++i) {
        ++entries[{index[i].targetId, index[i].holderId}];
        if (i > 0 && index[i - 1].targetId > index[i].targetId) return ::testing::AssertionFailure() << "unsorted at " << i;
    }
    if (hooks != entries) return ::testing::AssertionFailure() << hooks.size() << " hook pairs, " << entries.size() << " entry pairs";
    return ::testing::AssertionSuccess();
}

int g_hookTarget = -1;

LONG CALLBACK HookingConnector(HDC, Drawing* d, void* objects, int row, int message, int, int, void*)
{
    if (message != OM_INIT) return 0;
    AddressedObject(objects, row)->hookCapacity = 2;
    return AttachHook(d, row, -1, g_hookTarget, 1, 0, 300);
}

}  // namespace

class LinkTest : public ModelTest {
protected:
    int Attach(int holder, int slot, int target, int code = 1)
    {
        Locked<Drawing> d = LockDrawing();
        return AttachHook(d.get(), holder, slot, target, code, 300, 0);
    }
    ::testing::AssertionResult Consistent()
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        Locked<LinkIndex> index(d->linkIndex);
        return HooksMatchIndex(*objects, *index);
    }
};

TEST_F(LinkTest, FindObjectByIdTriesTheHintThenSearches)
{
    for (int i = 0; i < 4; ++i) Add(ClassShape);
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    EXPECT_EQ(2, FindObjectById(objects.get(), 3, 2));
    EXPECT_EQ(2, FindObjectById(objects.get(), 3, 0));    // stale hint
    EXPECT_EQ(2, FindObjectById(objects.get(), 3, 99));   // hint outside the list
    EXPECT_EQ(-1, FindObjectById(objects.get(), 42, 1));
}

TEST_F(LinkTest, FindLinkIndexHalvesToTheFirstEntryOrTheInsertionPlace)
{
    Locked<Drawing> d = LockDrawing();
    Locked<LinkIndex> index(d->linkIndex);
    EXPECT_EQ(-1, FindLinkIndex(index.get(), 7, TRUE));
    EXPECT_EQ(0, FindLinkIndex(index.get(), 7, FALSE));
    index.Unlock();
    ASSERT_EQ(0, ResizeRecord(&d->linkIndex, LinkIndex::SizeFor(4)));
    Locked<LinkIndex> filled(d->linkIndex);
    int ids[4] = {5, 7, 7, 9};
    for (int i = 0; i < 4; ++i) (*filled)[i] = LinkEntry{ids[i], 0, 1, 0, 0};
    filled->count = 4;
    EXPECT_EQ(1, FindLinkIndex(filled.get(), 7, TRUE));
    EXPECT_EQ(-1, FindLinkIndex(filled.get(), 8, TRUE));
    EXPECT_EQ(3, FindLinkIndex(filled.get(), 8, FALSE));
    EXPECT_EQ(0, FindLinkIndex(filled.get(), 1, FALSE));
    EXPECT_EQ(4, FindLinkIndex(filled.get(), 10, FALSE));
}

TEST_F(LinkTest, AttachTellsTheHolderThenTheTargetAndEntersTheIndex)
{
    int shape = Add(ClassShape);
    int line = Add(ClassLine);
    g_recorder.Clear();
    ASSERT_EQ(0, Attach(line, -1, shape, 2));
    ASSERT_EQ(2u, g_recorder.log.size());
    EXPECT_EQ(OM_HOOKCHANGED, g_recorder.log[0].message);
    EXPECT_EQ(2, g_recorder.log[0].objId);
    EXPECT_EQ(1, g_recorder.log[0].b);
    EXPECT_EQ(OM_MEMBER, g_recorder.log[1].message);
    EXPECT_EQ(1, g_recorder.log[1].objId);
    EXPECT_EQ(2, g_recorder.log[1].a);
    DrawObject o = Object(line);
    EXPECT_EQ(1, o.hookCount);
    EXPECT_EQ(1, o.hooks[0].targetId);
    EXPECT_EQ(2, o.hooks[0].holderCode);
    EXPECT_TRUE(Consistent());

    // The same target again only moves the point.
    g_recorder.Clear();
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), line, 0, shape, 2, 450, 600));
    }
    EXPECT_EQ(1, Object(line).hookCount);
    EXPECT_EQ(450, Object(line).hooks[0].attachX);
    EXPECT_EQ(1u, Links().size());
    EXPECT_TRUE(g_recorder.Messages(OM_HOOKCHANGED) == std::vector<int>{2});
}

TEST_F(LinkTest, MovingOneEndOffAShapeKeepsTheOtherEndHookedToIt)
{
    int shape = Add(ClassShape);
    int other = Add(ClassShape);
    int line = Add(ClassLine);
    ASSERT_EQ(0, Attach(line, -1, shape, 1));
    ASSERT_EQ(0, Attach(line, -1, shape, 2));
    ASSERT_EQ(2u, Links().size());
    {
        // Rows move: the hints of the hooks go stale, the ids stay right.
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        (*objects)[line].hooks[0].targetRow = other;
        (*objects)[line].hooks[1].targetRow = other;
    }
    ASSERT_EQ(0, Attach(line, 1, shape, 2));   // same target by id: only the point moves
    EXPECT_EQ(2, Object(line).hookCount);
    ASSERT_EQ(0, Attach(line, 1, other, 2));   // the finish end moves to the other shape
    DrawObject o = Object(line);
    ASSERT_EQ(2, o.hookCount);
    EXPECT_EQ(1, o.hooks[0].targetId);
    EXPECT_EQ(1, o.hooks[0].holderCode);
    EXPECT_EQ(2, o.hooks[1].targetId);
    EXPECT_EQ(2, o.hooks[1].holderCode);
    EXPECT_TRUE(Consistent());
    EXPECT_EQ(2u, Links().size());
}

TEST_F(LinkTest, RemovingEveryLinkOfATargetTellsEachHolderOncePerSlot)
{
    int shape = Add(ClassShape);
    int a = Add(ClassLine);
    int b = Add(ClassLine);
    Attach(a, -1, shape, 1);
    Attach(a, -1, shape, 2);
    Attach(b, -1, shape, 1);
    g_recorder.Clear();
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, RemoveLinks(d.get(), 1, 0));
    }
    std::vector<int> told = g_recorder.Messages(OM_HOOKCHANGED);
    std::sort(told.begin(), told.end());
    EXPECT_EQ((std::vector<int>{2, 2, 3}), told);
    EXPECT_EQ(0, Object(a).hookCount);
    EXPECT_EQ(0, Object(b).hookCount);
    EXPECT_TRUE(Links().empty());
}

TEST_F(LinkTest, RandomAttachMoveRemoveDeleteAndRebuildKeepHooksAndIndexInStep)
{
    std::mt19937 random(4);
    for (int i = 0; i < 12; ++i) Add(i % 3 == 0 ? ClassShape : ClassLine);
    for (int step = 0; step < 300; ++step) {
        int count = Count();
        int holder = static_cast<int>(random() % count);
        int target = static_cast<int>(random() % (count + 1)) - 1;   // -1 removes
        if (target == holder) continue;
        int slot = static_cast<int>(random() % 3) - 1;
        switch (random() % 10) {
        case 0: {
            Locked<Drawing> d = LockDrawing();
            ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, holder));
            d.Unlock();
            Add(random() % 2 ? ClassShape : ClassLine);
            break;
        }
        case 1: {
            Locked<Drawing> d = LockDrawing();
            ASSERT_EQ(0, RebuildLinkIndex(d.get()));
            break;
        }
        default:
            ASSERT_EQ(0, Attach(holder, slot, target, 1 + static_cast<int>(random() % 2)));
        }
        ASSERT_TRUE(Consistent()) << "step " << step;
    }
}

TEST_F(LinkTest, RebuildDropsLinksWhoseHolderOrTargetVanishedAndRefreshesHints)
{
    int shape = Add(ClassShape);
    int line = Add(ClassLine);
    int gone = Add(ClassLine);
    Attach(line, -1, shape);
    Attach(gone, -1, shape);
    {
        // Rows shift under the hints: the first row leaves the list without the index hearing.
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        (*objects)[gone].objId = 77;   // its holder id no longer exists
        (*objects)[line].hooks[0].targetRow = 2;
    }
    g_recorder.Clear();
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, RebuildLinkIndex(d.get()));
    }
    std::vector<LinkEntry> links = Links();
    ASSERT_EQ(1u, links.size());
    EXPECT_EQ(2, links[0].holderId);
    EXPECT_EQ(line, links[0].holderRow);
    EXPECT_EQ(shape, links[0].targetRow);
    EXPECT_EQ(shape, Object(line).hooks[0].targetRow);
    EXPECT_EQ((std::vector<int>{1}), g_recorder.Messages(OM_MEMBER));   // the target hears of its lost holder
}

TEST_F(LinkTest, RebuildRefreshesArrayMemberRowsAsFarAsTheArrayRecordHoldsEntries)
{
    const int array = Add(ClassArray);
    const int member = Add(ClassShape);
    // Room for three entries, though the record counts nine: a member-less stub, the member
    // under a stale row, and a member that is gone.
    constexpr int kEntries = 40, kEntry = 28;
    constexpr int size = kEntries + 3 * kEntry;
    auto put = [](BYTE* at, INT32 value) { std::memcpy(at, &value, 4); };
    {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, AddRecord(slot_, RecLineArrayData, 1, size, &block));
        BYTE* bytes = static_cast<BYTE*>(GlobalLock(block));
        ASSERT_NE(nullptr, bytes);
        std::memset(bytes + kBlockHeaderSize, 0, size - kBlockHeaderSize);
        put(bytes + 32, 2);   // members
        put(bytes + 36, 9);   // entries in use
        const INT32 ids[3] = {0xFFFF, Object(member).objId, 999};
        for (int e = 0; e < 3; ++e) {
            put(bytes + kEntries + kEntry * e + 16, ids[e]);
            put(bytes + kEntries + kEntry * e + 20, 7);
        }
        GlobalUnlock(block);
        ASSERT_EQ(0, MarkBlockDirty(block));
        ReleaseBlock(block);
    }
    Change(array, [](DrawObject& o, Drawing&) {
        o.dataType = RecLineArrayData;
        o.dataId = 1;
        o.dataCount = 1;
    });
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, RebuildLinkIndex(d.get()));
    }
    const std::string payload = RecordBytes(RecLineArrayData, 1);
    ASSERT_EQ(static_cast<size_t>(size - kBlockHeaderSize), payload.size());
    auto rowOf = [&](int e) {
        INT32 row;
        std::memcpy(&row, payload.data() + kEntries - kBlockHeaderSize + kEntry * e + 20, 4);
        return row;
    };
    EXPECT_EQ(7, rowOf(0));
    EXPECT_EQ(member, rowOf(1));
    EXPECT_EQ(-1, rowOf(2));
}

TEST_F(LinkTest, SixThousandAndFirstLinkFailsAndTheEditRollsTheHookBack)
{
    int shape = Add(ClassShape);
    {
        // 6000 links on a target that does not exist.
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, ResizeRecord(&d->linkIndex, LinkIndex::SizeFor(kMaxLinks)));
        Locked<LinkIndex> index(d->linkIndex);
        for (int i = 0; i < kMaxLinks; ++i) (*index)[i] = LinkEntry{60000, -1, 60001, -1, 0};
        index->count = kMaxLinks;
    }
    std::string objectsBefore = RecordBytes(RecObjectList, 0);
    // A connector whose class hooks its start to the shape while it is created.
    g_hookTarget = shape;
    g_classHandlers.classes[ClassConnector] = HookingConnector;
    RECT rect = {0, 0, 600, 600};
    EXPECT_EQ(10011, AddObject(view_, ClassConnector, &rect, 0, 0, 0, FALSE, FALSE, nullptr, FALSE));
    EXPECT_EQ(1, Count());
    EXPECT_EQ(objectsBefore, RecordBytes(RecObjectList, 0));
    EXPECT_EQ(static_cast<size_t>(kMaxLinks), Links().size());
    EXPECT_EQ(0, State()->undoLabel);
}

TEST_F(LinkTest, HookQueriesFollowTheSlots)
{
    int a = Add(ClassShape);
    int array = Add(ClassArray);
    int line = Add(ClassLine);
    int member = Add(ClassShape);
    g_recorder.hookCapacity = 1;
    Attach(line, -1, a, 1);
    Attach(line, -1, array, 2);
    Attach(member, -1, array, 306);
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    EXPECT_EQ(1, FindHookByEndCode(&(*objects)[line], 2));
    EXPECT_EQ(-1, FindHookByEndCode(&(*objects)[a], 1));
    EXPECT_TRUE(HasSingleFixedHook(&(*objects)[member]));
    EXPECT_FALSE(HasSingleFixedHook(&(*objects)[line]));
    int other = -2;
    EXPECT_EQ(1, FindOtherHookedEnd(objects.get(), line, -1, &other));
    EXPECT_EQ(a, other);
    EXPECT_EQ(0, FindOtherHookedEnd(objects.get(), line, a, &other));
    EXPECT_EQ(array, FollowSingleHookChain(objects.get(), member));
    // A ring of single hooks ends at an object already passed.
    (*objects)[array].hookCount = 1;
    (*objects)[array].hooks[0] = HookEntry{(*objects)[member].objId, member, 0, 0, 1};
    EXPECT_EQ(member, FollowSingleHookChain(objects.get(), member));
}

TEST_F(LinkTest, SingleHookChainsEndAtTheirLastObjectOrWhereARingCloses)
{
    int rows[5];
    for (int& row : rows) row = Add(ClassShape);
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    // Each case hangs row i on `next[i]` (-1: no hook, 9: a vanished object); the row hints are
    // left stale on purpose.
    struct Case {
        int next[5];
        int from;
        int end;
    };
    const Case cases[] = {
        {{1, 2, -1, -1, -1}, 0, 2},   // a plain chain
        {{1, 2, 3, 1, -1}, 0, 1},     // a tail into a ring: the ring's first row met again
        {{1, 2, 3, 1, -1}, 2, 2},
        {{0, -1, -1, -1, -1}, 0, 0},  // hooked to itself
        {{1, 9, -1, -1, -1}, 0, 1},   // the target is gone
        {{1, 2, 3, 4, 0}, 3, 3},      // one ring through every row
        {{-1, -1, -1, -1, -1}, 4, 4},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 5; ++i) {
            DrawObject& o = (*objects)[rows[i]];
            o.hookCount = c.next[i] < 0 ? 0 : 1;
            const int id = c.next[i] == 9 ? 999 : c.next[i] >= 0 ? (*objects)[rows[c.next[i]]].objId : 0;
            o.hooks[0] = HookEntry{id, 0, 0, 0, 1};
        }
        EXPECT_EQ(rows[c.end], FollowSingleHookChain(objects.get(), rows[c.from])) << "from " << c.from;
    }
}
