// The measure dialog's entries on arbitrary text and lines: the length typed
// is parsed, and any line, length and current scan lines either give scan
// lines within 50 to 20000 (the axis not measured unchanged) or a reason.
#include "board/measure_dlg.h"
#include "board/scale_measure.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
void Check(bool condition) {
    if (!condition)
        std::abort();
}

bool InMeasuredRange(int v) {
    return v >= kLowestMeasuredScanLines && v <= kHighestMeasuredScanLines;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Two doubles for the line, two ints for the current scan lines and a
    // flag byte come first; the rest is the typed length.
    constexpr std::size_t kHead = 2 * sizeof(double) + 2 * sizeof(int) + 1;
    if (size < kHead)
        return 0;
    ScaleMeasurement m;
    ScanLines current;
    std::memcpy(&m.dx, data, sizeof m.dx);
    std::memcpy(&m.dy, data + 8, sizeof m.dy);
    std::memcpy(&current.x, data + 16, sizeof current.x);
    std::memcpy(&current.y, data + 20, sizeof current.y);
    m.unit = data[24] & 1 ? LengthUnit::Mil : LengthUnit::Millimetre;
    m.sameForBothAxes = (data[24] & 2) != 0;
    const std::string typed(reinterpret_cast<const char*>(data + kHead), size - kHead);
    const auto length = ParseLength(typed);
    m.length = length ? *length : 1.0;

    const MeasuredScale scale = ScaleFromMeasurement(m, current);
    Check(scale.lines.has_value() != !scale.refusal.empty());
    if (!scale.lines)
        return 0;
    const ScanLines got = *scale.lines;
    if (m.sameForBothAxes) {
        Check(got.x == got.y && InMeasuredRange(got.x));
    } else {
        Check(InMeasuredRange(got.x) || got.x == current.x);
        Check(InMeasuredRange(got.y) || got.y == current.y);
        Check(got.x == current.x || got.y == current.y);
    }
    MeasuredScaleText(got, current);
    return 0;
}
