#include "board/registration.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>

namespace registration {

namespace {

using Matrix3 = Eigen::Matrix3d;

Matrix3 ToEigen(const Transform& t) {
    Matrix3 m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m(r, c) = t[3 * r + c];
    return m;
}

Transform FromEigen(const Matrix3& m) {
    std::array<double, 9> a{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            a[static_cast<std::size_t>(3 * r + c)] = m(r, c);
    return Transform(a);
}

// Two points closer than this are one point clicked twice.
constexpr double kSamePoint = 0.5;
// Points whose spread across their main direction is below this many
// pixels lie on one line, for all a fit can tell.
constexpr double kLineWidth = 1.0;

enum Side { kFront, kBack };

Point Of(const PointPair& pair, Side side) { return side == kFront ? pair.front : pair.back; }

// Moves the points' centre to the origin and their mean distance from it
// to the square root of two, which keeps the fit's equations well scaled.
Matrix3 Normalisation(std::span<const PointPair> pairs, Side side) {
    double cx = 0, cy = 0;
    for (const PointPair& pair : pairs) {
        cx += Of(pair, side).x;
        cy += Of(pair, side).y;
    }
    cx /= static_cast<double>(pairs.size());
    cy /= static_cast<double>(pairs.size());
    double mean = 0;
    for (const PointPair& pair : pairs)
        mean += std::hypot(Of(pair, side).x - cx, Of(pair, side).y - cy);
    mean /= static_cast<double>(pairs.size());
    const double s = mean > 0 ? std::sqrt(2.0) / mean : 1.0;
    Matrix3 n;
    n << s, 0, -s * cx, 0, s, -s * cy, 0, 0, 1;
    return n;
}

Eigen::Vector2d Normalised(const Matrix3& n, Point p) {
    const Eigen::Vector3d v = n * Eigen::Vector3d(p.x, p.y, 1);
    return {v.x(), v.y()};
}

// The smallest spread of the points across any direction, as a standard
// deviation in pixels.
double NarrowestSpread(std::span<const PointPair> pairs, Side side) {
    Eigen::Vector2d mean(0, 0);
    for (const PointPair& pair : pairs)
        mean += Eigen::Vector2d(Of(pair, side).x, Of(pair, side).y);
    mean /= static_cast<double>(pairs.size());
    Eigen::Matrix2d scatter = Eigen::Matrix2d::Zero();
    for (const PointPair& pair : pairs) {
        const Eigen::Vector2d d = Eigen::Vector2d(Of(pair, side).x, Of(pair, side).y) - mean;
        scatter += d * d.transpose();
    }
    scatter /= static_cast<double>(pairs.size());
    const Eigen::SelfAdjointEigenSolver<Eigen::Matrix2d> solver(scatter, Eigen::EigenvaluesOnly);
    return std::sqrt(std::max(solver.eigenvalues()(0), 0.0));
}

std::string PairName(std::size_t i) { return "pair " + std::to_string(i + 1); }

// Why the pairs cannot give a transform, or empty when they can be tried.
std::string CheckPairs(std::span<const PointPair> pairs) {
    if (pairs.size() < 3)
        return "Registering needs at least 3 pairs of points; there " +
               std::string(pairs.size() == 1 ? "is " : "are ") + std::to_string(pairs.size()) + ".";
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        for (std::size_t j = i + 1; j < pairs.size(); ++j) {
            for (const Side side : {kFront, kBack}) {
                const Point a = Of(pairs[i], side), b = Of(pairs[j], side);
                if (!(std::hypot(a.x - b.x, a.y - b.y) >= kSamePoint))
                    return "The " + PairName(i) + " and the " + PairName(j) +
                           " use the same point on the " + (side == kFront ? "front" : "back") +
                           ". Pick points spread over the board.";
            }
        }
    }
    for (const Side side : {kFront, kBack})
        if (!(NarrowestSpread(pairs, side) >= kLineWidth))
            return std::string("The points on the ") + (side == kFront ? "front" : "back") +
                   " lie on one line. Pick points spread over the board.";
    return {};
}

Matrix3 FitAffine(std::span<const PointPair> pairs, const Matrix3& nBack, const Matrix3& nFront) {
    const Eigen::Index n = static_cast<Eigen::Index>(pairs.size());
    Eigen::MatrixXd a(n, 3);
    Eigen::MatrixXd b(n, 2);
    for (Eigen::Index i = 0; i < n; ++i) {
        const auto& pair = pairs[static_cast<std::size_t>(i)];
        const Eigen::Vector2d s = Normalised(nBack, pair.back);
        const Eigen::Vector2d t = Normalised(nFront, pair.front);
        a.row(i) << s.x(), s.y(), 1;
        b.row(i) << t.x(), t.y();
    }
    const Eigen::MatrixXd p = a.colPivHouseholderQr().solve(b); // 3 x 2
    Matrix3 h;
    h << p(0, 0), p(1, 0), p(2, 0), p(0, 1), p(1, 1), p(2, 1), 0, 0, 1;
    return h;
}

// The direct linear transform: the least-squares solution of the
// equations the pairs give, the singular vector of the smallest singular
// value. Nothing when a second independent solution exists.
std::optional<Matrix3> FitProjective(std::span<const PointPair> pairs, const Matrix3& nBack,
                                     const Matrix3& nFront) {
    const Eigen::Index n = static_cast<Eigen::Index>(pairs.size());
    Eigen::MatrixXd a(2 * n, 9);
    for (Eigen::Index i = 0; i < n; ++i) {
        const auto& pair = pairs[static_cast<std::size_t>(i)];
        const Eigen::Vector2d s = Normalised(nBack, pair.back);
        const Eigen::Vector2d t = Normalised(nFront, pair.front);
        const double x = s.x(), y = s.y(), u = t.x(), v = t.y();
        a.row(2 * i) << -x, -y, -1, 0, 0, 0, u * x, u * y, u;
        a.row(2 * i + 1) << 0, 0, 0, -x, -y, -1, v * x, v * y, v;
    }
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeFullV);
    const Eigen::VectorXd& values = svd.singularValues();
    if (!(values(7) > 1e-9 * values(0)))
        return std::nullopt;
    const Eigen::VectorXd h = svd.matrixV().col(8);
    Matrix3 m;
    m << h(0), h(1), h(2), h(3), h(4), h(5), h(6), h(7), h(8);
    return m;
}

// Whether every back point lies on the same side of the transform's line
// at infinity; otherwise the fit folds the board over itself.
bool KeepsPointsTogether(const Matrix3& h, std::span<const PointPair> pairs) {
    int positive = 0, negative = 0;
    for (const PointPair& pair : pairs) {
        const double w = h(2, 0) * pair.back.x + h(2, 1) * pair.back.y + h(2, 2);
        if (w > 0)
            ++positive;
        else if (w < 0)
            ++negative;
        else
            return false;
    }
    return positive == 0 || negative == 0;
}

} // namespace

std::optional<Point> Transform::Apply(Point p) const {
    const double w = m_m[6] * p.x + m_m[7] * p.y + m_m[8];
    const double x = (m_m[0] * p.x + m_m[1] * p.y + m_m[2]) / w;
    const double y = (m_m[3] * p.x + m_m[4] * p.y + m_m[5]) / w;
    if (!std::isfinite(x) || !std::isfinite(y))
        return std::nullopt;
    return Point{x, y};
}

std::optional<Transform> Transform::Inverse() const {
    const Matrix3 m = ToEigen(*this);
    Matrix3 inverse;
    bool invertible = false;
    const double scale = m.cwiseAbs().maxCoeff();
    if (!(scale > 0) || !std::isfinite(scale))
        return std::nullopt;
    (m / scale).computeInverseWithCheck(inverse, invertible, 1e-12);
    if (!invertible)
        return std::nullopt;
    inverse /= scale;
    if (std::abs(inverse(2, 2)) > 1e-300)
        inverse /= inverse(2, 2);
    return FromEigen(inverse);
}

Transform Transform::After(const Transform& first) const { return FromEigen(ToEigen(*this) * ToEigen(first)); }

bool Transform::IsAffine() const { return m_m[6] == 0 && m_m[7] == 0 && m_m[8] == 1; }

Transform InitialTransform(Mirror mirror, int backWidth, int backHeight, double backDpiX,
                           double backDpiY, int frontWidth, int frontHeight, double frontDpiX,
                           double frontDpiY) {
    const double sx = backDpiX > 0 ? frontDpiX / backDpiX : 1.0;
    const double sy = backDpiY > 0 ? frontDpiY / backDpiY : 1.0;
    const double mx = mirror == Mirror::LeftRight ? -sx : sx;
    const double my = mirror == Mirror::TopBottom ? -sy : sy;
    const double backCx = (backWidth - 1) / 2.0, backCy = (backHeight - 1) / 2.0;
    const double frontCx = (frontWidth - 1) / 2.0, frontCy = (frontHeight - 1) / 2.0;
    return Transform({mx, 0, frontCx - mx * backCx, 0, my, frontCy - my * backCy, 0, 0, 1});
}

double Residual::Pixels() const { return std::hypot(dx, dy); }

double Residual::Mils(double milPerPixelX, double milPerPixelY) const {
    return std::hypot(dx * milPerPixelX, dy * milPerPixelY);
}

std::vector<Residual> Residuals(const Transform& backToFront, std::span<const PointPair> pairs) {
    std::vector<Residual> residuals;
    residuals.reserve(pairs.size());
    for (const PointPair& pair : pairs) {
        const std::optional<Point> p = backToFront.Apply(pair.back);
        if (p)
            residuals.push_back({p->x - pair.front.x, p->y - pair.front.y});
        else
            residuals.push_back({HUGE_VAL, HUGE_VAL});
    }
    return residuals;
}

int WorstResidual(std::span<const Residual> residuals) {
    int worst = -1;
    double largest = -1;
    for (std::size_t i = 0; i < residuals.size(); ++i) {
        if (residuals[i].Pixels() > largest) {
            largest = residuals[i].Pixels();
            worst = static_cast<int>(i);
        }
    }
    return worst;
}

FitOutcome FitPairs(std::span<const PointPair> pairs) {
    if (std::string refusal = CheckPairs(pairs); !refusal.empty())
        return {std::nullopt, refusal};
    const Matrix3 nBack = Normalisation(pairs, kBack);
    const Matrix3 nFront = Normalisation(pairs, kFront);
    const FitKind kind = pairs.size() == 3 ? FitKind::Affine : FitKind::Projective;
    std::optional<Matrix3> normalised;
    if (kind == FitKind::Affine)
        normalised = FitAffine(pairs, nBack, nFront);
    else
        normalised = FitProjective(pairs, nBack, nFront);
    const std::string noFit =
        "These pairs do not fix the other side's place: three of them may lie on one line. "
        "Pick points spread over the board.";
    if (!normalised)
        return {std::nullopt, noFit};
    Matrix3 h = nFront.inverse() * *normalised * nBack;
    if (!(std::abs(h(2, 2)) > 1e-12 * h.cwiseAbs().maxCoeff()) || !h.allFinite())
        return {std::nullopt, noFit};
    h /= h(2, 2);
    if (kind == FitKind::Affine)
        h.row(2) << 0, 0, 1;
    const Transform t = FromEigen(h);
    if (!t.Inverse() || !KeepsPointsTogether(h, pairs))
        return {std::nullopt, noFit};
    Fit fit{t, kind, Residuals(t, pairs), -1};
    fit.worst = WorstResidual(fit.residuals);
    return {fit, {}};
}

} // namespace registration
