// Save Project, Save Project As, and a project given to a view whose
// document already shows the project's front scan.
#include "exchange/view_project.h"

#include "board/dib_view.h"
#include "board/params.h"
#include "board/view_edit.h"
#include "exchange/messages.h"
#include "exchange/text_lines.h"
#include "exchange/view_board_load.h"
#include "exchange/work_file.h"
#include "image/dib_doc.h"
#include "platform/user_services.h"

#include <sys/stat.h>

namespace {
constexpr const char* kCaption = "Quarzline";
constexpr const char* kImageFilter =
    "Image Files (*.bmp;*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.webp;*.pnm;*.pbm;*.pgm;*.ppm)|"
    "*.bmp;*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.webp;*.pnm;*.pbm;*.pgm;*.ppm|All Files (*.*)|*.*||";

bool IsFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The view's document as the picture document it is in the program; the
// tests also give views plain documents, which hold no other side.
const CDibDoc* DibDocumentOf(const CDibView& view) {
    return dynamic_cast<const CDibDoc*>(static_cast<const CScrollView&>(view).GetDocument());
}

void Tell(const std::string& text) { Services().MessageBox(text, kCaption, MB_OK | MB_ICONINFORMATION); }

void ApplyLayers(CDibView& view, const ProjectData& project) {
    for (int layer = 0; layer < kLayerColorCount; ++layer) {
        g_crLayerColor[layer] = project.layers[static_cast<std::size_t>(layer)].color;
        if (layer <= kLayerCount)
            view.m_bLayerVisible[layer] = project.layers[static_cast<std::size_t>(layer)].visible ? 1 : 0;
    }
}

// True when the scan was found elsewhere, which the project file must be
// told at its next save.
bool ApplyOtherSide(CDibView& view, const ProjectBack& back) {
    CDibDoc* doc = view.GetDocument();
    const std::optional<std::string> scan = LocateProjectScan(back.scan, "back");
    return doc && scan && PutOtherSide(*doc, back, *scan) && *scan != back.scan;
}

void ApplyBoard(CDibView& view, const ProjectData& project) {
    ReadReport report;
    BoardData board = ParseWorkFile(project.workFile, view.m_nScale, report);
    ReplaceViewBoard(view, board, report, board::StepKind::OpenWorkFile);
}
} // namespace

std::optional<std::string> LocateProjectScan(const std::string& path, const std::string& whichSide) {
    if (IsFile(path))
        return path;
    const std::string question = "The " + whichSide + " scan " + BaseName(path) +
                                 " is no longer at\n" + path + "\nWhere is it now?";
    if (Services().MessageBox(question, kCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return std::nullopt;
    FileDialogRequest request;
    request.open = true;
    request.filter = kImageFilter;
    request.initialName = BaseName(path);
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    request.title = "Find the " + whichSide + " scan";
    return Services().FileDialog(request);
}

std::optional<ProjectBack> ProjectBackOf(const CDibView& view) {
    const CDibDoc* doc = DibDocumentOf(view);
    const OtherSide* side = doc ? doc->GetOtherSide() : nullptr;
    if (!side)
        return std::nullopt;
    ProjectBack back;
    back.scan = side->scan ? side->scan->GetPathName() : std::string();
    back.lines = side->lines;
    back.mirror = side->mirror;
    back.pairs = side->pairs;
    back.registered = side->registered;
    return back;
}

bool PutOtherSide(CDibDoc& doc, const ProjectBack& back, const std::string& scan) {
    std::unique_ptr<OtherSide> side = LoadOtherSide(scan, back.lines);
    if (!side)
        return false;
    side->lines = back.lines;
    side->mirror = back.mirror;
    side->pairs = back.pairs;
    side->registered = back.registered;
    doc.SetOtherSide(std::move(side));
    return true;
}

std::optional<ProjectData> ReadProjectForOpening(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        Tell("Cannot read the project file " + BaseName(path) + ".");
        return std::nullopt;
    }
    ProjectReadResult result = ParseProject(text, path);
    if (!result.project) {
        Tell(BaseName(path) + ": " + result.error);
        return std::nullopt;
    }
    return std::move(result.project);
}

ProjectData CDibView::GatherProject() const {
    ProjectData project = GatherProjectState();
    project.workFile = FormatWorkFile(ViewBoard(*this), m_nScale).value_or(std::string());
    return project;
}

bool CDibView::HasProjectState() const {
    const CDibDoc* doc = DibDocumentOf(*this);
    return (doc && doc->GetOtherSide()) || !m_strProjectPath.empty();
}


void CDibView::ResumeProject(const std::string& path, const std::string& original) {
    m_strProjectPath = path;
    m_strProjectOriginal = original;
}

ProjectData CDibView::GatherProjectState() const {
    ProjectData project;
    const CDibDoc* doc = DibDocumentOf(*this);
    project.frontScan = doc ? doc->GetPathName() : std::string();
    project.frontLines = GetScanLines();
    project.back = ProjectBackOf(*this);
    for (int layer = 0; layer < kLayerColorCount; ++layer)
        project.layers[static_cast<std::size_t>(layer)] = {
            g_crLayerColor[layer], layer > kLayerCount || m_bLayerVisible[layer] == 1};
    project.newPad = g_NewPadSize;
    project.newTrack = g_NewTrackSize;
    project.zoomExponent = m_nScale.Exponent();
    project.scroll = GetScrollPosition();
    project.original = m_strProjectOriginal;
    return project;
}

void CDibView::ApplyProject(const ProjectData& project, const std::string& path) {
    SetScanLines(project.frontLines);
    ApplyLayers(*this, project);
    g_NewPadSize = project.newPad;
    g_NewTrackSize = project.newTrack;
    const bool backMoved = project.back && ApplyOtherSide(*this, *project.back);
    // The zoom's limits and the scroll range need the picture's size, which
    // a window not yet painted has not taken.
    if (const CDibDoc* doc = GetDocument(); doc && doc->GetDibBlock()) {
        m_nImageWidth = doc->GetImageSize().cx;
        m_nImageHeight = doc->GetImageSize().cy;
    }
    board::ZoomTo(*this, ZoomFactor::FromExponent(project.zoomExponent), CPoint(0, 0));
    ApplyBoard(*this, project);
    SetScrollSizesFromImage();
    ScrollToPosition(project.scroll);
    m_strProjectPath = path;
    m_strProjectOriginal = project.original;
    if (backMoved)
        MarkBoardModified();
    Invalidate(false);
}

bool CDibView::SaveProjectFile(const std::string& path) {
    const CDibDoc* doc = GetDocument();
    if (!doc || doc->GetPathName().empty()) {
        Tell("Save the scan first: a project names its scans' files.");
        return false;
    }
    if (!FormatWorkFile(ViewBoard(*this), m_nScale)) {
        ShowBoardError(kExportRangeText);
        return false;
    }
    const ProjectData project = GatherProject();
    if (!WriteProjectFile(path, project)) {
        ShowBoardError(kWriteErrorText);
        return false;
    }
    m_strProjectPath = path;
    m_strProjectOriginal = FormatProject(project, path);
    Services().AddToRecentFileList(path);
    MarkBoardSaved();
    return true;
}

bool CDibView::SaveProjectAs() {
    FileDialogRequest request;
    request.open = false;
    request.filter = kProjectFilter;
    request.defaultExt = kProjectExtension;
    request.initialName = m_strProjectPath;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    const auto path = Services().FileDialog(request);
    return path && SaveProjectFile(*path);
}

void CDibView::OnSaveProject() {
    if (m_strProjectPath.empty())
        SaveProjectAs();
    else
        SaveProjectFile(m_strProjectPath);
}

void CDibView::OnSaveProjectAs() { SaveProjectAs(); }
