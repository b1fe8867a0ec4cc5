// What transparent huge pages bring to a big scan.
//
//   bench_huge_pages [--dir DIR] [--runs N]
//
// Writes a 16000 x 10000 24-bit scan (480 MB) into DIR (default $TMPDIR or
// /tmp), then, with the file in the page cache, alternates N times (5
// unless given) between opening it as a document with the scan-sized block
// in ordinary pages and in huge pages, and prints the median of each and
// their ratio. It also times filling a fresh 480 MB block byte by byte,
// which is what any decoder does, both ways. The file is removed at the end.
#include "bench/bench_util.h"
#include "image/dib_doc.h"
#include "platform/dib_types.h"
#include "platform/global_memory.h"
#include "platform/scripted/scripted_services.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 16000;
constexpr int kHeight = 10000;

using bench::Clock;
using bench::Median;
using bench::Millis;

bool WriteScan(const std::string& path) { return bench::WriteBmpScan(path, kWidth, kHeight, 23622); }

double OpenDocument(const std::string& path, bool huge) {
    SetGlobalHugePages(huge);
    return bench::TimedDocumentOpen(path);
}

double FillBlock(bool huge) {
    SetGlobalHugePages(huge);
    const std::size_t bytes = std::size_t{kWidth} * 3 * kHeight;
    const auto start = Clock::now();
    HGLOBAL block = GlobalAlloc(GHND, bytes);
    auto* p = static_cast<unsigned char*>(GlobalLock(block));
    for (std::size_t i = 0; i < bytes; i += 64)
        p[i] = static_cast<unsigned char>(i);
    GlobalUnlock(block);
    const double ms = Millis(Clock::now() - start);
    GlobalFree(block);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp ? tmp : "/tmp";
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--dir") == 0)
            dir = argv[i + 1];
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::string path = dir + "/tracevu-bench-huge.bmp";
    if (!WriteScan(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    OpenDocument(path, false); // brings the file into the page cache
    std::vector<double> openSmall, openHuge, fillSmall, fillHuge;
    for (int i = 0; i < runs; ++i) {
        openSmall.push_back(OpenDocument(path, false));
        openHuge.push_back(OpenDocument(path, true));
        fillSmall.push_back(FillBlock(false));
        fillHuge.push_back(FillBlock(true));
    }
    std::remove(path.c_str());
    std::printf("open 480 MB BMP, 4 KB pages:  %8.1f ms (median of %d)\n", Median(openSmall), runs);
    std::printf("open 480 MB BMP, huge pages:  %8.1f ms  ratio %.2f\n", Median(openHuge),
                Median(openSmall) / Median(openHuge));
    std::printf("fill 480 MB block, 4 KB pages:%8.1f ms\n", Median(fillSmall));
    std::printf("fill 480 MB block, huge pages:%8.1f ms  ratio %.2f\n", Median(fillHuge),
                Median(fillSmall) / Median(fillHuge));
    return 0;
}
