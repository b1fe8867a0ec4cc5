// The PNM reader against ImageMagick's decode of every PNM kind, and
// against headers that lie, overflow or never end.
#include "image/formats/image_format.h"
#include "magick_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kWidth = 37;
constexpr int kHeight = 23;

std::vector<BYTE> Bytes(const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); }

DecodeResult DecodeBytes(const std::vector<BYTE>& bytes) {
    std::FILE* f = fmemopen(const_cast<BYTE*>(bytes.data()), bytes.size(), "rb");
    DecodeResult r = PnmImageReader().Decode(f, {});
    std::fclose(f);
    return r;
}

DecodeFailure HeaderOf(const std::vector<BYTE>& bytes, ImageHeaderInfo& info, std::string& error) {
    std::FILE* f = fmemopen(const_cast<BYTE*>(bytes.data()), bytes.size(), "rb");
    const DecodeFailure failure = PnmImageReader().ReadHeader(f, info, error);
    std::fclose(f);
    return failure;
}

// Decodes the file and compares it with ImageMagick's decode of it.
void ExpectAsImageMagick(const std::string& path, int dibBits, int width = kWidth) {
    DecodeResult r = magick::DecodeFile(PnmImageReader(), path);
    testutil::OwnedDib owned(r.block);
    ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
    EXPECT_EQ(r.info.format, ImageFormat::Pnm);
    EXPECT_EQ(magick::BitCount(r.block), dibBits);
    const auto theirs = magick::Pixels(path);
    ASSERT_FALSE(theirs.empty());
    EXPECT_SAME_PIXELS(magick::BlockPixels(r.block), theirs, width, 0);
}

TEST(PnmReader, DecodesEveryKindAsImageMagickDoes) {
    magick::Scratch dir;
    const std::string rgb8 = magick::WriteRaw(dir / "c8.raw", magick::Pattern(kWidth, kHeight, 3));
    const std::string rgb16 =
        magick::WriteRaw(dir / "c16.raw", magick::Pattern(kWidth, kHeight, 3, 2));
    const std::string size = "-size 37x23 ";
    struct Case {
        const char* name;
        std::string source;
        const char* options;
        const char* out;
        int dibBits, channels, bits;
    } cases[] = {
        {"P1", "-depth 8 rgb:" + rgb8, "-threshold 50% -compress none", "pbm", 1, 1, 1},
        {"P4", "-depth 8 rgb:" + rgb8, "-threshold 50%", "pbm", 1, 1, 1},
        {"P2", "-depth 8 rgb:" + rgb8, "-colorspace gray -compress none", "pgm", 8, 1, 8},
        {"P5", "-depth 8 rgb:" + rgb8, "-colorspace gray", "pgm", 8, 1, 8},
        {"P5 16-bit", "-depth 16 rgb:" + rgb16, "-colorspace gray", "pgm", 8, 1, 16},
        {"P5 maxval 1023", "-depth 16 rgb:" + rgb16, "-colorspace gray -depth 10", "pgm", 8, 1, 16},
        {"P5 maxval 15", "-depth 8 rgb:" + rgb8, "-colorspace gray -depth 4", "pgm", 8, 1, 8},
        {"P3", "-depth 8 rgb:" + rgb8, "-compress none", "ppm", 24, 3, 8},
        {"P3 16-bit", "-depth 16 rgb:" + rgb16, "-compress none", "ppm", 24, 3, 16},
        {"P6", "-depth 8 rgb:" + rgb8, "", "ppm", 24, 3, 8},
        {"P6 16-bit", "-depth 16 rgb:" + rgb16, "", "ppm", 24, 3, 16},
        {"P6 maxval 31", "-depth 8 rgb:" + rgb8, "-depth 5", "ppm", 24, 3, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / (std::string("p.") + c.out);
        ASSERT_TRUE(magick::Convert(size + c.source + " " + c.options + " " + path));
        ASSERT_EQ(corpus::ReadFile(path).at(1), BYTE(c.name[1])); // the kind meant
        ExpectAsImageMagick(path, c.dibBits);
        ImageHeaderInfo info;
        std::string error;
        ASSERT_EQ(magick::ReadHeaderOf(PnmImageReader(), path, info, error), DecodeFailure::None);
        EXPECT_EQ(info.width, std::uint64_t(kWidth));
        EXPECT_EQ(info.height, std::uint64_t(kHeight));
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.bitsPerSample, c.bits);
        EXPECT_EQ(info.dibBits, c.dibBits);
        EXPECT_EQ(info.xDpi, 0.0);
    }
}

TEST(PnmReader, HeadersWithCommentsAndAnyBlanks) {
    magick::Scratch dir;
    // Comments between every field, every kind of blank, a plain bitmap
    // whose digits run together, odd maxvals.
    const std::string files[] = {
        "P2\n#c1\n 3\t#c2\n2\r\n#c3 long comment\n7\n0 1 2\n3\f4\v7\n",
        "P1 # a comment right after the magic\n5 2\n10101\n0 1 0 1 1\n",
        "P3\n2 1 100\n100 0 50   99 98 1\n",
        "P5 4 1 65535\n" + std::string("\x00\x01\x80\x00\xff\xff\x12\x34", 8),
        "P6\n#\n1 1\n#\n255\n" + std::string("\x10\x20\x30", 3),
        "P4\n9 2\n" + std::string("\xAA\x80\x55\x00", 4),
    };
    int n = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file.substr(0, 2));
        const std::string path = dir / ("h" + std::to_string(n++) + ".pnm");
        corpus::WriteFile(path, Bytes(file));
        DecodeResult r = magick::DecodeFile(PnmImageReader(), path);
        testutil::OwnedDib owned(r.block);
        ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
        EXPECT_SAME_PIXELS(magick::BlockPixels(r.block), magick::Pixels(path),
                           int(r.info.width), 0);
    }
}

// Netpbm lets a comment start right after a number; ImageMagick does not
// read such files, so the same picture without the comments is the
// reference.
TEST(PnmReader, CommentsRightAfterNumbers) {
    magick::Scratch dir;
    const std::string plain = dir / "plain.pgm";
    corpus::WriteFile(plain, Bytes("P2 3 2 7 0 1 2 3 4 7\n"));
    DecodeResult r = DecodeBytes(Bytes("P2 3#c\n2#c\n7#c\n0#c\n1 2#c 9\n3 4 7"));
    testutil::OwnedDib owned(r.block);
    ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
    EXPECT_SAME_PIXELS(magick::BlockPixels(r.block), magick::Pixels(plain), 3, 0);
}

TEST(PnmReader, BitmapKeepsOneBitWithOneBlack) {
    DecodeResult r = DecodeBytes(Bytes("P1\n3 1\n1 0 1\n"));
    testutil::OwnedDib owned(r.block);
    ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
    EXPECT_EQ(magick::BitCount(r.block), 1);
    const auto shown = magick::BlockPixels(r.block);
    EXPECT_EQ(shown, (std::vector<std::uint32_t>{0xFF000000u, 0xFFFFFFFFu, 0xFF000000u}));
}

TEST(PnmReader, OpensTheFirstOfSeveralPictures) {
    DecodeResult r = DecodeBytes(Bytes("P5 2 1 255\n\x10\x20P5 3 1 255\n\x30\x40\x50"));
    testutil::OwnedDib owned(r.block);
    ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
    EXPECT_EQ(r.info.width, 2u);
    EXPECT_EQ(magick::BlockPixels(r.block),
              (std::vector<std::uint32_t>{corpus::Argb(16, 16, 16), corpus::Argb(32, 32, 32)}));
}

TEST(PnmReader, DataCutShortIsCorrupt) {
    const std::string files[] = {"P6 4 4 255\n" + std::string(47, 'x'),
                                 "P5 4 4 65535\n" + std::string(31, 'x'), "P4 9 2\n\x01\x02\x03",
                                 "P3 2 1 255\n1 2 3 4 5", "P1 3 2 1 0 1 0 1",
                                 // 3.6 GB claimed by a few bytes: refused before allocating
                                 "P5 60000 60000 255\nxx"};
    for (const std::string& file : files) {
        SCOPED_TRACE(file.substr(0, 2));
        DecodeResult r = DecodeBytes(Bytes(file));
        EXPECT_EQ(r.failure, DecodeFailure::Corrupt);
        EXPECT_EQ(r.block, nullptr);
        EXPECT_EQ(r.error, "file ends before the picture does");
    }
}

TEST(PnmReader, NonsenseHeadersAreCorruptAndSayWhy) {
    struct Case {
        std::string file;
        DecodeFailure failure;
        const char* words;
    } cases[] = {
        {"P7 1 1 255\n", DecodeFailure::Corrupt, "not a PNM file"},
        {"Q6 1 1 255\n", DecodeFailure::Corrupt, "not a PNM file"},
        {"P6 -5 1 255\n", DecodeFailure::Corrupt, "width is not a number"},
        {"P6 5 x 255\n", DecodeFailure::Corrupt, "height is not a number"},
        {"P6 5 1\n", DecodeFailure::Corrupt, "file ends before the maxval"},
        {"P6 0 1 255\n", DecodeFailure::Corrupt, "width is 0"},
        {"P6 1 0 255\n", DecodeFailure::Corrupt, "height is 0"},
        {"P6 1 1 0\n", DecodeFailure::Corrupt, "maxval 0"},
        {"P6 1 1 65536\n", DecodeFailure::Corrupt, "maxval 65536"},
        {"P5 1 1 255x", DecodeFailure::Corrupt, "no blank after the header"},
        {"P2 2 1 255 12 z", DecodeFailure::Corrupt, "not a number"},
        {"P6 # never ending comment", DecodeFailure::Corrupt, "file ends before the width"},
        {"P6 99999999999999999999999999 1 255\n", DecodeFailure::TooLarge, "too large"},
        {"P6 100000 100000 255\n", DecodeFailure::TooLarge, "100000 x 100000"},
        {"P4 4294967297 1\n", DecodeFailure::TooLarge, "too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        DecodeResult r = DecodeBytes(Bytes(c.file));
        EXPECT_EQ(r.failure, c.failure);
        EXPECT_EQ(r.block, nullptr);
        EXPECT_NE(r.error.find(c.words), std::string::npos) << r.error;
        ImageHeaderInfo info;
        std::string error;
        const bool inThePixels = c.file.find("12 z") != std::string::npos;
        EXPECT_EQ(HeaderOf(Bytes(c.file), info, error),
                  inThePixels ? DecodeFailure::None : c.failure);
    }
}

TEST(PnmReader, EndlessCommentsAreBounded) {
    std::string file = "P6\n#";
    file.append(3u << 20, 'c'); // one comment line of 3 MB, and nothing after it
    file += "\n1 1 255\nabc";
    DecodeResult r = DecodeBytes(Bytes(file));
    EXPECT_EQ(r.failure, DecodeFailure::Corrupt);
    EXPECT_NE(r.error.find("width"), std::string::npos) << r.error;
}

TEST(PnmReader, SamplesAboveMaxvalAreMaxval) {
    DecodeResult r = DecodeBytes(Bytes("P2 2 1 10\n10 99\n"));
    testutil::OwnedDib owned(r.block);
    ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
    EXPECT_EQ(magick::BlockPixels(r.block),
              (std::vector<std::uint32_t>{0xFFFFFFFFu, 0xFFFFFFFFu}));
}

} // namespace
