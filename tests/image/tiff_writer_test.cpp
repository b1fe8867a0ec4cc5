// TIFF files written from every kind of block: read back by our reader and
// by ImageMagick, the same pixels, in the kind of TIFF each block calls for.
#include "image/formats/image_writer.h"
#include "writer_samples.h"

#include <gtest/gtest.h>

#include <tiffio.h>

namespace {

TEST(TiffWriter, EveryBlockComesBackWithTheSamePixels) {
    magick::Scratch dir;
    for (const samples::Sample& s : samples::All()) {
        SCOPED_TRACE(s.name);
        HDIB dib = s.dib->dib;
        ASSERT_NE(dib, nullptr);
        const std::string path = dir / "out.tif";
        std::string error;
        ASSERT_TRUE(samples::WriteWith(WriteTiffFile, dib, path, error)) << error;
        const auto original = magick::BlockPixels(dib);
        ASSERT_FALSE(original.empty());
        const int width = static_cast<int>(original.size() / DibGetHeight(GlobalLockGuard(dib).get()));

        DecodeResult back = magick::DecodeFile(TiffImageReader(), path);
        testutil::OwnedDib owned(back.block);
        ASSERT_EQ(back.failure, DecodeFailure::None) << back.error;
        EXPECT_SAME_PIXELS(magick::BlockPixels(back.block), original, width, 0);
        EXPECT_SAME_PIXELS(magick::Pixels(path), original, width, 0);
        switch (s.expect) {
        case samples::Expect::Bilevel:
            EXPECT_EQ(back.info.compression, "CCITT G4");
            EXPECT_EQ(back.info.bitsPerSample, 1);
            EXPECT_EQ(magick::BitCount(back.block), 1);
            break;
        case samples::Expect::Grey:
            EXPECT_EQ(back.info.compression, "deflate");
            EXPECT_FALSE(back.info.palette);
            EXPECT_EQ(back.info.channels, 1);
            EXPECT_EQ(magick::BitCount(back.block), 8);
            break;
        case samples::Expect::Palette:
            EXPECT_TRUE(back.info.palette);
            EXPECT_EQ(magick::BitCount(back.block), 8);
            break;
        case samples::Expect::Colour:
            EXPECT_EQ(back.info.compression, "deflate");
            EXPECT_EQ(back.info.channels, 3);
            break;
        }
    }
}

TEST(TiffWriter, KeepsTheResolution) {
    magick::Scratch dir;
    auto all = samples::All();
    for (int i : {0, 6}) { // a G4 and an RGB file
        HDIB dib = all[i].dib->dib;
        samples::SetResolution(dib, 23622, 11811); // 600 x 300 dpi
        const std::string path = dir / "dpi.tif";
        std::string error;
        ASSERT_TRUE(samples::WriteWith(WriteTiffFile, dib, path, error)) << error;
        ImageHeaderInfo info;
        ASSERT_EQ(magick::ReadHeaderOf(TiffImageReader(), path, info, error), DecodeFailure::None);
        EXPECT_NEAR(info.xDpi, 600, 0.01);
        EXPECT_NEAR(info.yDpi, 300, 0.01);
    }
}

TEST(TiffWriter, BigPicturesAreCutIntoStrips) {
    // 3000 x 200 RGB: 1.8 MB of samples, so several strips of at most 1 MB.
    DibBuilder b;
    ASSERT_EQ(b.Create(3000, 200, 24, 0), DecodeFailure::None);
    for (int y = 0; y < 200; ++y)
        for (std::size_t i = 0; i < b.RowBytes(); ++i)
            b.Row(y)[i] = BYTE(i * 7 + y);
    testutil::OwnedDib dib(b.Release());
    magick::Scratch dir;
    const std::string path = dir / "strips.tif";
    std::string error;
    ASSERT_TRUE(samples::WriteWith(WriteTiffFile, dib.dib, path, error)) << error;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(tif, nullptr);
    const std::uint64_t strips = TIFFNumberOfStrips(tif);
    const std::uint64_t stripBytes = TIFFStripSize64(tif);
    TIFFClose(tif);
    EXPECT_GE(strips, 2u);
    EXPECT_GE(stripBytes, 64u << 10);
    EXPECT_LE(stripBytes, 1u << 20);
    DecodeResult back = magick::DecodeFile(TiffImageReader(), path);
    testutil::OwnedDib owned(back.block);
    ASSERT_EQ(back.failure, DecodeFailure::None);
    EXPECT_SAME_PIXELS(magick::BlockPixels(back.block), magick::BlockPixels(dib.dib), 3000, 0);
}

TEST(TiffWriter, AFullDiskIsReported) {
    auto all = samples::All();
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::string error;
    EXPECT_FALSE(WriteTiffFile(all[6].dib->dib, full, error));
    EXPECT_FALSE(error.empty());
    std::fclose(full);
}

} // namespace
