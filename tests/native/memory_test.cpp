// The stand-in's movable memory behaves as Win32's: lock counts, exact sizes, discarded
// blocks, re-allocation that moves, failure values and 32-bit handles.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

TEST(NativeMemory, ZeroInitBlockHasExactSizeAndCountsLocks)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 100);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 100u);
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(p[i], 0);
    }
    EXPECT_EQ(GlobalLock(h), p);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);
    EXPECT_EQ(GlobalHandle(p), h);

    EXPECT_TRUE(GlobalUnlock(h));
    SetLastError(1234);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(NativeMemory, HandleSurvivesA32BitField)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 8);
    ASSERT_NE(h, nullptr);
    std::uint32_t field = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(h));
    EXPECT_EQ(reinterpret_cast<HGLOBAL>(static_cast<UINT_PTR>(field)), h);
    GlobalFree(h);
}

TEST(NativeMemory, SizeZeroMeansDiscarded)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalFlags(h), static_cast<UINT>(GMEM_DISCARDED));
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalLock(h), nullptr);
    // Re-allocating a discarded block gives it memory again under the same handle.
    EXPECT_EQ(GlobalReAlloc(h, 10, GMEM_MOVEABLE | GMEM_ZEROINIT), h);
    EXPECT_EQ(GlobalSize(h), 10u);
    EXPECT_EQ(GlobalFlags(h), 0u);
    // And discarding an unlocked discardable block empties it again.
    HGLOBAL d = GlobalAlloc(GMEM_MOVEABLE | GMEM_DISCARDABLE, 16);
    EXPECT_EQ(GlobalDiscard(d), d);
    EXPECT_EQ(GlobalFlags(d), static_cast<UINT>(GMEM_DISCARDED | GMEM_DISCARDABLE));
    EXPECT_EQ(GlobalSize(d), 0u);
    GlobalFree(h);
    GlobalFree(d);
}

TEST(NativeMemory, ReAllocKeepsHandleAndContentAndMoves)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
    BYTE* before = static_cast<BYTE*>(GlobalLock(h));
    std::memcpy(before, "abcd", 4);
    GlobalUnlock(h);

    ASSERT_EQ(GlobalReAlloc(h, 8, GMEM_MOVEABLE | GMEM_ZEROINIT), h);
    EXPECT_EQ(GlobalSize(h), 8u);
    BYTE* after = static_cast<BYTE*>(GlobalLock(h));
    EXPECT_NE(after, before);  // moved: an address kept from before is stale
    EXPECT_EQ(std::memcmp(after, "abcd\0\0\0\0", 8), 0);

    // Locked and without GMEM_MOVEABLE the block may only change in place.
    EXPECT_EQ(GlobalReAlloc(h, 100, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(GlobalReAlloc(h, 2, 0), h);
    EXPECT_EQ(GlobalLock(h), after);
    EXPECT_EQ(GlobalSize(h), 2u);
    // Locked with GMEM_MOVEABLE it may move, and its lock count stays.
    ASSERT_EQ(GlobalReAlloc(h, 3, GMEM_MOVEABLE), h);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);
    GlobalFree(h);
}

TEST(NativeMemory, FreedAndForeignHandlesAreRefused)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalFlags(h), static_cast<UINT>(GMEM_INVALID_HANDLE));
    EXPECT_EQ(GlobalFree(h), h);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    EXPECT_EQ(GlobalSize(reinterpret_cast<HGLOBAL>(static_cast<UINT_PTR>(0x12345))), 0u);
    // Fixed blocks would need handles that are addresses; they are not offered.
    EXPECT_EQ(GlobalAlloc(GMEM_FIXED, 4), nullptr);
}

}  // namespace
