// Halving two rows of 24-bit pixels: every length, against the 2 x 2
// average written out channel by channel, and nothing written past the
// pixels asked for (the vector path stores 16 bytes at a time).
#include "platform/pixel_rows.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<BYTE> Expected(const std::vector<BYTE>& a, const std::vector<BYTE>& b, int pairs) {
    std::vector<BYTE> out(3 * std::size_t(pairs));
    for (int x = 0; x < pairs; ++x)
        for (int c = 0; c < 3; ++c) {
            const int sum = a[6 * x + c] + a[6 * x + 3 + c] + b[6 * x + c] + b[6 * x + 3 + c];
            out[3 * x + c] = BYTE((sum + 2) / 4);
        }
    return out;
}

} // namespace

TEST(PixelRows, HalvingTwentyFourBitRowsAveragesEachTwoByTwoAndStopsAtTheEnd) {
    std::mt19937 random(5);
    constexpr BYTE kGuard = 0xA5;
    for (int pairs : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 17, 64, 101, 1000}) {
        std::vector<BYTE> a(6 * std::size_t(pairs)), b(a.size());
        for (BYTE& v : a)
            v = BYTE(random());
        for (BYTE& v : b)
            v = BYTE(random());
        if (pairs > 2) {
            // The largest sums round as they should.
            std::fill_n(a.begin(), 6, 255);
            std::fill_n(b.begin(), 6, 255);
        }
        std::vector<BYTE> out(3 * std::size_t(pairs) + 32, kGuard);
        pixel_rows::HalveBgr24(a.data(), b.data(), pairs, out.data());
        const std::vector<BYTE> want = Expected(a, b, pairs);
        for (std::size_t i = 0; i < want.size(); ++i)
            ASSERT_EQ(out[i], want[i]) << pairs << " pairs, byte " << i;
        for (std::size_t i = want.size(); i < out.size(); ++i)
            ASSERT_EQ(out[i], kGuard) << pairs << " pairs: written past the end at " << i;
    }
    // Rounding half up: 1 + 1 + 0 + 0 gives 1, 1 + 0 + 0 + 0 gives 0.
    const std::vector<BYTE> ones = {1, 1, 1, 1, 1, 1}, zeros(6, 0), one = {1, 1, 1, 0, 0, 0};
    BYTE out[3];
    pixel_rows::HalveBgr24(ones.data(), zeros.data(), 1, out);
    EXPECT_EQ(out[0], 1);
    pixel_rows::HalveBgr24(one.data(), zeros.data(), 1, out);
    EXPECT_EQ(out[0], 0);
}
