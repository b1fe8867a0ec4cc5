// A project named on tracevu-cli's command line: read, with its board.
#pragma once

#include "exchange/board_data.h"
#include "exchange/project_file.h"

#include <optional>
#include <string>

// The project of `path`, or nothing after printing why (exit status 1).
std::optional<ProjectData> ReadProjectInput(const char* command, const std::string& path);
// The project's board at the zoom factor, with what was left out reported.
BoardData ProjectBoard(const char* command, const ProjectData& project, int zoom);
