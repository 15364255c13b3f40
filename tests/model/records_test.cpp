// Stored record layouts: the offsets that files and other programs rely on.
#include <gtest/gtest.h>

#include <cstddef>

#include "documents/document_state.h"
#include "documents/settings.h"
#include "model/drawing_records.h"
#include "model/window_utils.h"

TEST(Records, SizesAndUnalignedDoublesSitWhereTheFormatPutsThem)
{
    EXPECT_EQ(272u, sizeof(Drawing));
    EXPECT_EQ(356u, sizeof(DrawObject));
    EXPECT_EQ(92u, sizeof(GroupEntry));
    EXPECT_EQ(20u, sizeof(HookEntry));
    EXPECT_EQ(20u, sizeof(LinkEntry));
    EXPECT_EQ(16u, sizeof(ViewInfo));
    EXPECT_EQ(400u, sizeof(DocumentState));
    // f64 fields at offsets that are not multiples of 8.
    EXPECT_EQ(260u, offsetof(Drawing, rulerSettings) + offsetof(RulerSettings, shownValue));
    EXPECT_EQ(64u, offsetof(GroupEntry, widthFactor));
    EXPECT_EQ(72u, offsetof(GroupEntry, heightFactor));
    EXPECT_EQ(72u, offsetof(DrawObject, param));
    EXPECT_EQ(248u + 20u + 16u, offsetof(DrawObject, hooks) + sizeof(HookEntry) + offsetof(HookEntry, holderCode));
    EXPECT_EQ(382u, offsetof(DocumentState, drawing));
    // A line array's data record: six i32 after the block header, then 28-byte entries.
    EXPECT_EQ(40u, sizeof(ArrayData));
    EXPECT_EQ(28u, sizeof(ArrayEntry));
    EXPECT_EQ(36u, offsetof(ArrayData, entryCount));
    EXPECT_EQ(40u + 28u + 20u, sizeof(ArrayData) + sizeof(ArrayEntry) + offsetof(ArrayEntry, memberRow));
}

TEST(Records, TablesAddressEntriesAfterTheHeaderAndCount)
{
    EXPECT_EQ(20 + 356 * 3, ObjectList::SizeFor(3));
    EXPECT_EQ(20 + 4 * 5, ZOrderList::SizeFor(5));
    EXPECT_EQ(20 + 20 * 6000, LinkIndex::SizeFor(6000));
    EXPECT_EQ(20 + 92, GroupTable::SizeFor(1));
}
