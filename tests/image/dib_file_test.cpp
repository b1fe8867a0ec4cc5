// Reading .bmp files of every kind into blocks the painter shows correctly,
// refusing broken ones, and writing blocks back out.
#include "dib_test_util.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

using corpus::Header;

class CorpusTest : public ::testing::TestWithParam<corpus::Recipe> {};

TEST_P(CorpusTest, EveryPixelShowsItsColour) {
    const corpus::Bitmap bmp = corpus::Make(GetParam());
    HDIB dib = testutil::ReadDibBytes(GetParam().name, bmp.file);
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(DibCheckBlock(dib), DibCheck::Ok);
    const int w = bmp.recipe.width, h = bmp.recipe.height;
    {
        GlobalLockGuard lock(dib);
        EXPECT_EQ(DibGetWidth(lock.get()), DWORD(w));
        EXPECT_EQ(DibGetHeight(lock.get()), DWORD(h));
    }
    const std::vector<std::uint32_t> all = testutil::Decode(dib, 0, 0, w, h);
    ASSERT_EQ(all.size(), bmp.expected.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(all[std::size_t(y) * w + x], bmp.At(x, y)) << "pixel " << x << "," << y;

    // A rectangle hanging over the picture's edges: the overhang is black.
    const std::vector<std::uint32_t> part = testutil::Decode(dib, 5, 3, 10, 6);
    ASSERT_EQ(part.size(), 60u);
    for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 10; ++i) {
            const int x = 5 + i, y = 3 + j;
            const std::uint32_t want = (x < w && y < h) ? bmp.At(x, y) : 0xFF000000u;
            ASSERT_EQ(part[std::size_t(j) * 10 + i], want) << "pixel " << x << "," << y;
        }
    GlobalFree(dib);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, CorpusTest, ::testing::ValuesIn(corpus::AllKinds()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(DibReadFile, LongHeadersBecomeFortyByteHeadersWithMasksAfterThem) {
    const corpus::Bitmap bmp = corpus::Make(
        corpus::WithMasks(corpus::Of("v5", 16, BI_BITFIELDS, Header::V5), 0xF800, 0x07E0, 0x001F));
    const testutil::OwnedDib owned(testutil::ReadDibBytes("v5", bmp.file));
    HDIB dib = owned.dib;
    ASSERT_NE(dib, nullptr);
    GlobalLockGuard lock(dib);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(lock.get());
    EXPECT_EQ(info->biSize, 40u);
    EXPECT_EQ(info->biCompression, BI_BITFIELDS);
    DWORD masks[3];
    std::memcpy(masks, static_cast<const BYTE*>(lock.get()) + 40, sizeof masks);
    EXPECT_EQ(masks[0], 0xF800u);
    EXPECT_EQ(masks[1], 0x07E0u);
    EXPECT_EQ(masks[2], 0x001Fu);
}

TEST(DibReadFile, FilesThatAreNoBitmapsOrCutShortAreRefused) {
    EXPECT_EQ(testutil::ReadDibBytes("empty", {}), nullptr);
    EXPECT_EQ(testutil::ReadDibBytes("short", {'B', 'M', 0, 0}), nullptr);
    std::vector<BYTE> png = corpus::Make(corpus::Of("24", 24)).file;
    png[0] = 0x89;
    png[1] = 'P';
    EXPECT_EQ(testutil::ReadDibBytes("png", png), nullptr);

    // Only the file header: a block with nothing in it, which the check refuses.
    EXPECT_EQ(testutil::ReadDibBytes("bare", std::vector<BYTE>(png.begin(), png.begin() + 14)),
              nullptr);
    std::vector<BYTE> header(14, 0);
    header[0] = 'B';
    header[1] = 'M';
    HDIB bare = testutil::ReadDibBytes("bare", header);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(DibCheckBlock(bare), DibCheck::Invalid);
    GlobalFree(bare);
}

TEST(DibReadFile, WrongSizeAndOffsetFieldsDoNotMatterWhenThereIsNoGap) {
    corpus::Bitmap bmp = corpus::Make(corpus::Of("8", 8));
    corpus::Set32(bmp.file, 2, 99);            // file size
    corpus::Set32(bmp.file, 10, 3);            // pixel offset inside the file header
    HDIB dib = testutil::ReadDibBytes("fields", bmp.file);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(GlobalSize(dib), bmp.file.size() - 14);
    EXPECT_EQ(testutil::Decode(dib, 0, 0, 13, 7), bmp.expected);
    GlobalFree(dib);

    corpus::Set32(bmp.file, 10, DWORD(bmp.file.size() + 100)); // offset past the end
    dib = testutil::ReadDibBytes("fields", bmp.file);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(testutil::Decode(dib, 0, 0, 13, 7), bmp.expected);
    GlobalFree(dib);
}

namespace {

// What DibReadFile makes of a file's bytes, without the file.
HDIB BlockFromFileBytes(const std::vector<BYTE>& file) {
    HDIB dib = testutil::BlockOf(testutil::DibPart(file));
    DWORD offBits;
    std::memcpy(&offBits, file.data() + 10, 4);
    DibNormalizeBlock(dib, offBits > 14 ? offBits - 14 : 0);
    return dib;
}

void ExpectEveryCutRefused(const corpus::Recipe& recipe, bool throughFiles) {
    const corpus::Bitmap bmp = corpus::Make(recipe);
    for (std::size_t n = 0; n < bmp.file.size(); ++n) {
        // A cut before the pixel offset of a file with a gap leaves an
        // offset past the end, which is ignored as any wrong offset is: the
        // bytes after the table are then the bits.
        DWORD offBits;
        std::memcpy(&offBits, bmp.file.data() + 10, 4);
        if (recipe.gap && n <= offBits)
            continue;
        const std::vector<BYTE> cut(bmp.file.begin(), bmp.file.begin() + n);
        HDIB dib = throughFiles ? testutil::ReadDibBytes("cut", cut)
                                : (n >= 14 ? BlockFromFileBytes(cut) : nullptr);
        if (!dib)
            continue;
        // A cut leaves the header asking for bytes that are not there.
        EXPECT_EQ(DibCheckBlock(dib), DibCheck::Invalid) << recipe.name << " cut at " << n;
        // Decoding never reads outside the block (the sanitizer build checks).
        testutil::Decode(dib, 0, 0, recipe.width, recipe.height);
        GlobalFree(dib);
    }
}

} // namespace

TEST(DibReadFile, EveryCutOfEveryKindIsRefusedByTheCheck) {
    for (const corpus::Recipe& recipe : corpus::AllKinds())
        ExpectEveryCutRefused(recipe, false);
    ExpectEveryCutRefused(corpus::Of("v4 rle4", 4, BI_RLE4, Header::V4), true);
}

namespace {

std::vector<BYTE> WriteToBytes(HDIB dib, bool* written) {
    CFile out;
    EXPECT_TRUE(out.Open("written.bmp", CFile::modeCreate | CFile::modeReadWrite));
    *written = DibWriteFile(dib, out);
    out.Close();
    return corpus::ReadFile("written.bmp");
}

} // namespace

TEST(DibWriteFile, EightBitImageSizesAndOffsets) {
    corpus::Recipe recipe = corpus::Of("8", 8);
    recipe.width = 101;
    recipe.height = 10;
    corpus::Bitmap bmp = corpus::Make(recipe);
    corpus::Set32(bmp.file, 14 + 20, 0); // no image size stored
    const testutil::OwnedDib owned(testutil::ReadDibBytes("101", bmp.file));
    HDIB dib = owned.dib;
    ASSERT_NE(dib, nullptr);
    bool written = false;
    const std::vector<BYTE> file = WriteToBytes(dib, &written);
    ASSERT_TRUE(written);
    ASSERT_EQ(file.size(), 2118u);
    BITMAPFILEHEADER fh;
    std::memcpy(&fh, file.data(), sizeof fh);
    EXPECT_EQ(WORD{fh.bfType}, DIB_FILE_TYPE);
    EXPECT_EQ(DWORD{fh.bfSize}, 2118u);
    EXPECT_EQ(DWORD{fh.bfOffBits}, 1078u);
    EXPECT_EQ(WORD{fh.bfReserved1}, 0);
    BITMAPINFOHEADER ih;
    std::memcpy(&ih, file.data() + 14, sizeof ih);
    EXPECT_EQ(ih.biSizeImage, 1040u);
    GlobalLockGuard lock(dib);
    EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(lock.get())->biSizeImage, 1040u)
        << "the document's own header is updated";
}

TEST(DibWriteFile, FortyByteFilesComeBackByteForByte) {
    for (const corpus::Recipe& recipe : corpus::AllKinds()) {
        if (recipe.header != Header::Info || recipe.gap != 0)
            continue;
        const corpus::Bitmap bmp = corpus::Make(recipe);
        HDIB dib = testutil::ReadDibBytes(recipe.name, bmp.file);
        ASSERT_NE(dib, nullptr) << recipe.name;
        bool written = false;
        EXPECT_EQ(WriteToBytes(dib, &written), bmp.file) << recipe.name;
        EXPECT_TRUE(written);
        GlobalFree(dib);
    }
}

TEST(DibWriteFile, LongHeadersAndGapsAreWrittenAsPlainFortyByteFiles) {
    for (const corpus::Recipe& recipe : corpus::AllKinds()) {
        if (recipe.header == Header::Core || (recipe.header == Header::Info && recipe.gap == 0))
            continue;
        const corpus::Bitmap bmp = corpus::Make(recipe);
        HDIB dib = testutil::ReadDibBytes(recipe.name, bmp.file);
        ASSERT_NE(dib, nullptr);
        bool written = false;
        const std::vector<BYTE> file = WriteToBytes(dib, &written);
        ASSERT_TRUE(written) << recipe.name;
        GlobalFree(dib);
        const testutil::OwnedDib again(testutil::ReadDibBytes("again", file));
        ASSERT_NE(again.dib, nullptr);
        {
            GlobalLockGuard lock(again.dib);
            EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(lock.get())->biSize, 40u);
        }
        EXPECT_EQ(testutil::Decode(again.dib, 0, 0, recipe.width, recipe.height), bmp.expected)
            << recipe.name;
        BITMAPFILEHEADER fh;
        std::memcpy(&fh, file.data(), sizeof fh);
        EXPECT_EQ(DWORD{fh.bfSize}, file.size());
    }
}

TEST(DibWriteFile, RunLengthImagesKeepTheirStoredSize) {
    const corpus::Bitmap bmp = corpus::Make(corpus::Of("rle4", 4, BI_RLE4));
    HDIB dib = testutil::ReadDibBytes("rle4", bmp.file);
    ASSERT_NE(dib, nullptr);
    DWORD stored;
    std::memcpy(&stored, bmp.file.data() + 14 + 20, 4);
    bool written = false;
    const std::vector<BYTE> file = WriteToBytes(dib, &written);
    EXPECT_TRUE(written);
    EXPECT_EQ(file.size(), 14u + 40 + 64 + stored);
    GlobalFree(dib);
}

TEST(DibWriteFile, RefusesCoreHeadersAndMissingImagesWithoutWriting) {
    bool written = true;
    EXPECT_TRUE(WriteToBytes(nullptr, &written).empty());
    EXPECT_FALSE(written);
    HDIB core = testutil::ReadDibBytes("core", corpus::Make(corpus::Of("c", 8, BI_RGB, Header::Core)).file);
    ASSERT_NE(core, nullptr);
    EXPECT_FALSE(DibCanWrite(core));
    EXPECT_TRUE(WriteToBytes(core, &written).empty());
    EXPECT_FALSE(written);
    GlobalFree(core);

    // A header whose bits would lie past the block is never written from.
    std::vector<BYTE> dib = testutil::DibPart(corpus::Make(corpus::Of("24", 24)).file);
    corpus::Set32(dib, 8, 5000);
    HDIB tall = testutil::BlockOf(dib);
    EXPECT_FALSE(DibCanWrite(tall));
    EXPECT_TRUE(WriteToBytes(tall, &written).empty());
    EXPECT_FALSE(written);
    GlobalFree(tall);
}

TEST(DibReadFileInfo, ReportsWhatTheFileHolds) {
    const std::string path = testutil::WriteTemp(
        "info", corpus::Make(corpus::Of("v4", 8, BI_RGB, Header::V4)).file);
    DibFileInfo info;
    ASSERT_EQ(DibReadFileInfo(path, &info), DibInfoResult::Ok);
    EXPECT_EQ(info.fileHeaderSize, 108u);
    EXPECT_FALSE(info.coreHeader);
    EXPECT_EQ(info.width, 13u);
    EXPECT_EQ(info.height, 7u);
    EXPECT_EQ(info.bitCount, 8);
    EXPECT_EQ(info.colors, 256);
    EXPECT_TRUE(info.hasPalette);
    EXPECT_EQ(info.check, DibCheck::Ok);

    const std::string rle = testutil::WriteTemp("info-core", corpus::Make(corpus::Of("c", 24, BI_RGB, Header::Core)).file);
    ASSERT_EQ(DibReadFileInfo(rle, &info), DibInfoResult::Ok);
    EXPECT_TRUE(info.coreHeader);
    EXPECT_EQ(info.bitCount, 24);
    EXPECT_FALSE(info.hasPalette);

    EXPECT_EQ(DibReadFileInfo("missing.bmp", &info), DibInfoResult::CannotOpen);
    corpus::WriteFile("text.bmp", {'h', 'e', 'l', 'l', 'o', '\n', 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(DibReadFileInfo("text.bmp", &info), DibInfoResult::NotBmp);
}

// The block is sized by the picture the headers describe: bytes after it,
// however many, are neither read nor kept.
TEST_P(CorpusTest, TrailingBytesAreLeftUnread) {
    const corpus::Bitmap bmp = corpus::Make(GetParam());
    const testutil::OwnedDib plain(testutil::ReadDibBytes(GetParam().name, bmp.file));
    std::vector<BYTE> longer = bmp.file;
    longer.resize(longer.size() + 4096, 0xA5);
    const testutil::OwnedDib padded(testutil::ReadDibBytes(GetParam().name + "-padded", longer));
    ASSERT_TRUE(plain.dib && padded.dib);
    ASSERT_EQ(GlobalSize(padded.dib), GlobalSize(plain.dib));
    GlobalLockGuard a(plain.dib), b(padded.dib);
    EXPECT_EQ(std::memcmp(a.get(), b.get(), a.size()), 0);
}

TEST(DibReadFile, AHugeFileWithASmallPictureIsReadAsTheSmallPicture) {
    const corpus::Bitmap bmp = corpus::Make(corpus::Of("24", 24));
    const std::string path = "sparse.bmp";
    ASSERT_TRUE(corpus::WriteFile(path, bmp.file));
    ASSERT_EQ(truncate(path.c_str(), 4LL << 30), 0); // 4 GiB, almost all of it a hole
    const testutil::OwnedDib dib(testutil::ReadDib(path));
    ASSERT_TRUE(dib.dib);
    EXPECT_EQ(GlobalSize(dib.dib), bmp.file.size() - 14);
    EXPECT_EQ(testutil::Decode(dib.dib, 0, 0, 13, 7)[0], bmp.At(0, 0));
    std::remove(path.c_str());
}
