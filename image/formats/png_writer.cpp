// Any block the document keeps, as a PNG file. The rows come through the
// painter's decoder, so every depth and compression a block may hold is
// written the same way; the colour table decides the kind of file:
// black and white -> 1-bit grey, all grey -> 8-bit grey, other tables ->
// palette, no table -> 8-bit RGB.
#include "image/dib_layout.h"
#include "image/formats/image_writer.h"
#include "image/formats/png_session.h"
#include "platform/dib_raster.h"

#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

enum class PngKind { Bilevel, Grey, Palette, Rgb };

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

BYTE Red(std::uint32_t c) { return static_cast<BYTE>(c >> 16); }
BYTE Green(std::uint32_t c) { return static_cast<BYTE>(c >> 8); }
BYTE Blue(std::uint32_t c) { return static_cast<BYTE>(c); }

// The block's colour table as 0xFFRRGGBB colours; empty above 8 bits.
std::vector<std::uint32_t> ColorTable(const BYTE* p, std::size_t infoBytes) {
    std::vector<std::uint32_t> table;
    const bool info = DibHeaderSize(p) == sizeof(BITMAPINFOHEADER);
    const int bits = info ? reinterpret_cast<const BITMAPINFOHEADER*>(p)->biBitCount
                          : reinterpret_cast<const BITMAPCOREHEADER*>(p)->bcBitCount;
    if (bits > 8)
        return table;
    const std::size_t entry = info ? sizeof(RGBQUAD) : sizeof(RGBTRIPLE);
    const std::size_t start = DibHeaderSize(p) + DibMaskBytes(p);
    const std::size_t count = std::min<std::size_t>(DibColorCount(p), 256);
    for (std::size_t i = 0; i < count && start + (i + 1) * entry <= infoBytes; ++i) {
        const BYTE* e = p + start + i * entry;
        table.push_back(0xFF000000u | std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 |
                        e[0]);
    }
    return table;
}

PngKind KindFor(const std::vector<std::uint32_t>& table, int bits) {
    if (table.empty())
        return PngKind::Rgb;
    bool bilevel = bits == 1;
    bool grey = true;
    for (const std::uint32_t c : table) {
        bilevel = bilevel && (c == kBlack || c == kWhite);
        grey = grey && Red(c) == Green(c) && Green(c) == Blue(c);
    }
    if (bilevel)
        return PngKind::Bilevel;
    return grey ? PngKind::Grey : PngKind::Palette;
}

// Indexes for the colours of a palette picture. Pixels that run-length
// data leave out, and indexes past the table, decode as black: black then
// joins the table when there is room for it.
struct PaletteMap {
    std::vector<png_color> colors;
    std::unordered_map<std::uint32_t, BYTE> index;
    int depth = 8;

    void Build(const std::vector<std::uint32_t>& table, bool mayShowBlack) {
        for (const std::uint32_t c : table)
            Add(c);
        if (mayShowBlack && colors.size() < 256)
            Add(kBlack);
        const std::size_t n = colors.size();
        depth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    }
    void Add(std::uint32_t c) {
        if (index.count(c))
            return;
        index.emplace(c, static_cast<BYTE>(colors.size()));
        colors.push_back(png_color{Red(c), Green(c), Blue(c)});
    }
    BYTE IndexOf(std::uint32_t c) const {
        const auto it = index.find(c);
        return it == index.end() ? 0 : it->second;
    }
};

struct PngWriteJob {
    DibPixels pixels;
    int width = 0;
    int height = 0;
    PngKind kind = PngKind::Rgb;
    const PaletteMap* palette = nullptr;
    std::uint32_t* colors = nullptr; // one row of decoded colours
    BYTE* row = nullptr;             // one row as PNG samples
};

void PackBits(const PngWriteJob& job, int depth) {
    const int perByte = 8 / depth;
    std::memset(job.row, 0, (std::size_t(job.width) + perByte - 1) / perByte);
    for (int x = 0; x < job.width; ++x) {
        const unsigned v = job.kind == PngKind::Bilevel ? (job.colors[x] == kWhite ? 1u : 0u)
                                                        : job.palette->IndexOf(job.colors[x]);
        const int shift = 8 - depth * (x % perByte + 1);
        job.row[x / perByte] = static_cast<BYTE>(job.row[x / perByte] | v << shift);
    }
}

void FillRow(const PngWriteJob& job) {
    switch (job.kind) {
    case PngKind::Bilevel: PackBits(job, 1); return;
    case PngKind::Palette: PackBits(job, job.palette->depth); return;
    case PngKind::Grey:
        for (int x = 0; x < job.width; ++x)
            job.row[x] = Green(job.colors[x]);
        return;
    case PngKind::Rgb:
        for (int x = 0; x < job.width; ++x) {
            job.row[3 * x] = Red(job.colors[x]);
            job.row[3 * x + 1] = Green(job.colors[x]);
            job.row[3 * x + 2] = Blue(job.colors[x]);
        }
        return;
    }
}

void WriteHeader(PngSession& s, const PngWriteJob& job) {
    int depth = 8, type = PNG_COLOR_TYPE_RGB;
    if (job.kind == PngKind::Bilevel) {
        depth = 1;
        type = PNG_COLOR_TYPE_GRAY;
    } else if (job.kind == PngKind::Grey) {
        type = PNG_COLOR_TYPE_GRAY;
    } else if (job.kind == PngKind::Palette) {
        depth = job.palette->depth;
        type = PNG_COLOR_TYPE_PALETTE;
    }
    png_set_IHDR(s.png, s.info, png_uint_32(job.width), png_uint_32(job.height), depth, type,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (job.kind == PngKind::Palette)
        png_set_PLTE(s.png, s.info, job.palette->colors.data(),
                     static_cast<int>(job.palette->colors.size()));
    png_write_info(s.png, s.info);
}

void WriteStep(PngSession& s) {
    const auto& job = *static_cast<const PngWriteJob*>(s.job);
    WriteHeader(s, job);
    for (int y = 0; y < job.height; ++y) {
        DecodeDibRect(job.pixels, 0, y, job.width, 1, job.colors, job.width);
        FillRow(job);
        png_write_row(s.png, job.row);
    }
    png_write_end(s.png, s.info);
}

} // namespace

bool WritePngFile(HDIB dib, std::FILE* stream, std::string& error) {
    if (!dib || DibCheckBlock(dib) != DibCheck::Ok) {
        error = "the picture cannot be written";
        return false;
    }
    GlobalLockGuard lock(dib);
    const auto* p = static_cast<const BYTE*>(lock.get());
    const BYTE* bits = DibPixelData(p);
    const auto infoBytes = static_cast<std::size_t>(bits - p);
    PngWriteJob job;
    job.pixels = DibPixels{reinterpret_cast<const BITMAPINFO*>(p), infoBytes, bits,
                           lock.size() - infoBytes};
    if (!DescribeDibPixels(job.pixels, &job.width, &job.height)) {
        error = "the picture cannot be written";
        return false;
    }
    const std::vector<std::uint32_t> table = ColorTable(p, infoBytes);
    const int bitCount = DibHeaderSize(p) == sizeof(BITMAPINFOHEADER)
                             ? reinterpret_cast<const BITMAPINFOHEADER*>(p)->biBitCount
                             : reinterpret_cast<const BITMAPCOREHEADER*>(p)->bcBitCount;
    job.kind = KindFor(table, bitCount);
    PaletteMap palette;
    if (job.kind == PngKind::Palette) {
        const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(p);
        const bool runLength = DibHeaderSize(p) == sizeof(BITMAPINFOHEADER) &&
                               (info->biCompression == BI_RLE8 || info->biCompression == BI_RLE4);
        palette.Build(table, runLength || table.size() < (std::size_t(1) << bitCount));
    }
    job.palette = &palette;
    std::vector<std::uint32_t> colors(static_cast<std::size_t>(job.width));
    std::vector<BYTE> row(static_cast<std::size_t>(job.width) * 3);
    job.colors = colors.data();
    job.row = row.data();

    PngWriteSession session(stream);
    if (!session.Ok()) {
        error = "out of memory";
        return false;
    }
    (*session).job = &job;
    if (!RunGuarded(*session, WriteStep)) {
        error = (*session).message;
        return false;
    }
    if (std::fflush(stream) != 0 || std::ferror(stream)) {
        error = std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}
