// The project file (.tvproj): what a work file cannot hold, beside the board
// itself. A JSON object, readable and versioned:
//
//   { "format": "tracevu-project", "version": 1,
//     "front": { "scan": "top.png", "scanLines": [600, 600] },
//     "back": { "scan": "bottom.jpg", "scanLines": [600, 600], "mirror": "left-right",
//               "pairs": [[fx, fy, bx, by], ...], "transform": [9 numbers] },
//     "layers": [{ "color": "#rrggbb", "visible": true }, ...],
//     "newPad": { "x": 60, "y": 60, "hole": 28, "shape": "round" },
//     "newTrack": { "width": 12 },
//     "view": { "zoomExponent": 0, "scroll": [x, y] },
//     "board": { "workFile": "FP\r\n120 45\r\n..." } }
//
// Scan paths are relative to the project file where they lie beside or below
// it. Keys this version does not know are kept when the project is saved.
#pragma once

#include "board/board_types.h"
#include "board/params.h"
#include "board/registration.h"
#include "board/scan_lines.h"
#include "platform/types.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kProjectFilter = "Project Files (*.tvproj)|*.tvproj|All Files (*.*)|*.*||";
inline constexpr const char* kProjectExtension = ".tvproj";
inline constexpr int kProjectVersion = 1;

struct ProjectBack {
    std::string scan; // absolute once read
    ScanLines lines;
    registration::Mirror mirror = registration::Mirror::LeftRight;
    std::vector<registration::PointPair> pairs;
    std::optional<registration::Transform> registered;
    friend bool operator==(const ProjectBack&, const ProjectBack&) = default;
};

struct ProjectLayer {
    COLORREF color = RGB(0, 0, 0);
    bool visible = true;
};

struct ProjectData {
    std::string frontScan; // absolute once read
    ScanLines frontLines;
    std::optional<ProjectBack> back;
    // Layer numbers 0 to 13, as the colour table holds them; 1 to 12 are shown.
    std::array<ProjectLayer, kLayerColorCount> layers{};
    PadSize newPad;
    TrackSize newTrack;
    int zoomExponent = 0;
    CPoint scroll;
    // The board as its work file holds it, at zoom 1.
    std::string workFile;
    // The object read, for the keys this version does not know; empty for a
    // new project.
    std::string original;
};

// The file's text. Scan paths become relative to projectPath's folder where
// they lie in it or below it.
std::string FormatProject(const ProjectData& project, const std::string& projectPath);

struct ProjectReadResult {
    std::optional<ProjectData> project;
    std::string error; // the message for the user when there is no project
};
// Reads a project; relative scan paths are taken from projectPath's folder.
ProjectReadResult ParseProject(std::string_view text, const std::string& projectPath);

// Writes the project atomically; false (errno set) when it could not.
bool WriteProjectFile(const std::string& path, const ProjectData& project);

// Paths: the relative form written, and the absolute form read.
std::string RelativeToProject(const std::string& path, const std::string& projectPath);
std::string ResolveFromProject(const std::string& path, const std::string& projectPath);
