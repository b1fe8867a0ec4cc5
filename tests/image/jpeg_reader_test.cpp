// JPEG files of every colour space and coding, made by ImageMagick from
// recipes (plain Adobe CMYK by libjpeg, which ImageMagick does not write),
// with EXIF blocks made by libexif, compared pixel for pixel with
// ImageMagick's own decode. Both decode through the same libjpeg with its
// default IDCT and upsampling, so no difference is allowed but the
// rounding of the CMYK conversion.
#include "image/format_test_util.h"
#include "image/formats/image_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <libexif/exif-data.h>

#include <jpeglib.h>

namespace {

using formattest::Convert;

const std::string kSource = "-size 37x23 -seed 3 plasma:";

struct JpegRecipe {
    std::string name;
    std::string args;
    int dibBits;
    int components;
    bool progressive;
};

std::vector<JpegRecipe> Recipes() {
    return {
        {"rgb", " -quality 90", 24, 3, false},
        {"rgb-444", " -quality 95 -sampling-factor 1x1", 24, 3, false},
        {"rgb-progressive", " -interlace JPEG", 24, 3, true},
        {"grey", " -colorspace Gray", 8, 1, false},
        {"grey-progressive", " -colorspace Gray -interlace JPEG", 8, 1, true},
        {"ycck", " -colorspace CMYK", 24, 4, false},
        {"ycck-progressive", " -colorspace CMYK -interlace JPEG", 24, 4, true},
    };
}

std::string MakeJpeg(const std::string& name, const std::string& args) {
    const std::string path = name + ".jpg";
    EXPECT_TRUE(Convert(kSource + args + " '" + path + "'")) << path;
    return path;
}

TEST(JpegReader, DecodesEveryKindLikeImageMagick) {
    for (const JpegRecipe& recipe : Recipes()) {
        const std::string path = MakeJpeg(recipe.name, recipe.args);
        // The CMYK conversion rounds once in each program.
        formattest::ExpectLikeMagick(JpegImageReader(), path, recipe.components == 4 ? 1 : 0,
                                     recipe.dibBits);
        ImageHeaderInfo info;
        std::string error;
        ASSERT_EQ(formattest::ReadHeaderOf(JpegImageReader(), path, info, error),
                  DecodeFailure::None);
        EXPECT_EQ(info.format, ImageFormat::Jpeg);
        EXPECT_EQ(info.width, 37u);
        EXPECT_EQ(info.height, 23u);
        EXPECT_EQ(info.channels, recipe.components);
        EXPECT_EQ(info.bitsPerSample, 8);
        EXPECT_EQ(info.compression, recipe.progressive ? "progressive JPEG" : "baseline JPEG");
    }
}

// Plain CMYK with the Adobe marker, inks stored inverted as Photoshop does.
void WriteAdobeCmyk(const std::string& path, const std::vector<BYTE>& cmyk, int w, int h) {
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, fp);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_CMYK);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<BYTE> line(std::size_t(w) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const BYTE* in = &cmyk[std::size_t(cinfo.next_scanline) * w * 4];
        for (std::size_t i = 0; i < line.size(); ++i)
            line[i] = BYTE(255 - in[i]);
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(fp);
}

TEST(JpegReader, DecodesAdobeCmykLikeImageMagick) {
    const std::vector<BYTE> cmyk =
        formattest::ConvertOutput(kSource + " -colorspace CMYK -depth 8 cmyk:-");
    ASSERT_EQ(cmyk.size(), 37u * 23u * 4u);
    WriteAdobeCmyk("cmyk.jpg", cmyk, 37, 23);
    const std::vector<BYTE> file = corpus::ReadFile("cmyk.jpg");
    const auto adobe = std::search(file.begin(), file.end(), "Adobe", "Adobe" + 5);
    ASSERT_NE(adobe, file.end());
    ASSERT_EQ(adobe[11], 0) << "transform 0: CMYK, not YCCK";
    formattest::ExpectLikeMagick(JpegImageReader(), "cmyk.jpg", 1, 24);
}

// An APP1 EXIF block with the given tags (0 leaves a tag out).
std::vector<BYTE> ExifBlock(int orientation, unsigned xRes, unsigned yRes, int unit) {
    ExifData* exif = exif_data_new();
    exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_MOTOROLA);
    const ExifByteOrder order = EXIF_BYTE_ORDER_MOTOROLA;
    auto add = [&](ExifTag tag) {
        ExifEntry* entry = exif_entry_new();
        exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
        exif_entry_initialize(entry, tag);
        exif_entry_unref(entry);
        return entry;
    };
    if (orientation)
        exif_set_short(add(EXIF_TAG_ORIENTATION)->data, order, ExifShort(orientation));
    if (xRes) {
        exif_set_rational(add(EXIF_TAG_X_RESOLUTION)->data, order, ExifRational{xRes, 1});
        exif_set_rational(add(EXIF_TAG_Y_RESOLUTION)->data, order, ExifRational{yRes, 1});
    }
    if (unit)
        exif_set_short(add(EXIF_TAG_RESOLUTION_UNIT)->data, order, ExifShort(unit));
    unsigned char* data = nullptr;
    unsigned int size = 0;
    exif_data_save_data(exif, &data, &size);
    std::vector<BYTE> block(data, data + size);
    std::free(data);
    exif_data_unref(exif);
    return block;
}

// The file with the EXIF block put after its JFIF marker.
std::vector<BYTE> WithExif(std::vector<BYTE> jpeg, const std::vector<BYTE>& exif) {
    std::size_t at = 2;
    if (jpeg[2] == 0xFF && jpeg[3] == 0xE0)
        at = 4 + (std::size_t(jpeg[4]) << 8 | jpeg[5]);
    const std::size_t length = exif.size() + 2;
    std::vector<BYTE> marker = {0xFF, 0xE1, BYTE(length >> 8), BYTE(length)};
    marker.insert(marker.end(), exif.begin(), exif.end());
    jpeg.insert(jpeg.begin() + std::ptrdiff_t(at), marker.begin(), marker.end());
    return jpeg;
}

TEST(JpegReader, TurnsAndMirrorsAsExifOrientationSays) {
    // Colour and grey go straight into the rows unless turned; CMYK always
    // goes through the placed lines; 600 rows cover many batches of lines.
    const struct {
        std::string name;
        std::string args;
    } kinds[] = {{"colour", " -quality 92"},
                 {"grey", " -colorspace Gray"},
                 {"ycck", " -colorspace CMYK"},
                 {"tall", " -resize 13x600! -quality 92"}};
    for (const auto& kind : kinds) {
        const std::vector<BYTE> plain = corpus::ReadFile(MakeJpeg("upright-" + kind.name, kind.args));
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const std::string path = kind.name + "-o" + std::to_string(orientation) + ".jpg";
            SCOPED_TRACE(path);
            corpus::WriteFile(path, WithExif(plain, ExifBlock(orientation, 0, 0, 0)));
            const bool cmyk = kind.name == "ycck";
            formattest::ExpectLikeMagick(JpegImageReader(), path, cmyk ? 1 : 0,
                                         kind.name == "grey" ? 8 : 24, "-auto-orient");
            ImageHeaderInfo info;
            std::string error;
            ASSERT_EQ(formattest::ReadHeaderOf(JpegImageReader(), path, info, error),
                      DecodeFailure::None);
            const std::uint64_t w = kind.name == "tall" ? 13 : 37;
            EXPECT_EQ(info.width, orientation >= 5 ? (kind.name == "tall" ? 600u : 23u) : w);
        }
    }
}

TEST(JpegReader, ReportsJfifOrExifResolution) {
    struct Case {
        std::string args;
        std::vector<BYTE> exif;
        double xDpi, yDpi;
    } cases[] = {
        {"-units PixelsPerInch -density 300x200", {}, 300, 200},
        {"-units PixelsPerCentimeter -density 40", {}, 101.6, 101.6},
        {"", {}, 0, 0},                                  // JFIF aspect ratio only
        {"", ExifBlock(0, 200, 100, 2), 200, 100},       // EXIF in inches
        {"", ExifBlock(0, 100, 100, 3), 254, 254},       // EXIF in centimetres
        {"", ExifBlock(0, 300, 300, 0), 300, 300},       // EXIF's default unit: inch
        {"", ExifBlock(0, 300, 300, 1), 0, 0},           // EXIF: no unit
        {"", ExifBlock(6, 0, 0, 0), 0, 0},               // no resolution tags at all
        {"", ExifBlock(6, 200, 100, 2), 100, 200},       // turned with the picture
        {"-units PixelsPerInch -density 150", ExifBlock(1, 600, 600, 2), 150, 150},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = "dpi" + std::to_string(n++) + ".jpg";
        SCOPED_TRACE(path);
        ASSERT_TRUE(Convert("-size 9x5 xc:red " + c.args + " " + path));
        if (!c.exif.empty())
            corpus::WriteFile(path, WithExif(corpus::ReadFile(path), c.exif));
        ImageHeaderInfo info;
        std::string error;
        ASSERT_EQ(formattest::ReadHeaderOf(JpegImageReader(), path, info, error),
                  DecodeFailure::None)
            << error;
        EXPECT_NEAR(info.xDpi, c.xDpi, 1e-9);
        EXPECT_NEAR(info.yDpi, c.yDpi, 1e-9);
    }
}

DecodeResult DecodeBytes(const std::string& name, const std::vector<BYTE>& bytes) {
    corpus::WriteFile(name, bytes);
    return formattest::DecodeFile(JpegImageReader(), name);
}

std::size_t FindMarker(const std::vector<BYTE>& file, BYTE marker) {
    for (std::size_t i = 2; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == marker)
            return i;
    return file.size();
}

TEST(JpegReader, RefusesDamagedFilesInLibjpegsWords) {
    for (const std::string& args : {std::string(" -quality 90"), std::string(" -interlace JPEG")}) {
        SCOPED_TRACE(args);
        const std::vector<BYTE> good = corpus::ReadFile(MakeJpeg("damaged", args));
        ASSERT_GT(good.size(), 400u);
        for (const std::size_t size : {std::size_t(3), std::size_t(100), good.size() / 2,
                                       good.size() - 10}) {
            SCOPED_TRACE(size);
            const DecodeResult cut = DecodeBytes("cut.jpg", formattest::Truncated(good, size));
            EXPECT_EQ(cut.failure, DecodeFailure::Corrupt);
            EXPECT_EQ(cut.block, nullptr);
            EXPECT_FALSE(cut.error.empty());
        }
        const DecodeResult half = DecodeBytes("half.jpg", formattest::Truncated(good, good.size() / 2));
        EXPECT_EQ(half.error, "Premature end of JPEG file");
    }
    std::vector<BYTE> notJpeg = {0x89, 'P', 'N', 'G', 0, 0, 0, 0};
    const DecodeResult png = DecodeBytes("png.jpg", notJpeg);
    EXPECT_EQ(png.failure, DecodeFailure::Corrupt);
    EXPECT_NE(png.error.find("Not a JPEG file"), std::string::npos) << png.error;

    std::vector<BYTE> zeroWidth = corpus::ReadFile(MakeJpeg("zero", " -quality 90"));
    const std::size_t sof = FindMarker(zeroWidth, 0xC0);
    ASSERT_LT(sof + 9, zeroWidth.size());
    zeroWidth[sof + 7] = zeroWidth[sof + 8] = 0;
    const DecodeResult empty = DecodeBytes("zero.jpg", zeroWidth);
    EXPECT_EQ(empty.failure, DecodeFailure::Corrupt);
    EXPECT_NE(empty.error.find("Empty JPEG image"), std::string::npos) << empty.error;
}

TEST(JpegReader, RefusesHugePicturesBeforeAllocating) {
    // 65000 x 65000 colour pixels would take 12 GB: allocating would have
    // come back as NoMemory.
    std::vector<BYTE> file = corpus::ReadFile(MakeJpeg("huge", " -quality 90"));
    const std::size_t sof = FindMarker(file, 0xC0);
    ASSERT_LT(sof + 9, file.size());
    file[sof + 5] = file[sof + 7] = 0xFD;
    file[sof + 6] = file[sof + 8] = 0xE8;
    const DecodeResult huge = DecodeBytes("huge.jpg", file);
    EXPECT_EQ(huge.failure, DecodeFailure::TooLarge);
    EXPECT_EQ(huge.block, nullptr);
    EXPECT_EQ(huge.info.width, 65000u);
}

TEST(JpegReader, ReportsAFailingStreamAsAReadError) {
    formattest::ExpectReadErrorFromAFailingStream(JpegImageReader());
}

} // namespace
