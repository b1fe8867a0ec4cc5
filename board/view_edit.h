// Editing steps shared by the board view's mouse and keyboard handlers.
#pragma once

#include "board/board_types.h"
#include "board/zoom_factor.h"
#include "platform/types.h"

#include <vector>

class CDC;
class CDibView;

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
// The client box of a drag's saved objects where they are now, with the
// drag margin; left in m_rcRedraw too. Repainting a box that is kNoBox
// repaints nothing.
CRect DraggedBox(CDibView& view);
void InvalidateBox(CDibView& view, const CRect& box);
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

// Snapping to pads (board/view_snap.cpp). A point lies on a pad when it is
// closer to the pad's exact centre than the pad radii allow, counted as the
// pad hit test counts: squared distance below g_nPadRadiusX * g_nPadRadiusY.
// Of several pads the nearest centre wins, the lowest index on a tie; the
// pads listed in `passOver` are not considered. -1 when none.
int NearestPadAt(const CDibView& view, double x, double y, const std::vector<int>& passOver = {});
// Where a chain point goes: the client point drawn to, the stored point in
// whole pixels (truncated), the exact stored point, and the pad it was
// snapped onto (-1 when it was not).
struct ChainPoint {
    CPoint client;
    CPoint stored;
    float x;
    float y;
    int pad;
};
// The first point of a chain, for a click at client point `cursor`: with
// snapping on, the centre of the pad the click lies on.
ChainPoint ChainStartAt(const CDibView& view, CPoint cursor);
// The end of a segment from client point `start` for a click at `cursor`:
// the 45-degree end (or the cursor itself at any angle); with snapping on,
// the centre of a pad the click lies on, or else of one that end lies on.
ChainPoint ChainEndAt(const CDibView& view, CPoint start, CPoint cursor);
// The rubber band from client point `start` to the chain point, with the
// ring of the pad it is snapped onto.
void DrawRubberBand(CDC& dc, CPoint start, const ChainPoint& end);
// At the release of a drag, with snapping on: when the grabbed pad, or an
// end of the grabbed track, lies on a pad that is not moving with it,
// everything the drag moves shifts by what puts that point exactly on the
// pad's centre. Nothing happens when the drag moved nothing. Repaints what
// changes.
void SnapDroppedObjects(CDibView& view);

// The highlight of what is joined (board/view_hover.cpp). In move status
// outside a drag, finds what the pointer is over and what a drag of it would
// move, and repaints where the highlight changes; the board is not changed.
void TrackHover(CDibView& view, CPoint point);
// Drops the highlight and repaints where it was.
void ForgetHover(CDibView& view);
// The client box around the joined objects where they are now, widened by
// the drag margin; kNoBox for an empty set.
CRect JoinedBox(CDibView& view, const JoinedObjects& joined);
// The tracks owning the joined ends and the joined pads, each once and in
// ascending order, leaving out indexes that name nothing now.
std::vector<int> JoinedTracks(const CDibView& view, const JoinedObjects& joined);
std::vector<int> JoinedPads(const CDibView& view, const JoinedObjects& joined);

// Select-all transforms of every pad and track end; none repaints.
void MoveAll(CDibView& view, float dx, float dy);
// Turns every point about the origin of stored coordinates by angle radians.
void RotateAll(CDibView& view, double angle);
void MirrorLeftRight(CDibView& view);
void MirrorTopBottom(CDibView& view);
} // namespace board
