// TIFF files through libtiff: black-and-white pictures as 1-bit
// min-is-white CCITT G4, grey ones as 8-bit grey, other palette pictures as
// 8-bit palette, the rest as 8-bit RGB; all but G4 with deflate and the
// horizontal predictor. Strips of about a quarter of a megabyte.
#include "image/formats/dib_rows.h"
#include "image/formats/image_writer.h"
#include "image/formats/tiff_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kStripBytes = 256 * 1024;
// Past this the offsets may not fit in 32 bits: BigTIFF then.
constexpr std::uint64_t kClassicTiffBytes = std::uint64_t(3) << 30;
constexpr std::uint32_t kBlack = 0xFF000000u;

std::size_t RowBytes(DibKind kind, int width) {
    switch (kind) {
    case DibKind::Bilevel: return (std::size_t(width) + 7) / 8;
    case DibKind::Grey:
    case DibKind::Palette: return std::size_t(width);
    case DibKind::Colour: break;
    }
    return std::size_t(width) * 3;
}

void SetColourMap(TIFF* tif, const std::vector<std::uint32_t>& colours) {
    std::vector<std::uint16_t> red(256), green(256), blue(256);
    for (std::size_t i = 0; i < colours.size() && i < 256; ++i) {
        red[i] = static_cast<std::uint16_t>(((colours[i] >> 16) & 0xFF) * 257);
        green[i] = static_cast<std::uint16_t>(((colours[i] >> 8) & 0xFF) * 257);
        blue[i] = static_cast<std::uint16_t>((colours[i] & 0xFF) * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
}

void SetTags(TIFF* tif, DibRows& rows) {
    const DibKind kind = rows.Kind();
    const std::size_t rowBytes = RowBytes(kind, rows.Width());
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(rows.Width()));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(rows.Height()));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, kind == DibKind::Colour ? 3 : 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, kind == DibKind::Bilevel ? 1 : 8);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                 std::uint32_t(std::max<std::size_t>(1, kStripBytes / rowBytes)));
    switch (kind) {
    case DibKind::Bilevel:
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        break;
    case DibKind::Grey: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK); break;
    case DibKind::Palette:
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        SetColourMap(tif, rows.Colours());
        break;
    case DibKind::Colour: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB); break;
    }
    if (kind != DibKind::Bilevel) {
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    }
    if (rows.XDpi() > 0 && rows.YDpi() > 0) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(rows.XDpi()));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(rows.YDpi()));
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
}

// One row of colours in the file's samples.
void PackRow(DibRows& rows, const std::uint32_t* colours, BYTE* out) {
    const int width = rows.Width();
    switch (rows.Kind()) {
    case DibKind::Bilevel: // min-is-white: 1 is black
        std::fill(out, out + RowBytes(DibKind::Bilevel, width), BYTE(0));
        for (int x = 0; x < width; ++x)
            if (colours[x] == kBlack)
                out[x / 8] |= BYTE(0x80u >> (x % 8));
        return;
    case DibKind::Grey:
        for (int x = 0; x < width; ++x)
            out[x] = static_cast<BYTE>(colours[x]);
        return;
    case DibKind::Palette:
        for (int x = 0; x < width; ++x)
            out[x] = rows.IndexOf(colours[x]);
        return;
    case DibKind::Colour:
        for (int x = 0; x < width; ++x, out += 3) {
            out[0] = static_cast<BYTE>(colours[x] >> 16);
            out[1] = static_cast<BYTE>(colours[x] >> 8);
            out[2] = static_cast<BYTE>(colours[x]);
        }
        return;
    }
}

} // namespace

bool WriteTiffFile(HDIB dib, std::FILE* stream, std::string& error) {
    DibRows rows(dib);
    if (!rows.Ok(error))
        return false;
    const std::size_t rowBytes = RowBytes(rows.Kind(), rows.Width());
    const bool big = std::uint64_t(rowBytes) * std::uint64_t(rows.Height()) > kClassicTiffBytes;
    TiffStream file(stream, big ? "w8" : "w");
    TIFF* tif = file.Handle();
    if (!tif) {
        error = file.Error("the TIFF file cannot be started");
        return false;
    }
    SetTags(tif, rows);
    std::vector<BYTE> out(rowBytes);
    for (int y = 0; y < rows.Height(); ++y) {
        PackRow(rows, rows.Row(y), out.data());
        if (TIFFWriteScanline(tif, out.data(), std::uint32_t(y), 0) < 0) {
            error = std::ferror(stream) ? std::strerror(errno) : file.Error("a row cannot be written");
            return false;
        }
    }
    if (!file.Close() || std::fflush(stream) != 0 || std::ferror(stream)) {
        error = std::ferror(stream) ? std::strerror(errno) : file.Error("the TIFF file cannot be finished");
        return false;
    }
    return true;
}
