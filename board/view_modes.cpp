// The edit modes, the track mode and unit toggles, layer visibility and the
// coordinate read-out in the status line.
#include "board/dib_view.h"
#include "board/mode_status.h"
#include "board/view_edit.h"
#include "platform/user_services.h"

#include <cstdio>

namespace {
// The mode pane follows every change of mode; select-all highlights the
// whole tracing, so entering or leaving it repaints, and the highlight of
// what is joined belongs to move status alone.
void ModeChanged(CDibView& view, bool wasSelectAll) {
    view.CancelMeasuring();
    if (!view.m_bMoveMode)
        board::ForgetHover(view);
    if (view.m_bSelectAll != wasSelectAll)
        view.Invalidate(false);
    board::ShowModeStatus(view);
}
} // namespace

void CDibView::OnPadMode() {
    const bool wasSelectAll = m_bSelectAll;
    m_bPadMode = true;
    m_bSelectAll = m_bMarkMode = m_bMoveMode = false;
    m_bLineStarted = 0;
    ModeChanged(*this, wasSelectAll);
}

// Leaves a chain in progress going.
void CDibView::OnLineMode() {
    const bool wasSelectAll = m_bSelectAll;
    m_bPadMode = m_bSelectAll = m_bMarkMode = m_bMoveMode = false;
    ModeChanged(*this, wasSelectAll);
}

void CDibView::OnComponentMark() {
    const bool wasSelectAll = m_bSelectAll;
    m_bMarkMode = true;
    m_bPadMode = m_bSelectAll = m_bMoveMode = false;
    m_bLineStarted = 0;
    ModeChanged(*this, wasSelectAll);
}

void CDibView::RememberDrawingMode() {
    if (m_bSelectAll || m_bMoveMode)
        return;
    m_nModeBeforeSelection = m_bMarkMode ? DrawingMode::Mark
                             : m_bPadMode ? DrawingMode::Pad
                                          : DrawingMode::Line;
}

// Escape ends a chain as a right click does, puts a drag back, and leaves
// select-all and move status for the mode that was on before them.
void CDibView::OnEscape() {
    if (m_bMeasureMode) {
        CancelMeasuring();
        return;
    }
    if (board::IsDragging(*this))
        board::CancelDrag(*this);
    m_bLineStarted = 0;
    m_nChainSegments = 0;
    if (m_bSelectAll || m_bMoveMode) {
        switch (m_nModeBeforeSelection) {
        case DrawingMode::Pad: OnPadMode(); break;
        case DrawingMode::Line: OnLineMode(); break;
        case DrawingMode::Mark: OnComponentMark(); break;
        }
        OnSetCursor();
    }
    // The band of an ended chain and the highlight of select-all go away.
    Invalidate(false);
    board::ShowModeStatus(*this);
}

void CDibView::OnSelectAll() {
    const bool wasSelectAll = m_bSelectAll;
    RememberDrawingMode();
    m_bSelectAll = true;
    m_bPadMode = m_bMarkMode = m_bMoveMode = false;
    m_bLineStarted = 0;
    SetCursor(m_hCursorSelectAll);
    ModeChanged(*this, wasSelectAll);
}

void CDibView::OnMoveStatus() {
    const bool wasSelectAll = m_bSelectAll;
    RememberDrawingMode();
    m_bMoveMode = true;
    m_bPadMode = m_bSelectAll = m_bMarkMode = false;
    m_bLineStarted = 0;
    SetCursor(m_hCursorMove);
    ModeChanged(*this, wasSelectAll);
}

void CDibView::OnToggleUnits() { m_bShowMil = !m_bShowMil; }

void CDibView::OnTrackMode() {
    m_bFreeAngle = !m_bFreeAngle;
    board::ShowModeStatus(*this);
}

void CDibView::OnToggleLayer(int layer) {
    if (!IsValidLayer(layer))
        return;
    m_bLayerVisible[layer] = m_bLayerVisible[layer] == 1 ? 0 : 1;
    Invalidate(false);
}

void CDibView::OnUpdateToggleLayer(int layer, CCmdUI* ui) {
    ui->SetCheck(IsValidLayer(layer) && m_bLayerVisible[layer] == 1 ? 1 : 0);
    ui->Enable(true);
}

// The image pixel under the pointer, in millimetres or mils through the
// document's scan lines.
void CDibView::ShowCursorPosition(CPoint point) {
    const CPoint pixel = ScanPixelAt(point);
    char text[96];
    if (m_bShowMil) {
        const double x = static_cast<float>(pixel.x) * MilPerPixelX();
        const double y = static_cast<float>(pixel.y) * MilPerPixelY();
        std::snprintf(text, sizeof text, "X: %5.f mil, Y: %5.f mil", x, y);
    } else {
        const double x = static_cast<float>(pixel.x) * MilPerPixelX() * 0.0254;
        const double y = static_cast<float>(pixel.y) * MilPerPixelY() * 0.0254;
        std::snprintf(text, sizeof text, "X: %4.2f mm, Y: %4.2f mm", x, y);
    }
    Services().SetStatusPaneText(0, text);
}
