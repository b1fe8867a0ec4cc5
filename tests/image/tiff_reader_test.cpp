// The TIFF reader against ImageMagick's decode of files ImageMagick made,
// one of every kind a scanner or image program writes, and against files
// made by hand that lie, loop or end too soon.
#include "image/formats/image_format.h"
#include "magick_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tiffio.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 37; // odd sizes catch row padding and partial tiles
constexpr int kHeight = 23;

struct Kind {
    const char* name;
    const char* source; // raw samples: rgb, rgba, gray or graya
    int sourceBytes;    // 1 or 2 per sample
    const char* options;
    int dibBits;
    const char* compression;
    int tolerance; // per channel, against ImageMagick
};

// Tolerances: JPEG leaves the decoders free to differ by rounding; alpha
// compositing rounds differently when ImageMagick first divides the
// premultiplied colour out again; CMYK to RGB likewise rounds. Everything
// else must match exactly.
const Kind kKinds[] = {
    {"rgb none", "rgb", 1, "-compress none", 24, "none", 0},
    {"rgb LZW", "rgb", 1, "-compress LZW", 24, "LZW", 0},
    {"rgb deflate", "rgb", 1, "-compress Zip", 24, "deflate", 0},
    {"rgb PackBits", "rgb", 1, "-compress RLE", 24, "PackBits", 0},
    {"rgb JPEG", "rgb", 1, "-compress JPEG -quality 92", 24, "JPEG", 2},
    {"rgb 16-bit", "rgb", 2, "-compress Zip", 24, "deflate", 0},
    {"rgb 16-bit big-endian", "rgb", 2, "-compress none -endian MSB", 24, "none", 0},
    {"rgb big-endian LZW", "rgb", 1, "-compress LZW -endian MSB", 24, "LZW", 0},
    {"rgb separate planes", "rgb", 1, "-interlace Plane -compress LZW", 24, "LZW", 0},
    {"rgb 16-bit separate planes", "rgb", 2, "-interlace Plane -compress none", 24, "none", 0},
    {"rgb tiles", "rgb", 1, "-define tiff:tile-geometry=16x16 -compress Zip", 24, "deflate", 0},
    {"rgb tiles, separate planes", "rgb", 1,
     "-define tiff:tile-geometry=16x16 -interlace Plane -compress LZW", 24, "LZW", 0},
    {"rgb 7 rows per strip", "rgb", 1, "-define tiff:rows-per-strip=7 -compress LZW", 24, "LZW", 0},
    {"rgba", "rgba", 1, "-compress Zip", 24, "deflate", 1},
    {"rgba associated", "rgba", 1, "-define tiff:alpha=associated -compress LZW", 24, "LZW", 2},
    {"rgba 16-bit", "rgba", 2, "-compress none", 24, "none", 1},
    {"rgba separate planes", "rgba", 1, "-interlace Plane -compress Zip", 24, "deflate", 1},
    {"grey", "gray", 1, "-compress LZW", 8, "LZW", 0},
    {"grey 16-bit", "gray", 2, "-compress none -endian MSB", 8, "none", 0},
    {"grey min-is-white", "gray", 1, "-define quantum:polarity=min-is-white -compress Zip", 8,
     "deflate", 0},
    {"grey 16-bit min-is-white", "gray", 2, "-define quantum:polarity=min-is-white", 8, "none", 0},
    {"grey 4-bit", "gray", 1, "-depth 4 -compress none", 8, "none", 0},
    {"grey 2-bit", "gray", 1, "-depth 2 -compress none", 8, "none", 0},
    {"grey alpha", "graya", 1, "-compress LZW", 8, "LZW", 1},
    {"grey tiles", "gray", 1, "-define tiff:tile-geometry=16x16 -compress RLE", 8, "PackBits", 0},
    {"bilevel G4", "gray", 1, "-threshold 50% -type bilevel -compress Group4", 1, "CCITT G4", 0},
    {"bilevel G3", "gray", 1, "-threshold 50% -type bilevel -compress Fax", 1, "CCITT G3", 0},
    {"bilevel min-is-black", "gray", 1,
     "-threshold 50% -type bilevel -depth 1 -compress none", 1,
     "none", 0},
    {"bilevel tiles", "gray", 1,
     "-threshold 50% -type bilevel -define tiff:tile-geometry=16x16 -compress Group4", 1,
     "CCITT G4", 0},
    {"palette", "rgb", 1, "-colors 200 -type Palette -compress LZW", 8, "LZW", 0},
    {"palette 1-bit", "rgb", 1, "-threshold 50% -type palette -colors 2 -depth 1 -compress LZW", 1,
     "LZW", 0},
    {"palette 4-bit", "rgb", 1, "-colors 16 -type Palette -depth 4 -compress none", 8, "none", 0},
    {"cmyk", "rgb", 1, "-colorspace CMYK -compress LZW", 24, "LZW", 1},
};

const Kind& Named(const std::string& name) {
    for (const Kind& kind : kKinds)
        if (name == kind.name)
            return kind;
    ADD_FAILURE() << "no kind " << name;
    return kKinds[0];
}

std::string MakeKind(const magick::Scratch& dir, const Kind& kind, const std::string& prefix = "") {
    const int channels = int(std::string(kind.source).size()) - (kind.source[0] == 'g' ? 3 : 0);
    const std::string raw = magick::WriteRaw(
        dir / "source.raw", magick::Pattern(kWidth, kHeight, channels, kind.sourceBytes));
    const std::string out = dir / "picture.tif";
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    EXPECT_TRUE(magick::Convert("-size " + size + " -depth " + std::to_string(8 * kind.sourceBytes) +
                                " " + kind.source + ":" + raw + " " + kind.options + " " +
                                prefix + out));
    return out;
}

TEST(TiffReader, DecodesEveryKindAsImageMagickDoes) {
    magick::Scratch dir;
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const std::string path = MakeKind(dir, kind);
        std::vector<double> progress;
        DecodeResult r = magick::DecodeFile(TiffImageReader(), path,
                                            [&](double done) { progress.push_back(done); return true; });
        testutil::OwnedDib owned(r.block);
        ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
        EXPECT_EQ(r.info.width, std::uint64_t(kWidth));
        EXPECT_EQ(r.info.height, std::uint64_t(kHeight));
        EXPECT_EQ(r.info.compression, kind.compression);
        EXPECT_EQ(r.info.dibBits, kind.dibBits);
        EXPECT_EQ(magick::BitCount(r.block), kind.dibBits);
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), 1.0);
        const auto theirs = magick::Pixels(path);
        ASSERT_EQ(theirs.size(), std::size_t(kWidth * kHeight));
        EXPECT_SAME_PIXELS(magick::BlockPixels(r.block), theirs, kWidth, kind.tolerance);
    }
}

TEST(TiffReader, HeaderTellsHowThePictureIsStored) {
    magick::Scratch dir;
    struct Case {
        const Kind& kind;
        int channels, bits;
        bool palette;
    } cases[] = {{Named("rgb 16-bit"), 3, 16, false},  {Named("rgba"), 4, 8, false},
                 {Named("grey 4-bit"), 1, 4, false},  {Named("bilevel G4"), 1, 1, false},
                 {Named("palette"), 1, 8, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind.name);
        const std::string path = MakeKind(dir, c.kind);
        ImageHeaderInfo info;
        std::string error;
        ASSERT_EQ(magick::ReadHeaderOf(TiffImageReader(), path, info, error), DecodeFailure::None)
            << error;
        EXPECT_EQ(info.format, ImageFormat::Tiff);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.bitsPerSample, c.bits);
        EXPECT_EQ(info.palette, c.palette);
        EXPECT_EQ(info.dibBits, c.kind.dibBits);
        EXPECT_EQ(info.compression, c.kind.compression);
        EXPECT_EQ(info.pages, 1);
    }
}

TEST(TiffReader, BigTiffReadsLikeClassic) {
    magick::Scratch dir;
    const std::string path = MakeKind(dir, Named("rgb LZW"), "TIFF64:");
    const auto head = corpus::ReadFile(path);
    ASSERT_GE(head.size(), 4u);
    ASSERT_EQ(head[2], 43); // BigTIFF's version number
    DecodeResult r = magick::DecodeFile(TiffImageReader(), path);
    testutil::OwnedDib owned(r.block);
    ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
    EXPECT_SAME_PIXELS(magick::BlockPixels(r.block), magick::Pixels(path), kWidth, 0);
}

// One strip of 72 MB decoded (a small file: one flat colour): read a row
// at a time rather than through a strip-sized buffer.
TEST(TiffReader, AStripTooLargeForOneBufferIsReadRowByRow) {
    magick::Scratch dir;
    const std::string path = dir / "one-strip.tif";
    ASSERT_TRUE(magick::Convert("-size 8000x3000 'xc:#123456' -fill '#ABCDEF' -draw 'point 7999,2999' "
                                "-define tiff:rows-per-strip=3000 -compress Zip " + path));
    DecodeResult r = magick::DecodeFile(TiffImageReader(), path);
    testutil::OwnedDib owned(r.block);
    ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
    EXPECT_EQ(testutil::Decode(r.block, 0, 0, 2, 1),
              (std::vector<std::uint32_t>{corpus::Argb(0x12, 0x34, 0x56), corpus::Argb(0x12, 0x34, 0x56)}));
    EXPECT_EQ(testutil::Decode(r.block, 7999, 2999, 1, 1),
              (std::vector<std::uint32_t>{corpus::Argb(0xAB, 0xCD, 0xEF)}));
}

TEST(TiffReader, OpensTheFirstOfSeveralPagesAndCountsThem) {
    magick::Scratch dir;
    const std::string a = dir / "a.ppm", b = dir / "b.pgm", c = dir / "c.ppm";
    ASSERT_TRUE(magick::Convert("-size 37x23 gradient:red-blue " + a));
    ASSERT_TRUE(magick::Convert("-size 20x30 gradient: " + b));
    ASSERT_TRUE(magick::Convert("-size 5x5 xc:green " + c));
    const std::string path = dir / "pages.tif";
    ASSERT_TRUE(magick::Convert(a + " " + b + " " + c + " -compress LZW " + path));
    DecodeResult r = magick::DecodeFile(TiffImageReader(), path);
    testutil::OwnedDib owned(r.block);
    ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
    EXPECT_EQ(r.info.pages, 3);
    EXPECT_EQ(r.info.width, 37u);
    EXPECT_SAME_PIXELS(magick::BlockPixels(r.block), magick::Pixels(path), 37, 0);
    ImageHeaderInfo info;
    std::string error;
    ASSERT_EQ(magick::ReadHeaderOf(TiffImageReader(), path, info, error), DecodeFailure::None);
    EXPECT_EQ(info.pages, 3);
}

TEST(TiffReader, ResolutionInInchesOrCentimetresOrNone) {
    magick::Scratch dir;
    const std::string src = dir / "s.pgm";
    ASSERT_TRUE(magick::Convert("-size 9x9 gradient: " + src));
    struct Case {
        const char* options;
        double x, y;
    } cases[] = {{"-density 600 -units PixelsPerInch -type bilevel -compress Group4", 600, 600},
                 {"-density 200x300 -units PixelsPerInch", 200, 300},
                 {"-density 118.11 -units PixelsPerCentimeter", 300, 300},
                 {"-density 72 -units Undefined", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string path = dir / "r.tif";
        ASSERT_TRUE(magick::Convert(src + " " + c.options + " " + path));
        ImageHeaderInfo info;
        std::string error;
        ASSERT_EQ(magick::ReadHeaderOf(TiffImageReader(), path, info, error), DecodeFailure::None);
        EXPECT_NEAR(info.xDpi, c.x, 0.01);
        EXPECT_NEAR(info.yDpi, c.y, 0.01);
    }
}

// A little-endian TIFF made by hand: the directory right after the header,
// the pixel data after it, so that a cut can leave the directory whole.
struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count, value;
};

std::vector<BYTE> HandMade(std::vector<Entry> entries, const std::vector<BYTE>& data,
                           std::uint32_t nextDirectory = 0) {
    std::vector<BYTE> f = {'I', 'I', 42, 0};
    corpus::Put32(f, 8);
    const std::uint32_t dataAt = 8 + 2 + std::uint32_t(entries.size()) * 12 + 4;
    corpus::Put16(f, WORD(entries.size()));
    for (Entry e : entries) {
        if (e.tag == TIFFTAG_STRIPOFFSETS && e.value == 0)
            e.value = dataAt;
        corpus::Put16(f, e.tag);
        corpus::Put16(f, e.type);
        corpus::Put32(f, e.count);
        corpus::Put32(f, e.value);
    }
    corpus::Put32(f, nextDirectory);
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

constexpr std::uint16_t kShort = 3, kLong = 4;

std::vector<Entry> GreyEntries(std::uint32_t width, std::uint32_t height, std::uint32_t bytes) {
    return {{TIFFTAG_IMAGEWIDTH, kLong, 1, width},   {TIFFTAG_IMAGELENGTH, kLong, 1, height},
            {TIFFTAG_BITSPERSAMPLE, kShort, 1, 8},   {TIFFTAG_COMPRESSION, kShort, 1, 1},
            {TIFFTAG_PHOTOMETRIC, kShort, 1, 1},     {TIFFTAG_STRIPOFFSETS, kLong, 1, 0},
            {TIFFTAG_ROWSPERSTRIP, kLong, 1, height}, {TIFFTAG_STRIPBYTECOUNTS, kLong, 1, bytes}};
}

DecodeResult DecodeBytes(const std::vector<BYTE>& bytes, ImageHeaderInfo* header = nullptr,
                         DecodeFailure* headerFailure = nullptr) {
    std::FILE* f = fmemopen(const_cast<BYTE*>(bytes.data()), bytes.size(), "rb");
    if (header) {
        std::string error;
        *headerFailure = TiffImageReader().ReadHeader(f, *header, error);
        std::rewind(f);
    }
    DecodeResult r = TiffImageReader().Decode(f, {});
    std::fclose(f);
    return r;
}

TEST(TiffReader, HandMadeGreyDecodes) {
    std::vector<BYTE> pixels(6 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = BYTE(i * 10);
    DecodeResult r = DecodeBytes(HandMade(GreyEntries(6, 4, 24), pixels));
    testutil::OwnedDib owned(r.block);
    ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
    const auto shown = magick::BlockPixels(r.block);
    ASSERT_EQ(shown.size(), 24u);
    for (std::size_t i = 0; i < 24; ++i)
        EXPECT_EQ(shown[i], corpus::Argb(pixels[i], pixels[i], pixels[i]));
}

TEST(TiffReader, HugeClaimIsTooLargeBeforeAnythingIsAllocated) {
    auto entries = GreyEntries(100000, 100000, 100000);
    entries.insert(entries.begin() + 6, Entry{TIFFTAG_SAMPLESPERPIXEL, kShort, 1, 3});
    entries[4].value = PHOTOMETRIC_RGB;
    ImageHeaderInfo header;
    DecodeFailure headerFailure = DecodeFailure::None;
    DecodeResult r = DecodeBytes(HandMade(entries, {}), &header, &headerFailure);
    EXPECT_EQ(headerFailure, DecodeFailure::TooLarge);
    EXPECT_EQ(header.width, 100000u);
    EXPECT_EQ(r.failure, DecodeFailure::TooLarge);
    EXPECT_EQ(r.block, nullptr);
    EXPECT_NE(r.error.find("100000"), std::string::npos) << r.error;
}

TEST(TiffReader, DamagedFilesAreCorruptInLibtiffsWords) {
    // Strip data cut short: the directory is whole, the pixels are not.
    std::vector<BYTE> pixels(16 * 16, 0x80);
    std::vector<BYTE> file = HandMade(GreyEntries(16, 16, 256), pixels);
    file.resize(file.size() - 100);
    DecodeResult cut = DecodeBytes(file);
    EXPECT_EQ(cut.failure, DecodeFailure::Corrupt);
    EXPECT_EQ(cut.block, nullptr);
    EXPECT_EQ(cut.error.rfind("Read error", 0), 0u) << cut.error;

    // Cut inside the directory, and not a TIFF at all past its first bytes.
    file.resize(30);
    DecodeResult noDirectory = DecodeBytes(file);
    EXPECT_EQ(noDirectory.failure, DecodeFailure::Corrupt);
    EXPECT_FALSE(noDirectory.error.empty());
    const std::vector<BYTE> garbage = {'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
    DecodeResult bad = DecodeBytes(garbage);
    EXPECT_EQ(bad.failure, DecodeFailure::Corrupt);
    EXPECT_FALSE(bad.error.empty());
}

// A cut either loses pixels, and is refused, or only tags libtiff can do
// without (the chromaticities image programs put after the directory).
TEST(TiffReader, EveryCutOfARealFileIsRefusedOrComplete) {
    magick::Scratch dir;
    for (const Kind* kind : {&Named("rgb LZW"), &Named("rgb tiles"), &Named("bilevel G4")}) {
        SCOPED_TRACE(kind->name);
        const auto whole = corpus::ReadFile(MakeKind(dir, *kind));
        DecodeResult full = DecodeBytes(whole);
        testutil::OwnedDib fullOwned(full.block);
        ASSERT_EQ(full.failure, DecodeFailure::None);
        const auto fullPixels = magick::BlockPixels(full.block);
        int refused = 0, cuts = 0;
        for (std::size_t n = 0; n < whole.size(); n += 1 + whole.size() / 97) {
            ++cuts;
            DecodeResult r = DecodeBytes(std::vector<BYTE>(whole.begin(), whole.begin() + n));
            testutil::OwnedDib owned(r.block);
            if (r.failure == DecodeFailure::None) {
                EXPECT_EQ(magick::BlockPixels(r.block), fullPixels) << "cut at " << n;
                continue;
            }
            ++refused;
            EXPECT_EQ(r.failure, DecodeFailure::Corrupt) << "cut at " << n;
            EXPECT_FALSE(r.error.empty());
        }
        EXPECT_GT(refused, cuts / 2);
    }
}

TEST(TiffReader, TilesLargerThanThePictureCanNeedAreRefused) {
    auto entries = GreyEntries(10, 10, 100);
    // Tiles of 65536 x 65536 (4 GB each) for a 10 x 10 picture.
    entries.erase(entries.begin() + 5, entries.end());
    entries.push_back({TIFFTAG_TILEWIDTH, kLong, 1, 65536});
    entries.push_back({TIFFTAG_TILELENGTH, kLong, 1, 65536});
    entries.push_back({TIFFTAG_TILEOFFSETS, kLong, 1, 200});
    entries.push_back({TIFFTAG_TILEBYTECOUNTS, kLong, 1, 100});
    DecodeResult r = DecodeBytes(HandMade(entries, std::vector<BYTE>(300)));
    EXPECT_EQ(r.failure, DecodeFailure::Corrupt);
    EXPECT_EQ(r.block, nullptr);
    EXPECT_FALSE(r.error.empty());
}

TEST(TiffReader, DirectoryChainThatLoopsEnds) {
    std::vector<BYTE> pixels(4, 0);
    DecodeResult self = DecodeBytes(HandMade(GreyEntries(2, 2, 4), pixels, 8));
    testutil::OwnedDib owned(self.block);
    ASSERT_EQ(self.failure, DecodeFailure::None) << self.error;
    EXPECT_EQ(self.info.pages, 1);
}

TEST(TiffReader, PaletteMapsOf16And8BitEntries) {
    // Two pixels, indexes 0 and 1, of an 8-bit palette picture; the colour
    // map's 3 x 256 shorts follow the pixels.
    for (bool old : {false, true}) {
        SCOPED_TRACE(old ? "8-bit entries" : "16-bit entries");
        auto entries = GreyEntries(2, 1, 2);
        entries[4].value = PHOTOMETRIC_PALETTE;
        const std::uint32_t mapAt = 8 + 2 + 9 * 12 + 4 + 2;
        entries.push_back({TIFFTAG_COLORMAP, kShort, 3 * 256, mapAt});
        std::vector<BYTE> data = {0, 1};
        std::vector<std::uint16_t> map(3 * 256, 0);
        const std::uint16_t scale = old ? 1 : 257;
        map[0] = 200 * scale, map[256] = 100 * scale, map[512] = 50 * scale; // entry 0
        map[1] = 10 * scale, map[257] = 20 * scale, map[513] = 255 * scale;  // entry 1
        for (std::uint16_t v : map)
            corpus::Put16(data, v);
        DecodeResult r = DecodeBytes(HandMade(entries, data));
        testutil::OwnedDib owned(r.block);
        ASSERT_EQ(r.failure, DecodeFailure::None) << r.error;
        EXPECT_EQ(magick::BitCount(r.block), 8);
        const auto shown = magick::BlockPixels(r.block);
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0], corpus::Argb(200, 100, 50));
        EXPECT_EQ(shown[1], corpus::Argb(10, 20, 255));
    }
}

TEST(TiffReader, FloatingPointSamplesAreRefused) {
    auto entries = GreyEntries(1, 1, 4);
    entries[2].value = 32;
    entries.push_back({TIFFTAG_SAMPLEFORMAT, kShort, 1, SAMPLEFORMAT_IEEEFP});
    DecodeResult r = DecodeBytes(HandMade(entries, std::vector<BYTE>(4)));
    EXPECT_EQ(r.failure, DecodeFailure::Corrupt);
    EXPECT_FALSE(r.error.empty());
}

TEST(TiffReader, LibtiffMessagesNeverReachStandardError) {
    std::fflush(stderr);
    const int saved = dup(2);
    std::FILE* capture = std::tmpfile();
    dup2(fileno(capture), 2);
    std::vector<BYTE> file = HandMade(GreyEntries(16, 16, 256), std::vector<BYTE>(100));
    DecodeResult r = DecodeBytes(file);
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    EXPECT_EQ(r.failure, DecodeFailure::Corrupt);
    EXPECT_EQ(std::ftell(capture), 0L);
    std::fclose(capture);
}

} // namespace
