// The command line with scans of other formats than BMP.
#include "exchange/scratch_dir.h"
#include "tests/cli/cli_run.h"

#include <cstdlib>

namespace {
// A 300 x 200 scan with something on it, as BMP and as other formats.
bool MakeScans() {
    return std::system("convert -size 300x200 gradient:red-blue -fill white "
                       "-draw 'circle 150,100 150,140' -density 600 -units PixelsPerInch "
                       "scan.bmp && convert scan.bmp scan.png && convert scan.bmp "
                       "-colorspace gray -compress Group4 -monochrome scan.tif "
                       "2>/dev/null") == 0;
}

const char* const kWork = "FP\r\n100 50\r\nFP\r\n250 180\r\nFT\r\n10 20 290 20 6\r\n";
} // namespace

TEST(CliFormats, InfoReadsEachFormatsHeaderAndItsResolution) {
    ScratchDir dir;
    ASSERT_TRUE(MakeScans());
    CliResult r = RunCli({"info", "scan.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("width: 300\nheight: 200\nbits: 24\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("format: PNG\nresolution: 600 x 600\npages: 1\n"), std::string::npos)
        << r.out;
    r = RunCli({"info", "scan.tif"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("bits: 1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("format: TIFF\nresolution: 600 x 600\n"), std::string::npos) << r.out;
    r = RunCli({"info", "scan.bmp"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("format: BMP\nresolution: 600 x 600\n"), std::string::npos) << r.out;
    // A PNG cut inside its header is refused in the library's words.
    Put("cut.png", Slurp("scan.png").substr(0, 20));
    r = RunCli({"info", "cut.png"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cut.png: "), std::string::npos) << r.err;
}

TEST(CliFormats, AnExportOverAPngOrTiffEqualsTheOneOverTheBmp) {
    ScratchDir dir;
    ASSERT_TRUE(MakeScans());
    Put("board.dpb", kWork);
    for (const char* scan : {"scan.bmp", "scan.png", "scan.tif"}) {
        const std::string out = std::string(scan) + ".pcb";
        const CliResult r = RunCli({"export-protel", "--image", scan, "board.dpb", out});
        ASSERT_EQ(r.status, 0) << scan << ": " << r.err;
    }
    EXPECT_EQ(Slurp("scan.png.pcb"), Slurp("scan.bmp.pcb"));
    EXPECT_EQ(Slurp("scan.tif.pcb"), Slurp("scan.bmp.pcb"));
}
