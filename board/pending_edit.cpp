// Placeholders until the editing code lands; this file is removed then.
#include "board/dib_view.h"

void CDibView::DrawBoard() {}
CPoint CDibView::SnapTrackEnd(CPoint, CPoint cursor) const { return cursor; }
int CDibView::HitTestPad(int, int, int, int) { return -1; }
int CDibView::HitTestTrack(int, int, int, int) { return -1; }
bool CDibView::IsWithinRadius(float, float, float, float, float) { return false; }
int CDibView::FindPadNear(float, float) const { return -1; }
int CDibView::FindTrackEndNear(int, int, float, float) const { return -1; }
int CDibView::FindTrackEndAt(int, int, float, float, float) const { return -1; }
void CDibView::SavePad(int) {}
void CDibView::SaveTrackEnd(int) {}
void CDibView::SavePadWithTrackEnds(int, int) {}
void CDibView::SaveJunction(int, float, float, float) {}
void CDibView::SaveTrackWithJunctions(int) {}
void CDibView::MoveSavedTrackEnds(int, int) {}
void CDibView::MoveSavedPads(int, int) {}
void CDibView::OffsetPad(int, float, float) {}
void CDibView::OffsetTrackEnd(int, float, float) {}
void CDibView::OffsetPadWithTrackEnds(int, int, int, int) {}
void CDibView::OffsetJunction(int, float, float, float, int, int) {}
void CDibView::OffsetTrackWithJunctions(int, int, int) {}
void CDibView::OnLButtonDown(UINT, CPoint) {}
void CDibView::OnMouseMove(UINT, CPoint) {}
void CDibView::OnLButtonUp(UINT, CPoint) {}
void CDibView::OnRButtonDown(UINT, CPoint) {}
BOOL CDibView::OnSetCursor() { return FALSE; }
void CDibView::OnPadMode() {}
void CDibView::OnLineMode() {}
void CDibView::OnComponentMark() {}
void CDibView::OnSelectAll() {}
void CDibView::OnMoveStatus() {}
void CDibView::OnToggleUnits() {}
void CDibView::OnTrackMode() {}
void CDibView::OnToggleLayer(int) {}
void CDibView::OnUpdateToggleLayer(int, CCmdUI*) {}
BOOL CDibView::OnMouseWheel(UINT flags, short delta, CPoint point) {
    return CScrollView::OnMouseWheel(flags, delta, point);
}
void CDibView::ShowCursorPosition(CPoint) {}
void CDibView::OnKeyDown(UINT, UINT, UINT) {}
