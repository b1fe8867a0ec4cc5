// tracevu-cli import-protel: a Protel file to a work file, as the program's
// import reads it over a scan at zoom factor 1.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "exchange/messages.h"
#include "exchange/protel.h"
#include "exchange/work_file.h"

#include <cstdio>

namespace {
constexpr const char* kName = "import-protel";
constexpr const char* kUsage =
    "usage: tracevu-cli import-protel (--image SCAN | --image-size WxH)\n"
    "                                 [--scan-lines X[,Y]] IN.pcb OUT.dpb\n"
    "Reads the pads and tracks of a Protel PCB ASCII file over a scan and writes\n"
    "them as a work file in the scan's pixels. The scan lines (dots per inch, 200\n"
    "unless given) give the size of a pixel.\n";
} // namespace

int RunImportProtel(int argc, char** argv) {
    std::string error;
    const auto line =
        ParseCommandLine(argc, argv, {"--image", "--image-size", "--scan-lines"}, error);
    if (!line)
        return UsageError(kName, error, kUsage);
    if (line->help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (line->positional.size() != 2)
        return UsageError(kName, "expected IN.pcb and OUT.dpb", kUsage);
    int status = kExitOk;
    const auto scan = ReadScanSettings(kName, *line, kUsage, status);
    if (!scan)
        return status;

    const auto protel = ReadInputFile(kName, line->positional[0], LooksLikeProtelFile);
    if (!protel)
        return kExitBadInput;
    ProtelImportSettings settings;
    settings.scanLinesX = scan->scanLines.x;
    settings.scanLinesY = scan->scanLines.y;
    settings.imageWidth = scan->imageWidth;
    settings.imageHeight = scan->imageHeight;
    settings.scale = 1;
    ReadReport report;
    auto imported = ImportProtel(*protel, settings, report);
    if (!imported) {
        PrintError(kName, kImportRangeText);
        return kExitBadInput;
    }
    ReportRead(kName, imported->board, report);
    const auto text = FormatWorkFile(SpanOf(imported->board), 1);
    if (!text) {
        PrintError(kName, kExportRangeText);
        return kExitBadInput;
    }
    return WriteOutputFile(kName, line->positional[1], *text) ? kExitOk : kExitBadInput;
}
