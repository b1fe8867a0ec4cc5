// The other side of the board in a view: opening and removing its scan, its
// mirroring, which side is shown, and the x-ray.
#include "board/view_sides.h"

#include "board/dib_view.h"
#include "board/mode_status.h"
#include "board/params.h"
#include "image/dib_doc.h"
#include "platform/user_services.h"

#include <algorithm>

bool g_bSideSelectsLayer = true;

namespace {
constexpr const char* kCaption = "Quarzline";
constexpr const char* kSideFilter =
    "Image Files (*.bmp;*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.webp;*.pnm;*.pbm;*.pgm;*.ppm)|"
    "*.bmp;*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.webp;*.pnm;*.pbm;*.pgm;*.ppm|All Files (*.*)|*.*||";

// Every window on the document shows its sides anew.
void RepaintDocumentViews(CDibView& view) {
    CDibDoc* doc = view.GetDocument();
    if (!doc) {
        view.Invalidate(false);
        return;
    }
    for (CScrollView* other : doc->GetViews())
        other->Invalidate(false);
}

void MakeLayerCurrent(int layer) {
    g_nCurrentLayer = layer;
    Services().SetStatusPaneText(1, LayerName(layer));
}
} // namespace

namespace board {
OtherSide* OtherSideOf(const CDibView& view) {
    const CDibDoc* doc = view.GetDocument();
    return doc ? doc->GetOtherSide() : nullptr;
}

std::string SidesPaneText(const CDibView& view) {
    if (!OtherSideOf(view))
        return {};
    std::string text = view.m_Sides.back ? "  Back" : "";
    if (view.m_Sides.xray)
        text += "  X-ray " + std::to_string(view.m_Sides.opacity) + "%";
    return text;
}
} // namespace board

bool CDibView::HasOtherSide() const { return board::OtherSideOf(*this) != nullptr; }

void CDibView::OnOpenOtherSide() {
    FileDialogRequest request;
    request.open = true;
    request.filter = kSideFilter;
    request.flags = OFN_HIDEREADONLY;
    request.title = "Open Other Side";
    if (const auto path = Services().FileDialog(request))
        OpenOtherSide(*path);
}

bool CDibView::OpenOtherSide(const std::string& path) {
    CDibDoc* doc = GetDocument();
    if (!doc)
        return false;
    std::unique_ptr<OtherSide> side = LoadOtherSide(path, GetScanLines());
    if (!side)
        return false;
    doc->SetOtherSide(std::move(side));
    // The other side belongs to the tracing's project, not to the image.
    MarkBoardModified();
    for (CScrollView* other : doc->GetViews())
        if (auto* view = dynamic_cast<CDibView*>(other))
            view->m_Registering = {};
    ShowSide(true);
    Services().SetStatusPaneText(0, "The other side is shown mirrored; Register Other Side lays it on this one");
    return true;
}

void CDibView::OnRemoveOtherSide() {
    CDibDoc* doc = GetDocument();
    if (!doc || !doc->GetOtherSide())
        return;
    if (Services().MessageBox("Remove the other side's scan and its registration from this board?",
                              kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    for (CScrollView* other : doc->GetViews())
        if (auto* view = dynamic_cast<CDibView*>(other)) {
            view->m_Registering = {};
            view->m_Sides.back = false;
            view->m_Sides.xray = false;
        }
    doc->SetOtherSide(nullptr);
    MarkBoardModified();
    RepaintDocumentViews(*this);
    board::ShowModeStatus(*this);
}

void CDibView::SetOtherSideMirror(registration::Mirror mirror) {
    OtherSide* side = board::OtherSideOf(*this);
    if (!side || side->mirror == mirror)
        return;
    side->mirror = mirror;
    MarkBoardModified();
    RepaintDocumentViews(*this);
}

void CDibView::OnSwitchSide() {
    if (HasOtherSide())
        ShowSide(!m_Sides.back);
}

void CDibView::ShowSide(bool back) {
    back = back && HasOtherSide();
    const bool changed = back != m_Sides.back;
    m_Sides.back = back;
    if (changed && g_bSideSelectsLayer)
        MakeLayerCurrent(back ? board::kBackLayer : board::kFrontLayer);
    if (changed)
        Invalidate(false);
    board::ShowModeStatus(*this);
}

void CDibView::OnToggleXRay() {
    if (!HasOtherSide())
        return;
    m_Sides.xray = !m_Sides.xray;
    Invalidate(false);
    board::ShowModeStatus(*this);
}

void CDibView::ChangeXRayOpacity(int steps) {
    SetXRayOpacity(m_Sides.opacity + steps * SidesShown::kOpacityStep);
}

void CDibView::SetXRayOpacity(int percent) {
    const int opacity = std::clamp(percent, SidesShown::kLeastOpacity, SidesShown::kMostOpacity);
    if (opacity == m_Sides.opacity)
        return;
    m_Sides.opacity = opacity;
    if (m_Sides.xray)
        Invalidate(false);
    board::ShowModeStatus(*this);
}
