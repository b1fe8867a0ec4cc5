// The edit mode and the zoom factor as the status bar's mode pane shows them.
#pragma once

#include <string>

class CDibView;

namespace board {
// The status-bar pane that shows the mode and the zoom, beside the message,
// layer and lock-key panes 0 to 4.
constexpr int kModePane = 5;

// Line mode is the mode with none of the other mode flags set.
bool IsLineMode(const CDibView& view);
// "Pad", "Line 45°", "Line free", "Mark", "Move", "Select all" or, while
// measuring the scale, "Measure".
std::string ModeName(const CDibView& view);
// "x4" for a factor of 4, "x1/8" for one eighth; empty for a factor that is
// not positive.
std::string ZoomText(int numerator, int denominator = 1);
// The mode and the zoom, e.g. "Select all  x4".
std::string ModePaneText(const CDibView& view);
// Writes ModePaneText into the mode pane.
void ShowModeStatus(const CDibView& view);
} // namespace board
