// The view's zoom factor: a power of two, 1/2^30 to 2^30. Stored board
// coordinates are scan pixels times the factor; because it is a power of two,
// scaling a float by it, or back, is exact (far from the float range's ends).
// Below 1 the factor is fractional, so it is kept as its exponent.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>

class ZoomFactor {
  public:
    static constexpr int kMinExponent = -30;
    static constexpr int kMaxExponent = 30;

    constexpr ZoomFactor() = default;
    // A whole factor, as zoom 1 and above have always been written: the
    // largest power of two not above it, and 1 for anything below 1.
    constexpr ZoomFactor(int factor) : m_exponent(ExponentOfWhole(factor)) {}

    static constexpr ZoomFactor FromExponent(int exponent) {
        ZoomFactor zoom;
        zoom.m_exponent = std::clamp(exponent, kMinExponent, kMaxExponent);
        return zoom;
    }

    constexpr int Exponent() const { return m_exponent; }
    // Below 1: the screen shows a reduction of the scan.
    constexpr bool IsReduced() const { return m_exponent < 0; }
    constexpr ZoomFactor Doubled() const { return FromExponent(m_exponent + 1); }
    constexpr ZoomFactor Halved() const { return FromExponent(m_exponent - 1); }

    double Factor() const { return std::ldexp(1.0, m_exponent); }
    float FloatFactor() const { return std::ldexp(1.0f, m_exponent); }
    // The factor as a fraction in lowest terms.
    constexpr std::int64_t Numerator() const { return m_exponent > 0 ? std::int64_t{1} << m_exponent : 1; }
    constexpr std::int64_t Denominator() const { return m_exponent < 0 ? std::int64_t{1} << -m_exponent : 1; }

    // A length in scan pixels as zoomed pixels; below 1 a part pixel counts
    // whole, so that the last column and row of a scan still show.
    constexpr std::int64_t ZoomedExtent(std::int64_t pixels) const {
        if (m_exponent >= 0)
            return pixels * Numerator();
        const std::int64_t d = Denominator();
        return pixels >= 0 ? (pixels + d - 1) / d : -((-pixels) / d);
    }
    // The scan pixel under a zoomed pixel position: the division truncates
    // toward zero at 1 and above, and below 1 each zoomed pixel starts at a
    // scan pixel.
    constexpr std::int64_t ScanPixelOf(std::int64_t zoomed) const {
        return m_exponent >= 0 ? zoomed / Numerator() : zoomed * Denominator();
    }
    // Where a scan pixel starts in zoomed pixels, truncated toward zero.
    constexpr std::int64_t ZoomedPixelOf(std::int64_t pixel) const {
        return m_exponent >= 0 ? pixel * Numerator() : pixel / Denominator();
    }
    // A value at this zoom brought to another one, exactly.
    float ConvertTo(float value, ZoomFactor to) const {
        return to.m_exponent == m_exponent ? value : std::ldexp(value, to.m_exponent - m_exponent);
    }

    friend constexpr bool operator==(ZoomFactor, ZoomFactor) = default;
    friend constexpr auto operator<=>(ZoomFactor a, ZoomFactor b) { return a.m_exponent <=> b.m_exponent; }
    friend std::ostream& operator<<(std::ostream& out, ZoomFactor zoom) {
        return out << zoom.Numerator() << '/' << zoom.Denominator();
    }

  private:
    static constexpr int ExponentOfWhole(int factor) {
        int exponent = 0;
        while (exponent < kMaxExponent && (std::int64_t{2} << exponent) <= factor)
            ++exponent;
        return exponent;
    }

    int m_exponent = 0;
};
