// PNG files of every colour type, depth and interlacing, made by ImageMagick
// from recipes and compared pixel for pixel with ImageMagick's own decode.
#include "image/format_test_util.h"
#include "image/formats/image_format.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using formattest::Convert;

// A picture with colour everywhere and no two neighbours alike, at a size
// that is no multiple of 4 or 8 (row padding and bit packing show).
const std::string kSource = "-size 37x23 -seed 3 plasma:";
// A picture with two flat colours, for the tRNS kinds (one colour made
// transparent).
const std::string kFlat = "-size 37x23 xc:gray50 -fill black -draw 'rectangle 3,3 10,10'";
// Alpha that changes across the picture.
const std::string kAlpha =
    "\\( -size 37x23 gradient:white-black -rotate 0 \\) -alpha off -compose CopyOpacity -composite";

struct PngRecipe {
    std::string name;
    std::string args;  // ImageMagick's arguments between the source and the file
    int colorType;     // what the file's IHDR must say
    int bitDepth;
    int dibBits;
    bool transparency; // a tRNS chunk
    std::string source = kSource;
};

// IM writes its background colour into small palettes unless told not to.
std::string Define(int type, int depth) {
    return " -define png:exclude-chunk=bKGD -define png:color-type=" + std::to_string(type) +
           " -define png:bit-depth=" + std::to_string(depth);
}

std::vector<PngRecipe> Recipes() {
    const std::string grey = " -colorspace Gray";
    return {
        {"grey-1", grey + " -threshold 50%" + Define(0, 1), 0, 1, 1, false},
        {"grey-2", grey + Define(0, 2), 0, 2, 8, false},
        {"grey-4", grey + Define(0, 4), 0, 4, 8, false},
        {"grey-8", grey + Define(0, 8), 0, 8, 8, false},
        {"grey-16", grey + " -depth 16" + Define(0, 16), 0, 16, 8, false},
        {"palette-1", " -colors 2" + Define(3, 1), 3, 1, 1, false},
        {"palette-2", " -colors 4" + Define(3, 2), 3, 2, 8, false},
        {"palette-4", " -colors 16" + Define(3, 4), 3, 4, 8, false},
        {"palette-8", " -colors 200" + Define(3, 8), 3, 8, 8, false},
        {"rgb-8", Define(2, 8), 2, 8, 24, false},
        {"rgb-16", " -depth 16" + Define(2, 16), 2, 16, 24, false},
        {"grey-alpha-8", grey + " " + kAlpha + Define(4, 8), 4, 8, 8, false},
        {"grey-alpha-16", grey + " -depth 16 " + kAlpha + Define(4, 16), 4, 16, 8, false},
        {"rgba-8", " " + kAlpha + Define(6, 8), 6, 8, 24, false},
        {"rgba-16", " -depth 16 " + kAlpha + Define(6, 16), 6, 16, 24, false},
        // ImageMagick's palette files keep only binary transparency.
        {"palette-alpha", " " + kAlpha + " -colors 30 -define png:format=png8", 3, 8, 8, true},
        {"grey-1-trns", " -transparent black" + Define(0, 1), 0, 1, 1, true, kFlat},
        {"grey-4-trns", " -transparent black" + Define(0, 4), 0, 4, 8, true, kFlat},
        {"grey-8-trns", " -transparent black" + Define(0, 8), 0, 8, 8, true, kFlat},
        {"grey-16-trns", " -transparent black" + Define(0, 16), 0, 16, 8, true, kFlat},
        {"rgb-8-trns", " -fill red -draw 'rectangle 20,5 30,20' -transparent black" + Define(2, 8),
         2, 8, 24, true, kFlat},
        {"rgb-16-trns",
         " -fill red -draw 'rectangle 20,5 30,20' -transparent black" + Define(2, 16), 2, 16, 24,
         true, kFlat},
    };
}

std::vector<BYTE> Make(const PngRecipe& recipe, const std::string& path, bool interlaced) {
    const std::string extra = interlaced ? " -interlace PNG" : " -interlace none";
    if (!Convert(recipe.source + recipe.args + extra + " '" + path + "'"))
        return {};
    return corpus::ReadFile(path);
}

bool HasChunk(const std::vector<BYTE>& file, const char* type) {
    for (std::size_t at = 8; at + 8 <= file.size();) {
        const std::size_t length = std::size_t(file[at]) << 24 | file[at + 1] << 16 |
                                   file[at + 2] << 8 | file[at + 3];
        if (std::memcmp(&file[at + 4], type, 4) == 0)
            return true;
        at += 12 + length;
    }
    return false;
}

void CheckKind(const PngRecipe& recipe, bool interlaced) {
    const std::string path = recipe.name + (interlaced ? "-adam7" : "") + ".png";
    SCOPED_TRACE(path);
    const std::vector<BYTE> file = Make(recipe, path, interlaced);
    ASSERT_GT(file.size(), 33u) << "ImageMagick made no file";
    // The recipe made the kind it names.
    ASSERT_EQ(file[25], recipe.colorType);
    ASSERT_EQ(file[24], recipe.bitDepth);
    ASSERT_EQ(file[28], interlaced ? 1 : 0);
    ASSERT_EQ(HasChunk(file, "tRNS"), recipe.transparency);
    const bool alpha = recipe.colorType >= 4 || recipe.transparency;
    // Putting alpha over white rounds differently by one at most; nothing
    // else may differ. 16-bit samples are scaled as ImageMagick's -depth 8.
    formattest::ExpectLikeMagick(PngImageReader(), path, alpha ? 1 : 0, recipe.dibBits);

    ImageHeaderInfo info;
    std::string error;
    ASSERT_EQ(formattest::ReadHeaderOf(PngImageReader(), path, info, error), DecodeFailure::None);
    EXPECT_EQ(info.format, ImageFormat::Png);
    EXPECT_EQ(info.width, 37u);
    EXPECT_EQ(info.height, 23u);
    EXPECT_EQ(info.bitsPerSample, recipe.bitDepth);
    EXPECT_EQ(info.palette, recipe.colorType == 3);
    EXPECT_EQ(info.dibBits, recipe.dibBits);
    const int channels[] = {1, 0, 3, 1, 2, 0, 4};
    EXPECT_EQ(info.channels, channels[recipe.colorType]);
}

TEST(PngReader, DecodesEveryKindLikeImageMagick) {
    for (const PngRecipe& recipe : Recipes())
        CheckKind(recipe, false);
}

TEST(PngReader, DecodesAdam7PassesIntoTheRows) {
    for (const PngRecipe& recipe : Recipes())
        CheckKind(recipe, true);
}

TEST(PngReader, OneBitGreyStaysBlackAndWhite) {
    ASSERT_TRUE(Convert(kSource + " -colorspace Gray -threshold 50%" + Define(0, 1) + " bw.png"));
    const DecodeResult result = formattest::DecodeFile(PngImageReader(), "bw.png");
    ASSERT_EQ(result.failure, DecodeFailure::None);
    testutil::OwnedDib owned(result.block);
    GlobalLockGuard lock(result.block);
    const auto* colors = reinterpret_cast<const RGBQUAD*>(static_cast<const BYTE*>(lock.get()) +
                                                          sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(colors[0].rgbRed, 0);
    EXPECT_EQ(colors[1].rgbRed, 255);
}

TEST(PngReader, ReportsResolutionOnlyInMetres) {
    struct Case {
        std::string args;
        double dpi; // 0: none
    } cases[] = {
        {"-units PixelsPerInch -density 300", 300},
        {"-units PixelsPerCentimeter -density 236.22", 600},
        {"-units Undefined -density 2", 0},
        {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ASSERT_TRUE(Convert("-size 9x5 xc:red " + c.args + " dpi.png"));
        ImageHeaderInfo info;
        std::string error;
        ASSERT_EQ(formattest::ReadHeaderOf(PngImageReader(), "dpi.png", info, error),
                  DecodeFailure::None);
        // pHYs keeps whole pixels per metre: 300 dpi is 11811 per metre.
        EXPECT_NEAR(info.xDpi, c.dpi, 0.05);
        EXPECT_NEAR(info.yDpi, c.dpi, 0.05);
        const DecodeResult result = formattest::DecodeFile(PngImageReader(), "dpi.png");
        testutil::OwnedDib owned(result.block);
        EXPECT_NEAR(result.info.xDpi, c.dpi, 0.05);
    }
}

TEST(PngReader, ReportsProgressToTheEnd) {
    ASSERT_TRUE(Convert(kSource + " -interlace PNG progress.png"));
    std::vector<double> seen;
    const DecodeResult result = formattest::DecodeFile(
        PngImageReader(), "progress.png", [&](double done) { seen.push_back(done); return true; });
    testutil::OwnedDib owned(result.block);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_DOUBLE_EQ(seen.back(), 1.0);
}

// A file of the given bytes, decoded.
DecodeResult DecodeBytes(const std::string& name, const std::vector<BYTE>& bytes) {
    corpus::WriteFile(name, bytes);
    return formattest::DecodeFile(PngImageReader(), name);
}

TEST(PngReader, RefusesDamagedFilesInLibpngsWords) {
    ASSERT_TRUE(Convert(kSource + " -define png:color-type=2 damaged.png"));
    const std::vector<BYTE> good = corpus::ReadFile("damaged.png");
    ASSERT_GT(good.size(), 200u);
    std::size_t data = 8;
    while (data + 8 < good.size() && std::memcmp(&good[data + 4], "IDAT", 4) != 0)
        data += 12 + (std::size_t(good[data]) << 24 | good[data + 1] << 16 |
                      good[data + 2] << 8 | good[data + 3]);
    ASSERT_LT(data + 60, good.size());
    // Cut anywhere before the last row: in the signature, the IHDR, the
    // chunks before the image data, the image data.
    for (const std::size_t size : {std::size_t(5), std::size_t(20), std::size_t(40), data + 4,
                                   data + 50}) {
        SCOPED_TRACE(size);
        const DecodeResult cut = DecodeBytes("cut.png", formattest::Truncated(good, size));
        EXPECT_EQ(cut.failure, DecodeFailure::Corrupt);
        EXPECT_EQ(cut.block, nullptr);
        EXPECT_FALSE(cut.error.empty());
    }
    // Cut after the image data, in the text chunks: the picture is whole,
    // and it opens.
    const DecodeResult tail = DecodeBytes("tail.png", formattest::Truncated(good, good.size() - 20));
    EXPECT_EQ(tail.failure, DecodeFailure::None) << tail.error;
    testutil::OwnedDib tailBlock(tail.block);

    std::vector<BYTE> crc = good;
    crc[20] ^= 0x40; // inside IHDR: the chunk's CRC no longer matches
    const DecodeResult badCrc = DecodeBytes("crc.png", crc);
    EXPECT_EQ(badCrc.failure, DecodeFailure::Corrupt);
    EXPECT_NE(badCrc.error.find("CRC error"), std::string::npos) << badCrc.error;

    std::vector<BYTE> signature = good;
    signature[1] = 'Q';
    const DecodeResult notPng = DecodeBytes("sig.png", signature);
    EXPECT_EQ(notPng.failure, DecodeFailure::Corrupt);
    EXPECT_NE(notPng.error.find("PNG"), std::string::npos) << notPng.error;
}

// A valid signature and IHDR claiming the size, then a little image data,
// with the CRCs libpng's writer computes.
std::vector<BYTE> HugeHeader(std::uint32_t width, std::uint32_t height, int colorType) {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* fp = open_memstream(&data, &size);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, fp);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_IHDR(png, info, width, height, 8, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // An empty zlib stream.
    const png_byte idat[] = {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), idat, sizeof idat);
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
    png_destroy_write_struct(&png, &info);
    std::fclose(fp);
    std::vector<BYTE> bytes(data, data + size);
    std::free(data);
    return bytes;
}

TEST(PngReader, RefusesHugePicturesBeforeAllocating) {
    // 100000 x 100000 RGB would be 30 GB: an allocation attempt would come
    // back as NoMemory, so TooLarge shows the size was checked first.
    const DecodeResult rgb = DecodeBytes("huge.png", HugeHeader(100000, 100000, PNG_COLOR_TYPE_RGB));
    EXPECT_EQ(rgb.failure, DecodeFailure::TooLarge);
    EXPECT_EQ(rgb.block, nullptr);
    EXPECT_EQ(rgb.info.width, 100000u);
    // Wider than libpng's own default limit (a million) yet small enough:
    // our limits decide, and the short data is then reported as such.
    const DecodeResult wide = DecodeBytes("wide.png", HugeHeader(1500000, 1, PNG_COLOR_TYPE_GRAY));
    EXPECT_EQ(wide.failure, DecodeFailure::Corrupt);
    EXPECT_EQ(wide.error.find("limit"), std::string::npos) << wide.error;
    // The header alone is still read.
    ImageHeaderInfo info;
    std::string error;
    EXPECT_EQ(formattest::ReadHeaderOf(PngImageReader(), "huge.png", info, error),
              DecodeFailure::None);
    EXPECT_EQ(info.height, 100000u);
}

TEST(PngReader, ReportsAFailingStreamAsAReadError) {
    formattest::ExpectReadErrorFromAFailingStream(PngImageReader());
}

} // namespace
