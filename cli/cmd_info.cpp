// tracevu-cli info: what the program reads from a scan's header.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/scan_image.h"

#include <cstdio>

namespace {
constexpr const char* kName = "info";
constexpr const char* kUsage =
    "usage: tracevu-cli info SCAN\n"
    "Prints the scan's width, height, bits per pixel, compression, colour-table\n"
    "entries, whether it gets a palette, its header layout (core or info), its\n"
    "file format, the resolution the file states (dpi, or \"none\"), its pages,\n"
    "and for formats other than BMP how the file stores the picture, one\n"
    "\"key: value\" line each. SCAN is a BMP, PNG, JPEG, TIFF, WebP or PNM file;\n"
    "only its header is read.\n";
} // namespace

int RunInfo(int argc, char** argv) {
    std::string error;
    const auto line = ParseCommandLine(argc, argv, {}, error);
    if (!line)
        return UsageError(kName, error, kUsage);
    if (line->help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (line->positional.size() != 1)
        return UsageError(kName, "expected one SCAN", kUsage);
    const std::string& path = line->positional[0];
    const auto info = ReadScanInfo(path, error);
    if (!info) {
        PrintError(kName, path + ": " + error);
        return kExitBadInput;
    }
    std::printf("width: %u\nheight: %u\nbits: %u\ncompression: %u\ncolors: %u\n"
                "palette: %s\nheader: %s\n",
                static_cast<unsigned>(info->width), static_cast<unsigned>(info->height),
                static_cast<unsigned>(info->bits), static_cast<unsigned>(info->compression),
                static_cast<unsigned>(info->colors), info->palette ? "yes" : "no",
                info->infoHeader ? "info" : "core");
    std::printf("format: %s\n", ImageFormatName(info->format));
    if (const auto lines = ScanLinesFromResolution(info->xDpi, info->yDpi))
        std::printf("resolution: %d x %d\n", lines->first, lines->second);
    else
        std::printf("resolution: none\n");
    std::printf("pages: %d\n", info->pages);
    if (!info->storage.empty())
        std::printf("storage: %s\n", info->storage.c_str());
    return kExitOk;
}
