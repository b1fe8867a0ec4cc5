// Opening a 160-megapixel scan (16000 x 10000) as TIFF and as PNM: our
// readers, which decode into the DIB block, against the library's own
// decode of the same file into one plain malloc'd buffer (for PNM, a plain
// fread of the file):
//   TiffDeflate  24-bit RGB, deflate with the horizontal predictor, strips
//                of 8 rows (what the program's own writer makes)
//   TiffG4       1-bit CCITT G4, one strip, as scanners write bilevel pages
//   Pnm          P6, maxval 255
// The files are written at start into $TMPDIR (default /tmp), so that
// they are in the page cache for both sides, and deleted at the end. After the table, each pair's ratio of medians (ours / reference).
//
// Run: build/bench/bench_formats_tiff_pnm --benchmark_repetitions=5
//      --benchmark_report_aggregates_only=true
#include "image/formats/image_format.h"
#include "platform/global_memory.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kWidth = 16000;
constexpr std::uint32_t kHeight = 10000;

std::string g_dir;
std::string Path(const char* name) { return g_dir + "/" + name; }

// A scanned board: a flat solder-mask green with sensor noise, copper
// traces every few hundred pixels both ways, and a grid of pads.
void ScanRow(std::uint32_t y, std::vector<unsigned char>& rgb) {
    std::uint32_t noise = y * 2654435761u;
    for (std::uint32_t x = 0; x < kWidth; ++x) {
        noise = noise * 1664525u + 1013904223u;
        const int n = int(noise >> 29) - 4;
        const bool trace = (y % 240 < 14) || (x % 330 < 10);
        const int dx = int(x % 500) - 250, dy = int(y % 500) - 250;
        const bool pad = dx * dx + dy * dy < 40 * 40;
        const bool copper = trace || pad;
        unsigned char* p = &rgb[3 * x];
        p[0] = static_cast<unsigned char>((copper ? 196 : 38) + n);
        p[1] = static_cast<unsigned char>((copper ? 160 : 104) + n);
        p[2] = static_cast<unsigned char>((copper ? 84 : 58) + n);
    }
}

bool WriteTiffs() {
    TIFF* rgb = TIFFOpen(Path("scan.tif").c_str(), "w");
    TIFF* g4 = TIFFOpen(Path("scan_g4.tif").c_str(), "w");
    if (!rgb || !g4)
        return false;
    auto common = [](TIFF* t, int samples, int bits, int photometric, int compression) {
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kWidth);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
        TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    };
    common(rgb, 3, 8, PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(rgb, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(rgb, TIFFTAG_ROWSPERSTRIP, 8);
    common(g4, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4);
    TIFFSetField(g4, TIFFTAG_ROWSPERSTRIP, kHeight);
    std::FILE* ppm = std::fopen(Path("scan.ppm").c_str(), "wb");
    if (!ppm)
        return false;
    std::fprintf(ppm, "P6\n%u %u\n255\n", kWidth, kHeight);
    std::vector<unsigned char> row(kWidth * 3), bits((kWidth + 7) / 8);
    bool ok = true;
    for (std::uint32_t y = 0; y < kHeight && ok; ++y) {
        ScanRow(y, row);
        std::fill(bits.begin(), bits.end(), 0);
        for (std::uint32_t x = 0; x < kWidth; ++x)
            if (row[3 * x] > 120) // copper is black on the bilevel page
                bits[x / 8] |= static_cast<unsigned char>(0x80u >> (x % 8));
        ok = TIFFWriteScanline(rgb, row.data(), y, 0) >= 0 &&
             TIFFWriteScanline(g4, bits.data(), y, 0) >= 0 &&
             std::fwrite(row.data(), 1, row.size(), ppm) == row.size();
    }
    TIFFClose(rgb);
    TIFFClose(g4);
    return std::fclose(ppm) == 0 && ok;
}

void Ours(benchmark::State& state, const char* name) {
    for (auto _ : state) {
        std::FILE* f = std::fopen(Path(name).c_str(), "rb");
        const ImageReader* reader = FindImageReader(DetectImageFormat(f));
        DecodeResult r = reader->Decode(f, {});
        std::fclose(f);
        if (!r.block) {
            state.SkipWithError(r.error.c_str());
            return;
        }
        GlobalFree(r.block);
    }
}

// libtiff's strips, one after another, into one buffer for the picture.
void Libtiff(benchmark::State& state, const char* name) {
    for (auto _ : state) {
        TIFF* t = TIFFOpen(Path(name).c_str(), "r");
        const tmsize_t strip = TIFFStripSize(t);
        const std::uint32_t strips = TIFFNumberOfStrips(t);
        auto* buffer = static_cast<unsigned char*>(std::malloc(std::size_t(strip) * strips));
        bool ok = buffer != nullptr;
        for (std::uint32_t s = 0; s < strips && ok; ++s)
            ok = TIFFReadEncodedStrip(t, s, buffer + std::size_t(s) * strip, strip) >= 0;
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
        TIFFClose(t);
        if (!ok) {
            state.SkipWithError("libtiff failed");
            return;
        }
    }
}

void Fread(benchmark::State& state, const char* name) {
    const auto size = std::filesystem::file_size(Path(name));
    for (auto _ : state) {
        std::FILE* f = std::fopen(Path(name).c_str(), "rb");
        auto* buffer = static_cast<unsigned char*>(std::malloc(size));
        const bool ok = buffer && std::fread(buffer, 1, size, f) == size;
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
        std::fclose(f);
        if (!ok) {
            state.SkipWithError("fread failed");
            return;
        }
    }
}

BENCHMARK_CAPTURE(Ours, TiffDeflate, "scan.tif")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Libtiff, TiffDeflate, "scan.tif")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, TiffG4, "scan_g4.tif")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Libtiff, TiffG4, "scan_g4.tif")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, Pnm, "scan.ppm")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Fread, Pnm, "scan.ppm")->Unit(benchmark::kMillisecond)->UseRealTime();

// The console table, and the medians kept for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !m_medians.count(Key(run))))
                m_medians[Key(run)] = run.GetAdjustedRealTime();
        }
    }
    void PrintRatios() const {
        for (const char* file : {"TiffDeflate", "TiffG4", "Pnm"}) {
            const std::string ours = std::string("Ours/") + file;
            const std::string reference =
                std::string(file) == "Pnm" ? "Fread/Pnm" : std::string("Libtiff/") + file;
            if (m_medians.count(ours) && m_medians.count(reference))
                std::printf("%-12s ours %.1f ms, reference %.1f ms, ratio %.3f\n", file,
                            m_medians.at(ours), m_medians.at(reference),
                            m_medians.at(ours) / m_medians.at(reference));
        }
    }

  private:
    static std::string Key(const Run& run) {
        return run.run_name.function_name;
    }
    std::map<std::string, double> m_medians;
};

} // namespace

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_tiff_pnm-XXXXXX";
    if (!mkdtemp(templ.data()))
        return 1;
    g_dir = templ;
    TIFFSetWarningHandler(nullptr);
    std::fprintf(stderr, "writing the scans into %s...\n", g_dir.c_str());
    if (!WriteTiffs()) {
        std::filesystem::remove_all(g_dir);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_dir);
    return 0;
}
