// The project reader on arbitrary bytes: a project it takes in must be
// written again and read back the same, and every transform it keeps must
// be invertible.
#include "exchange/project_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
void Check(bool condition) {
    if (!condition)
        std::abort();
}

bool SameProject(const ProjectData& a, const ProjectData& b) {
    if (a.frontScan != b.frontScan || !(a.frontLines == b.frontLines) || a.workFile != b.workFile ||
        a.zoomExponent != b.zoomExponent || a.scroll != b.scroll || !(a.newPad == b.newPad) ||
        !(a.newTrack == b.newTrack) || a.back.has_value() != b.back.has_value())
        return false;
    for (std::size_t i = 0; i < a.layers.size(); ++i)
        if (a.layers[i].color != b.layers[i].color || a.layers[i].visible != b.layers[i].visible)
            return false;
    return !a.back || (a.back->scan == b.back->scan && a.back->pairs == b.back->pairs &&
                       a.back->mirror == b.back->mirror && a.back->registered == b.back->registered);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ProjectReadResult read = ParseProject(text, "/projects/board.tvproj");
    Check(read.project.has_value() != !read.error.empty());
    if (!read.project)
        return 0;
    if (read.project->back && read.project->back->registered)
        Check(read.project->back->registered->Inverse().has_value());
    const std::string again = FormatProject(*read.project, "/projects/board.tvproj");
    const ProjectReadResult reread = ParseProject(again, "/projects/board.tvproj");
    Check(reread.project.has_value());
    Check(SameProject(*read.project, *reread.project));
    return 0;
}
