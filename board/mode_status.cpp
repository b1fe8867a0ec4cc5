#include "board/mode_status.h"

#include "board/dib_view.h"
#include "board/view_sides.h"
#include "platform/user_services.h"

#include <numeric>

namespace board {
bool IsLineMode(const CDibView& view) {
    return !view.m_bPadMode && !view.m_bMarkMode && !view.m_bMoveMode && !view.m_bSelectAll;
}

std::string ModeName(const CDibView& view) {
    if (view.m_bMeasureMode)
        return "Measure";
    if (view.IsRegistering())
        return "Register";
    if (view.m_bSelectAll)
        return "Select all";
    if (view.m_bMoveMode)
        return "Move";
    if (view.m_bMarkMode)
        return "Mark";
    if (view.m_bPadMode)
        return "Pad";
    return view.m_bFreeAngle ? "Line free" : "Line 45\u00b0";
}

std::string ZoomText(int numerator, int denominator) {
    if (numerator <= 0 || denominator <= 0)
        return {};
    const int common = std::gcd(numerator, denominator);
    std::string text = "x" + std::to_string(numerator / common);
    if (denominator != common)
        text += "/" + std::to_string(denominator / common);
    return text;
}

std::string ModePaneText(const CDibView& view) {
    return ModeName(view) + "  " + ZoomText(static_cast<int>(view.m_nScale.Numerator()),
                                           static_cast<int>(view.m_nScale.Denominator())) +
           SidesPaneText(view);
}

void ShowModeStatus(const CDibView& view) {
    Services().SetStatusPaneText(kModePane, ModePaneText(view));
}
} // namespace board
