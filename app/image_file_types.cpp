#include "app/image_file_types.h"

#include <vector>

namespace {

struct FileKind {
    ImageFormat format;
    const char* name;
    const char* patterns;
};

constexpr FileKind kKinds[] = {
    {ImageFormat::Bmp, "BMP Files", "*.bmp"},
    {ImageFormat::Png, "PNG Files", "*.png"},
    {ImageFormat::Jpeg, "JPEG Files", "*.jpg;*.jpeg"},
    {ImageFormat::Tiff, "TIFF Files", "*.tif;*.tiff"},
    {ImageFormat::WebP, "WebP Files", "*.webp"},
    {ImageFormat::Pnm, "PNM Files", "*.pnm;*.pbm;*.pgm;*.ppm"},
};

std::string Filter(const FileKind& kind) {
    return std::string(kind.name) + " (" + kind.patterns + ")|" + kind.patterns + "|";
}

const FileKind* KindOf(ImageFormat format) {
    for (const FileKind& kind : kKinds)
        if (kind.format == format)
            return &kind;
    return nullptr;
}

constexpr const char* kAllFiles = "All Files (*.*)|*.*||";

} // namespace

std::string OpenImageFilter() {
    std::string all;
    for (const FileKind& kind : kKinds)
        all += (all.empty() ? "" : ";") + std::string(kind.patterns);
    std::string filter = "Image Files (" + all + ")|" + all + "|";
    for (const FileKind& kind : kKinds)
        filter += Filter(kind);
    return filter + kAllFiles;
}

std::string SaveImageFilter(ImageFormat documentFormat) {
    std::vector<ImageFormat> offered{ImageFormat::Bmp, ImageFormat::Png, ImageFormat::Tiff};
    if (documentFormat == ImageFormat::Pnm)
        offered.push_back(ImageFormat::Pnm);
    const ImageFormat first = SaveFormatFor(documentFormat);
    std::string filter = Filter(*KindOf(first));
    for (ImageFormat format : offered)
        if (format != first)
            filter += Filter(*KindOf(format));
    return filter + kAllFiles;
}

ImageFormat SaveFormatFor(ImageFormat documentFormat) {
    return IsLosslessFormat(documentFormat) ? documentFormat : ImageFormat::Png;
}

std::string SaveExtension(ImageFormat format) {
    switch (format) {
    case ImageFormat::Png: return "png";
    case ImageFormat::Tiff: return "tif";
    case ImageFormat::Pnm: return "pnm";
    default: return "bmp";
    }
}

std::string SaveAsName(const std::string& pathOrTitle, ImageFormat documentFormat) {
    const ImageFormat target = SaveFormatFor(documentFormat);
    const std::size_t slash = pathOrTitle.rfind('/');
    const std::size_t dot = pathOrTitle.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    // A name that already says the format it is written in keeps its
    // extension, so "scan.tiff" stays "scan.tiff".
    if (hasExtension && FormatFromExtension(pathOrTitle) == target)
        return pathOrTitle;
    const std::string stem = hasExtension ? pathOrTitle.substr(0, dot) : pathOrTitle;
    return stem + "." + SaveExtension(target);
}
