#include "cli/project_input.h"

#include "cli/cli_common.h"
#include "exchange/text_lines.h"
#include "exchange/work_file.h"

std::optional<ProjectData> ReadProjectInput(const char* command, const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text, SpecialFiles::Read)) {
        PrintError(command, path + ": cannot read the project");
        return std::nullopt;
    }
    ProjectReadResult result = ParseProject(text, path);
    if (!result.project) {
        PrintError(command, path + ": " + result.error);
        return std::nullopt;
    }
    return std::move(result.project);
}

BoardData ProjectBoard(const char* command, const ProjectData& project, int zoom) {
    ReadReport report;
    BoardData board = ParseWorkFile(project.workFile, zoom, report);
    ReportRead(command, board, report);
    return board;
}
