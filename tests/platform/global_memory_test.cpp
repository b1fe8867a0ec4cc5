#include "platform/global_memory.h"

#include <gtest/gtest.h>

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
