// Editing steps shared by the board view's mouse and keyboard handlers.
#pragma once

#include "board/zoom_factor.h"

class CDC;
class CDibView;
struct CPoint;

namespace board {
// Writes every saved position of a drag back, pads first.
void RestoreSavedPositions(CDibView& view);
// Grows m_rcRedraw by where the saved pads and tracks are now.
void GrowBySavedItems(CDibView& view);
// Ends a drag where it is: empties the backups and drops the grab.
void ForgetDrag(CDibView& view);
bool IsDragging(const CDibView& view);
// Puts a drag's objects back where it began, repaints, and drops the grab.
void CancelDrag(CDibView& view);
// Margins of the repaints around a moved object (10 pixels) and around an old
// rubber band (5 pixels), widened for large pads or wide lines.
int DragMargin();
int BandMargin();

// The largest zoom factor, and the largest zoomed image extent: zoom factor
// times image size stays far below the int range, with room for scrolling.
constexpr int kMaxScale = 256;
constexpr long long kMaxZoomedExtent = 1LL << 30;
bool CanZoomIn(const CDibView& view);
// Zooming out goes on below 1 until the whole scan fits the window.
bool CanZoomOut(const CDibView& view);
// The largest factor at which the whole scan fits the window (at most
// kMaxScale), or the smallest there is.
ZoomFactor FitZoom(const CDibView& view);
// Page Up and Page Down: the zoom about the pointer's client position p0,
// with s0 the scroll position when the key arrived.
void ZoomIn(CDibView& view, CPoint p0, CPoint s0);
void ZoomOut(CDibView& view, CPoint p0, CPoint s0);
// Steps of two towards the factor, about p0, as far as zooming in may go;
// the point under p0 stays there unless the final scroll range stops it.
void ZoomTo(CDibView& view, ZoomFactor target, CPoint p0);

// Panning with Space held: each is true when it took the event, which then
// does nothing else. A press with Space held begins a pan; moves drag the
// view while any pan is on; the left release ends a Space pan; a Space
// press notes the key (true while a pan is on, when the key does nothing
// else). PanCursor sets the hand cursors, true when it did.
bool PanPress(CDibView& view, CPoint point);
bool PanMove(CDibView& view, CPoint point);
bool PanRelease(CDibView& view);
bool PanSpaceDown(CDibView& view);
bool PanCursor(CDibView& view);

// Measuring the scale: the first click starts the line, the second asks for
// its true length; moves draw the line to the pointer; paints redraw it.
void MeasureClick(CDibView& view, CPoint point);
void MoveMeasureLine(CDibView& view, CPoint point);
void PaintMeasureLine(CDibView& view, CDC& dc);

// Select-all transforms of every pad and track end; none repaints.
void MoveAll(CDibView& view, float dx, float dy);
// Turns every point about the origin of stored coordinates by angle radians.
void RotateAll(CDibView& view, double angle);
void MirrorLeftRight(CDibView& view);
void MirrorTopBottom(CDibView& view);
} // namespace board
