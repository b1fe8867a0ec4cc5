// The image document with scans of every format: what it opens, what it
// says of a bad file, and the format each save writes.
#include "dib_test_util.h"
#include "board/scan_lines.h"
#include "image/dib_doc.h"
#include "platform/scripted/scripted_services.h"
#include "tests/support/read_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Bytes(const std::string& path) { return ReadFileBytes(path); }

bool Convert(const std::string& arguments) {
    return std::system(("convert " + arguments + " 2>/dev/null").c_str()) == 0;
}

class ScanFormatsDocTest : public ::testing::Test {
  protected:
    void SetUp() override {
        recipe = corpus::Of("24", 24);
        recipe.width = 29;
        recipe.height = 11;
        bmp = testutil::WriteTemp("formats", corpus::Make(recipe).file);
    }
    std::vector<std::uint32_t> Pixels(const CDibDoc& doc) {
        const CSize size = doc.GetImageSize();
        return testutil::Decode(doc.GetDibBlock(), 0, 0, size.cx, size.cy);
    }
    std::vector<std::string> Texts() const { return services.MessageTexts(); }

    corpus::Recipe recipe;
    std::string bmp;
    ScriptedServices services;
};

} // namespace

TEST_F(ScanFormatsDocTest, APngOpensWithTheSamePixelsAsTheBmpItWasMadeFrom) {
    ASSERT_TRUE(Convert(bmp + " formats.png"));
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument("formats.png")) << testing::PrintToString(Texts());
    EXPECT_EQ(doc.GetImageFormat(), ImageFormat::Png);
    EXPECT_EQ(doc.GetImageSize(), CSize(29, 11));
    EXPECT_EQ(Pixels(doc), corpus::Make(recipe).expected);
    EXPECT_TRUE(services.messages.empty());
    // Named by what it holds, not by its extension.
    ASSERT_TRUE(Convert(bmp + " PNG:disguised.bmp"));
    CDibDoc disguised;
    ASSERT_TRUE(disguised.OnOpenDocument("disguised.bmp"));
    EXPECT_EQ(disguised.GetImageFormat(), ImageFormat::Png);
}

TEST_F(ScanFormatsDocTest, ADamagedFileIsNamedWithWhatIsWrongAndOpensNothing) {
    ASSERT_TRUE(Convert(bmp + " -define png:compression-level=0 whole.png"));
    const std::string whole = Bytes("whole.png");
    std::ofstream("cut.png", std::ios::binary) << whole.substr(0, whole.size() / 2);
    CDibDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument("cut.png"));
    EXPECT_EQ(doc.GetDibBlock(), nullptr);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text.rfind("cut.png: ", 0), 0u) << services.messages[0].text;
    EXPECT_GT(services.messages[0].text.size(), std::string("cut.png: ").size());
    EXPECT_TRUE(services.recentFiles.empty());
    EXPECT_EQ(services.waitDepth, 0);
    // A file of no known kind says what a bad BMP always said.
    services.messages.clear();
    std::ofstream("noise.png", std::ios::binary) << "no picture at all";
    EXPECT_FALSE(doc.OnOpenDocument("noise.png"));
    EXPECT_EQ(Texts(), std::vector<std::string>{"Cannot load DIB"});
}

TEST_F(ScanFormatsDocTest, AResolutionStatedInABmpHeaderIsTheFiles) {
    corpus::Recipe stated = recipe;
    std::vector<BYTE> file = corpus::Make(stated).file;
    corpus::Set32(file, 14 + 24, 11811); // 300 dpi across
    corpus::Set32(file, 14 + 28, 23622); // 600 dpi down
    const std::string path = testutil::WriteTemp("stated", file);
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    const auto lines =
        ScanLinesFromResolution(doc.GetFileInfo().xDpi, doc.GetFileInfo().yDpi);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, std::make_pair(300, 600));
    corpus::Set32(file, 14 + 24, 0);
    corpus::Set32(file, 14 + 28, 0);
    CDibDoc plain;
    ASSERT_TRUE(plain.OnOpenDocument(testutil::WriteTemp("unstated", file)));
    EXPECT_EQ(plain.GetFileInfo().xDpi, 0.0);
    EXPECT_EQ(plain.GetFileInfo().yDpi, 0.0);
}

TEST_F(ScanFormatsDocTest, SavesWriteTheScansOwnFormatOrTheOneTheNewNameSays) {
    ASSERT_TRUE(Convert(bmp + " own.png"));
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument("own.png"));
    ASSERT_TRUE(doc.OnSaveDocument("own.png"));
    EXPECT_EQ(Bytes("own.png").substr(1, 3), "PNG");
    ASSERT_TRUE(doc.OnSaveDocument("copy.tif")) << testing::PrintToString(Texts());
    EXPECT_EQ(Bytes("copy.tif").substr(0, 2), "II");
    EXPECT_EQ(doc.GetImageFormat(), ImageFormat::Tiff) << "the picture is now the TIFF's";
    ASSERT_TRUE(doc.OnSaveDocument("copy.bmp"));
    EXPECT_EQ(Bytes("copy.bmp").substr(0, 2), "BM");
    for (const char* copy : {"own.png", "copy.tif", "copy.bmp"}) {
        CDibDoc again;
        ASSERT_TRUE(again.OnOpenDocument(copy));
        EXPECT_EQ(Pixels(again), corpus::Make(recipe).expected) << copy;
    }
    // A name that says no format the picture is written in is refused
    // before the file is touched.
    std::ofstream("keep.jpg", std::ios::binary) << "old contents";
    services.messages.clear();
    EXPECT_FALSE(doc.OnSaveDocument("keep.jpg"));
    EXPECT_EQ(Bytes("keep.jpg"), "old contents");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("Choose a name ending in .bmp, .png or .tif"),
              std::string::npos);
}

TEST_F(ScanFormatsDocTest, ALossyScanIsNeverWrittenOverItsOwnFile) {
    ASSERT_TRUE(Convert(bmp + " -quality 90 photo.jpg"));
    const std::string before = Bytes("photo.jpg");
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument("photo.jpg"));
    EXPECT_EQ(doc.GetImageFormat(), ImageFormat::Jpeg);
    EXPECT_FALSE(doc.OnSaveDocument("photo.jpg"));
    EXPECT_EQ(Bytes("photo.jpg"), before);
    ASSERT_TRUE(doc.OnSaveDocument("photo.png"));
    EXPECT_EQ(Bytes("photo.png").substr(1, 3), "PNG");
}

TEST_F(ScanFormatsDocTest, AMultiPageTiffOpensItsFirstPageAndSaysHowManyThereAre) {
    ASSERT_TRUE(
        Convert(bmp + " \\( " + bmp + " -negate \\) \\( " + bmp + " -flip \\) pages.tif"));
    CDibDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument("pages.tif"));
    EXPECT_EQ(doc.GetFileInfo().pages, 3);
    EXPECT_EQ(Pixels(doc), corpus::Make(recipe).expected);
    EXPECT_EQ(PagesNote(&doc), "pages.tif has 3 pages; the first is shown");
    CDibDoc single;
    ASSERT_TRUE(single.OnOpenDocument(bmp));
    EXPECT_EQ(PagesNote(&single), "");
}
