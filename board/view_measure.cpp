// Measuring the scale: two clicks on the scan, a rubber line between them,
// then the measure dialog for the true distance; its result becomes the
// document's scan lines and is remembered for the scan's file.
#include "board/dib_view.h"
#include "board/measure_dlg.h"
#include "board/mode_status.h"
#include "board/view_geometry.h"
#include "platform/document.h"
#include "platform/user_services.h"

using namespace board;

namespace {
// Thin, so that the ends can be placed exactly, in a colour no layer starts with.
const Pen kMeasurePen{1, RGB(255, 0, 255)};

// The first click's pixel where it shows now, in client coordinates.
CPoint MeasureStartInClient(const CDibView& view) {
    const CPoint s = view.GetScrollPosition();
    const ZoomFactor zoom = view.m_nScale;
    return {SaturateToInt(zoom.ZoomedPixelOf(view.m_ptMeasureStart.x) - s.x),
            SaturateToInt(zoom.ZoomedPixelOf(view.m_ptMeasureStart.y) - s.y)};
}

void InvalidateMeasureLine(CDibView& view) {
    CRect box = BoxOf(MeasureStartInClient(view), view.m_ptMeasureEnd);
    InflateSaturated(&box, 3);
    CRect visible;
    if (visible.IntersectRect(box, view.ClientRect()))
        view.InvalidateRect(&visible, false);
}

void DrawMeasureLine(CDibView& view, CDC& dc) {
    const CPoint start = MeasureStartInClient(view);
    const Pen previous = dc.SelectPen(kMeasurePen);
    dc.MoveTo(start.x, start.y);
    dc.LineTo(view.m_ptMeasureEnd.x, view.m_ptMeasureEnd.y);
    dc.SelectPen(previous);
}

void EndMeasuring(CDibView& view) {
    if (view.m_bMeasureStarted)
        InvalidateMeasureLine(view);
    view.m_bMeasureMode = view.m_bMeasureStarted = false;
    view.OnSetCursor();
    ShowModeStatus(view);
}

// Asks for the true distance of the line from the first click to `end`
// (image pixels) and applies what it gives.
void AskForTrueDistance(CDibView& view, CPoint end) {
    const double dx = static_cast<double>(end.x) - view.m_ptMeasureStart.x;
    const double dy = static_cast<double>(end.y) - view.m_ptMeasureStart.y;
    const CDocument* document = static_cast<CScrollView&>(view).GetDocument();
    CMeasureDlg dialog(dx, dy, view.GetScanLines(), ScanLinesOfFile(document));
    if (dialog.DoModal() != IDOK)
        return;
    view.SetScanLines(dialog.Result());
    RememberScanLines(document, dialog.Result());
    Services().SetStatusPaneText(0, "Scan lines " + ScanLinesText(dialog.Result()) + " measured");
}
} // namespace

namespace board {
void MeasureClick(CDibView& view, CPoint point) {
    const CPoint pixel = view.ScanPixelAt(point);
    if (!view.m_bMeasureStarted) {
        view.m_bMeasureStarted = true;
        view.m_ptMeasureStart = pixel;
        view.m_ptMeasureEnd = point;
        return;
    }
    if (pixel == view.m_ptMeasureStart) {
        Services().MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    EndMeasuring(view);
    AskForTrueDistance(view, pixel);
}

void MoveMeasureLine(CDibView& view, CPoint point) {
    if (!view.m_bMeasureStarted)
        return;
    InvalidateMeasureLine(view);
    view.m_ptMeasureEnd = point;
    if (std::unique_ptr<CDC> dc = view.GetClientDC())
        DrawMeasureLine(view, *dc);
}

void PaintMeasureLine(CDibView& view, CDC& dc) {
    if (view.m_bMeasureMode && view.m_bMeasureStarted)
        DrawMeasureLine(view, dc);
}
} // namespace board

void CDibView::OnMeasureScale() {
    if (m_bMeasureMode) {
        CancelMeasuring();
        return;
    }
    // A chain in progress ends, as when another mode is chosen.
    if (m_bLineStarted) {
        m_bLineStarted = 0;
        m_nChainSegments = 0;
        Invalidate(false);
    }
    m_bMeasureMode = true;
    m_bMeasureStarted = false;
    OnSetCursor();
    ShowModeStatus(*this);
    Services().SetStatusPaneText(0, "Click the two ends of a distance you know");
}

void CDibView::CancelMeasuring() {
    if (m_bMeasureMode)
        EndMeasuring(*this);
}
