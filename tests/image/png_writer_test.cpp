// Every block the document may hold, written as PNG and read back: the same
// pixels, in the kind of file its colour table calls for.
#include "image/format_test_util.h"
#include "image/formats/image_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

// Writes the block to the file; the error when it fails.
std::string Write(HDIB dib, const std::string& path) {
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return "cannot open " + path;
    std::string error;
    const bool written = WritePngFile(dib, fp, error);
    const bool closed = std::fclose(fp) == 0;
    return written && closed ? std::string() : error.empty() ? "close failed" : error;
}

struct PngKind {
    int colorType;
    int bitDepth;
};

PngKind KindOf(const std::string& path) {
    const std::vector<BYTE> file = corpus::ReadFile(path);
    if (file.size() < 29)
        return {-1, -1};
    return {file[25], file[24]};
}

// Writes, reads back through our reader and through ImageMagick, and
// compares both with the block's own pixels.
void ExpectRoundTrip(HDIB dib, const std::string& path, PngKind expected) {
    SCOPED_TRACE(path);
    ASSERT_EQ(Write(dib, path), "");
    const PngKind kind = KindOf(path);
    EXPECT_EQ(kind.colorType, expected.colorType);
    EXPECT_EQ(kind.bitDepth, expected.bitDepth);
    const std::vector<std::uint32_t> original = formattest::PixelsOf(dib);
    const DecodeResult back = formattest::DecodeFile(PngImageReader(), path);
    ASSERT_EQ(back.failure, DecodeFailure::None) << back.error;
    testutil::OwnedDib owned(back.block);
    EXPECT_EQ(formattest::MaxDifference(formattest::PixelsOf(back.block), original), 0);
    EXPECT_EQ(formattest::MaxDifference(formattest::MagickPixels(path), original), 0);
}

TEST(PngWriter, WritesEveryBlockKindWithItsPixels) {
    for (const corpus::Recipe& recipe : corpus::AllKinds()) {
        const corpus::Bitmap bitmap = corpus::Make(recipe);
        testutil::OwnedDib dib(testutil::ReadDibBytes(recipe.name, bitmap.file));
        ASSERT_NE(dib.dib, nullptr) << recipe.name;
        // The corpus's tables are colourful: palette files, in the fewest
        // bits that hold the table; the rest become RGB.
        PngKind expected{2, 8};
        if (recipe.bitCount <= 8) {
            const int colors = recipe.colorsUsed ? int(recipe.colorsUsed) : 1 << recipe.bitCount;
            // Run-length data may leave pixels out (black), which joins the table.
            const bool black = recipe.compression == BI_RLE8 || recipe.compression == BI_RLE4 ||
                               colors < (1 << recipe.bitCount);
            const int entries = colors + (black ? 1 : 0);
            expected = {3, entries <= 2 ? 1 : entries <= 4 ? 2 : entries <= 16 ? 4 : 8};
        }
        ExpectRoundTrip(dib.dib, recipe.name + ".png", expected);
    }
}

// A block made by the builder: grey or black and white, with a pattern.
HDIB GreyBlock(int bits, int colors, bool minIsWhite) {
    DibBuilder builder;
    EXPECT_EQ(builder.Create(29, 11, bits, colors), DecodeFailure::None);
    builder.SetGreyPalette(minIsWhite);
    for (std::uint64_t y = 0; y < 11; ++y)
        for (std::size_t i = 0; i < builder.RowBytes(); ++i)
            builder.Row(y)[i] = BYTE(i * 37 + y * 11);
    return builder.Release();
}

TEST(PngWriter, KeepsGreyAndBlackAndWhiteAsGrey) {
    testutil::OwnedDib bilevel(GreyBlock(1, 2, false));
    ExpectRoundTrip(bilevel.dib, "bilevel.png", {0, 1});
    testutil::OwnedDib minIsWhite(GreyBlock(1, 2, true));
    ExpectRoundTrip(minIsWhite.dib, "min-is-white.png", {0, 1});
    testutil::OwnedDib ramp(GreyBlock(8, 256, false));
    ExpectRoundTrip(ramp.dib, "ramp.png", {0, 8});
    testutil::OwnedDib sixteenGreys(GreyBlock(8, 16, false));
    ExpectRoundTrip(sixteenGreys.dib, "sixteen-greys.png", {0, 8});
}

TEST(PngWriter, ReportsAFailedWrite) {
    testutil::OwnedDib dib(GreyBlock(8, 256, false));
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::string error;
    EXPECT_FALSE(WritePngFile(dib.dib, full, error));
    std::fclose(full);
    EXPECT_EQ(error, std::strerror(ENOSPC));

    HDIB broken = GlobalAlloc(GHND, 8);
    testutil::OwnedDib owned(broken);
    error.clear();
    std::FILE* fp = std::fopen("broken.png", "wb");
    EXPECT_FALSE(WritePngFile(broken, fp, error));
    std::fclose(fp);
    EXPECT_FALSE(error.empty());
}

} // namespace
