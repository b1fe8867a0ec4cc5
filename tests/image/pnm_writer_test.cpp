// PNM files written from every kind of block: P4 for black and white, P5
// for grey, P6 for the rest, read back by our reader and by ImageMagick.
#include "image/formats/image_writer.h"
#include "writer_samples.h"

#include <gtest/gtest.h>

namespace {

TEST(PnmWriter, EveryBlockComesBackWithTheSamePixels) {
    magick::Scratch dir;
    for (const samples::Sample& s : samples::All()) {
        SCOPED_TRACE(s.name);
        HDIB dib = s.dib->dib;
        ASSERT_NE(dib, nullptr);
        const std::string path = dir / "out.pnm";
        std::string error;
        ASSERT_TRUE(samples::WriteWith(WritePnmFile, dib, path, error)) << error;
        const auto original = magick::BlockPixels(dib);
        const int width = static_cast<int>(DibGetWidth(GlobalLockGuard(dib).get()));

        const auto bytes = corpus::ReadFile(path);
        ASSERT_GE(bytes.size(), 2u);
        const char kind = s.expect == samples::Expect::Bilevel ? '4'
                          : s.expect == samples::Expect::Grey  ? '5'
                                                               : '6';
        EXPECT_EQ(bytes[1], kind);
        DecodeResult back = magick::DecodeFile(PnmImageReader(), path);
        testutil::OwnedDib owned(back.block);
        ASSERT_EQ(back.failure, DecodeFailure::None) << back.error;
        EXPECT_SAME_PIXELS(magick::BlockPixels(back.block), original, width, 0);
        EXPECT_SAME_PIXELS(magick::Pixels(path), original, width, 0);
    }
}

TEST(PnmWriter, AFullDiskIsReported) {
    auto all = samples::All();
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::string error;
    EXPECT_FALSE(WritePnmFile(all[6].dib->dib, full, error));
    EXPECT_NE(error.find("space"), std::string::npos) << error;
    std::fclose(full);
}

} // namespace
