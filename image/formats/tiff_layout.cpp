#include "image/formats/tiff_layout.h"

#include "image/formats/tiff_stream.h"

namespace tiff_pixels {
namespace {

constexpr double kCentimetresPerInch = 2.54;

bool IsGrey(std::uint16_t photometric) {
    return photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
}

// The first extra sample is taken as alpha, as image programs take it,
// whether or not the file says what it is; a fourth RGB sample without an
// ExtraSamples tag too.
Alpha AlphaOf(TIFF* tif, const Layout& layout) {
    if (layout.samples <= layout.colourSamples)
        return Alpha::None;
    std::uint16_t count = 0;
    std::uint16_t* types = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &types) && count > 0 && types)
        return types[0] == EXTRASAMPLE_ASSOCALPHA ? Alpha::Associated : Alpha::Unassociated;
    return layout.colourSamples == 3 && layout.samples == 4 ? Alpha::Unassociated : Alpha::None;
}

// Picks how the pixels become a DIB; Rgba for whatever the direct paths
// do not cover.
void Classify(TIFF* tif, Layout& layout) {
    const std::uint16_t bits = layout.bits;
    const bool wholeBytes = bits == 8 || bits == 16;
    if (IsGrey(layout.photometric)) {
        layout.colourSamples = 1;
        layout.minIsWhite = layout.photometric == PHOTOMETRIC_MINISWHITE;
        if (bits == 1 && layout.samples == 1)
            layout.kind = Kind::Bilevel;
        else if ((layout.samples == 1 && (bits == 2 || bits == 4)) || wholeBytes)
            layout.kind = Kind::Grey;
        else
            layout.kind = Kind::Rgba;
    } else if (layout.photometric == PHOTOMETRIC_PALETTE) {
        layout.colourSamples = 1;
        layout.kind = layout.samples == 1 && bits <= 8 && (bits & (bits - 1)) == 0
                          ? Kind::Palette
                          : Kind::Rgba;
    } else if (layout.photometric == PHOTOMETRIC_RGB && layout.samples >= 3 && wholeBytes) {
        layout.colourSamples = 3;
        layout.kind = Kind::Rgb;
    } else {
        layout.colourSamples = 3;
        layout.kind = Kind::Rgba;
    }
    if (layout.kind == Kind::Grey || layout.kind == Kind::Rgb)
        layout.alpha = AlphaOf(tif, layout);
    switch (layout.kind) {
    case Kind::Bilevel: layout.dibBits = 1; break;
    case Kind::Palette: layout.dibBits = bits == 1 ? 1 : 8; break;
    case Kind::Grey: layout.dibBits = 8; break;
    case Kind::Rgb:
    case Kind::Rgba: layout.dibBits = 24; break;
    }
}

void ReadResolution(TIFF* tif, ImageHeaderInfo& info) {
    float x = 0, y = 0;
    std::uint16_t unit = RESUNIT_INCH;
    if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) || !TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y))
        return;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (!(x > 0) || !(y > 0) || (unit != RESUNIT_INCH && unit != RESUNIT_CENTIMETER))
        return;
    const double scale = unit == RESUNIT_CENTIMETER ? kCentimetresPerInch : 1.0;
    info.xDpi = x * scale;
    info.yDpi = y * scale;
}

} // namespace

DecodeFailure ReadLayout(TIFF* tif, Layout& layout, ImageHeaderInfo& info, std::string& error) {
    std::uint16_t planar = PLANARCONFIG_CONTIG, sampleFormat = SAMPLEFORMAT_UINT;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &layout.width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &layout.height)) {
        error = "the picture has no size";
        return DecodeFailure::Corrupt;
    }
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &layout.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &layout.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &layout.compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &layout.photometric))
        layout.photometric = layout.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
    layout.separatePlanes = planar == PLANARCONFIG_SEPARATE && layout.samples > 1;
    layout.tiled = TIFFIsTiled(tif) != 0;

    info.format = ImageFormat::Tiff;
    info.width = layout.width;
    info.height = layout.height;
    info.channels = layout.samples;
    info.bitsPerSample = layout.bits;
    info.palette = layout.photometric == PHOTOMETRIC_PALETTE;
    info.compression = TiffCompressionName(layout.compression);
    ReadResolution(tif, info);

    if (layout.width == 0 || layout.height == 0) {
        error = "the picture is empty";
        return DecodeFailure::Corrupt;
    }
    if (!TIFFIsCODECConfigured(layout.compression)) {
        error = info.compression + " compression is not supported";
        return DecodeFailure::Corrupt;
    }
    if (sampleFormat != SAMPLEFORMAT_UINT && sampleFormat != SAMPLEFORMAT_VOID) {
        error = "only unsigned integer samples are supported";
        return DecodeFailure::Corrupt;
    }
    if (layout.compression == COMPRESSION_JPEG && layout.photometric == PHOTOMETRIC_YCBCR) {
        // libtiff converts to RGB itself, upsampling the chroma.
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        layout.photometric = PHOTOMETRIC_RGB;
    }
    Classify(tif, layout);
    if (layout.kind == Kind::Rgba) {
        char message[1024] = "";
        if (!TIFFRGBAImageOK(tif, message)) {
            error = message[0] ? message : "this kind of TIFF picture is not supported";
            return DecodeFailure::Corrupt;
        }
    }
    info.dibBits = layout.dibBits;
    return DibBuilder::CheckSize(layout.width, layout.height, layout.dibBits);
}

} // namespace tiff_pixels
