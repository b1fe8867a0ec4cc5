// The other side of the board in a view: opening and removing it, which
// side is shown, the x-ray, and registering it (board/view_register.cpp).
#pragma once

#include "image/other_side.h"
#include "platform/device_context.h"

#include <string>

class CDibView;

// Switching to the back makes Bottom Layer current, to the front Top Layer;
// on unless the user turned it off.
extern bool g_bSideSelectsLayer;

namespace board {
constexpr int kFrontLayer = 1;
constexpr int kBackLayer = 6;

// What the mode pane adds for the sides: "  Back", "  X-ray 40%"; empty
// while the front alone is shown.
std::string SidesPaneText(const CDibView& view);
// The other side of the view's document, or null.
OtherSide* OtherSideOf(const CDibView& view);

// Registering: the pairs are clicked alternately, front then back.
void RegisterClick(CDibView& view, CPoint point);
void RegisterRightClick(CDibView& view, CPoint point);
void RegisterDrag(CDibView& view, CPoint point);
void RegisterRelease(CDibView& view);
// Enter keeps the fit, Escape goes back to what there was before.
void AcceptRegistration(CDibView& view);
void CancelRegistration(CDibView& view);
// Enter, Escape, and Delete over a mark (pointer, or null when outside the
// view); true when the key was for the registration.
bool RegistrationKey(CDibView& view, UINT key, const CPoint* pointer);
// The pairs' marks over the picture of the side shown.
void PaintRegistrationMarks(CDibView& view, CDC& dc);
} // namespace board
