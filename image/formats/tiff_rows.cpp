#include "image/formats/tiff_layout.h"

#include <algorithm>
#include <cstring>

namespace tiff_pixels {
namespace {

// One row of one plane, and one strip or row of tiles of all planes: a
// picture that needs more is not one a scanner writes, and its header
// must not make us allocate gigabytes.
constexpr std::uint64_t kMaxRowBytes = std::uint64_t(64) << 20;
constexpr std::uint64_t kMaxStripBytes = std::uint64_t(64) << 20;
constexpr std::uint64_t kMaxTileRowBytes = std::uint64_t(256) << 20;
// Slack over the rows a band covers, for tiles reaching past the picture.
constexpr std::uint64_t kTileSlackBytes = std::uint64_t(16) << 20;

std::uint32_t RowsPerStrip(TIFF* tif, std::uint32_t height) {
    std::uint32_t rows = height;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    return std::clamp<std::uint32_t>(rows, 1, height);
}

// Whether the codec decodes a row as cheaply as a strip. Deflate does
// not: zlib copies up to 32 KB into its window after every call.
bool CheapRows(const Layout& layout) {
    switch (layout.compression) {
    case COMPRESSION_NONE:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_LZW:
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: return true;
    default: return false;
    }
}

} // namespace

DecodeFailure RowReader::Start(std::string& error) {
    const std::uint64_t rowBytes = TIFFScanlineSize64(m_tif);
    if (rowBytes == 0 || rowBytes > kMaxRowBytes) {
        error = "the picture's rows are too long to read";
        return DecodeFailure::Corrupt;
    }
    m_planeRowBytes = static_cast<std::size_t>(rowBytes);
    const auto planes = static_cast<std::uint64_t>(m_layout.Planes());
    std::uint64_t band = 0;
    if (m_layout.tiled) {
        m_mode = Mode::Tiles;
        TIFFGetField(m_tif, TIFFTAG_TILEWIDTH, &m_tileWidth);
        TIFFGetField(m_tif, TIFFTAG_TILELENGTH, &m_tileHeight);
        const std::uint64_t tileBytes = TIFFTileSize64(m_tif);
        m_tileRowBytes = static_cast<std::size_t>(TIFFTileRowSize64(m_tif));
        const std::uint64_t samplesPerPlane =
            m_layout.separatePlanes ? 1 : static_cast<std::uint64_t>(m_layout.samples);
        if (m_tileWidth == 0 || m_tileHeight == 0 || tileBytes == 0 || m_tileRowBytes == 0 ||
            (std::uint64_t(m_tileWidth) * m_layout.bits * samplesPerPlane) % 8 != 0) {
            error = "the picture's tiles cannot be read";
            return DecodeFailure::Corrupt;
        }
        const std::uint64_t across = (m_layout.width + std::uint64_t(m_tileWidth) - 1) / m_tileWidth;
        const std::uint64_t rowsCovered = std::min<std::uint64_t>(m_tileHeight, m_layout.height);
        const std::uint64_t needed = rowBytes * rowsCovered * planes;
        if (tileBytes > kMaxTileRowBytes / across ||
            across * tileBytes * planes > std::min(kMaxTileRowBytes, 4 * needed + kTileSlackBytes)) {
            error = "the picture's tiles are too large to read";
            return DecodeFailure::Corrupt;
        }
        m_bandPlaneBytes = static_cast<std::size_t>(across * tileBytes);
        band = m_bandPlaneBytes * planes;
        m_rows.assign(m_planeRowBytes * planes, 0);
    } else {
        const std::uint64_t stripRows = RowsPerStrip(m_tif, m_layout.height);
        band = rowBytes * stripRows * planes;
        m_mode = Mode::Strips;
        if (!m_layout.separatePlanes && (band > kMaxStripBytes || (m_intoDib && CheapRows(m_layout)))) {
            // libtiff decodes the strips a row at a time, each row where
            // it is wanted.
            m_mode = Mode::Scanlines;
            band = rowBytes;
        } else if (band > kMaxStripBytes) {
            error = "the picture's strips are too large to read";
            return DecodeFailure::Corrupt;
        }
        m_bandPlaneBytes = static_cast<std::size_t>(band / planes);
    }
    try {
        m_buffer.resize(static_cast<std::size_t>(band));
    } catch (const std::bad_alloc&) {
        return DecodeFailure::NoMemory;
    }
    return DecodeFailure::None;
}

bool RowReader::LoadStrip(std::uint32_t y) {
    const std::uint32_t stripRows = RowsPerStrip(m_tif, m_layout.height);
    m_bandTop = y / stripRows * stripRows;
    m_bandRows = std::min(stripRows, m_layout.height - m_bandTop);
    const auto bytes = static_cast<tmsize_t>(std::size_t(m_bandRows) * m_planeRowBytes);
    for (int p = 0; p < m_layout.Planes(); ++p) {
        const std::uint32_t strip = TIFFComputeStrip(m_tif, y, static_cast<std::uint16_t>(p));
        BYTE* into = m_buffer.data() + std::size_t(p) * m_bandPlaneBytes;
        if (TIFFReadEncodedStrip(m_tif, strip, into, bytes) != bytes)
            return false;
    }
    return true;
}

bool RowReader::LoadTileRow(std::uint32_t y) {
    m_bandTop = y / m_tileHeight * m_tileHeight;
    m_bandRows = std::min(m_tileHeight, m_layout.height - m_bandTop);
    const auto tileBytes = static_cast<tmsize_t>(TIFFTileSize64(m_tif));
    for (int p = 0; p < m_layout.Planes(); ++p) {
        BYTE* into = m_buffer.data() + std::size_t(p) * m_bandPlaneBytes;
        for (std::uint64_t x = 0; x < m_layout.width; x += m_tileWidth, into += tileBytes) {
            const std::uint32_t tile = TIFFComputeTile(m_tif, static_cast<std::uint32_t>(x), y, 0,
                                                       static_cast<std::uint16_t>(p));
            if (TIFFReadEncodedTile(m_tif, tile, into, tileBytes) < 0)
                return false;
        }
    }
    return true;
}

bool RowReader::Next(std::uint32_t y, const BYTE* planes[], BYTE* dibRow, std::size_t dibRowBytes) {
    if (m_mode == Mode::Scanlines) {
        BYTE* row = m_intoDib && dibRowBytes >= m_planeRowBytes ? dibRow : m_buffer.data();
        if (TIFFReadScanline(m_tif, row, y, 0) < 0)
            return false;
        planes[0] = row;
        return true;
    }
    const bool loaded = y >= m_bandTop && y < m_bandTop + m_bandRows;
    if (!loaded && !(m_mode == Mode::Tiles ? LoadTileRow(y) : LoadStrip(y)))
        return false;
    const std::size_t inBand = y - m_bandTop;
    for (int p = 0; p < m_layout.Planes(); ++p) {
        const BYTE* band = m_buffer.data() + std::size_t(p) * m_bandPlaneBytes;
        if (m_mode == Mode::Strips) {
            planes[p] = band + inBand * m_planeRowBytes;
            continue;
        }
        // The row's pieces from each tile across, side by side.
        BYTE* row = m_rows.data() + std::size_t(p) * m_planeRowBytes;
        const std::size_t tileBytes = m_bandPlaneBytes / ((m_layout.width + m_tileWidth - 1) / m_tileWidth);
        for (std::size_t at = 0, tile = 0; at < m_planeRowBytes; at += m_tileRowBytes, ++tile) {
            const std::size_t n = std::min(m_tileRowBytes, m_planeRowBytes - at);
            std::memcpy(row + at, band + tile * tileBytes + inBand * m_tileRowBytes, n);
        }
        planes[p] = row;
    }
    return true;
}

namespace {

// libtiff's RGBA pixels carry premultiplied alpha.
void AbgrOverWhiteToBgr(const std::uint32_t* abgr, BYTE* bgr, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x, bgr += 3) {
        const std::uint32_t p = abgr[x];
        const unsigned away = 255u - TIFFGetA(p);
        bgr[0] = static_cast<BYTE>(std::min(255u, TIFFGetB(p) + away));
        bgr[1] = static_cast<BYTE>(std::min(255u, TIFFGetG(p) + away));
        bgr[2] = static_cast<BYTE>(std::min(255u, TIFFGetR(p) + away));
    }
}

bool AllocateRaster(std::vector<std::uint32_t>& raster, std::uint64_t pixels, std::string& error) {
    if (pixels > kMaxStripBytes / 4) {
        error = "the picture's strips or tiles are too large to read";
        return false;
    }
    raster.assign(static_cast<std::size_t>(pixels), 0);
    return true;
}

} // namespace

DecodeFailure ReadRgba(TIFF* tif, const Layout& layout, DibBuilder& builder, std::string& error) {
    std::vector<std::uint32_t> raster;
    const std::uint32_t width = layout.width, height = layout.height;
    if (layout.tiled) {
        std::uint32_t tw = 0, th = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
        if (tw == 0 || th == 0 || !AllocateRaster(raster, std::uint64_t(tw) * th, error))
            return DecodeFailure::Corrupt;
        for (std::uint64_t y = 0; y < height; y += th) {
            for (std::uint64_t x = 0; x < width; x += tw) {
                if (!TIFFReadRGBATile(tif, std::uint32_t(x), std::uint32_t(y), raster.data()))
                    return DecodeFailure::Corrupt;
                const std::size_t columns = std::min<std::uint64_t>(tw, width - x);
                for (std::uint64_t r = 0; r < th && y + r < height; ++r)
                    AbgrOverWhiteToBgr(raster.data() + (th - 1 - r) * tw,
                                       builder.Row(y + r) + x * 3, columns);
            }
            if (!builder.ReportProgress(double(y + th) / height))
                return DecodeFailure::Cancelled;
        }
        return DecodeFailure::None;
    }
    const std::uint32_t stripRows = RowsPerStrip(tif, height);
    if (!AllocateRaster(raster, std::uint64_t(width) * stripRows, error))
        return DecodeFailure::Corrupt;
    for (std::uint32_t y = 0; y < height; y += stripRows) {
        if (!TIFFReadRGBAStrip(tif, y, raster.data()))
            return DecodeFailure::Corrupt;
        const std::uint32_t rows = std::min(stripRows, height - y);
        for (std::uint32_t r = 0; r < rows; ++r)
            AbgrOverWhiteToBgr(raster.data() + std::size_t(rows - 1 - r) * width,
                               builder.Row(y + r), width);
        if (!builder.ReportProgress(double(y + rows) / height))
            return DecodeFailure::Cancelled;
    }
    return DecodeFailure::None;
}

} // namespace tiff_pixels
