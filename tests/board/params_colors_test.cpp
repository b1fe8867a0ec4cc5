#include "board/params.h"
#include "exchange/scratch_dir.h"
#include "platform/save_calls.h"
#include "platform/scripted/failing_save_calls.h"
#include "support/fifo_guard.h"
#include "tests/board/params_guard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {
void PutBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Fourteen colours, little-endian: entry i is RGB(i, 2i, 3i).
std::string ColorFile() {
    std::string bytes;
    for (int i = 0; i < kLayerColorCount; ++i)
        bytes += {static_cast<char>(i), static_cast<char>(2 * i), static_cast<char>(3 * i), 0};
    return bytes;
}
} // namespace

TEST(LayerTable, NamesAndMenuTexts) {
    EXPECT_STREQ(LayerName(11), "Boder Layer");
    EXPECT_STREQ(LayerMenuText(11), "Board Layer");
    EXPECT_STREQ(LayerMenuText(12), "Keep Out Layer");
    for (int layer : {0, 13, -1, 1000}) {
        EXPECT_STREQ(LayerName(layer), " ");
        EXPECT_FALSE(IsValidLayer(layer));
    }
}

TEST(LayerTable, MilPerPixelIsTheFloatOfTheDoubleQuotient) {
    EXPECT_EQ(MilPerPixel(200), 5.0f);
    EXPECT_EQ(MilPerPixel(400), 2.5f);
    EXPECT_EQ(MilPerPixel(300), static_cast<float>(1000.0 / 300));
    EXPECT_LT(static_cast<double>(MilPerPixel(300)) * 3, 10.0);
}

namespace {
// Colour difference weighted for the eye ("redmean"): about 0 to 765.
double ColourDistance(COLORREF a, COLORREF b) {
    const int r1 = GetRValue(a), r2 = GetRValue(b);
    const double mean = (r1 + r2) / 2.0;
    const int dr = r1 - r2, dg = GetGValue(a) - GetGValue(b), db = GetBValue(a) - GetBValue(b);
    return std::sqrt((2 + mean / 256) * dr * dr + 4.0 * dg * dg + (2 + (255 - mean) / 256) * db * db);
}
} // namespace

TEST(LayerColors, TheProgramStartsWithTheDefaults) {
    for (int i = 0; i < kLayerColorCount; ++i)
        EXPECT_EQ(g_crLayerColor[i], kDefaultLayerColors[i]) << i;
    EXPECT_EQ(kDefaultLayerColors[0], 0u) << "entries 0 and 13 are no layer's";
    EXPECT_EQ(kDefaultLayerColors[13], 0u);
}

TEST(LayerColors, DefaultsStandApartFromEachOtherAndFromTheScan) {
    const COLORREF darkGreenBoard = RGB(38, 104, 52); // the sample scan's solder mask
    const COLORREF lightScan = RGB(190, 185, 160);    // a bare light board
    const COLORREF copper = RGB(184, 128, 58);        // the sample scan's tracks
    for (int a = 1; a <= kLayerCount; ++a) {
        for (COLORREF ground : {darkGreenBoard, lightScan, copper})
            EXPECT_GE(ColourDistance(kDefaultLayerColors[a], ground), 150) << LayerName(a);
        for (int b = a + 1; b <= kLayerCount; ++b)
            EXPECT_GE(ColourDistance(kDefaultLayerColors[a], kDefaultLayerColors[b]), 150)
                << LayerName(a) << " and " << LayerName(b);
    }
    // The usual colours of layout programs.
    const auto dominant = [](COLORREF c, int r, int g, int b) {
        return (GetRValue(c) > 200) == (r > 0) && (GetGValue(c) > 200) == (g > 0) &&
               (GetBValue(c) > 200) == (b > 0);
    };
    EXPECT_TRUE(dominant(kDefaultLayerColors[1], 1, 0, 0)) << "top copper red";
    EXPECT_TRUE(dominant(kDefaultLayerColors[6], 0, 0, 1)) << "bottom copper blue";
    EXPECT_TRUE(dominant(kDefaultLayerColors[7], 1, 1, 0)) << "top overlay yellow";
    EXPECT_TRUE(dominant(kDefaultLayerColors[8], 1, 1, 1)) << "bottom overlay white";
    EXPECT_TRUE(dominant(kDefaultLayerColors[12], 1, 0, 1)) << "keep-out magenta";
}

TEST(LayerColors, AMissingFileIsToldApartFromOneThatCannotBeRead) {
    ScratchDir dir;
    ParamsGuard guard;
    g_crLayerColor[5] = RGB(5, 5, 5);
    EXPECT_EQ(LoadLayerColors("img_pcb.col"), ColorFileRead::Missing);
    EXPECT_EQ(LoadLayerColors("no/such/dir/img_pcb.col"), ColorFileRead::Missing);
    std::filesystem::create_directory("dir.col");
    EXPECT_EQ(LoadLayerColors("dir.col"), ColorFileRead::Failed);
    PutBytes("plain", "");
    EXPECT_EQ(LoadLayerColors("plain/img_pcb.col"), ColorFileRead::Failed)
        << "a file in the way of the folder";
    EXPECT_EQ(g_crLayerColor[5], RGB(5, 5, 5));
    PutBytes("img_pcb.col", ColorFile());
    EXPECT_EQ(LoadLayerColors("img_pcb.col"), ColorFileRead::Read);
    EXPECT_EQ(g_crLayerColor[5], RGB(5, 10, 15));
}

TEST(LayerColors, ReadsFourteenLittleEndianColours) {
    ScratchDir dir;
    ParamsGuard guard;
    PutBytes("img_pcb.col", ColorFile());
    ASSERT_TRUE(ReadLayerColors("img_pcb.col"));
    EXPECT_EQ(g_crLayerColor[0], RGB(0, 0, 0));
    EXPECT_EQ(g_crLayerColor[6], RGB(6, 12, 18));
    EXPECT_EQ(g_crLayerColor[13], RGB(13, 26, 39));
}

TEST(LayerColors, ShortFileFillsOnlyWhatItHoldsLongFileStopsAt56Bytes) {
    ScratchDir dir;
    ParamsGuard guard;
    for (COLORREF& c : g_crLayerColor)
        c = RGB(9, 9, 9);
    PutBytes("short.col", ColorFile().substr(0, 4 * 3 + 2)); // three entries and a half
    ASSERT_TRUE(ReadLayerColors("short.col"));
    EXPECT_EQ(g_crLayerColor[2], RGB(2, 4, 6));
    EXPECT_EQ(g_crLayerColor[3], RGB(9, 9, 9)) << "a partial entry keeps its colour";
    EXPECT_EQ(g_crLayerColor[13], RGB(9, 9, 9));

    PutBytes("long.col", ColorFile() + std::string(20, '\xff'));
    ASSERT_TRUE(ReadLayerColors("long.col"));
    EXPECT_EQ(g_crLayerColor[13], RGB(13, 26, 39));

    PutBytes("empty.col", "");
    EXPECT_TRUE(ReadLayerColors("empty.col"));
    EXPECT_EQ(g_crLayerColor[13], RGB(13, 26, 39));
    EXPECT_FALSE(ReadLayerColors("missing.col"));
}

TEST(LayerColors, APipeIsNotReadAndKeepsTheColours) {
    ScratchDir dir;
    ParamsGuard guard;
    g_crLayerColor[0] = RGB(1, 2, 3);
    FifoGuard fifo("img_pcb.col");
    ASSERT_TRUE(fifo.Made());
    EXPECT_EQ(LoadLayerColors("img_pcb.col"), ColorFileRead::Failed) << "there, but not read";
    EXPECT_FALSE(fifo.Released()) << "the read waited for a writer";
    EXPECT_EQ(g_crLayerColor[0], RGB(1, 2, 3));
}

TEST(LayerColors, WritesExactly56BytesAndReadsThemBack) {
    ScratchDir dir;
    ParamsGuard guard;
    for (int i = 0; i < kLayerColorCount; ++i)
        g_crLayerColor[i] = RGB(i, 2 * i, 3 * i);
    ASSERT_EQ(WriteLayerColors("img_pcb.col"), ColorFileWrite::Written);
    EXPECT_EQ(Bytes("img_pcb.col"), ColorFile());
}

TEST(LayerColors, FailedWriteLeavesTheOldFile) {
    ScratchDir dir;
    ParamsGuard guard;
    std::filesystem::create_directory("img_pcb.col");
    EXPECT_EQ(WriteLayerColors("img_pcb.col"), ColorFileWrite::WriteFailed)
        << "a directory cannot be replaced";
    EXPECT_TRUE(std::filesystem::is_directory("img_pcb.col"));
    EXPECT_FALSE(ReadLayerColors("img_pcb.col")) << "nor read";
    EXPECT_EQ(WriteLayerColors("no/such/dir/img_pcb.col"), ColorFileWrite::CannotOpen);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left behind";
}

TEST(LayerColors, ALinkIsKeptAndAPipeWithoutReaderIsNotReplaced) {
    ScratchDir dir;
    ParamsGuard guard;
    std::filesystem::create_directory("shared");
    std::filesystem::create_symlink("shared/colours", "img_pcb.col");
    ASSERT_EQ(WriteLayerColors("img_pcb.col"), ColorFileWrite::Written);
    EXPECT_TRUE(std::filesystem::is_symlink("img_pcb.col"));
    EXPECT_EQ(Bytes("shared/colours").size(), sizeof g_crLayerColor);

    ASSERT_EQ(mkfifo("pipe.col", 0600), 0);
    EXPECT_EQ(WriteLayerColors("pipe.col"), ColorFileWrite::CannotOpen);
    EXPECT_TRUE(std::filesystem::is_fifo("pipe.col"));
}

TEST(LayerColors, AFailedFinalWriteIsReportedAndKeepsTheOldFile) {
    ScratchDir dir;
    ParamsGuard guard;
    PutBytes("img_pcb.col", "old");
    FailingSaveCalls calls;
    calls.FailFrom(FailingSaveCalls::write, 1, ENOSPC);
    ScopedSaveCalls scope(calls);
    EXPECT_EQ(WriteLayerColors("img_pcb.col"), ColorFileWrite::WriteFailed);
    EXPECT_EQ(calls.calls[FailingSaveCalls::write], 1) << "the 56 bytes go out in the final flush";
    EXPECT_EQ(Bytes("img_pcb.col"), "old");
}
