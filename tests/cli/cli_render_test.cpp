// tracevu-cli render: the scan enlarged, with a work file's board over it.
#include "exchange/scratch_dir.h"
#include "tests/cli/cli_run.h"

#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void Le(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xff);
}

// A grey 24-bit scan of the given size.
std::string GreyBitmap(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    std::string bmp = "BM";
    Le(bmp, 54 + stride * height, 4);
    Le(bmp, 0, 4);
    Le(bmp, 54, 4);
    Le(bmp, 40, 4);
    Le(bmp, width, 4);
    Le(bmp, height, 4);
    Le(bmp, 1, 2);
    Le(bmp, 24, 2);
    Le(bmp, 0, 4);
    Le(bmp, stride * height, 4);
    Le(bmp, 2835, 4);
    Le(bmp, 2835, 4);
    Le(bmp, 0, 4);
    Le(bmp, 0, 4);
    bmp += std::string(static_cast<std::size_t>(stride * height), '\x80');
    return bmp;
}

// Width and height from a PNG's header chunk.
std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& png) {
    if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        png.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto be = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v = v << 8 | static_cast<unsigned char>(png[at + i]);
        return v;
    };
    return {be(16), be(20)};
}
} // namespace

TEST(CliRender, PaintsTheEnlargedScanWithTheBoardOver) {
    ScratchDir dir;
    Put("scan.bmp", GreyBitmap(40, 30));
    Put("board.dpb", "FP\r\n10 10\r\nFT\r\n2 20 30 20 3\r\n");
    Put("track.dpb", "FT\r\n2 20 30 20 3\r\n");
    CliResult r = RunCli({"render", "scan.bmp", "bare.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(PngSize(Slurp("bare.png")), std::make_pair(40u, 30u));
    r = RunCli({"render", "--zoom", "4", "--board", "board.dpb", "scan.bmp", "zoomed.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(PngSize(Slurp("zoomed.png")), std::make_pair(160u, 120u));

    // The board changes the picture; a hidden layer's track leaves it bare.
    EXPECT_EQ(RunCli({"render", "--board", "track.dpb", "scan.bmp", "drawn.png"}).status, 0);
    EXPECT_NE(Slurp("drawn.png"), Slurp("bare.png"));
    EXPECT_EQ(RunCli({"render", "--board", "track.dpb", "--hide", "1,3", "scan.bmp", "hidden.png"})
                  .status,
              0);
    EXPECT_EQ(Slurp("hidden.png"), Slurp("bare.png"));
    EXPECT_FALSE(std::filesystem::exists("img_pcb.col")) << "the colour file is never touched";
}

TEST(CliRender, WrongInputAndUsage) {
    ScratchDir dir;
    Put("scan.bmp", GreyBitmap(8, 8));
    Put("notes.txt", "not a board\n");
    CliResult r = RunCli({"render", "--board", "notes.txt", "scan.bmp", "o.png"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tracevu-cli render: notes.txt: Read error or file format is invalid!\n");
    r = RunCli({"render", "missing.bmp", "o.png"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.bmp"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists("o.png"));
    for (const char* zoom : {"3", "0", "512", "x"}) {
        r = RunCli({"render", "--zoom", zoom, "scan.bmp", "o.png"});
        EXPECT_EQ(r.status, 2) << zoom;
        EXPECT_NE(r.err.find("usage: tracevu-cli render"), std::string::npos) << r.err;
    }
    EXPECT_EQ(RunCli({"render", "--hide", "13", "scan.bmp", "o.png"}).status, 2);
    r = RunCli({"render", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: tracevu-cli render", 0), 0u);
}

TEST(CliRender, WritesIntoAPipeAndThroughADanglingLink) {
    ScratchDir dir;
    Put("scan.bmp", GreyBitmap(40, 30));
    ASSERT_EQ(mkfifo("out.png", 0600), 0);
    const int reader = open("out.png", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    CliResult r = RunCli({"render", "scan.bmp", "out.png"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string png(65536, '\0');
    const ssize_t got = read(reader, png.data(), png.size());
    close(reader);
    png.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    EXPECT_EQ(PngSize(png), std::make_pair(40u, 30u));
    EXPECT_TRUE(std::filesystem::is_fifo("out.png"));

    std::filesystem::create_directory("pictures");
    std::filesystem::create_symlink("pictures/scan.png", "link.png");
    r = RunCli({"render", "scan.bmp", "link.png"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_symlink("link.png"));
    EXPECT_EQ(PngSize(Slurp("pictures/scan.png")), std::make_pair(40u, 30u));
}
