#include "image/formats/image_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

ImageFormat DetectImageFormat(const unsigned char* head, std::size_t size) {
    auto starts = [&](const char* magic, std::size_t at = 0) {
        const std::size_t n = std::strlen(magic);
        return size >= at + n && std::memcmp(head + at, magic, n) == 0;
    };
    if (starts("BM"))
        return ImageFormat::Bmp;
    if (starts("\x89PNG\r\n\x1a\n"))
        return ImageFormat::Png;
    if (starts("\xFF\xD8\xFF"))
        return ImageFormat::Jpeg;
    auto bytes = [&](const char (&magic)[5]) {
        return size >= 4 && std::memcmp(head, magic, 4) == 0;
    };
    // Classic TIFF (42) and BigTIFF (43), in either byte order.
    if (bytes("II*\0") || bytes("MM\0*") || bytes("II+\0") || bytes("MM\0+"))
        return ImageFormat::Tiff;
    if (starts("RIFF") && starts("WEBP", 8))
        return ImageFormat::WebP;
    if (size >= 2 && head[0] == 'P' && head[1] >= '1' && head[1] <= '6')
        return ImageFormat::Pnm;
    return ImageFormat::Unknown;
}

ImageFormat DetectImageFormat(std::FILE* stream) {
    unsigned char head[12];
    const long at = std::ftell(stream);
    const std::size_t n = std::fread(head, 1, sizeof head, stream);
    if (at >= 0)
        std::fseek(stream, at, SEEK_SET);
    return DetectImageFormat(head, n);
}

ImageFormat FormatFromExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return ImageFormat::Unknown;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "bmp" || ext == "dib")
        return ImageFormat::Bmp;
    if (ext == "png")
        return ImageFormat::Png;
    if (ext == "jpg" || ext == "jpeg" || ext == "jpe")
        return ImageFormat::Jpeg;
    if (ext == "tif" || ext == "tiff")
        return ImageFormat::Tiff;
    if (ext == "webp")
        return ImageFormat::WebP;
    if (ext == "pnm" || ext == "pbm" || ext == "pgm" || ext == "ppm")
        return ImageFormat::Pnm;
    return ImageFormat::Unknown;
}

const char* ImageFormatName(ImageFormat format) {
    switch (format) {
    case ImageFormat::Bmp: return "BMP";
    case ImageFormat::Png: return "PNG";
    case ImageFormat::Jpeg: return "JPEG";
    case ImageFormat::Tiff: return "TIFF";
    case ImageFormat::WebP: return "WebP";
    case ImageFormat::Pnm: return "PNM";
    case ImageFormat::Unknown: break;
    }
    return "unknown";
}

bool IsLosslessFormat(ImageFormat format) {
    return format == ImageFormat::Bmp || format == ImageFormat::Png ||
           format == ImageFormat::Tiff || format == ImageFormat::Pnm;
}

std::optional<std::pair<int, int>> ScanLinesFromResolution(double xDpi, double yDpi) {
    auto usable = [](double dpi) { return std::isfinite(dpi) && dpi >= 50.0 && dpi <= 20000.0; };
    if (!usable(xDpi) || !usable(yDpi))
        return std::nullopt;
    return std::pair{static_cast<int>(std::lround(xDpi)), static_cast<int>(std::lround(yDpi))};
}

const ImageReader* FindImageReader(ImageFormat format) {
    switch (format) {
    case ImageFormat::Bmp: return &BmpImageReader();
    case ImageFormat::Png: return &PngImageReader();
    case ImageFormat::Jpeg: return &JpegImageReader();
    case ImageFormat::Tiff: return &TiffImageReader();
    case ImageFormat::WebP: return &WebPImageReader();
    case ImageFormat::Pnm: return &PnmImageReader();
    case ImageFormat::Unknown: break;
    }
    return nullptr;
}
