// Project files in the board view: what is gathered into a project and
// given back from one, and finding scans that have moved.
#pragma once

#include "exchange/project_file.h"

#include <optional>
#include <string>

class CDibDoc;
class CDibView;

// The scan a project names: its path while the file is there; otherwise
// the user is asked where it went. Nothing when they do not say.
std::optional<std::string> LocateProjectScan(const std::string& path, const std::string& whichSide);

// Reads a project file for opening; tells the user why and gives nothing
// when it cannot be read.
std::optional<ProjectData> ReadProjectForOpening(const std::string& path);

// Gives the document the other side a project holds, its picture read from
// `scan`; false when it cannot be read (the reader has said why).
bool PutOtherSide(CDibDoc& doc, const ProjectBack& back, const std::string& scan);

// The other side of the view's document as a project holds it; nothing
// when it has none.
std::optional<ProjectBack> ProjectBackOf(const CDibView& view);
