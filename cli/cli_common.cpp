#include "cli/cli_common.h"

#include "board/params.h"
#include "cli/commands.h"
#include "cli/scan_image.h"
#include "exchange/messages.h"
#include "exchange/text_lines.h"

#include <cstdio>

void PrintError(const char* command, const std::string& message) {
    std::fprintf(stderr, "tracevu-cli %s: %s\n", command, message.c_str());
}

int UsageError(const char* command, const std::string& message, const char* usage) {
    PrintError(command, message);
    std::fputs(usage, stderr);
    return kExitUsage;
}

std::optional<ScanSettings> ReadScanSettings(const char* command, const CommandLine& line,
                                             const char* usage, int& status) {
    status = kExitUsage;
    ScanSettings settings;
    if (const std::string* text = line.Option("--scan-lines")) {
        const auto scanLines = ParseScanLines(*text);
        if (!scanLines) {
            UsageError(command, "--scan-lines takes X or X,Y, whole numbers greater than 0", usage);
            return std::nullopt;
        }
        settings.scanLines = *scanLines;
    }
    const std::string* image = line.Option("--image");
    const std::string* size = line.Option("--image-size");
    if ((image != nullptr) == (size != nullptr)) {
        UsageError(command, "give either --image SCAN or --image-size WxH", usage);
        return std::nullopt;
    }
    if (size) {
        const auto parsed = ParseImageSize(*size);
        if (!parsed) {
            UsageError(command, "--image-size takes WxH, whole numbers greater than 0", usage);
            return std::nullopt;
        }
        settings.imageWidth = parsed->width;
        settings.imageHeight = parsed->height;
        return settings;
    }
    status = kExitBadInput;
    std::string error;
    const auto info = ReadScanInfo(*image, error);
    const auto dims = info ? ScanSizeForBoard(*info, error) : std::nullopt;
    if (!dims) {
        PrintError(command, *image + ": " + error);
        return std::nullopt;
    }
    settings.imageWidth = dims->first;
    settings.imageHeight = dims->second;
    return settings;
}

std::optional<std::string> ReadInputFile(const char* command, const std::string& path,
                                         bool (*isOfItsKind)(std::string_view)) {
    std::string text;
    if (!ReadWholeFile(path, text, SpecialFiles::Read) || (isOfItsKind && !isOfItsKind(text))) {
        PrintError(command, path + ": " + kReadErrorText);
        return std::nullopt;
    }
    return text;
}

bool WriteOutputFile(const char* command, const std::string& path, const std::string& text) {
    if (WriteWholeFile(path, text))
        return true;
    PrintError(command, path + ": " + kWriteErrorText);
    return false;
}

void ReportRead(const char* command, BoardData& board, ReadReport& report) {
    TrimToCapacity(board, g_nMaxItems, report);
    if (!report.Clean())
        PrintError(command, DescribeReadReport(report, g_nMaxItems,
                                               board.pads.empty() && board.tracks.empty()));
}
