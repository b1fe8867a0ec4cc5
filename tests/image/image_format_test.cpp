// Telling formats apart, the resolution rule, and the block the readers
// build row by row.
#include "image/formats/dib_builder.h"
#include "image/formats/image_format.h"
#include "platform/dib_types.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {
ImageFormat Detect(const std::string& head) {
    return DetectImageFormat(reinterpret_cast<const unsigned char*>(head.data()), head.size());
}
} // namespace

TEST(ImageFormat, EachFormatIsToldByItsFirstBytesNotItsName) {
    EXPECT_EQ(Detect("BM\x36\0\0\0"), ImageFormat::Bmp);
    EXPECT_EQ(Detect(std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)), ImageFormat::Png);
    EXPECT_EQ(Detect("\xFF\xD8\xFF\xE0"), ImageFormat::Jpeg);
    EXPECT_EQ(Detect(std::string("II*\0\x08\0\0\0", 8)), ImageFormat::Tiff);
    EXPECT_EQ(Detect(std::string("MM\0*\0\0\0\x08", 8)), ImageFormat::Tiff);
    EXPECT_EQ(Detect(std::string("II+\0\x08\0\0\0", 8)), ImageFormat::Tiff) << "BigTIFF";
    EXPECT_EQ(Detect(std::string("RIFF\x10\0\0\0WEBPVP8 ", 16)), ImageFormat::WebP);
    EXPECT_EQ(Detect("P6\n3 2\n255\n"), ImageFormat::Pnm);
    EXPECT_EQ(Detect("P1 1 1 0"), ImageFormat::Pnm);
    // Near misses.
    EXPECT_EQ(Detect(std::string("RIFF\x10\0\0\0WAVEfmt ", 16)), ImageFormat::Unknown);
    EXPECT_EQ(Detect("P7\nWIDTH 1\n"), ImageFormat::Unknown);
    EXPECT_EQ(Detect(std::string("MM\0\0", 4)), ImageFormat::Unknown);
    EXPECT_EQ(Detect("B"), ImageFormat::Unknown);
    EXPECT_EQ(Detect(""), ImageFormat::Unknown);

    EXPECT_EQ(FormatFromExtension("/scans/Board.TIFF"), ImageFormat::Tiff);
    EXPECT_EQ(FormatFromExtension("a.pgm"), ImageFormat::Pnm);
    EXPECT_EQ(FormatFromExtension("photo.JPG"), ImageFormat::Jpeg);
    EXPECT_EQ(FormatFromExtension("dir.png/scan"), ImageFormat::Unknown);
    EXPECT_EQ(FormatFromExtension("scan"), ImageFormat::Unknown);
    EXPECT_TRUE(IsLosslessFormat(ImageFormat::Pnm));
    EXPECT_FALSE(IsLosslessFormat(ImageFormat::Jpeg));
    EXPECT_FALSE(IsLosslessFormat(ImageFormat::WebP));
}

TEST(ImageFormat, AStatedResolutionCountsFrom50To20000DpiOnBothAxes) {
    using Lines = std::optional<std::pair<int, int>>;
    EXPECT_EQ(ScanLinesFromResolution(600, 600), (Lines{{600, 600}}));
    EXPECT_EQ(ScanLinesFromResolution(299.9994, 1200.4), (Lines{{300, 1200}}));
    EXPECT_EQ(ScanLinesFromResolution(50, 20000), (Lines{{50, 20000}}));
    EXPECT_EQ(ScanLinesFromResolution(49.9, 600), Lines{});
    EXPECT_EQ(ScanLinesFromResolution(600, 20000.5), Lines{});
    EXPECT_EQ(ScanLinesFromResolution(0, 0), Lines{}) << "nothing stated";
    EXPECT_EQ(ScanLinesFromResolution(600, 0), Lines{}) << "one axis alone is not a resolution";
    EXPECT_EQ(ScanLinesFromResolution(std::nan(""), 600), Lines{});
    EXPECT_EQ(ScanLinesFromResolution(INFINITY, 600), Lines{});
}

TEST(DibBuilder, SizesBeyondTheProgramsLimitsAreRefusedBeforeAllocating) {
    EXPECT_EQ(DibBuilder::CheckSize(0, 10, 24), DecodeFailure::Corrupt);
    EXPECT_EQ(DibBuilder::CheckSize(10, 0, 8), DecodeFailure::Corrupt);
    EXPECT_EQ(DibBuilder::CheckSize(0x80000000u, 1, 1), DecodeFailure::TooLarge);
    EXPECT_EQ(DibBuilder::CheckSize(1, 0x80000000u, 1), DecodeFailure::TooLarge);
    // 100000 x 100000 at 24 bits is 30 GB of pixels.
    EXPECT_EQ(DibBuilder::CheckSize(100000, 100000, 24), DecodeFailure::TooLarge);
    EXPECT_EQ(DibBuilder::CheckSize(100000, 100000, 1), DecodeFailure::None) << "1.25 GB";
    EXPECT_EQ(DibBuilder::CheckSize(0x7FFFFFFFu, 0x7FFFFFFFu, 1), DecodeFailure::TooLarge);
    DibBuilder builder;
    EXPECT_EQ(builder.Create(100000, 100000, 24, 0), DecodeFailure::TooLarge);
    EXPECT_EQ(builder.Release(), nullptr);
    EXPECT_EQ(builder.Create(4, 4, 16, 0), DecodeFailure::Corrupt) << "only 1, 8 and 24 bits";
    EXPECT_EQ(builder.Create(4, 4, 1, 3), DecodeFailure::Corrupt) << "3 colours at 1 bit";
}

TEST(DibBuilder, RowsGoInTopFirstAndLandBottomUpWithTheirPalette) {
    DibBuilder builder;
    ASSERT_EQ(builder.Create(5, 3, 8, 256), DecodeFailure::None);
    EXPECT_EQ(builder.RowBytes(), 8u) << "rows are padded to four bytes";
    builder.SetGreyPalette();
    for (std::uint64_t y = 0; y < 3; ++y)
        builder.Row(y)[0] = static_cast<BYTE>(10 + y);
    EXPECT_EQ(builder.Row(3), nullptr);
    HDIB dib = builder.Release();
    ASSERT_NE(dib, nullptr);
    {
        GlobalLockGuard lock(dib);
        const auto* header = static_cast<const BITMAPINFOHEADER*>(lock.get());
        EXPECT_EQ(header->biWidth, 5);
        EXPECT_EQ(header->biHeight, 3);
        EXPECT_EQ(header->biBitCount, 8);
        EXPECT_EQ(header->biClrUsed, 256u);
        const auto* colors = reinterpret_cast<const RGBQUAD*>(header + 1);
        EXPECT_EQ(colors[0].rgbRed, 0);
        EXPECT_EQ(colors[128].rgbGreen, 128);
        EXPECT_EQ(colors[255].rgbBlue, 255);
        const BYTE* bits = reinterpret_cast<const BYTE*>(colors + 256);
        // The top row is the last one in the block.
        EXPECT_EQ(bits[0], 12);
        EXPECT_EQ(bits[8], 11);
        EXPECT_EQ(bits[16], 10);
        EXPECT_EQ(lock.size(), sizeof(BITMAPINFOHEADER) + 256 * 4 + 3 * 8);
    }
    EXPECT_EQ(DibCheckBlock(dib), DibCheck::Ok);
    GlobalFree(dib);

    DibBuilder bilevel;
    ASSERT_EQ(bilevel.Create(9, 1, 1, 2), DecodeFailure::None);
    bilevel.SetGreyPalette(/*minIsWhite=*/true);
    dib = bilevel.Release();
    {
        GlobalLockGuard lock(dib);
        const auto* colors =
            reinterpret_cast<const RGBQUAD*>(static_cast<const BYTE*>(lock.get()) + 40);
        EXPECT_EQ(colors[0].rgbRed, 255) << "0 is white in a min-is-white picture";
        EXPECT_EQ(colors[1].rgbRed, 0);
    }
    GlobalFree(dib);
}

TEST(DibBuilder, ProgressIsReportedOncePerPercent) {
    int calls = 0;
    double last = -1;
    const DecodeProgress progress = [&](double done) {
        ++calls;
        EXPECT_GT(done, last);
        last = done;
        return true;
    };
    DibBuilder builder;
    builder.SetProgress(&progress);
    for (int row = 0; row <= 1000; ++row)
        builder.ReportProgress(row / 1000.0);
    EXPECT_EQ(calls, 101);
    EXPECT_DOUBLE_EQ(last, 1.0);
}
