// tracevu-cli export-protel: a work file to a Protel file, as the program's
// export writes it for a board at zoom factor 1.
#include "board/params.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "exchange/messages.h"
#include "exchange/protel.h"
#include "exchange/work_file.h"

#include <cstdio>

namespace {
constexpr const char* kName = "export-protel";
constexpr const char* kUsage =
    "usage: tracevu-cli export-protel (--image SCAN | --image-size WxH)\n"
    "                                 [--scan-lines X[,Y]] WORK.dpb OUT.pcb\n"
    "Writes the pads and tracks of a work file as a Protel PCB ASCII file, in mils\n"
    "from the scan's bottom left corner. The scan gives the image height; the scan\n"
    "lines (dots per inch, 200 unless given) give the size of a pixel.\n";
} // namespace

int RunExportProtel(int argc, char** argv) {
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
        return UsageError(kName, "expected WORK.dpb and OUT.pcb", kUsage);
    int status = kExitOk;
    const auto scan = ReadScanSettings(kName, *line, kUsage, status);
    if (!scan)
        return status;

    const auto work = ReadInputFile(kName, line->positional[0], LooksLikeWorkFile);
    if (!work)
        return kExitBadInput;
    ReadReport report;
    BoardData board = ParseWorkFile(*work, 1, report);
    ReportRead(kName, board, report);

    ProtelExportSettings settings;
    settings.milPerPixelX = MilPerPixel(scan->scanLines.x);
    settings.milPerPixelY = MilPerPixel(scan->scanLines.y);
    settings.imageHeight = scan->imageHeight;
    settings.scale = 1;
    const auto text = FormatProtel(SpanOf(board), settings);
    if (!text) {
        PrintError(kName, kExportRangeText);
        return kExitBadInput;
    }
    return WriteOutputFile(kName, line->positional[1], *text) ? kExitOk : kExitBadInput;
}
