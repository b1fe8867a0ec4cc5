#include "platform/dib_raster.h"

#include "platform/pixel_rows.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;

std::uint32_t ReadU32(const BYTE* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::uint16_t ReadU16(const BYTE* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

// One colour channel of a bit-field pixel: where it sits and how wide it is.
struct Channel {
    int shift = 0;
    int bits = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t mask = 0) {
        if (!mask)
            return;
        while (!(mask & 1u)) {
            mask >>= 1;
            ++shift;
        }
        while (mask & 1u) {
            mask >>= 1;
            ++bits;
        }
        // Only the contiguous run at the bottom counts; wider than 8 bits
        // keeps its top 8.
        if (bits > 8) {
            shift += bits - 8;
            bits = 8;
        }
        max = (1u << bits) - 1;
    }
    std::uint32_t Extract(std::uint32_t pixel) const {
        if (!max)
            return 0;
        const std::uint32_t v = (pixel >> shift) & max;
        return (v * 255 + max / 2) / max;
    }
};

// Everything the decoder needs to know about one picture, taken from its
// header once.
struct Picture {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    DWORD compression = BI_RGB;
    std::uint64_t stride = 0;
    std::uint32_t palette[256] = {};
    bool greyRamp = false; // 8-bit indexes that are their own grey levels
    Channel red, green, blue;
    const BYTE* bits = nullptr;
    std::size_t bitsBytes = 0;
};

bool ReadColourTable(const DibPixels& dib, std::size_t tableOffset, std::size_t entryBytes,
                     DWORD colorsUsed, Picture& pic) {
    std::fill(std::begin(pic.palette), std::end(pic.palette), kBlack);
    if (pic.bitCount > 8)
        return true;
    // The colour count is a 16-bit quantity, as the block layout counts it.
    std::size_t count = colorsUsed & 0xFFFFu;
    if (count == 0)
        count = std::size_t{1} << pic.bitCount;
    count = std::min<std::size_t>(count, 256);
    if (tableOffset > dib.infoBytes)
        return true;
    count = std::min(count, (dib.infoBytes - tableOffset) / entryBytes);
    const auto* table = reinterpret_cast<const BYTE*>(dib.info) + tableOffset;
    for (std::size_t i = 0; i < count; ++i) {
        const BYTE* e = table + i * entryBytes;
        pic.palette[i] = kBlack | (std::uint32_t{e[2]} << 16) | (std::uint32_t{e[1]} << 8) | e[0];
    }
    return true;
}

bool ReadCoreHeader(const DibPixels& dib, Picture& pic) {
    const auto* p = reinterpret_cast<const BYTE*>(dib.info);
    if (dib.infoBytes < sizeof(BITMAPCOREHEADER))
        return false;
    pic.width = ReadU16(p + 4);
    pic.height = ReadU16(p + 6);
    pic.bitCount = ReadU16(p + 10);
    pic.compression = BI_RGB;
    return ReadColourTable(dib, sizeof(BITMAPCOREHEADER), 3, 0, pic);
}

bool ReadInfoHeader(const DibPixels& dib, DWORD headerSize, Picture& pic) {
    const auto* p = reinterpret_cast<const BYTE*>(dib.info);
    if (dib.infoBytes < headerSize)
        return false;
    const auto width = static_cast<std::int32_t>(ReadU32(p + 4));
    const auto height = static_cast<std::int32_t>(ReadU32(p + 8));
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return false;
    pic.width = width;
    pic.topDown = height < 0;
    pic.height = pic.topDown ? -height : height;
    pic.bitCount = ReadU16(p + 14);
    pic.compression = ReadU32(p + 16);
    std::size_t tableOffset = headerSize;
    if (pic.compression == BI_BITFIELDS || pic.compression == 6) {
        // The masks sit inside the longer headers, and right after a
        // 40-byte one.
        std::size_t masksAt = 40;
        if (headerSize == 40)
            tableOffset += 12;
        if (dib.infoBytes < masksAt + 12)
            return false;
        pic.red = Channel(ReadU32(p + masksAt));
        pic.green = Channel(ReadU32(p + masksAt + 4));
        pic.blue = Channel(ReadU32(p + masksAt + 8));
        pic.compression = BI_BITFIELDS;
    }
    return ReadColourTable(dib, tableOffset, 4, ReadU32(p + 32), pic);
}

bool Describe(const DibPixels& dib, Picture& pic) {
    if (!dib.info || dib.infoBytes < 4 || (!dib.bits && dib.bitsBytes))
        return false;
    const DWORD headerSize = ReadU32(reinterpret_cast<const BYTE*>(dib.info));
    const bool ok = headerSize == sizeof(BITMAPCOREHEADER) ? ReadCoreHeader(dib, pic)
                    : headerSize >= sizeof(BITMAPINFOHEADER) ? ReadInfoHeader(dib, headerSize, pic)
                                                            : false;
    if (!ok || pic.width <= 0 || pic.height <= 0)
        return false;
    switch (pic.compression) {
    case BI_RGB:
        if (pic.bitCount != 1 && pic.bitCount != 4 && pic.bitCount != 8 && pic.bitCount != 16 &&
            pic.bitCount != 24 && pic.bitCount != 32)
            return false;
        if (pic.bitCount == 16) {
            pic.red = Channel(0x7C00);
            pic.green = Channel(0x03E0);
            pic.blue = Channel(0x001F);
        }
        break;
    case BI_RLE8:
    case BI_RLE4:
        if (pic.bitCount != (pic.compression == BI_RLE8 ? 8 : 4) || pic.topDown)
            return false;
        break;
    case BI_BITFIELDS:
        if (pic.bitCount != 16 && pic.bitCount != 32)
            return false;
        break;
    default:
        return false;
    }
    pic.stride = ((std::uint64_t(pic.width) * std::uint64_t(pic.bitCount) + 31) / 32) * 4;
    pic.greyRamp = pic.bitCount == 8 && pixel_rows::IsGreyRamp(pic.palette);
    pic.bits = static_cast<const BYTE*>(dib.bits);
    pic.bitsBytes = dib.bits ? dib.bitsBytes : 0;
    return true;
}

// Decodes pixels x0 .. x0 + count - 1 of one stored row that lies wholly
// inside the data.
void DecodeRow(const Picture& pic, const BYTE* row, int x0, int count, std::uint32_t* out) {
    switch (pic.bitCount) {
    case 1:
        pixel_rows::Bits1(row, x0, count, pic.palette, out);
        break;
    case 4:
        pixel_rows::Bits4(row, x0, count, pic.palette, out);
        break;
    case 8:
        if (pic.greyRamp)
            pixel_rows::Grey8(row + x0, count, out);
        else
            pixel_rows::Index8(row + x0, count, pic.palette, out);
        break;
    case 16:
        for (int i = 0; i < count; ++i) {
            const std::uint32_t v = ReadU16(row + 2 * std::size_t(x0 + i));
            out[i] = kBlack | (pic.red.Extract(v) << 16) | (pic.green.Extract(v) << 8) |
                     pic.blue.Extract(v);
        }
        break;
    case 24:
        pixel_rows::Bgr24(row + 3 * std::size_t(x0), count, out);
        break;
    case 32:
        if (pic.compression == BI_RGB) {
            pixel_rows::Bgrx32(row + 4 * std::size_t(x0), count, out);
        } else {
            for (int i = 0; i < count; ++i) {
                const std::uint32_t v = ReadU32(row + 4 * std::size_t(x0 + i));
                out[i] = kBlack | (pic.red.Extract(v) << 16) | (pic.green.Extract(v) << 8) |
                         pic.blue.Extract(v);
            }
        }
        break;
    default:
        break;
    }
}

void FillBlack(std::uint32_t* out, std::int64_t count) {
    if (count > 0)
        std::fill_n(out, count, kBlack);
}

// Every pixel of the rectangle is written once: decoded, or black where
// the data end.
void DecodeUncompressed(const Picture& pic, int x0, int y0, int w, int h, std::uint32_t* out,
                        std::ptrdiff_t outStride) {
    for (int j = 0; j < h; ++j) {
        std::uint32_t* line = out + j * outStride;
        const int y = y0 + j;
        const std::uint64_t stored = pic.topDown ? std::uint64_t(y) : std::uint64_t(pic.height - 1 - y);
        const std::uint64_t offset = stored * pic.stride;
        int xEnd = x0;
        if (offset < pic.bitsBytes) {
            const std::uint64_t available = pic.bitsBytes - offset;
            // Pixels whose bytes run past the data stay black.
            const std::uint64_t whole = available * 8 / std::uint64_t(pic.bitCount);
            xEnd = static_cast<int>(std::clamp<std::uint64_t>(whole, std::uint64_t(x0), std::uint64_t(x0) + w));
        }
        if (xEnd > x0)
            DecodeRow(pic, pic.bits + offset, x0, xEnd - x0, line);
        FillBlack(line + (xEnd - x0), std::int64_t(x0) + w - xEnd);
    }
}

// Writes a run of one colour into the part of the output rectangle it covers.
struct RleTarget {
    int x0, y0, w, h; // rectangle, y counted from the top
    int height;
    std::uint32_t* out;
    std::ptrdiff_t stride;

    // Row of the output for a bottom-up scan line, or -1 when outside.
    std::ptrdiff_t RowFor(std::int64_t line) const {
        const std::int64_t y = height - 1 - line;
        return (y >= y0 && y < y0 + h) ? static_cast<std::ptrdiff_t>(y - y0) : -1;
    }
    void Fill(std::int64_t line, std::int64_t x, int count, std::uint32_t colour) const {
        const std::ptrdiff_t row = RowFor(line);
        if (row < 0)
            return;
        const std::int64_t from = std::max<std::int64_t>(x, x0);
        const std::int64_t to = std::min<std::int64_t>(x + count, std::int64_t(x0) + w);
        std::uint32_t* p = out + row * stride;
        for (std::int64_t i = from; i < to; ++i)
            p[i - x0] = colour;
    }
    void Put(std::int64_t line, std::int64_t x, std::uint32_t colour) const {
        if (x < x0 || x >= x0 + w)
            return;
        const std::ptrdiff_t row = RowFor(line);
        if (row >= 0)
            out[row * stride + (x - x0)] = colour;
    }
};

// Run-length data: pairs (count, colour) and escapes (0, 0) end of line,
// (0, 1) end of picture, (0, 2, dx, dy) move, (0, n) n literal pixels padded
// to a 16-bit boundary. Pixels the data skip stay black.
void DecodeRle(const Picture& pic, const RleTarget& target) {
    const bool four = pic.compression == BI_RLE4;
    const BYTE* p = pic.bits;
    const std::size_t size = pic.bitsBytes;
    // Scan lines are numbered from the bottom; the rectangle's top row is the
    // last line of interest.
    const int lastLine = pic.height - 1 - target.y0;
    std::size_t i = 0;
    std::int64_t x = 0;
    std::int64_t line = 0;
    while (i + 1 < size && line <= lastLine) {
        const BYTE count = p[i];
        const BYTE value = p[i + 1];
        i += 2;
        const bool shown = target.RowFor(line) >= 0;
        if (count > 0) {
            if (!shown) {
                // Lines outside the rectangle are stepped over, not expanded.
            } else if (four) {
                const std::uint32_t colours[2] = {pic.palette[value >> 4], pic.palette[value & 15]};
                if (colours[0] == colours[1]) {
                    target.Fill(line, x, count, colours[0]);
                } else {
                    for (int k = 0; k < count; ++k)
                        target.Put(line, x + k, colours[k & 1]);
                }
            } else {
                target.Fill(line, x, count, pic.palette[value]);
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0:
            x = 0;
            ++line;
            break;
        case 1:
            return;
        case 2:
            if (i + 1 >= size)
                return;
            x += p[i];
            line += p[i + 1];
            i += 2;
            break;
        default: {
            const std::size_t dataBytes = four ? (value + 1u) / 2u : value;
            for (int k = 0; shown && k < value; ++k) {
                const std::size_t at = i + (four ? std::size_t(k) / 2 : std::size_t(k));
                if (at >= size)
                    return;
                const BYTE b = p[at];
                const BYTE index = four ? ((k & 1) ? (b & 15) : (b >> 4)) : b;
                target.Put(line, x + k, pic.palette[index]);
            }
            x += value;
            i += (dataBytes + 1) & ~std::size_t{1};
            break;
        }
        }
    }
}

// Sampled decoding of run-length data: one pass over the stream. Only named
// lines are expanded, and in them only the named columns.
class RleSampler {
  public:
    RleSampler(const Picture& pic, const std::int64_t* columns, int columnCount,
               const std::int64_t* rows, int rowCount, std::uint32_t* out, std::ptrdiff_t stride)
        : m_pic(pic), m_columns(columns), m_count(columnCount), m_rows(rows), m_out(out), m_stride(stride), m_buffer(static_cast<std::size_t>(columnCount)) {
        // Rows are named top down; scan lines run bottom up.
        m_next = rowCount - 1;
        SkipRowsOutside();
    }

    void Run() {
        const bool four = m_pic.compression == BI_RLE4;
        const BYTE* p = m_pic.bits;
        const std::size_t size = m_pic.bitsBytes;
        std::size_t i = 0;
        StartLine(0, 0);
        while (i + 1 < size && m_next >= 0) {
            const BYTE count = p[i];
            const BYTE value = p[i + 1];
            i += 2;
            if (count > 0) {
                if (m_wanted) {
                    const std::uint32_t a = four ? m_pic.palette[value >> 4] : m_pic.palette[value];
                    const std::uint32_t b = four ? m_pic.palette[value & 15] : a;
                    Cover(count, [&](std::int64_t k) { return (k & 1) ? b : a; });
                }
                m_x += count;
                continue;
            }
            if (value == 0) {
                StartLine(m_line + 1, 0);
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                if (i + 1 >= size)
                    break;
                const std::int64_t dx = p[i], dy = p[i + 1];
                i += 2;
                if (dy)
                    StartLine(m_line + dy, m_x + dx);
                else
                    m_x += dx;
            } else {
                const std::size_t dataBytes = four ? (value + 1u) / 2u : value;
                if (m_wanted) {
                    const std::size_t avail = i < size ? size - i : 0;
                    const std::size_t whole = four ? avail * 2 : avail;
                    const int n = static_cast<int>(std::min<std::size_t>(value, whole));
                    Cover(n, [&](std::int64_t k) {
                        const BYTE b = p[i + (four ? std::size_t(k) / 2 : std::size_t(k))];
                        return m_pic.palette[four ? ((k & 1) ? (b & 15) : (b >> 4)) : b];
                    });
                    if (n < value)
                        break;
                }
                m_x += value;
                i += (dataBytes + 1) & ~std::size_t{1};
            }
        }
        Flush();
    }

  private:
    std::int64_t LineOf(int j) const { return m_pic.height - 1 - m_rows[j]; }

    void SkipRowsOutside() {
        while (m_next >= 0 && (m_rows[m_next] < 0 || m_rows[m_next] >= m_pic.height))
            --m_next;
    }

    // Writes the finished line into every output row that names it.
    void Flush() {
        if (!m_wanted)
            return;
        while (m_next >= 0 && LineOf(m_next) == m_line) {
            std::copy(m_buffer.begin(), m_buffer.end(), m_out + m_next * m_stride);
            --m_next;
        }
        SkipRowsOutside();
    }

    void StartLine(std::int64_t line, std::int64_t x) {
        Flush();
        // Named lines the data step over stay black.
        while (m_next >= 0 && LineOf(m_next) < line)
            --m_next;
        SkipRowsOutside();
        m_line = line;
        m_x = x;
        m_wanted = m_next >= 0 && LineOf(m_next) == line;
        if (m_wanted) {
            std::fill(m_buffer.begin(), m_buffer.end(), kBlack);
            m_column = 0;
        }
    }

    // Pixels m_x .. m_x + n - 1 of the line, colour(k) for the k-th.
    template <typename Colour> void Cover(std::int64_t n, Colour colour) {
        while (m_column < m_count && m_columns[m_column] < m_x)
            ++m_column;
        const std::int64_t end = std::min<std::int64_t>(m_x + n, m_pic.width);
        while (m_column < m_count && m_columns[m_column] < end) {
            m_buffer[static_cast<std::size_t>(m_column)] = colour(m_columns[m_column] - m_x);
            ++m_column;
        }
    }

    const Picture& m_pic;
    const std::int64_t* m_columns;
    int m_count;
    const std::int64_t* m_rows;
    std::uint32_t* m_out;
    std::ptrdiff_t m_stride;
    std::vector<std::uint32_t> m_buffer;
    int m_next = -1;   // the output row whose line comes next
    int m_column = 0;  // first named column not yet passed in this line
    std::int64_t m_line = 0, m_x = 0;
    bool m_wanted = false;
};

void SampleUncompressed(const Picture& pic, const std::int64_t* columns, int count,
                        const std::int64_t* rows, int rowCount, std::uint32_t* out,
                        std::ptrdiff_t stride) {
    for (int j = 0; j < rowCount; ++j) {
        const std::int64_t y = rows[j];
        if (y < 0 || y >= pic.height)
            continue;
        std::uint32_t* line = out + j * stride;
        if (j > 0 && rows[j - 1] == y) {
            std::copy(line - stride, line - stride + count, line);
            continue;
        }
        const std::uint64_t stored = pic.topDown ? std::uint64_t(y) : std::uint64_t(pic.height - 1 - y);
        const std::uint64_t offset = stored * pic.stride;
        if (offset >= pic.bitsBytes)
            continue;
        const std::uint64_t whole = (pic.bitsBytes - offset) * 8 / std::uint64_t(pic.bitCount);
        const std::int64_t end = std::min<std::int64_t>(pic.width, static_cast<std::int64_t>(
                                                                       std::min<std::uint64_t>(whole, INT32_MAX)));
        for (int i = 0; i < count; ++i) {
            const std::int64_t x = columns[i];
            if (x < 0 || x >= end)
                continue;
            if (i > 0 && columns[i - 1] == x)
                line[i] = line[i - 1];
            else
                DecodeRow(pic, pic.bits + offset, static_cast<int>(x), 1, line + i);
        }
    }
}

} // namespace

bool DecodeDibSamples(const DibPixels& dib, const std::int64_t* columns, int columnCount,
                      const std::int64_t* rows, int rowCount, std::uint32_t* out,
                      std::ptrdiff_t outStride) {
    if (columnCount <= 0 || rowCount <= 0 || !out || !columns || !rows)
        return columnCount >= 0 && rowCount >= 0 && out != nullptr;
    for (int j = 0; j < rowCount; ++j)
        std::fill_n(out + j * outStride, columnCount, kBlack);
    Picture pic;
    if (!Describe(dib, pic))
        return false;
    if (pic.compression == BI_RLE8 || pic.compression == BI_RLE4)
        RleSampler(pic, columns, columnCount, rows, rowCount, out, outStride).Run();
    else
        SampleUncompressed(pic, columns, columnCount, rows, rowCount, out, outStride);
    return true;
}

namespace {

// Paints black the parts of the width x height output that lie outside the
// rectangle (left, top) .. (right, bottom) of it.
void FillBlackAround(std::uint32_t* out, std::ptrdiff_t stride, int width, int height,
                     std::int64_t left, std::int64_t top, std::int64_t right,
                     std::int64_t bottom) {
    for (std::int64_t j = 0; j < height; ++j) {
        std::uint32_t* line = out + j * stride;
        if (j < top || j >= bottom) {
            FillBlack(line, width);
        } else {
            FillBlack(line, left);
            FillBlack(line + right, width - right);
        }
    }
}

} // namespace

bool DecodeDibRect(const DibPixels& dib, int x, int y, int width, int height, std::uint32_t* out,
                   std::ptrdiff_t outStride) {
    if (width <= 0 || height <= 0 || !out)
        return width >= 0 && height >= 0 && out != nullptr;
    Picture pic;
    if (!Describe(dib, pic)) {
        FillBlackAround(out, outStride, width, height, 0, 0, 0, 0);
        return false;
    }
    // The part of the rectangle inside the picture; computed in 64 bits so
    // that no rectangle can overflow.
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::max(left, std::min<std::int64_t>(std::int64_t(x) + width, pic.width));
    const std::int64_t bottom = std::max(top, std::min<std::int64_t>(std::int64_t(y) + height, pic.height));
    const auto across = [&](std::int64_t v) { return std::clamp<std::int64_t>(v - x, 0, width); };
    const auto down = [&](std::int64_t v) { return std::clamp<std::int64_t>(v - y, 0, height); };
    FillBlackAround(out, outStride, width, height, across(left), down(top), across(right),
                    down(bottom));
    if (left >= right || top >= bottom)
        return true;
    std::uint32_t* origin = out + (top - y) * outStride + (left - x);
    const int w = static_cast<int>(right - left);
    const int h = static_cast<int>(bottom - top);
    if (pic.compression == BI_RLE8 || pic.compression == BI_RLE4) {
        // Pixels the runs skip stay black.
        for (int j = 0; j < h; ++j)
            FillBlack(origin + j * outStride, w);
        const RleTarget target{static_cast<int>(left), static_cast<int>(top), w, h,
                               pic.height, origin, outStride};
        DecodeRle(pic, target);
    } else {
        DecodeUncompressed(pic, static_cast<int>(left), static_cast<int>(top), w, h, origin,
                           outStride);
    }
    return true;
}

bool DescribeDibPixels(const DibPixels& dib, int* width, int* height) {
    Picture pic;
    if (!Describe(dib, pic))
        return false;
    if (width)
        *width = pic.width;
    if (height)
        *height = pic.height;
    return true;
}

std::size_t DibInfoBytes(const BITMAPINFO* info) {
    if (!info)
        return 0;
    const auto* p = reinterpret_cast<const BYTE*>(info);
    const DWORD size = ReadU32(p);
    if (size == sizeof(BITMAPCOREHEADER)) {
        const WORD bits = ReadU16(p + 10);
        return size + (bits <= 8 ? 3 * (std::size_t{1} << bits) : 0);
    }
    if (size < sizeof(BITMAPINFOHEADER))
        return 0;
    const WORD bits = ReadU16(p + 14);
    const DWORD compression = ReadU32(p + 16);
    std::size_t count = ReadU32(p + 32) & 0xFFFFu;
    if (count == 0 && bits <= 8)
        count = std::size_t{1} << bits;
    const std::size_t masks =
        (size == sizeof(BITMAPINFOHEADER) && (compression == BI_BITFIELDS || compression == 6))
            ? 12
            : 0;
    return size + masks + 4 * count;
}
