// TIFF files through libtiff: the first page, a row at a time from strips
// (a strip per plane when the samples are stored apart) or a row of tiles
// at a time, straight into the DIB. Palette pictures keep their colour map
// (1-bit as 1-bit, 2- to 8-bit as 8-bit).
#include "image/formats/dib_builder.h"
#include "image/formats/tiff_layout.h"
#include "image/formats/tiff_stream.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

namespace {

using tiff_pixels::Alpha;
using tiff_pixels::Kind;
using tiff_pixels::Layout;

// Sample s of pixel x as 8 bits, wherever the file keeps it.
class SampleRow {
  public:
    SampleRow(const Layout& layout, const BYTE* const* planes) : m_layout(layout), m_planes(planes) {}

    // inverted: the value counted from the top (min-is-white), taken before
    // 16-bit samples lose their low bits.
    BYTE At(std::size_t x, int s, bool inverted = false) const {
        const bool apart = m_layout.separatePlanes;
        const BYTE* base = m_planes[apart ? s : 0];
        const std::size_t i = apart ? x : x * m_layout.samples + static_cast<std::size_t>(s);
        const BYTE flip = inverted ? 0xFF : 0x00;
        if (m_layout.bits == 8)
            return base[i] ^ flip;
        if (m_layout.bits == 16) {
            std::uint16_t v; // libtiff has put it in our byte order
            std::memcpy(&v, base + 2 * i, 2);
            if (inverted)
                v = static_cast<std::uint16_t>(0xFFFFu - v);
            return pixels::From16(v >> 8u, v & 0xFFu);
        }
        const unsigned max = (1u << m_layout.bits) - 1;
        return static_cast<BYTE>(Packed(base, i) * 255u / max) ^ flip;
    }
    // The i-th value of a row of 1-, 2- or 4-bit values, unscaled.
    unsigned Packed(const BYTE* base, std::size_t i) const {
        const unsigned bits = m_layout.bits, perByte = 8 / bits;
        const unsigned shift = 8 - bits * (static_cast<unsigned>(i % perByte) + 1);
        return (base[i / perByte] >> shift) & ((1u << bits) - 1);
    }

  private:
    const Layout& m_layout;
    const BYTE* const* m_planes;
};

BYTE OverWhite(BYTE value, BYTE alpha, Alpha kind) {
    if (kind == Alpha::Associated) // premultiplied: the white shows through by 1 - alpha
        return static_cast<BYTE>(std::min(255, value + 255 - alpha));
    return pixels::OverWhite(value, alpha);
}

void GreyRow(const Layout& layout, const SampleRow& in, std::uint32_t width, BYTE* out) {
    for (std::size_t x = 0; x < width; ++x) {
        const BYTE v = in.At(x, 0, layout.minIsWhite);
        out[x] = layout.alpha == Alpha::None ? v : OverWhite(v, in.At(x, 1), layout.alpha);
    }
}

void RgbRow(const Layout& layout, const SampleRow& in, std::uint32_t width, BYTE* out) {
    for (std::size_t x = 0; x < width; ++x, out += 3) {
        if (layout.alpha == Alpha::None) {
            out[0] = in.At(x, 2);
            out[1] = in.At(x, 1);
            out[2] = in.At(x, 0);
            continue;
        }
        const BYTE a = in.At(x, 3);
        out[0] = OverWhite(in.At(x, 2), a, layout.alpha);
        out[1] = OverWhite(in.At(x, 1), a, layout.alpha);
        out[2] = OverWhite(in.At(x, 0), a, layout.alpha);
    }
}

// One row of the file's samples into one row of the DIB.
void ConvertRow(const Layout& layout, const BYTE* planes[], BYTE* out) {
    const std::uint32_t width = layout.width;
    const bool plain8 = layout.bits == 8 && !layout.separatePlanes;
    const SampleRow in(layout, planes);
    switch (layout.kind) {
    case Kind::Bilevel:
    case Kind::Palette:
        if (layout.bits == 1 || layout.bits == 8) {
            if (planes[0] != out)
                std::memcpy(out, planes[0], (std::size_t(width) * layout.bits + 7) / 8);
        } else {
            for (std::size_t x = 0; x < width; ++x)
                out[x] = static_cast<BYTE>(in.Packed(planes[0], x));
        }
        return;
    case Kind::Grey:
        if (plain8 && layout.samples == 1 && !layout.minIsWhite) {
            if (planes[0] != out)
                std::memcpy(out, planes[0], width);
        } else {
            GreyRow(layout, in, width, out); // pixel by pixel: may be in place
        }
        return;
    case Kind::Rgb:
        if (plain8 && layout.samples == 3)
            pixels::RgbToBgr(planes[0], out, width);
        else
            RgbRow(layout, in, width, out);
        return;
    case Kind::Rgba: return; // read by tiff_pixels::ReadRgba instead
    }
}

// The colour map, 16 bits per entry; some old writers put 8-bit values in
// it, which the map then shows by having no entry above 255.
void SetPalette(TIFF* tif, const Layout& layout, DibBuilder& builder) {
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
        return; // libtiff refuses a palette picture without one; black then
    const int count = 1 << layout.bits;
    bool eightBit = true;
    for (int i = 0; i < count; ++i)
        eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
    auto level = [eightBit](std::uint16_t v) {
        return eightBit ? static_cast<BYTE>(v) : pixels::From16(v >> 8u, v & 0xFFu);
    };
    for (int i = 0; i < count; ++i)
        builder.SetColor(i, level(red[i]), level(green[i]), level(blue[i]));
}

int ColourCount(const Layout& layout) {
    switch (layout.kind) {
    case Kind::Bilevel: return 2;
    case Kind::Grey: return 256;
    case Kind::Palette: return 1 << layout.bits;
    case Kind::Rgb:
    case Kind::Rgba: break;
    }
    return 0;
}

int CountPages(TIFF* tif) {
    // libtiff stops at a directory chain that loops back on itself.
    const auto count = static_cast<std::uint64_t>(TIFFNumberOfDirectories(tif));
    return static_cast<int>(std::clamp<std::uint64_t>(count, 1, INT_MAX));
}

// Whether a row of the file's samples, put into the DIB row, can be turned
// into its pixels there (or already is them).
bool DecodesInPlace(const Layout& layout) {
    if (layout.separatePlanes || layout.samples != 1)
        return false;
    return layout.kind == Kind::Bilevel ||
           (layout.kind == Kind::Palette && (layout.bits == 1 || layout.bits == 8)) ||
           (layout.kind == Kind::Grey && layout.bits == 8);
}

DecodeFailure ReadRows(TIFF* tif, const Layout& layout, DibBuilder& builder, std::string& error) {
    tiff_pixels::RowReader rows(tif, layout, DecodesInPlace(layout));
    if (const DecodeFailure f = rows.Start(error); f != DecodeFailure::None)
        return f;
    const BYTE* planes[4] = {};
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        BYTE* out = builder.Row(y);
        if (!rows.Next(y, planes, out, builder.RowBytes()))
            return DecodeFailure::Corrupt;
        ConvertRow(layout, planes, out);
        if (!builder.ReportProgress(double(y + 1) / layout.height))
            return DecodeFailure::Cancelled;
    }
    return DecodeFailure::None;
}

class TiffReader final : public ImageReader {
  public:
    ImageFormat Format() const override { return ImageFormat::Tiff; }

    DecodeFailure ReadHeader(std::FILE* stream, ImageHeaderInfo& info,
                             std::string& error) const override {
        TiffStream file(stream, "r");
        Layout layout;
        return Open(file, layout, info, error);
    }

    DecodeResult Decode(std::FILE* stream, const DecodeProgress& progress) const override {
        DecodeResult result;
        TiffStream file(stream, "r");
        Layout layout;
        result.failure = Open(file, layout, result.info, result.error);
        if (result.failure != DecodeFailure::None)
            return result;
        DibBuilder builder;
        builder.SetProgress(&progress);
        result.failure = builder.Create(layout.width, layout.height, layout.dibBits, ColourCount(layout));
        if (result.failure != DecodeFailure::None) {
            result.error = "not enough memory for the picture";
            return result;
        }
        if (layout.kind == Kind::Palette)
            SetPalette(file.Handle(), layout, builder);
        else if (layout.kind != Kind::Rgb && layout.kind != Kind::Rgba)
            builder.SetGreyPalette(layout.kind == Kind::Bilevel && layout.minIsWhite);
        result.failure = layout.kind == Kind::Rgba
                             ? tiff_pixels::ReadRgba(file.Handle(), layout, builder, result.error)
                             : ReadRows(file.Handle(), layout, builder, result.error);
        if (result.failure == DecodeFailure::Corrupt && result.error.empty()) {
            if (std::ferror(stream)) {
                result.failure = DecodeFailure::ReadError;
                result.osError = errno;
            }
            result.error = file.Error("the picture's data cannot be read");
        }
        if (result.failure == DecodeFailure::None)
            result.block = builder.Release();
        return result;
    }

  private:
    static DecodeFailure Open(TiffStream& file, Layout& layout, ImageHeaderInfo& info,
                              std::string& error) {
        info.format = ImageFormat::Tiff;
        if (!file.Handle()) {
            error = file.Error("not a TIFF file");
            return DecodeFailure::Corrupt;
        }
        const DecodeFailure f = tiff_pixels::ReadLayout(file.Handle(), layout, info, error);
        if (f == DecodeFailure::TooLarge)
            error = "the picture is too large (" + std::to_string(layout.width) + " x " +
                    std::to_string(layout.height) + " pixels)";
        if (f == DecodeFailure::None || f == DecodeFailure::TooLarge)
            info.pages = CountPages(file.Handle());
        return f;
    }
};

} // namespace

const ImageReader& TiffImageReader() {
    static const TiffReader reader;
    return reader;
}
