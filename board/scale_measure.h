// The scan lines a measured line gives: the user clicked two points of the
// scan and says how far apart they truly are.
#pragma once

#include "board/scan_lines.h"

#include <optional>
#include <string>

enum class LengthUnit { Millimetre, Mil };

struct ScaleMeasurement {
    // The line from the first click to the second, in scan pixels.
    double dx = 0;
    double dy = 0;
    // Its true length, in `unit`.
    double length = 0;
    LengthUnit unit = LengthUnit::Millimetre;
    // One resolution from the whole line for both axes. Otherwise only the
    // axis the line mostly runs along is measured (x when |dx| >= |dy|), the
    // other keeping its current value.
    bool sameForBothAxes = true;
};

// A measured resolution must lie in the range the files' own are taken from.
constexpr int kLowestMeasuredScanLines = 50;
constexpr int kHighestMeasuredScanLines = 20000;

// The scan lines, or why the measurement gives none.
struct MeasuredScale {
    std::optional<ScanLines> lines;
    std::string refusal;
};

// For one axis the true length L (inches) is taken along the line:
// L^2 = (dx / X)^2 + (dy / Y)^2, solved for the measured axis with the other
// at its current value. Both results are rounded to whole dots per inch.
MeasuredScale ScaleFromMeasurement(const ScaleMeasurement& m, ScanLines current);

// "598 x 598 dpi", with the difference from what the file states when it
// states something: "598 x 598 dpi (file says 600: -2)".
std::string MeasuredScaleText(ScanLines measured, std::optional<ScanLines> file);
