// Registering the other side of the board onto this one: pairs of matching
// points, one on each scan, and the transform fitted to them. Points are in
// scan pixels, pixel k's centre at k. The transform takes a point of the
// other side's scan ("back") to this side's scan ("front"), where the
// tracing lives.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace registration {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct PointPair {
    Point front;
    Point back;
    friend bool operator==(const PointPair&, const PointPair&) = default;
};

// A plane projective transform as a 3 x 3 matrix, row by row; an affine one
// has the last row (0, 0, 1).
class Transform {
  public:
    Transform() = default; // the identity
    explicit Transform(const std::array<double, 9>& m) : m_m(m) {}
    const std::array<double, 9>& Matrix() const { return m_m; }
    double operator[](int i) const { return m_m[static_cast<std::size_t>(i)]; }

    // Nothing where the point maps to infinity (or is not a number).
    std::optional<Point> Apply(Point p) const;
    // Nothing when the matrix is singular.
    std::optional<Transform> Inverse() const;
    // this after first: first applied, then this.
    Transform After(const Transform& first) const;
    bool IsAffine() const;
    friend bool operator==(const Transform&, const Transform&) = default;

  private:
    std::array<double, 9> m_m{1, 0, 0, 0, 1, 0, 0, 0, 1};
};

// How the other side's scan is turned before it is registered.
enum class Mirror { LeftRight, TopBottom, None };

// The transform of an unregistered other side: mirrored, scaled by the ratio
// of the two resolutions (dots per inch, along x and y), and centred on this
// side's scan. Sizes are in pixels.
Transform InitialTransform(Mirror mirror, int backWidth, int backHeight, double backDpiX,
                           double backDpiY, int frontWidth, int frontHeight, double frontDpiX,
                           double frontDpiY);

enum class FitKind { Affine, Projective };

// How far a pair's back point lands from its front point, in front pixels.
struct Residual {
    double dx = 0;
    double dy = 0;
    double Pixels() const;
    double Mils(double milPerPixelX, double milPerPixelY) const;
};

struct Fit {
    Transform backToFront;
    FitKind kind = FitKind::Affine;
    std::vector<Residual> residuals; // one per pair, in their order
    int worst = -1;                  // index of the largest residual
};

struct FitOutcome {
    std::optional<Fit> fit;
    std::string refusal; // why there is no fit, as told to the user
};

// At least 3 pairs: exactly 3 give an affine fit, 4 and more a projective
// one (least squares). Refused with a message when the pairs cannot fix a
// transform: too few, a point used twice, points on one line, or a fit that
// folds the plane.
FitOutcome FitPairs(std::span<const PointPair> pairs);

// The residual of every pair under a transform.
std::vector<Residual> Residuals(const Transform& backToFront, std::span<const PointPair> pairs);
int WorstResidual(std::span<const Residual> residuals);

} // namespace registration
