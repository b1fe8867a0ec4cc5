// Compiled with the vectoriser's full cost model (see CMakeLists.txt): the
// row reduction below is the loop that building a pyramid spends its time in.
#include "image/scan_pyramid.h"

#include "image/dib_layout.h"
#include "platform/dib_raster.h"
#include "platform/dib_types.h"
#include "platform/parallel_parts.h"
#include "platform/pixel_rows.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

namespace {

// Pixels of 32 bits decoded at a time from scans the fast paths do not read.
constexpr std::int64_t kStripPixels = std::int64_t{1} << 22;
// A part of a level smaller than this is reduced on one core.
constexpr std::int64_t kSharedPixels = std::int64_t{1} << 16;

// A level's width or height from the one before, rounded up.
int Half(int v) { return v / 2 + (v & 1); }

std::size_t StrideOf(int width, int channels) {
    return (std::size_t(width) * std::size_t(channels) + 3) / 4 * 4;
}

// Colours 0xRRGGBB for the table of an 8-bit level.
using LevelTable = std::array<std::uint32_t, 256>;

LevelTable GreyRamp() {
    LevelTable table;
    for (std::uint32_t i = 0; i < 256; ++i)
        table[i] = i * 0x010101u;
    return table;
}

// Entry i lies i / 255 of the way from colour `zero` to colour `one`.
LevelTable Blend(std::uint32_t zero, std::uint32_t one) {
    LevelTable table;
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t colour = 0;
        for (int shift : {0, 8, 16}) {
            const std::uint32_t a = (zero >> shift) & 0xFF, b = (one >> shift) & 0xFF;
            colour |= ((a * (255 - i) + b * i + 127) / 255) << shift;
        }
        table[i] = colour;
    }
    return table;
}

// A level: its block and where its rows lie (top row counted first,
// stored bottom-up).
struct Level {
    HDIB block = nullptr;
    int width = 0;
    int height = 0;
    int channels = 0; // 1: indexes into its table; 3: blue, green, red
    std::size_t stride = 0;
    BYTE* bits = nullptr;

    BYTE* Row(int y) const { return bits + std::size_t(height - 1 - y) * stride; }
};

std::size_t LevelHeaderBytes(int channels) {
    return sizeof(BITMAPINFOHEADER) + (channels == 1 ? 256 * sizeof(RGBQUAD) : 0);
}

// The header of a level of width x height at p, and the table given for 8 bits.
void WriteLevelHeader(BYTE* p, int width, int height, int channels, const LevelTable& table) {
    const std::size_t imageBytes = StrideOf(width, channels) * std::size_t(height);
    const DWORD sizeField = imageBytes <= std::numeric_limits<DWORD>::max() ? DWORD(imageBytes) : 0;
    const BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), width, height, 1, WORD(channels * 8),
                                  BI_RGB, sizeField, 0, 0, DWORD(channels == 1 ? 256 : 0), 0};
    std::memcpy(p, &header, sizeof header);
    for (std::size_t i = 0; channels == 1 && i < 256; ++i) {
        BYTE* e = p + sizeof header + 4 * i;
        e[0] = BYTE(table[i]);
        e[1] = BYTE(table[i] >> 8);
        e[2] = BYTE(table[i] >> 16);
    }
}

// A new, locked level block (the caller unlocks it); an 8-bit level gets
// the table given.
bool NewLevel(int width, int height, int channels, const LevelTable& table, Level& level) {
    const std::size_t stride = StrideOf(width, channels);
    const std::size_t headerBytes = LevelHeaderBytes(channels);
    level.block = GlobalAlloc(GHND, headerBytes + stride * std::size_t(height));
    if (!level.block)
        return false;
    auto* p = static_cast<BYTE*>(GlobalLock(level.block));
    WriteLevelHeader(p, width, height, channels, table);
    level.width = width;
    level.height = height;
    level.channels = channels;
    level.stride = stride;
    level.bits = p + headerBytes;
    return true;
}

// The rows a level is reduced from, top row first, in the level's own
// pixel layout. A row stays good until the next one asked for in the same
// slot (0 or 1).
class SourceRows {
  public:
    virtual ~SourceRows() = default;
    virtual const BYTE* Row(int y, int slot) = 0;
};

// Rows stored as a level wants them: 24-bit scans, grey scans whose
// indexes are their grey levels, and the levels themselves.
class StoredRows : public SourceRows {
  public:
    StoredRows(const BYTE* bits, std::size_t stride, int height)
        : m_bits(bits), m_stride(stride), m_height(height) {}
    const BYTE* Row(int y, int) override { return m_bits + std::size_t(m_height - 1 - y) * m_stride; }

  private:
    const BYTE* m_bits;
    std::size_t m_stride;
    int m_height;
};

// Rows of 8-bit indexes turned into grey levels through a table.
class LookedUpRows : public SourceRows {
  public:
    LookedUpRows(const BYTE* bits, std::size_t stride, int width, int height,
                 const std::array<BYTE, 256>& grey)
        : m_stored(bits, stride, height), m_width(width), m_grey(grey) {}
    const BYTE* Row(int y, int slot) override {
        const BYTE* in = m_stored.Row(y, slot);
        m_buffers[slot].resize(std::size_t(m_width));
        BYTE* out = m_buffers[slot].data();
        for (int x = 0; x < m_width; ++x)
            out[x] = m_grey[in[x]];
        return out;
    }

  private:
    StoredRows m_stored;
    int m_width;
    std::array<BYTE, 256> m_grey;
    std::vector<BYTE> m_buffers[2];
};

// Rows of one bit per pixel spread to a byte each, `zero` for 0 and `one`
// for 1: the grey levels of a grey pair of colours, or 0 and 255 for
// others, whose averages then say how much of colour 1 there is.
class SpreadBitRows : public SourceRows {
  public:
    SpreadBitRows(const BYTE* bits, std::size_t stride, int width, int height, BYTE zero, BYTE one)
        : m_stored(bits, stride, height), m_width(width) {
        for (int b = 0; b < 256; ++b)
            for (int k = 0; k < 8; ++k)
                m_spread[b][k] = (b & (0x80 >> k)) ? one : zero;
    }
    const BYTE* Row(int y, int slot) override {
        const BYTE* in = m_stored.Row(y, slot);
        const std::size_t bytes = (std::size_t(m_width) + 7) / 8;
        m_buffers[slot].resize(8 * bytes);
        BYTE* out = m_buffers[slot].data();
        for (std::size_t i = 0; i < bytes; ++i)
            std::memcpy(out + 8 * i, m_spread[in[i]], 8);
        return out;
    }

  private:
    StoredRows m_stored;
    int m_width;
    BYTE m_spread[256][8];
    std::vector<BYTE> m_buffers[2];
};

// Any other picture: decoded in strips of rows and taken as blue, green,
// red. Run-length data are read from their start for each strip, so strips
// are large.
class DecodedRows : public SourceRows {
  public:
    DecodedRows(const DibPixels& pixels, int width, int height)
        : m_pixels(pixels), m_width(width), m_height(height),
          m_stripRows(static_cast<int>(std::clamp<std::int64_t>(kStripPixels / width, 2, height))) {}
    const BYTE* Row(int y, int slot) override {
        if (m_strip.empty() || y < m_stripTop || y >= m_stripTop + m_stripRows)
            LoadStrip(y);
        const std::uint32_t* in = m_strip.data() + std::size_t(y - m_stripTop) * std::size_t(m_width);
        m_buffers[slot].resize(std::size_t(m_width) * 3);
        BYTE* out = m_buffers[slot].data();
        for (int x = 0; x < m_width; ++x) {
            BYTE* p = out + 3 * std::size_t(x);
            p[0] = BYTE(in[x]);
            p[1] = BYTE(in[x] >> 8);
            p[2] = BYTE(in[x] >> 16);
        }
        return out;
    }

  private:
    void LoadStrip(int y) {
        m_stripTop = y;
        const int rows = std::min(m_stripRows, m_height - y);
        m_strip.resize(std::size_t(m_stripRows) * std::size_t(m_width));
        DecodeDibRect(m_pixels, 0, y, m_width, rows, m_strip.data(), m_width);
    }

    DibPixels m_pixels;
    int m_width, m_height, m_stripRows;
    int m_stripTop = 0;
    std::vector<std::uint32_t> m_strip;
    std::vector<BYTE> m_buffers[2];
};

// One row of a level from two rows of the one before (the same row twice
// for the last of an odd height): each value the rounded average of the
// 2 x 2 it covers, of the 2 x 1 in the last column of an odd width.
template <int Channels>
void ReduceRow(const BYTE* a, const BYTE* b, int width, BYTE* out) {
    const int pairs = width / 2;
    if constexpr (Channels == 3) {
        pixel_rows::HalveBgr24(a, b, pairs, out);
    } else {
        for (int x = 0; x < pairs; ++x)
            for (int c = 0; c < Channels; ++c) {
                const std::size_t i = 2 * Channels * std::size_t(x) + c;
                out[Channels * std::size_t(x) + c] =
                    BYTE((a[i] + a[i + Channels] + b[i] + b[i + Channels] + 2) >> 2);
            }
    }
    if (width & 1)
        for (int c = 0; c < Channels; ++c) {
            const std::size_t i = Channels * std::size_t(width - 1) + c;
            out[Channels * std::size_t(pairs) + c] = BYTE((a[i] + b[i] + 1) >> 1);
        }
}

void ReduceRowOf(int channels, const BYTE* a, const BYTE* b, int width, BYTE* out) {
    if (channels == 1)
        ReduceRow<1>(a, b, width, out);
    else
        ReduceRow<3>(a, b, width, out);
}

// The rows of a first level that is not kept, reduced from the scan's rows
// as they are asked for.
class HalvedRows : public SourceRows {
  public:
    HalvedRows(std::unique_ptr<SourceRows> scan, int width, int height, int channels)
        : m_scan(std::move(scan)), m_width(width), m_height(height), m_channels(channels) {}
    const BYTE* Row(int y, int slot) override {
        const BYTE* a = m_scan->Row(2 * y, 0);
        const BYTE* b = 2 * y + 1 < m_height ? m_scan->Row(2 * y + 1, 1) : a;
        m_buffers[slot].resize(StrideOf(Half(m_width), m_channels));
        ReduceRowOf(m_channels, a, b, m_width, m_buffers[slot].data());
        return m_buffers[slot].data();
    }

  private:
    std::unique_ptr<SourceRows> m_scan;
    int m_width, m_height, m_channels;
    std::vector<BYTE> m_buffers[2];
};

// Counts the work done in source pixels and tells progress now and then.
class Progress {
  public:
    Progress(const PyramidProgress& report, double total) : m_report(report), m_total(total) {}
    // False when the build is to stop.
    bool Add(double pixels) {
        m_done += pixels;
        if (!m_report || m_done < m_next)
            return true;
        m_next = m_done + m_total / 100;
        return m_report(std::min(1.0, m_done / m_total));
    }
    bool Finish() { return !m_report || m_report(1.0); }

  private:
    const PyramidProgress& m_report;
    double m_total;
    double m_done = 0;
    double m_next = 0;
};

// Fills level `to` from the rows of a picture of `width` x `height`; each
// row of the level counts as `work` source pixels read.
bool Reduce(SourceRows& rows, int width, int height, const Level& to, double work,
            Progress& progress) {
    for (int y = 0; y < to.height; ++y) {
        const BYTE* a = rows.Row(2 * y, 0);
        const BYTE* b = 2 * y + 1 < height ? rows.Row(2 * y + 1, 1) : a;
        ReduceRowOf(to.channels, a, b, width, to.Row(y));
        if (!progress.Add(work))
            return false;
    }
    return true;
}

// How the scan's rows are read for its first level, and what the levels hold.
struct ScanReading {
    std::unique_ptr<SourceRows> rows;
    int channels = 3;
    LevelTable table{};
    bool stored = false; // the rows are the scan's own bytes: its first level is not kept
};

std::uint32_t TableColour(const BYTE* table, std::size_t count, std::size_t i) {
    if (i >= count)
        return 0; // indexes past the table show black
    const BYTE* e = table + 4 * i;
    return (std::uint32_t{e[2]} << 16) | (std::uint32_t{e[1]} << 8) | e[0];
}

bool IsGrey(std::uint32_t colour) {
    return (colour & 0xFF) == ((colour >> 8) & 0xFF) && (colour & 0xFF) == (colour >> 16);
}

ScanReading ReadScan(const BYTE* block, std::size_t bytes, int width, int height) {
    ScanReading reading;
    const BYTE* bits = DibPixelData(block);
    const auto bitsBytes = bytes - static_cast<std::size_t>(bits - block);
    const DibPixels pixels{reinterpret_cast<const BITMAPINFO*>(block),
                           static_cast<std::size_t>(bits - block), bits, bitsBytes};
    BITMAPINFOHEADER header{};
    if (DibHeaderSize(block) == sizeof header)
        std::memcpy(&header, block, sizeof header);
    const bool plain = header.biSize == sizeof header && header.biCompression == BI_RGB;
    const std::size_t rowBytes = (std::size_t(width) * header.biBitCount + 31) / 32 * 4;
    const BYTE* table = block + sizeof header;
    const std::size_t colours = DibColorCount(block);
    if (plain && header.biBitCount == 24) {
        reading.rows = std::make_unique<StoredRows>(bits, rowBytes, height);
        reading.stored = true;
        return reading;
    }
    if (plain && header.biBitCount == 1) {
        const std::uint32_t zero = TableColour(table, colours, 0);
        const std::uint32_t one = TableColour(table, colours, 1);
        const bool grey = IsGrey(zero) && IsGrey(one);
        reading.channels = 1;
        reading.table = grey ? GreyRamp() : Blend(zero, one);
        reading.rows = std::make_unique<SpreadBitRows>(bits, rowBytes, width, height,
                                                       grey ? BYTE(zero) : 0, grey ? BYTE(one) : 255);
        return reading;
    }
    if (plain && header.biBitCount == 8) {
        std::array<BYTE, 256> grey{};
        bool allGrey = true, ramp = true;
        for (std::size_t i = 0; i < 256; ++i) {
            const std::uint32_t colour = TableColour(table, colours, i);
            allGrey = allGrey && IsGrey(colour);
            grey[i] = BYTE(colour);
            ramp = ramp && grey[i] == i;
        }
        if (allGrey) {
            reading.channels = 1;
            reading.table = GreyRamp();
            reading.stored = ramp;
            if (ramp)
                reading.rows = std::make_unique<StoredRows>(bits, rowBytes, height);
            else
                reading.rows = std::make_unique<LookedUpRows>(bits, rowBytes, width, height, grey);
            return reading;
        }
    }
    reading.rows = std::make_unique<DecodedRows>(pixels, width, height);
    return reading;
}

// Bytes of all the levels of a width x height scan.
std::uint64_t LevelBytes(int width, int height, int channels) {
    std::uint64_t total = 0;
    while (width > kPyramidSmallest || height > kPyramidSmallest) {
        width = Half(width);
        height = Half(height);
        total += sizeof(BITMAPINFOHEADER) + (channels == 1 ? 1024 : 0) +
                 std::uint64_t(StrideOf(width, channels)) * std::uint64_t(height);
    }
    return total;
}

// Levels may take three times the scan's own bytes (1-bit scans need 2.7
// times, in 8-bit levels) and a little more; a run-length picture of a few
// bytes that declares billions of pixels gets none.
bool LevelsAffordable(std::size_t scanBytes, int width, int height, int channels) {
    constexpr std::uint64_t kSlack = std::uint64_t{64} << 20;
    return LevelBytes(width, height, channels) <= 3 * std::uint64_t(scanBytes) + kSlack;
}

int LevelsFor(int width, int height) {
    int levels = 0;
    while (width > kPyramidSmallest || height > kPyramidSmallest) {
        width = Half(width);
        height = Half(height);
        ++levels;
    }
    return levels;
}

// Source pixels read for all the levels, for the share of work done.
double TotalWork(int width, int height) {
    double total = 0;
    while (width > kPyramidSmallest || height > kPyramidSmallest) {
        total += double(width) * height;
        width = Half(width);
        height = Half(height);
    }
    return std::max(total, 1.0);
}

// The levels while they are built: locked, and freed unless handed over.
class LevelsInProgress {
  public:
    LevelsInProgress() = default;
    LevelsInProgress(const LevelsInProgress&) = delete;
    LevelsInProgress& operator=(const LevelsInProgress&) = delete;
    ~LevelsInProgress() {
        for (HDIB block : Release())
            GlobalFree(block);
    }
    // A null block stands for a level reduced when painted.
    void Add(HDIB block) { m_blocks.push_back(block); }
    // The blocks, unlocked; this object no longer owns them.
    std::vector<HDIB> Release() {
        for (HDIB block : m_blocks)
            GlobalUnlock(block);
        return std::move(m_blocks);
    }

  private:
    std::vector<HDIB> m_blocks;
};

} // namespace

ScanPyramid::~ScanPyramid() {
    for (HDIB level : m_levels)
        GlobalFree(level);
}

HDIB ScanPyramid::Level(int k) const {
    return k >= 1 && k <= LevelCount() ? m_levels[std::size_t(k - 1)] : nullptr;
}

CSize ScanPyramid::LevelSize(int k) const {
    if (IsReducedWhenPainted(k))
        return m_firstSize;
    HDIB level = Level(k);
    if (!level)
        return CSize(0, 0);
    GlobalLockGuard lock(level);
    return CSize(static_cast<int>(DibGetWidth(lock.get())), static_cast<int>(DibGetHeight(lock.get())));
}

std::size_t ScanPyramid::Bytes() const {
    std::size_t total = 0;
    for (HDIB level : m_levels)
        total += GlobalSize(level);
    return total;
}

namespace {

std::unique_ptr<ScanPyramid> BuildLevels(const void* block, std::size_t bytes,
                                         const PyramidProgress& report) {
    const auto* scan = static_cast<const BYTE*>(block);
    int width = static_cast<int>(DibGetWidth(scan));
    int height = static_cast<int>(DibGetHeight(scan));
    ScanReading reading = ReadScan(scan, bytes, width, height);
    if (!LevelsAffordable(bytes, width, height, reading.channels))
        return nullptr;
    Progress progress(report, TotalWork(width, height));
    LevelsInProgress levels;
    std::unique_ptr<SourceRows> rows = std::move(reading.rows);
    int k = LevelsFor(width, height);
    const CSize firstSize(Half(width), Half(height));
    // Rows of the level before the one being made, read per row of it.
    double readPerRow = 2.0 * width;
    if (reading.stored && k > 0) {
        rows = std::make_unique<HalvedRows>(std::move(rows), width, height, reading.channels);
        levels.Add(nullptr);
        readPerRow = 4.0 * width + 2.0 * firstSize.cx;
        width = firstSize.cx;
        height = firstSize.cy;
        --k;
    }
    for (; k > 0; --k) {
        Level level;
        if (!NewLevel(Half(width), Half(height), reading.channels, reading.table, level))
            return nullptr;
        levels.Add(level.block);
        if (!Reduce(*rows, width, height, level, readPerRow, progress))
            return nullptr;
        // The next level is reduced from this one, stored as it is wanted.
        rows = std::make_unique<StoredRows>(level.bits, level.stride, level.height);
        width = level.width;
        height = level.height;
        readPerRow = 2.0 * width;
    }
    if (!progress.Finish())
        return nullptr;
    return std::make_unique<ScanPyramid>(levels.Release(), firstSize);
}

} // namespace

std::unique_ptr<ScanPyramid> BuildScanPyramid(const void* block, std::size_t bytes,
                                              const PyramidProgress& report) {
    if (!block || DibCheckBlock(block, bytes) != DibCheck::Ok)
        return nullptr;
    try {
        return BuildLevels(block, bytes, report);
    } catch (const std::bad_alloc&) {
        return nullptr; // the document goes on without levels
    }
}

FirstLevelPart::~FirstLevelPart() {
    GlobalFree(m_block);
}

bool FirstLevelPart::Reduce(const void* scan, std::size_t bytes, const CRect& area) {
    const auto* block = static_cast<const BYTE*>(scan);
    const int width = static_cast<int>(DibGetWidth(block));
    const int height = static_cast<int>(DibGetHeight(block));
    const ScanReading reading = ReadScan(block, bytes, width, height);
    if (!reading.stored || area.IsRectEmpty() || area.left < 0 || area.top < 0 ||
        area.right > Half(width) || area.bottom > Half(height))
        return false;
    const int channels = reading.channels;
    const std::size_t stride = StrideOf(area.Width(), channels);
    const std::size_t need = LevelHeaderBytes(channels) + stride * std::size_t(area.Height());
    if (GlobalSize(m_block) < need) {
        GlobalFree(m_block);
        m_block = GlobalAlloc(GHND, need);
        if (!m_block)
            return false;
    }
    GlobalLockGuard lock(m_block);
    auto* p = static_cast<BYTE*>(lock.get());
    WriteLevelHeader(p, area.Width(), area.Height(), channels, reading.table);
    const Level part{m_block, area.Width(), area.Height(), channels, stride,
                     p + LevelHeaderBytes(channels)};
    // Source columns from 2 * left: two per pixel, one for a last pixel
    // at the scan's odd right edge.
    const std::size_t skip = 2 * std::size_t(area.left) * std::size_t(channels);
    const int sourceWidth = static_cast<int>(
        std::min(2 * std::int64_t{area.Width()}, std::int64_t{width} - 2 * std::int64_t{area.left}));
    // Stored rows are read in place, so parts of the area can be reduced
    // at once.
    SourceRows& rows = *reading.rows;
    const int parts = std::int64_t{area.Width()} * area.Height() < kSharedPixels
                          ? 1
                          : std::min(parallel::PartsAtOnce(), part.height);
    parallel::RunParts(parts, [&](int k) {
        const int from = static_cast<int>(std::int64_t{part.height} * k / parts);
        const int to = static_cast<int>(std::int64_t{part.height} * (k + 1) / parts);
        for (int y = from; y < to; ++y) {
            const int top = 2 * (area.top + y);
            const BYTE* a = rows.Row(top, 0) + skip;
            const BYTE* b = top + 1 < height ? rows.Row(top + 1, 1) + skip : a;
            ReduceRowOf(channels, a, b, sourceWidth, part.Row(y));
        }
    });
    return true;
}

std::unique_ptr<ScanPyramid> BuildScanPyramid(HDIB scan, const PyramidProgress& progress) {
    if (!scan)
        return nullptr;
    GlobalLockGuard lock(scan);
    return BuildScanPyramid(lock.get(), lock.size(), progress);
}
