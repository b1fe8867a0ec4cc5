// WebP files, lossy and lossless, with and without alpha, made by
// ImageMagick and compared pixel for pixel with its own decode (the same
// libwebp decoder with its default upsampling; only putting alpha over
// white may round differently, by one).
#include "image/format_test_util.h"
#include "image/formats/image_format.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using formattest::Convert;

const std::string kSource = "-size 37x23 -seed 3 plasma:";
const std::string kAlpha =
    " \\( -size 37x23 gradient:white-black \\) -alpha off -compose CopyOpacity -composite";

struct WebPRecipe {
    std::string name;
    std::string args;
    bool alpha;
    const char* compression;
};

std::string MakeWebP(const std::string& name, const std::string& args) {
    const std::string path = name + ".webp";
    EXPECT_TRUE(Convert(kSource + args + " '" + path + "'")) << path;
    return path;
}

TEST(WebPReader, DecodesEveryKindLikeImageMagick) {
    const WebPRecipe recipes[] = {
        {"lossy", " -quality 80", false, "lossy WebP"},
        {"lossless", " -define webp:lossless=true", false, "lossless WebP"},
        {"lossy-alpha", kAlpha + " -quality 80", true, "lossy WebP"},
        {"lossless-alpha", kAlpha + " -define webp:lossless=true", true, "lossless WebP"},
        {"tall", " -resize 13x700! -quality 80", false, "lossy WebP"},
    };
    for (const WebPRecipe& recipe : recipes) {
        const std::string path = MakeWebP(recipe.name, recipe.args);
        formattest::ExpectLikeMagick(WebPImageReader(), path, recipe.alpha ? 1 : 0, 24);
        ImageHeaderInfo info;
        std::string error;
        ASSERT_EQ(formattest::ReadHeaderOf(WebPImageReader(), path, info, error),
                  DecodeFailure::None)
            << error;
        EXPECT_EQ(info.format, ImageFormat::WebP);
        EXPECT_EQ(info.width, recipe.name == "tall" ? 13u : 37u);
        EXPECT_EQ(info.height, recipe.name == "tall" ? 700u : 23u);
        EXPECT_EQ(info.channels, recipe.alpha ? 4 : 3);
        EXPECT_EQ(info.compression, recipe.compression);
        EXPECT_EQ(info.xDpi, 0.0);
    }
}

TEST(WebPReader, ReportsProgressToTheEnd) {
    const std::string path = MakeWebP("progress", " -resize 400x300! -quality 90");
    std::vector<double> seen;
    const DecodeResult result =
        formattest::DecodeFile(WebPImageReader(), path, [&](double d) { seen.push_back(d); return true; });
    testutil::OwnedDib owned(result.block);
    ASSERT_EQ(result.failure, DecodeFailure::None);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

DecodeResult DecodeBytes(const std::string& name, const std::vector<BYTE>& bytes) {
    corpus::WriteFile(name, bytes);
    return formattest::DecodeFile(WebPImageReader(), name);
}

TEST(WebPReader, RefusesDamagedFilesInLibwebpsWords) {
    for (const std::string& args : {std::string(" -quality 80"),
                                    std::string(" -define webp:lossless=true"),
                                    kAlpha + " -quality 80"}) {
        SCOPED_TRACE(args);
        const std::vector<BYTE> good = corpus::ReadFile(MakeWebP("damaged", args));
        ASSERT_GT(good.size(), 100u);
        for (const std::size_t size : {std::size_t(10), std::size_t(25), good.size() / 2,
                                       good.size() - 3}) {
            SCOPED_TRACE(size);
            const DecodeResult cut = DecodeBytes("cut.webp", formattest::Truncated(good, size));
            EXPECT_EQ(cut.failure, DecodeFailure::Corrupt);
            EXPECT_EQ(cut.block, nullptr);
            EXPECT_FALSE(cut.error.empty());
        }
        const DecodeResult half = DecodeBytes("half.webp", formattest::Truncated(good, good.size() / 2));
        EXPECT_EQ(half.error, "not enough data");
    }
    // A lossy frame whose start code is wrong.
    std::vector<BYTE> bad = corpus::ReadFile(MakeWebP("badcode", " -quality 80"));
    const BYTE startCode[] = {0x9D, 0x01, 0x2A};
    const auto code = std::search(bad.begin(), bad.end(), startCode, startCode + 3);
    ASSERT_NE(code, bad.end());
    *code = 0x00;
    const DecodeResult badCode = DecodeBytes("badcode.webp", bad);
    EXPECT_EQ(badCode.failure, DecodeFailure::Corrupt);
    EXPECT_EQ(badCode.error, "bitstream error");
}

TEST(WebPReader, ReportsAFailingStreamAsAReadError) {
    formattest::ExpectReadErrorFromAFailingStream(WebPImageReader());
}

} // namespace
