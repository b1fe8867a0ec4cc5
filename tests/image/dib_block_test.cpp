// Measuring, palettes, copying and painting of DIB blocks.
#include "dib_test_util.h"
#include "platform/scripted/recording_dc.h"

#include <gtest/gtest.h>

using corpus::Header;

namespace {

std::vector<BYTE> DibOf(corpus::Recipe recipe) {
    return testutil::DibPart(corpus::Make(recipe).file);
}

} // namespace

TEST(DibMeasure, TrueColourHasNoTableUnlessColoursUsedSaySo) {
    std::vector<BYTE> plain = DibOf(corpus::Of("24", 24));
    EXPECT_EQ(DibColorCount(plain.data()), 0);
    EXPECT_EQ(DibColorTableBytes(plain.data()), 0);
    EXPECT_EQ(DibPixelData(plain.data()), plain.data() + 40);
    HDIB dib = testutil::BlockOf(plain);
    CPalette palette;
    EXPECT_FALSE(DibMakePalette(dib, &palette));
    GlobalFree(dib);

    corpus::Recipe withTable = corpus::Of("24-16", 24);
    withTable.colorsUsed = 16;
    std::vector<BYTE> sixteen = DibOf(withTable);
    EXPECT_EQ(DibColorCount(sixteen.data()), 16);
    EXPECT_EQ(DibColorTableBytes(sixteen.data()), 64);
    EXPECT_EQ(DibPixelData(sixteen.data()), sixteen.data() + 40 + 64);
    dib = testutil::BlockOf(sixteen);
    ASSERT_TRUE(DibMakePalette(dib, &palette));
    ASSERT_EQ(palette.Entries().size(), 16u);
    BYTE rgb[3];
    corpus::PaletteEntry(15, rgb);
    EXPECT_EQ(palette.Entries()[15].peRed, rgb[2]);
    EXPECT_EQ(palette.Entries()[15].peGreen, rgb[1]);
    EXPECT_EQ(palette.Entries()[15].peBlue, rgb[0]);
    GlobalFree(dib);
}

TEST(DibMeasure, CoreHeaderUsesThreeByteEntries) {
    std::vector<BYTE> core = DibOf(corpus::Of("core", 8, BI_RGB, Header::Core));
    EXPECT_EQ(DibColorCount(core.data()), 256);
    EXPECT_EQ(DibColorTableBytes(core.data()), 768);
    EXPECT_EQ(DibGetWidth(core.data()), 13u);
    EXPECT_EQ(DibGetHeight(core.data()), 7u);
    EXPECT_EQ(DibPixelData(core.data()), core.data() + 12 + 768);
    HDIB dib = testutil::BlockOf(core);
    CPalette palette;
    ASSERT_TRUE(DibMakePalette(dib, &palette));
    ASSERT_EQ(palette.Entries().size(), 256u);
    BYTE rgb[3];
    corpus::PaletteEntry(200, rgb);
    EXPECT_EQ(palette.Entries()[200].peRed, rgb[2]);
    EXPECT_EQ(palette.Entries()[200].peBlue, rgb[0]);
    EXPECT_EQ(GlobalLockCount(dib), 0u) << "the block is unlocked again";
    GlobalFree(dib);
}

TEST(DibMeasure, UnknownHeaderSizesAreMeasuredWithTheCoreLayout) {
    std::vector<BYTE> v4 = DibOf(corpus::Of("v4", 24, BI_RGB, Header::V4));
    v4[4] = 0x34, v4[5] = 0x12, v4[6] = 0x02, v4[7] = 0x00; // width 0x00021234 in 32 bits
    EXPECT_EQ(DibGetWidth(v4.data()), 0x1234u);
    EXPECT_EQ(DibGetHeight(v4.data()), 2u);
    EXPECT_EQ(DibCheckBlock(v4.data(), v4.size()), DibCheck::Invalid)
        << "a block is only shown once it has been brought to a 40-byte header";
}

TEST(DibMeasure, NegativeHeightReadsAsHugeAndIsTooLarge) {
    std::vector<BYTE> dib = DibOf(corpus::Of("24", 24));
    corpus::Set32(dib, 8, static_cast<DWORD>(-7));
    EXPECT_GT(DibGetHeight(dib.data()), 2147483647u);
    EXPECT_EQ(DibCheckBlock(dib.data(), dib.size()), DibCheck::TooLarge);
}

TEST(DibMeasure, BitFieldMasksLieBetweenHeaderAndBits) {
    std::vector<BYTE> dib =
        DibOf(corpus::WithMasks(corpus::Of("565", 16, BI_BITFIELDS), 0xF800, 0x07E0, 0x001F));
    EXPECT_EQ(DibMaskBytes(dib.data()), 12);
    EXPECT_EQ(DibColorTableBytes(dib.data()), 0);
    EXPECT_EQ(DibPixelData(dib.data()), dib.data() + 52);
}

namespace {

// A 4 x 2 run-length block with a two-colour table and the given data; the
// header's image size is the data's.
std::vector<BYTE> RleBlock(DWORD compression, const std::vector<BYTE>& data) {
    std::vector<BYTE> dib;
    corpus::Put32(dib, 40);
    corpus::Put32(dib, 4);
    corpus::Put32(dib, 2);
    corpus::Put16(dib, 1);
    corpus::Put16(dib, compression == BI_RLE8 ? 8 : 4);
    corpus::Put32(dib, compression);
    corpus::Put32(dib, DWORD(data.size()));
    for (int i = 0; i < 4; ++i)
        corpus::Put32(dib, 0); // resolution, 2 colours used, important
    corpus::Set32(dib, 32, 2);
    corpus::Put32(dib, 0x000000);
    corpus::Put32(dib, 0xFFFFFF);
    dib.insert(dib.end(), data.begin(), data.end());
    return dib;
}

DibCheck CheckOf(const std::vector<BYTE>& dib) {
    return DibCheckBlock(dib.data(), dib.size());
}

} // namespace

TEST(DibCheck, RunLengthDataCutInsideACodeAreRefused) {
    // Run, end of line, move, literal of three (padded), end of picture.
    const std::vector<BYTE> whole = {2, 1, 0, 0, 0, 2, 1, 0, 0, 3, 1, 0, 1, 0, 0, 1};
    EXPECT_EQ(CheckOf(RleBlock(BI_RLE8, whole)), DibCheck::Ok);
    // Data that simply stop between codes show what they hold.
    EXPECT_EQ(CheckOf(RleBlock(BI_RLE8, {2, 1, 0, 0})), DibCheck::Ok);
    // Cut inside a run, a move or a literal: the file was cut short.
    for (std::size_t cut : {1u, 7u, 11u, 13u})
        EXPECT_EQ(CheckOf(RleBlock(BI_RLE8, std::vector<BYTE>(whole.begin(), whole.begin() + cut))),
                  DibCheck::Invalid)
            << cut;
    // Four-bit literals take half a byte a pixel: five pixels need three
    // bytes and a pad byte.
    EXPECT_EQ(CheckOf(RleBlock(BI_RLE4, {0, 5, 0x10, 0x10, 0x10, 0, 0, 1})), DibCheck::Ok);
    EXPECT_EQ(CheckOf(RleBlock(BI_RLE4, {0, 5, 0x10, 0x10, 0x10})), DibCheck::Invalid);
    // What follows the end of the picture is never looked at.
    EXPECT_EQ(CheckOf(RleBlock(BI_RLE8, {0, 1, 0, 9})), DibCheck::Ok);
}

TEST(DibCheck, BitFieldsWithoutAnyMaskBitAreRefused) {
    std::vector<BYTE> dib =
        DibOf(corpus::WithMasks(corpus::Of("565", 16, BI_BITFIELDS), 0xF800, 0x07E0, 0x001F));
    EXPECT_EQ(CheckOf(dib), DibCheck::Ok);
    for (std::size_t at : {40u, 44u, 48u})
        corpus::Set32(dib, at, 0);
    EXPECT_EQ(CheckOf(dib), DibCheck::Invalid);
}

TEST(DibCheck, RefusesBlocksWhosePartsRunPastTheEnd) {
    const std::vector<BYTE> good = DibOf(corpus::Of("8", 8));
    EXPECT_EQ(DibCheckBlock(good.data(), good.size()), DibCheck::Ok);
    // Every shorter block misses some of the bits, the table or the header.
    for (std::size_t n = 0; n < good.size(); ++n)
        ASSERT_EQ(DibCheckBlock(good.data(), n), DibCheck::Invalid) << n;

    std::vector<BYTE> lying = good;
    corpus::Set32(lying, 32, 60000); // colours used: the table would run far past the end
    EXPECT_EQ(DibCheckBlock(lying.data(), lying.size()), DibCheck::Invalid);
    HDIB dib = testutil::BlockOf(lying);
    CPalette palette;
    EXPECT_FALSE(DibMakePalette(dib, &palette)) << "the palette is never read past the block";
    RecordingDC dc;
    EXPECT_EQ(DibRender(&dc, CRect(0, 0, 13, 7), dib, CRect(0, 0, 13, 7), nullptr), 0);
    EXPECT_TRUE(dc.Drawn().empty());
    GlobalFree(dib);

    // 32768 entries: the 16-bit table size wraps to 0, the entries do not.
    std::vector<BYTE> wrapping = DibOf(corpus::Of("16", 16));
    corpus::Set32(wrapping, 32, 0x8000);
    EXPECT_EQ(DibColorTableBytes(wrapping.data()), 0);
    EXPECT_EQ(DibCheckBlock(wrapping.data(), wrapping.size()), DibCheck::Invalid);
    HDIB wraps = testutil::BlockOf(wrapping);
    EXPECT_FALSE(DibMakePalette(wraps, &palette));
    GlobalFree(wraps);

    std::vector<BYTE> huge = good;
    corpus::Set32(huge, 4, 0x7FFFFFFF);
    corpus::Set32(huge, 8, 0x7FFFFFFF);
    EXPECT_EQ(DibCheckBlock(huge.data(), huge.size()), DibCheck::Invalid);

    std::vector<BYTE> rle = DibOf(corpus::Of("rle8", 8, BI_RLE8));
    corpus::Set32(rle, 20, DWORD(rle.size())); // image size past the end
    EXPECT_EQ(DibCheckBlock(rle.data(), rle.size()), DibCheck::Invalid);

    std::vector<BYTE> zeroWidth = good;
    corpus::Set32(zeroWidth, 4, 0);
    EXPECT_EQ(DibCheckBlock(zeroWidth.data(), zeroWidth.size()), DibCheck::Invalid);

    std::vector<BYTE> badDepth = good;
    badDepth[14] = 7;
    EXPECT_EQ(DibCheckBlock(badDepth.data(), badDepth.size()), DibCheck::Invalid);

    std::vector<BYTE> jpeg = good;
    corpus::Set32(jpeg, 16, 4);
    EXPECT_EQ(DibCheckBlock(jpeg.data(), jpeg.size()), DibCheck::Invalid);
}

TEST(DibCopy, DuplicateCopiesEveryByteIncludingTheTail) {
    EXPECT_EQ(DuplicateGlobalBlock(nullptr), nullptr);
    HGLOBAL block = GlobalAlloc(GHND, 11);
    {
        GlobalLockGuard lock(block);
        for (int i = 0; i < 11; ++i)
            static_cast<BYTE*>(lock.get())[i] = BYTE(i * 29 + 1);
    }
    HGLOBAL copy = DuplicateGlobalBlock(block);
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy, block);
    EXPECT_EQ(GlobalSize(copy), 11u);
    {
        GlobalLockGuard a(block), b(copy);
        EXPECT_EQ(std::memcmp(a.get(), b.get(), 11), 0);
    }
    EXPECT_EQ(GlobalLockCount(block), 0u);
    EXPECT_EQ(GlobalLockCount(copy), 0u);
    GlobalFree(block);
    GlobalFree(copy);
}

TEST(DibRender, EqualSizesCopyAndOtherSizesStretch) {
    HDIB dib = testutil::BlockOf(DibOf(corpus::Of("8", 8)));
    CPalette palette;
    ASSERT_TRUE(DibMakePalette(dib, &palette));
    RecordingDC dc;
    EXPECT_EQ(DibRender(&dc, CRect(5, 6, 18, 13), dib, CRect(0, 0, 13, 7), &palette), 7);
    EXPECT_EQ(dc.stretchMode, COLORONCOLOR);
    std::vector<DrawOp> drawn = dc.Drawn();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].kind, DrawOp::SetDIBits);
    EXPECT_EQ((CRect{drawn[0].a, drawn[0].b, drawn[0].c, drawn[0].d}), CRect(5, 6, 13, 7));
    EXPECT_EQ(drawn[0].sx, 0);
    EXPECT_EQ(drawn[0].sy, 0) << "source y counts from the bottom scan line";
    // The palette goes in as a background palette and the old one comes back.
    ASSERT_EQ(dc.ops.front().kind, DrawOp::SelectPalette);
    EXPECT_TRUE(dc.ops.front().flag);
    EXPECT_EQ(dc.palette, nullptr);

    dc.ops.clear();
    EXPECT_EQ(DibRender(&dc, CRect(0, 0, 26, 14), dib, CRect(0, 0, 13, 7), nullptr), 7);
    drawn = dc.Drawn();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].kind, DrawOp::StretchDIBits);
    EXPECT_EQ(drawn[0].c, 26);
    EXPECT_EQ(drawn[0].d, 14);
    EXPECT_EQ(drawn[0].sw, 13);
    EXPECT_EQ(drawn[0].sh, 7);

    // A part of the picture: source y is the distance of its bottom from the
    // picture's bottom.
    dc.ops.clear();
    DibRender(&dc, CRect(0, 0, 4, 2), dib, CRect(3, 1, 7, 3), nullptr);
    drawn = dc.Drawn();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].sx, 3);
    EXPECT_EQ(drawn[0].sy, 7 - 3);
    EXPECT_EQ(GlobalLockCount(dib), 0u);
    GlobalFree(dib);

    EXPECT_EQ(DibRender(&dc, CRect(0, 0, 1, 1), nullptr, CRect(0, 0, 1, 1), nullptr), 0);
}
