#include "board/scale_measure.h"

#include <cmath>
#include <cstdio>

namespace {
double Inches(double length, LengthUnit unit) {
    return unit == LengthUnit::Millimetre ? length / 25.4 : length / 1000.0;
}

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
}

// Whole dots per inch within the accepted range, or why not.
std::optional<int> RoundedScanLines(double dpi, std::string& refusal) {
    if (std::isfinite(dpi) && dpi >= kLowestMeasuredScanLines - 0.5 &&
        dpi < kHighestMeasuredScanLines + 0.5)
        return static_cast<int>(std::lround(dpi));
    refusal = "That gives " + (std::isfinite(dpi) ? Number(dpi) : std::string("no")) +
              " dots per inch, but scan lines must lie between " +
              std::to_string(kLowestMeasuredScanLines) + " and " +
              std::to_string(kHighestMeasuredScanLines) +
              ". Check the length and its unit, or measure a longer line.";
    return std::nullopt;
}

// The resolution along an axis whose part of the line is `along` pixels,
// the line's other part being `across` pixels at `acrossDpi`.
double AxisDpi(double along, double across, int acrossDpi, double inches) {
    const double acrossInches = across / acrossDpi;
    const double alongSquared = inches * inches - acrossInches * acrossInches;
    if (!(alongSquared > 0))
        return NAN;
    return std::fabs(along) / std::sqrt(alongSquared);
}
} // namespace

MeasuredScale ScaleFromMeasurement(const ScaleMeasurement& m, ScanLines current) {
    MeasuredScale result;
    const double inches = Inches(m.length, m.unit);
    if (!std::isfinite(inches) || !(inches > 0)) {
        result.refusal = "Enter the true length of the line, a number greater than 0.";
        return result;
    }
    const double pixels = std::hypot(m.dx, m.dy);
    if (!(pixels > 0) || !std::isfinite(pixels)) {
        result.refusal = "The two points are the same; measure between two points apart.";
        return result;
    }
    if (m.sameForBothAxes) {
        if (const auto both = RoundedScanLines(pixels / inches, result.refusal))
            result.lines = ScanLines{*both, *both};
        return result;
    }
    const bool alongX = std::fabs(m.dx) >= std::fabs(m.dy);
    const int other = alongX ? current.y : current.x;
    if (other <= 0) {
        result.refusal = "The other axis has no usable scan lines; measure both axes at once.";
        return result;
    }
    const double dpi = alongX ? AxisDpi(m.dx, m.dy, other, inches)
                              : AxisDpi(m.dy, m.dx, other, inches);
    if (std::isnan(dpi)) {
        result.refusal = std::string("At the current scan lines-") + (alongX ? "Y" : "X") +
                         " of " + std::to_string(other) +
                         " the line's " + (alongX ? "vertical" : "horizontal") +
                         " part alone is longer than that. Check the length, or measure both "
                         "axes at once.";
        return result;
    }
    if (const auto measured = RoundedScanLines(dpi, result.refusal))
        result.lines = alongX ? ScanLines{*measured, current.y} : ScanLines{current.x, *measured};
    return result;
}

std::string MeasuredScaleText(ScanLines measured, std::optional<ScanLines> file) {
    std::string text = ScanLinesText(measured) + " dpi";
    if (!file)
        return text;
    const auto signedText = [](long long v) { return (v > 0 ? "+" : "") + std::to_string(v); };
    if (file->x == file->y && measured.x == measured.y)
        return text + " (file says " + std::to_string(file->x) + ": " +
               signedText(0LL + measured.x - file->x) + ")";
    return text + " (file says " + ScanLinesText(*file) + ": " + signedText(0LL + measured.x - file->x) +
           " x " + signedText(0LL + measured.y - file->y) + ")";
}
