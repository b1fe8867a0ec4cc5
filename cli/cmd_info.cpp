// tracevu-cli info: what the program reads from a scan's header.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/scan_image.h"

#include <cstdio>

namespace {
constexpr const char* kName = "info";
constexpr const char* kUsage =
    "usage: tracevu-cli info SCAN.bmp\n"
    "Prints the scan's width, height, bits per pixel, compression, colour-table\n"
    "entries, whether it gets a palette, and its header layout (core or info),\n"
    "one \"key: value\" line each.\n";
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
        return UsageError(kName, "expected one SCAN.bmp", kUsage);
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
    return kExitOk;
}
