#include "platform/global_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

TEST(GlobalMemory, BlocksAreZeroFilledSizedAndLockable) {
    HGLOBAL h = GlobalAlloc(GHND, 1001);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 1001u);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    for (size_t i = 0; i < 1001; ++i)
        ASSERT_EQ(p[i], 0) << i;
    std::memset(p, 0xAB, 1001);
    EXPECT_EQ(GlobalLockCount(h), 1u);
    // Locks nest; the block stays locked until the last unlock.
    EXPECT_EQ(GlobalLock(h), p);
    EXPECT_TRUE(GlobalUnlock(h));
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_FALSE(GlobalUnlock(h)) << "unlocking an unlocked block reports not locked";
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, NullHandlesAreTolerated) {
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_FALSE(GlobalUnlock(nullptr));
    EXPECT_EQ(GlobalSize(nullptr), 0u);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(GlobalMemory, ImpossibleSizeFailsCleanly) {
    EXPECT_EQ(GlobalAlloc(GHND, static_cast<size_t>(-1) / 2), nullptr);
}

TEST(GlobalMemory, LockGuardUnlocksAtScopeEnd) {
    HGLOBAL h = GlobalAlloc(GHND, 8);
    {
        GlobalLockGuard guard(h);
        EXPECT_NE(guard.get(), nullptr);
        EXPECT_EQ(guard.size(), 8u);
        EXPECT_EQ(GlobalLockCount(h), 1u);
    }
    EXPECT_EQ(GlobalLockCount(h), 0u);
    GlobalFree(h);
}

// Scan-sized blocks live in mappings of their own; they must behave as the
// small ones do, whether or not they get huge pages.
TEST(GlobalMemory, ScanSizedBlocksKeepTheirContentsThroughResizes) {
    constexpr std::size_t kMB = std::size_t{1} << 20;
    for (const bool huge : {true, false}) {
        SetGlobalHugePages(huge);
        HGLOBAL h = GlobalAlloc(GHND, 80 * kMB + 3);
        ASSERT_NE(h, nullptr);
        auto* p = static_cast<unsigned char*>(GlobalLock(h));
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[80 * kMB + 2], 0);
        if (huge) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % (2 * kMB), 0u);
        }
        p[0] = 1;
        p[70 * kMB - 1] = 2;
        p[80 * kMB + 2] = 3;
        GlobalUnlock(h);

        ASSERT_EQ(GlobalReAlloc(h, 70 * kMB, GMEM_MOVEABLE), h);
        EXPECT_EQ(GlobalSize(h), 70 * kMB);
        ASSERT_EQ(GlobalReAlloc(h, 90 * kMB, GMEM_MOVEABLE), h);
        EXPECT_EQ(GlobalSize(h), 90 * kMB);
        p = static_cast<unsigned char*>(GlobalLock(h));
        EXPECT_EQ(p[0], 1);
        EXPECT_EQ(p[70 * kMB - 1], 2);
        // What lay past the shrunk end comes back zero-filled.
        EXPECT_EQ(p[80 * kMB + 2], 0);
        EXPECT_EQ(p[90 * kMB - 1], 0);
        GlobalUnlock(h);
        // A small block grown to scan size, and back.
        HGLOBAL small = GlobalAlloc(GHND, 16);
        static_cast<unsigned char*>(GlobalLock(small))[15] = 7;
        GlobalUnlock(small);
        ASSERT_EQ(GlobalReAlloc(small, 65 * kMB, GMEM_MOVEABLE), small);
        EXPECT_EQ(static_cast<unsigned char*>(GlobalLock(small))[15], 7);
        GlobalUnlock(small);
        EXPECT_EQ(GlobalFree(small), nullptr);
        EXPECT_EQ(GlobalFree(h), nullptr);
    }
    SetGlobalHugePages(true);
}
