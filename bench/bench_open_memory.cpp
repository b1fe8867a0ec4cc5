// The memory opening a big scan takes, over the block it ends up in.
//
//   bench_open_memory [--dir DIR]
//
// Writes a 16000 x 10000 scan (160 megapixels) into DIR (default $TMPDIR or
// /tmp) as 24-bit PNG, deflate TIFF and PNM, and as 8-bit grey PNG and 1-bit
// G4 TIFF, each through the program's own writers, then opens each in a
// fresh process and prints the growth of its peak memory (VmHWM) against
// the size of the DIB block it holds afterwards. The files are removed at
// the end.
#include "bench/bench_util.h"
#include "image/dib_doc.h"
#include "image/formats/dib_builder.h"
#include "image/formats/image_writer.h"
#include "platform/scripted/scripted_services.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr int kWidth = 16000;
constexpr int kHeight = 10000;

// A board-like picture: flat colour, tracks and some noise.
HDIB MakeScan(int bits) {
    DibBuilder builder;
    if (builder.Create(kWidth, kHeight, bits, bits == 24 ? 0 : 1 << bits) != DecodeFailure::None)
        return nullptr;
    if (bits < 24)
        builder.SetGreyPalette();
    unsigned noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = builder.Row(static_cast<std::uint64_t>(y));
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const bool track = (x + y / 3) % 400 < 12 || y % 700 < 10;
            const int level = (track ? 200 : 40) + static_cast<int>(noise >> 28);
            if (bits == 24) {
                row[3 * x] = static_cast<BYTE>(track ? 60 : 30);
                row[3 * x + 1] = static_cast<BYTE>(level);
                row[3 * x + 2] = static_cast<BYTE>(track ? 180 : 20);
            } else if (bits == 8) {
                row[x] = static_cast<BYTE>(level);
            } else if (track) {
                row[x / 8] = static_cast<BYTE>(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
    }
    return builder.Release();
}

bool Write(HDIB dib, ImageFormat format, const std::string& path) {
    std::FILE* fp = std::fopen(path.c_str(), "w+b");
    if (!fp)
        return false;
    std::string error;
    const bool ok = WriteImageFile(dib, format, fp, error);
    if (!ok)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
    return std::fclose(fp) == 0 && ok;
}

int MeasureOpen(const char* path) {
    ScriptedServices services;
    const long before = bench::StatusKb("VmHWM:");
    CDibDoc doc;
    if (!doc.OnOpenDocument(path))
        return 1;
    const long after = bench::StatusKb("VmHWM:");
    std::printf("%ld %ld %zu\n", before, after, GlobalSize(doc.GetDibBlock()));
    return 0;
}

// Peak growth in KB and the block's size in bytes, from a fresh process.
bool Measure(const std::string& self, const std::string& path, long& growthKb,
             std::size_t& blockBytes) {
    long before = 0, after = 0;
    const std::string text = bench::RunMeasuringChild(self, path);
    if (std::sscanf(text.c_str(), "%ld %ld %zu", &before, &after, &blockBytes) != 3)
        return false;
    growthKb = after - before;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--measure-open") == 0)
        return MeasureOpen(argv[2]);
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp ? tmp : "/tmp";
    if (argc == 3 && std::strcmp(argv[1], "--dir") == 0)
        dir = argv[2];
    struct Case {
        const char* name;
        int bits;
        ImageFormat format;
        const char* file;
    };
    const Case cases[] = {
        {"24-bit PNG", 24, ImageFormat::Png, "mem.png"},
        {"24-bit deflate TIFF", 24, ImageFormat::Tiff, "mem.tif"},
        {"24-bit PNM", 24, ImageFormat::Pnm, "mem.ppm"},
        {"8-bit grey PNG", 8, ImageFormat::Png, "mem-grey.png"},
        {"1-bit G4 TIFF", 1, ImageFormat::Tiff, "mem-g4.tif"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/tracevu-bench-" + c.file;
        HDIB dib = MakeScan(c.bits);
        const bool written = dib && Write(dib, c.format, path);
        GlobalFree(dib);
        long growthKb = 0;
        std::size_t blockBytes = 0;
        if (!written || !Measure(argv[0], path, growthKb, blockBytes)) {
            std::printf("%-20s failed\n", c.name);
            std::remove(path.c_str());
            continue;
        }
        std::remove(path.c_str());
        const double blockMb = blockBytes / 1048576.0;
        std::printf("%-20s block %7.1f MB  peak growth %7.1f MB  over the block %+6.1f MB\n",
                    c.name, blockMb, growthKb / 1024.0, growthKb / 1024.0 - blockMb);
    }
    return 0;
}
