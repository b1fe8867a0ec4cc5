// Opening a 160-megapixel scan (16000 x 10000, 24-bit) as PNG and as JPEG
// through our readers, side by side with each library's own decode of the
// same file into a plain malloc'd buffer, in the same run.
//
//   bench_formats_png_jpeg [--benchmark_repetitions=5
//                           --benchmark_report_aggregates_only=true]
//
// The files are written at start into $TMPDIR (default /tmp) and removed at
// the end: a flat board colour with sensor noise, copper traces and pads.
#include "image/formats/image_format.h"

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = 16000;
constexpr int kHeight = 10000;

std::string g_pngPath;
std::string g_jpegPath;

// One row of the synthetic scan, RGB.
void ScanRow(int y, std::minstd_rand& noise, std::vector<unsigned char>& row) {
    for (int x = 0; x < kWidth; ++x) {
        const bool trace = (y % 400 < 24) || (x % 530 < 18) || ((x + y) % 900 < 14);
        const bool pad = (x % 250 < 60) && (y % 250 < 60);
        int r = 28, g = 96, b = 44; // solder mask
        if (trace || pad) {
            r = 196;
            g = 158;
            b = 82; // copper
        }
        const int n = int(noise() % 7) - 3;
        row[3 * x] = static_cast<unsigned char>(r + n);
        row[3 * x + 1] = static_cast<unsigned char>(g + n);
        row[3 * x + 2] = static_cast<unsigned char>(b + n);
    }
}

bool WritePng(const std::string& path) {
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    std::vector<unsigned char> row(std::size_t(kWidth) * 3);
    std::minstd_rand noise(7);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(fp);
        return false;
    }
    png_init_io(png, fp);
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) {
        ScanRow(y, noise, row);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(fp) == 0;
}

bool WriteJpeg(const std::string& path) {
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, fp);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(std::size_t(kWidth) * 3);
    std::minstd_rand noise(7);
    while (cinfo.next_scanline < cinfo.image_height) {
        ScanRow(int(cinfo.next_scanline), noise, row);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(fp) == 0;
}

void OpenWithReader(benchmark::State& state, const ImageReader& reader, const std::string& path) {
    for (auto _ : state) {
        std::FILE* fp = std::fopen(path.c_str(), "rb");
        const DecodeResult result = reader.Decode(fp, {});
        std::fclose(fp);
        if (!result.block) {
            state.SkipWithError(result.error.c_str());
            return;
        }
        GlobalFree(result.block);
    }
}

void BM_PngOurReader(benchmark::State& state) { OpenWithReader(state, PngImageReader(), g_pngPath); }

// libpng's plain decode: RGB rows into one malloc'd buffer.
void BM_PngLibpngIntoBuffer(benchmark::State& state) {
    for (auto _ : state) {
        std::FILE* fp = std::fopen(g_pngPath.c_str(), "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        unsigned char* buffer = nullptr;
        if (setjmp(png_jmpbuf(png))) {
            std::free(buffer);
            png_destroy_read_struct(&png, &info, nullptr);
            std::fclose(fp);
            state.SkipWithError("libpng failed");
            return;
        }
        png_init_io(png, fp);
        png_read_info(png, info);
        const std::size_t stride = png_get_rowbytes(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        buffer = static_cast<unsigned char*>(std::malloc(stride * height));
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, buffer + y * stride, nullptr);
        benchmark::DoNotOptimize(buffer[stride * height / 2]);
        std::free(buffer);
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(fp);
    }
}

void BM_JpegOurReader(benchmark::State& state) {
    OpenWithReader(state, JpegImageReader(), g_jpegPath);
}

// libjpeg's plain decode: RGB scan lines into one malloc'd buffer.
void BM_JpegLibjpegIntoBuffer(benchmark::State& state) {
    for (auto _ : state) {
        std::FILE* fp = std::fopen(g_jpegPath.c_str(), "rb");
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr errors{};
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, fp);
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = std::size_t(cinfo.output_width) * cinfo.output_components;
        auto* buffer = static_cast<unsigned char*>(std::malloc(stride * cinfo.output_height));
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = buffer + std::size_t(cinfo.output_scanline) * stride;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        benchmark::DoNotOptimize(buffer[stride * cinfo.output_height / 2]);
        std::free(buffer);
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(fp);
    }
}

BENCHMARK(BM_PngOurReader)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngLibpngIntoBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegOurReader)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegLibjpegIntoBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = tmp && *tmp ? tmp : "/tmp";
    const std::string stem = dir + "/bench-scan-" + std::to_string(getpid());
    g_pngPath = stem + ".png";
    g_jpegPath = stem + ".jpg";
    std::fprintf(stderr, "writing %d x %d scans as %s and %s\n", kWidth, kHeight,
                 g_pngPath.c_str(), g_jpegPath.c_str());
    const bool written = WritePng(g_pngPath) && WriteJpeg(g_jpegPath);
    if (written)
        benchmark::RunSpecifiedBenchmarks();
    else
        std::fprintf(stderr, "could not write the scans\n");
    std::remove(g_pngPath.c_str());
    std::remove(g_jpegPath.c_str());
    benchmark::Shutdown();
    return written ? 0 : 1;
}
