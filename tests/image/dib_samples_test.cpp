// Sampled decoding (only the named rows and columns, as a reduced paint
// asks for) against the full decoder, on every kind of bitmap and on
// malformed run-length data, so that a wrong step over the data is seen.
#include "dib_test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct Block {
    std::vector<BYTE> info; // header and colour table
    std::vector<BYTE> bits;
    DibPixels Pixels() const {
        return DibPixels{reinterpret_cast<const BITMAPINFO*>(info.data()), info.size(),
                         bits.data(), bits.size()};
    }
};

// A run-length picture with a 16-entry (RLE4) or 256-entry (RLE8) table.
Block Rle(bool four, int width, int height, std::vector<BYTE> stream) {
    Block b;
    corpus::Put32(b.info, 40);
    corpus::Put32(b.info, DWORD(width));
    corpus::Put32(b.info, DWORD(height));
    corpus::Put16(b.info, 1);
    corpus::Put16(b.info, four ? 4 : 8);
    corpus::Put32(b.info, four ? BI_RLE4 : BI_RLE8);
    corpus::Put32(b.info, DWORD(stream.size()));
    for (int i = 0; i < 4; ++i)
        corpus::Put32(b.info, 0);
    for (int i = 0; i < (four ? 16 : 256); ++i) {
        BYTE rgb[3];
        corpus::PaletteEntry(i, rgb);
        b.info.insert(b.info.end(), {rgb[0], rgb[1], rgb[2], 0});
    }
    b.bits = std::move(stream);
    return b;
}

Block FromFile(const corpus::Recipe& recipe) {
    testutil::OwnedDib dib(testutil::ReadDibBytes("samples-" + recipe.name, corpus::Make(recipe).file));
    Block b;
    if (!dib.dib)
        return b;
    GlobalLockGuard lock(dib.dib);
    const auto* p = static_cast<const BYTE*>(lock.get());
    const auto infoBytes = static_cast<std::size_t>(DibPixelData(p) - p);
    b.info.assign(p, p + infoBytes);
    b.bits.assign(p + infoBytes, p + lock.size());
    return b;
}

// Every sampled pixel equals the full decoder's pixel there (black outside
// the picture), for several row and column choices.
void ExpectSamplesMatch(const Block& block, const std::string& name) {
    const DibPixels pixels = block.Pixels();
    int width = 0, height = 0;
    ASSERT_TRUE(DescribeDibPixels(pixels, &width, &height)) << name;
    std::vector<std::uint32_t> full(std::size_t(width) * height);
    ASSERT_TRUE(DecodeDibRect(pixels, 0, 0, width, height, full.data(), width));
    const auto at = [&](std::int64_t x, std::int64_t y) {
        return (x < 0 || y < 0 || x >= width || y >= height) ? 0xFF000000u
                                                             : full[std::size_t(y) * width + x];
    };
    std::vector<std::vector<std::int64_t>> choices = {
        {0},
        {-4, -1, 0, 1, 1, 2, 5, 5, 5},
        {std::int64_t(width) - 1, width, std::int64_t(width) + 300},
    };
    std::vector<std::int64_t> all, everyThird;
    for (int i = -1; i <= std::max(width, height); ++i) {
        all.push_back(i);
        if (i % 3 == 0)
            everyThird.push_back(i);
    }
    choices.push_back(all);
    choices.push_back(everyThird);
    for (const auto& columns : choices)
        for (const auto& rows : choices) {
            const std::ptrdiff_t stride = std::ptrdiff_t(columns.size()) + 2;
            std::vector<std::uint32_t> out(std::size_t(stride) * rows.size(), 0x12345678u);
            ASSERT_TRUE(DecodeDibSamples(pixels, columns.data(), int(columns.size()), rows.data(),
                                         int(rows.size()), out.data(), stride));
            for (std::size_t j = 0; j < rows.size(); ++j) {
                for (std::size_t i = 0; i < columns.size(); ++i)
                    ASSERT_EQ(out[j * stride + i], at(columns[i], rows[j]))
                        << name << " at " << columns[i] << "," << rows[j];
                EXPECT_EQ(out[j * stride + columns.size()], 0x12345678u) << "stride kept";
            }
        }
}

} // namespace

TEST(DibSamples, MatchTheFullDecoderForEveryKindOfBitmap) {
    int kinds = 0;
    for (corpus::Recipe recipe : corpus::AllKinds()) {
        recipe.width = 29;
        recipe.height = 11;
        const Block block = FromFile(recipe);
        ASSERT_FALSE(block.info.empty()) << recipe.name;
        ExpectSamplesMatch(block, recipe.name);
        ++kinds;
    }
    EXPECT_GT(kinds, 20);
}

TEST(DibSamples, MatchTheFullDecoderOnMalformedRunLengthData) {
    struct Case {
        const char* name;
        bool four;
        std::vector<BYTE> stream;
    };
    const std::vector<Case> cases = {
        {"end of bitmap early", false, {3, 7, 0, 0, 2, 9, 0, 1, 5, 5, 0, 0}},
        {"no end at all", false, {4, 1, 0, 0, 4, 2, 0, 0, 4, 3}},
        {"delta past the right edge", false, {2, 4, 0, 2, 200, 1, 3, 6, 0, 0, 1, 8}},
        {"delta past the top", false, {2, 4, 0, 2, 1, 200, 3, 6, 0, 0, 1, 8}},
        {"delta cut short", false, {5, 1, 0, 2, 3}},
        {"delta within the line", false, {2, 3, 0, 2, 4, 0, 2, 9, 0, 0, 3, 3}},
        {"run past the width", false, {255, 4, 0, 0, 13, 5}},
        {"odd literal", false, {0, 3, 1, 2, 3, 0, 2, 5, 0, 0, 0, 5, 9, 8, 7, 6, 5, 0}},
        {"literal cut short", false, {2, 2, 0, 9, 1, 2}},
        {"lines past the height", false, {1, 1, 0, 0, 1, 2, 0, 0, 1, 3, 0, 0, 1, 4, 0, 0, 1, 5,
                                          0, 0, 1, 6, 0, 0, 1, 7, 0, 0, 1, 8, 0, 0, 1, 9}},
        {"odd byte at the end", false, {3, 3, 0}},
        {"rle4 two-colour runs", true, {7, 0x12, 0, 0, 4, 0x33, 0, 2, 2, 1, 5, 0x4F}},
        {"rle4 odd literal", true, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 3, 0x67, 0x80, 0}},
        {"rle4 literal cut short", true, {1, 0x11, 0, 9, 0x12}},
        {"rle4 end early", true, {3, 0x21, 0, 1, 9, 0x99}},
    };
    for (const Case& c : cases) {
        ExpectSamplesMatch(Rle(c.four, 10, 6, c.stream), c.name);
        ExpectSamplesMatch(Rle(c.four, 1, 1, c.stream), std::string(c.name) + " 1x1");
    }
}

TEST(DibSamples, NothingToDecodeOrNothingDecodable) {
    std::uint32_t out[4] = {1, 2, 3, 4};
    const std::int64_t at[1] = {0};
    const Block block = Rle(false, 4, 4, {0, 1});
    EXPECT_TRUE(DecodeDibSamples(block.Pixels(), at, 0, at, 1, out, 4));
    EXPECT_EQ(out[0], 1u) << "no column: nothing written";
    Block bad = block;
    bad.info[14] = 7; // no such depth
    EXPECT_FALSE(DecodeDibSamples(bad.Pixels(), at, 1, at, 1, out, 4));
    EXPECT_EQ(out[0], 0xFF000000u);
}
