// tracevu-cli export-protel: a work file to a Protel file, as the program's
// export writes it for a board at zoom factor 1.
#include "board/params.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/project_input.h"
#include "cli/scan_image.h"
#include "exchange/messages.h"
#include "exchange/protel.h"
#include "exchange/work_file.h"

#include <cstdio>

namespace {
constexpr const char* kName = "export-protel";
constexpr const char* kUsage =
    "usage: tracevu-cli export-protel (--image SCAN | --image-size WxH)\n"
    "                                 [--scan-lines X[,Y]] WORK.dpb OUT.pcb\n"
    "       tracevu-cli export-protel --project P.tvproj OUT.pcb\n"
    "Writes the pads and tracks of a work file as a Protel PCB ASCII file, in mils\n"
    "from the scan's bottom left corner. The scan gives the image height; the scan\n"
    "lines (dots per inch, 200 unless given) give the size of a pixel. A project\n"
    "gives the board, its front scan and that scan's scan lines.\n";

int Export(const BoardData& board, ScanLines lines, int imageHeight, const std::string& out) {
    ProtelExportSettings settings;
    settings.milPerPixelX = MilPerPixel(lines.x);
    settings.milPerPixelY = MilPerPixel(lines.y);
    settings.imageHeight = imageHeight;
    settings.scale = 1;
    const auto text = FormatProtel(SpanOf(board), settings);
    if (!text) {
        PrintError(kName, kExportRangeText);
        return kExitBadInput;
    }
    return WriteOutputFile(kName, out, *text) ? kExitOk : kExitBadInput;
}

int ExportProject(const std::string& projectPath, const std::string& out) {
    const auto project = ReadProjectInput(kName, projectPath);
    if (!project)
        return kExitBadInput;
    std::string error;
    const auto info = ReadScanInfo(project->frontScan, error);
    const auto size = info ? ScanSizeForBoard(*info, error) : std::nullopt;
    if (!size) {
        PrintError(kName, project->frontScan + ": " + error);
        return kExitBadInput;
    }
    return Export(ProjectBoard(kName, *project, 1), project->frontLines, size->second, out);
}
} // namespace

int RunExportProtel(int argc, char** argv) {
    std::string error;
    const auto line =
        ParseCommandLine(argc, argv, {"--image", "--image-size", "--scan-lines", "--project"}, error);
    if (!line)
        return UsageError(kName, error, kUsage);
    if (line->help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (const std::string* project = line->Option("--project")) {
        if (line->positional.size() != 1 || line->Option("--image") || line->Option("--image-size") ||
            line->Option("--scan-lines"))
            return UsageError(kName, "with --project, expected OUT.pcb alone", kUsage);
        return ExportProject(*project, line->positional[0]);
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

    return Export(board, scan->scanLines, scan->imageHeight, line->positional[1]);
}
