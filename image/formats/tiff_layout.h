// What a TIFF directory says about its pixels, and the reading of its rows
// in order from the top, whatever the file's arrangement: strips, tiles or
// separate sample planes. Shared by the TIFF reader's files only.
#pragma once

#include "image/formats/dib_builder.h"

#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tiff_pixels {

// How the pixels become a DIB.
enum class Kind {
    Bilevel, // 1-bit grey: the bits as they are, the palette in the file's order
    Grey,    // any other grey, with or without alpha: 8-bit grey
    Palette, // colour indexes: 1- or 8-bit with the file's colour map
    Rgb,     // RGB, with or without alpha: 24-bit
    Rgba,    // anything else libtiff can turn into RGBA (CMYK, Lab, old JPEG...)
};

enum class Alpha { None, Associated, Unassociated };

struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t samples = 1;       // per pixel, extra samples included
    std::uint16_t bits = 1;          // per sample
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t compression = COMPRESSION_NONE;
    bool separatePlanes = false;
    bool tiled = false;
    int colourSamples = 1; // 1 grey or index, 3 RGB
    Alpha alpha = Alpha::None;
    bool minIsWhite = false;
    Kind kind = Kind::Grey;
    int dibBits = 8;

    // Planes a row is read from: 1 unless the samples are stored apart.
    int Planes() const { return separatePlanes ? colourSamples + (alpha != Alpha::None) : 1; }
};

// Reads the current directory's tags into layout and info (everything but
// the page count). Asks libtiff for RGB out of JPEG-compressed YCbCr.
DecodeFailure ReadLayout(TIFF* tif, Layout& layout, ImageHeaderInfo& info, std::string& error);

// The rows of the current directory from the top, through one strip or one
// row of tiles of buffer.
class RowReader {
  public:
    // intoDib: the file's samples of a row are the DIB row's pixels, or
    // can be turned into them in place; a codec that decodes a row as
    // cheaply as a strip then decodes each row into the DIB row.
    RowReader(TIFF* tif, const Layout& layout, bool intoDib)
        : m_tif(tif), m_layout(layout), m_intoDib(intoDib) {}
    // Checks the buffers a strip or a row of tiles needs against what the
    // picture can need, then allocates them.
    DecodeFailure Start(std::string& error);
    // Row y's samples, y counting up by one from 0; one pointer per plane
    // (contiguous samples: planes[0] only), which may be dibRow itself.
    // False when libtiff failed.
    bool Next(std::uint32_t y, const BYTE* planes[], BYTE* dibRow, std::size_t dibRowBytes);

  private:
    enum class Mode { Strips, Scanlines, Tiles };
    bool LoadStrip(std::uint32_t y);
    bool LoadTileRow(std::uint32_t y);

    TIFF* m_tif;
    const Layout& m_layout;
    bool m_intoDib;
    Mode m_mode = Mode::Strips;
    std::uint32_t m_bandTop = 0;  // first row in the buffers
    std::uint32_t m_bandRows = 0; // rows the buffers hold
    std::size_t m_planeRowBytes = 0;
    std::size_t m_bandPlaneBytes = 0; // one plane's share of the buffer
    std::vector<BYTE> m_buffer;       // planes one after another
    // Tiles: a row assembled from the tiles across.
    std::vector<BYTE> m_rows;
    std::size_t m_tileRowBytes = 0; // one row inside one tile
    std::uint32_t m_tileWidth = 0;
    std::uint32_t m_tileHeight = 0;
};

// Decodes through libtiff's RGBA interface, a strip or a tile at a time.
DecodeFailure ReadRgba(TIFF* tif, const Layout& layout, DibBuilder& builder, std::string& error);

} // namespace tiff_pixels
