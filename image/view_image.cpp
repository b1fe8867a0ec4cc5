// The image side of the board view: painting the picture at the zoom factor
// (and across the page when printing), the scroll range, palette
// realisation and the clipboard.
#include "board/dib_view.h"
#include "board/mode_status.h"
#include "board/view_sides.h"
#include "image/dib_doc.h"
#include "image/dib_layout.h"
#include "image/other_side_paint.h"
#include "image/scan_paint.h"
#include "platform/clipboard.h"
#include "platform/user_services.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// The page rectangle a printed image fills: the page width, with the height
// that keeps the picture's proportions in inches.
CRect PrintedRect(const CDC& dc, int width, int height) {
    const int pageWidth = dc.GetDeviceCaps(HORZRES);
    const int perInchX = dc.GetDeviceCaps(LOGPIXELSX);
    const int perInchY = dc.GetDeviceCaps(LOGPIXELSY);
    if (pageWidth <= 0 || perInchX <= 0 || perInchY <= 0 || width <= 0)
        return CRect(0, 0, width, height);
    const double bottom = static_cast<double>(pageWidth) * perInchY * height /
                          (static_cast<double>(perInchX) * width);
    const double limit = std::numeric_limits<int>::max();
    return CRect(0, 0, pageWidth, static_cast<int>(std::clamp(bottom, 0.0, limit)));
}

// The window's own colour, where the view shows no picture.
constexpr COLORREF kViewBackground = RGB(255, 255, 255);

// Paints the part of the repainted area that the picture (at the top left,
// covering painted) leaves free. Repaints do not erase, and without this
// whatever was drawn there before, such as tracks of a replaced or hidden
// board, would stay on the screen.
void PaintBesidePicture(CDC& dc, const CRect& painted) {
    const CRect clip = dc.GetClipBox();
    const int pictureRight = std::max(painted.right, 0);
    const int pictureBottom = std::max(painted.bottom, 0);
    const CRect right(std::max(clip.left, pictureRight), clip.top, clip.right, clip.bottom);
    const CRect below(clip.left, std::max(clip.top, pictureBottom),
                      std::min(clip.right, pictureRight), clip.bottom);
    for (const CRect& free : {right, below})
        if (!free.IsRectEmpty())
            dc.FillSolidRect(free, kViewBackground);
}

} // namespace

void CDibView::OnDraw(CDC* dc) {
    CDibDoc* doc = GetDocument();
    HDIB dib = doc ? doc->GetDibBlock() : nullptr;
    CRect painted;
    if (dib && dc) {
        {
            GlobalLockGuard lock(dib);
            if (DibHeaderFits(lock.get(), lock.size())) {
                m_nImageWidth = static_cast<int>(DibGetWidth(lock.get()));
                m_nImageHeight = static_cast<int>(DibGetHeight(lock.get()));
            }
        }
        if (dc->IsPrinting()) {
            const CRect src(0, 0, m_nImageWidth, m_nImageHeight);
            m_rcImageDest = PrintedRect(*dc, m_nImageWidth, m_nImageHeight);
            m_rcImageDest.right = ScanExtentAtZoom(m_rcImageDest.right, m_nScale.Exponent());
            m_rcImageDest.bottom = ScanExtentAtZoom(m_rcImageDest.bottom, m_nScale.Exponent());
            if (DibRender(dc, m_rcImageDest, dib, src, doc->GetDibPalette()))
                painted = m_rcImageDest;
        } else if (PaintSides(*dc, *doc, m_Sides, GetScanLines(), m_nScale.Exponent(), &m_rcImageDest) ||
                   PaintScan(*dc, *doc, m_nScale.Exponent(), &m_rcImageDest)) {
            // Below zoom 1 this is the scan's reduced level.
            painted = m_rcImageDest;
        }
    }
    if (dc && !dc->IsPrinting())
        PaintBesidePicture(*dc, painted);
    DrawBoard();
    if (m_Registering.active)
        if (std::unique_ptr<CDC> marks = GetClientDC())
            board::PaintRegistrationMarks(*this, *marks);
}

void CDibView::SetScrollSizesFromImage() {
    const CDibDoc* doc = GetDocument();
    const CSize image = doc ? doc->GetImageSize() : CSize(1, 1);
    SetScrollSizes(MM_TEXT, CSize(ScanExtentAtZoom(image.cx, m_nScale.Exponent()),
                                   ScanExtentAtZoom(image.cy, m_nScale.Exponent())));
}

void CDibView::OnUpdate(CScrollView* sender, long hint) {
    // The document's picture may have been replaced (a paste in another
    // window of it): the scroll range follows the picture it now has.
    SetScrollSizesFromImage();
    CScrollView::OnUpdate(sender, hint);
}

void CDibView::OnInitialUpdate() {
    TakeDocumentScanLines();
    CScrollView::OnInitialUpdate();
    SetScrollSizesFromImage();
}

void CDibView::OnActivateView(bool activate, CScrollView* activated, CScrollView* deactivated) {
    CScrollView::OnActivateView(activate, activated, deactivated);
    if (!activate)
        return;
    OnRealizeDibPalette(this, 0);
    // The scan lines are the scan's: the active window's are the current ones.
    MakeScanLinesCurrent(GetScanLines());
    // The mode pane is shared by every window; it shows the active one's.
    board::ShowModeStatus(*this);
}

long CDibView::OnRealizeDibPalette(CScrollView* foreground, long /*lParam*/) {
    CDibDoc* doc = GetDocument();
    if (!doc || !doc->GetDibBlock() || !doc->GetDibPalette())
        return 0;
    std::unique_ptr<CDC> dc = GetClientDC();
    if (!dc)
        return 0;
    CPalette* previous = dc->SelectPalette(doc->GetDibPalette(), foreground != this);
    if (dc->RealizePalette() != 0)
        doc->UpdateAllViews(nullptr, 0);
    dc->SelectPalette(previous, true);
    return 0;
}

void CDibView::OnEditCopy() {
    const CDibDoc* doc = GetDocument();
    IClipboard& clipboard = Services().Clipboard();
    if (!clipboard.Open())
        return;
    {
        CWaitCursor wait;
        // The clipboard keeps what it had when there is nothing to put there.
        if (HGLOBAL copy = DuplicateGlobalBlock(doc ? doc->GetDibBlock() : nullptr)) {
            clipboard.Empty();
            if (!clipboard.SetData(CF_DIB, copy))
                GlobalFree(copy);
        }
        clipboard.Close();
    }
}

void CDibView::OnUpdateEditCopy(CCmdUI* ui) {
    const CDibDoc* doc = GetDocument();
    ui->Enable(doc && doc->GetDibBlock() != nullptr);
}

void CDibView::OnEditPaste() {
    CDibDoc* doc = GetDocument();
    IClipboard& clipboard = Services().Clipboard();
    if (!doc || !clipboard.Open())
        return;
    CWaitCursor wait;
    HGLOBAL copy = DuplicateGlobalBlock(clipboard.GetData(CF_DIB));
    const std::size_t bitsOffset = copy ? clipboard.DibBitsOffset() : 0;
    clipboard.Close();
    if (!copy)
        return;
    // Pictures from other programs may carry the longer headers, and bitmap
    // files a gap before their pixels.
    DibNormalizeBlock(copy, bitsOffset);
    // A picture that cannot be shown leaves the document's own in place.
    if (DibCheckBlock(copy) == DibCheck::Invalid) {
        GlobalFree(copy);
        Services().MessageBox("Cannot load DIB", "", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!doc->AcceptDibBlock(copy))
        return;
    doc->SetModifiedFlag(true);
    SetScrollSizesFromImage();
    OnRealizeDibPalette(this, 0);
    doc->UpdateAllViews(nullptr, 0);
}

void CDibView::OnUpdateEditPaste(CCmdUI* ui) {
    ui->Enable(Services().Clipboard().IsFormatAvailable(CF_DIB));
}
