#include "board/registration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace registration;

namespace {

// A transform given as the map it makes, checked against the fit at a grid
// of points spread over the region the pairs came from.
double LargestDistance(const Transform& fitted, const Transform& truth) {
    double largest = 0;
    for (double y = 0; y <= 1000; y += 100)
        for (double x = 0; x <= 1500; x += 100) {
            const auto a = fitted.Apply({x, y});
            const auto b = truth.Apply({x, y});
            if (!a || !b)
                return HUGE_VAL;
            largest = std::max(largest, std::hypot(a->x - b->x, a->y - b->y));
        }
    return largest;
}

// Pairs from back points spread over a 1500 x 1000 scan, their front
// points through the transform, with normal noise of sigma pixels on both.
std::vector<PointPair> PairsUnder(const Transform& backToFront, int count, double sigma,
                                  unsigned seed = 7) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> ux(0, 1500), uy(0, 1000);
    std::normal_distribution<double> noise(0, sigma);
    std::vector<PointPair> pairs;
    for (int i = 0; i < count; ++i) {
        const Point back{ux(random), uy(random)};
        const Point front = *backToFront.Apply(back);
        pairs.push_back({{front.x + noise(random), front.y + noise(random)},
                         {back.x + noise(random), back.y + noise(random)}});
    }
    return pairs;
}

// Mirrored left to right, turned by 3 degrees, 1.02 times as large, moved.
Transform MirroredAffine() {
    const double a = 3.0 * M_PI / 180.0, s = 1.02;
    return Transform({-s * std::cos(a), -s * std::sin(a), 1700, -s * std::sin(a), s * std::cos(a), 40,
                      0, 0, 1});
}

// The same with perspective, as a phone photo of the board would give.
Transform MirroredPerspective() {
    const Transform affine = MirroredAffine();
    const auto& m = affine.Matrix();
    return Transform({m[0], m[1], m[2], m[3], m[4], m[5], 2e-5, -3e-5, 1});
}

} // namespace

TEST(RegistrationFit, ThreePairsGiveTheAffineTransformExactly) {
    const std::vector<PointPair> pairs = PairsUnder(MirroredAffine(), 3, 0.0);
    const FitOutcome outcome = FitPairs(pairs);
    ASSERT_TRUE(outcome.fit) << outcome.refusal;
    EXPECT_EQ(outcome.fit->kind, FitKind::Affine);
    EXPECT_TRUE(outcome.fit->backToFront.IsAffine());
    EXPECT_LT(LargestDistance(outcome.fit->backToFront, MirroredAffine()), 1e-6);
    ASSERT_EQ(outcome.fit->residuals.size(), 3u);
    for (const Residual& r : outcome.fit->residuals)
        EXPECT_LT(r.Pixels(), 1e-6);
}

TEST(RegistrationFit, NoisyPairsGiveTheTransformWithinATenthOfAPixel) {
    for (const Transform& truth : {MirroredAffine(), MirroredPerspective()}) {
        const std::vector<PointPair> pairs = PairsUnder(truth, 60, 0.05);
        const FitOutcome outcome = FitPairs(pairs);
        ASSERT_TRUE(outcome.fit) << outcome.refusal;
        EXPECT_EQ(outcome.fit->kind, FitKind::Projective);
        EXPECT_LT(LargestDistance(outcome.fit->backToFront, truth), 0.1);
    }
}

TEST(RegistrationFit, FourExactPairsGiveThePerspectiveTransform) {
    const Transform truth = MirroredPerspective();
    std::vector<PointPair> pairs;
    for (const Point back : {Point{50, 60}, Point{1400, 80}, Point{1450, 950}, Point{90, 900}})
        pairs.push_back({*truth.Apply(back), back});
    const FitOutcome outcome = FitPairs(pairs);
    ASSERT_TRUE(outcome.fit) << outcome.refusal;
    EXPECT_LT(LargestDistance(outcome.fit->backToFront, truth), 1e-6);
    EXPECT_FALSE(outcome.fit->backToFront.IsAffine());
}

TEST(RegistrationFit, ResidualsShowTheMisplacedPairAsTheWorst) {
    std::vector<PointPair> pairs = PairsUnder(MirroredAffine(), 12, 0.0);
    pairs[5].front.x += 6;
    pairs[5].front.y += 8;
    const FitOutcome outcome = FitPairs(pairs);
    ASSERT_TRUE(outcome.fit);
    EXPECT_EQ(outcome.fit->worst, 5);
    EXPECT_GT(outcome.fit->residuals[5].Pixels(), 3.0);
    // At 200 dots per inch a pixel is 5 mils.
    const Residual r = outcome.fit->residuals[5];
    EXPECT_DOUBLE_EQ(r.Mils(5.0, 5.0), 5.0 * r.Pixels());
    EXPECT_DOUBLE_EQ((Residual{3, 4}.Mils(5.0, 10.0)), std::hypot(15.0, 40.0));
}

TEST(RegistrationFit, DegeneratePairsAreRefusedWithAMessage) {
    struct Case {
        const char* what;
        std::vector<PointPair> pairs;
        const char* says;
    };
    const std::vector<PointPair> good = PairsUnder(MirroredAffine(), 5, 0.0);
    std::vector<PointPair> repeatedBack = good;
    repeatedBack[3].back = repeatedBack[1].back;
    std::vector<PointPair> repeatedFront = good;
    repeatedFront[4].front = {repeatedFront[0].front.x + 0.2, repeatedFront[0].front.y};
    std::vector<PointPair> collinear;
    for (int i = 0; i < 5; ++i)
        collinear.push_back({{100.0 + 50 * i, 200.0 + 20 * i}, {900.0 - 50 * i, 200.0 + 20 * i}});
    // Three of four on one line: no perspective can be fixed.
    std::vector<PointPair> threeOnALine = {
        {{100, 100}, {900, 100}}, {{300, 100}, {700, 100}}, {{500, 100}, {500, 100}},
        {{300, 600}, {700, 600}}};
    const Case cases[] = {
        {"none", {}, "at least 3 pairs"},
        {"two", {good[0], good[1]}, "there are 2"},
        {"repeated back", repeatedBack, "pair 2 and the pair 4 use the same point on the back"},
        {"repeated front", repeatedFront, "pair 1 and the pair 5 use the same point on the front"},
        {"collinear", collinear, "lie on one line"},
        {"three on a line", threeOnALine, "do not fix"},
    };
    for (const Case& c : cases) {
        const FitOutcome outcome = FitPairs(c.pairs);
        EXPECT_FALSE(outcome.fit) << c.what;
        EXPECT_NE(outcome.refusal.find(c.says), std::string::npos) << c.what << ": " << outcome.refusal;
    }
}

TEST(RegistrationTransform, InverseAndCompositionUndoEachOther) {
    const Transform t = MirroredPerspective();
    const auto inverse = t.Inverse();
    ASSERT_TRUE(inverse);
    const Transform round = inverse->After(t);
    for (const Point p : {Point{0, 0}, Point{1234.5, 678.25}, Point{-50, 2000}}) {
        const auto q = round.Apply(p);
        ASSERT_TRUE(q);
        EXPECT_NEAR(q->x, p.x, 1e-8);
        EXPECT_NEAR(q->y, p.y, 1e-8);
    }
    EXPECT_FALSE(Transform({1, 2, 3, 2, 4, 6, 0, 0, 1}).Inverse());
    EXPECT_FALSE(Transform({0, 0, 0, 0, 0, 0, 0, 0, 0}).Inverse());
    // A point on the line at infinity has no image.
    EXPECT_FALSE(Transform({1, 0, 0, 0, 1, 0, 1, 0, 0}).Apply({0, 5}));
}

TEST(RegistrationTransform, InitialTransformMirrorsScalesAndCentres) {
    // A 300 dpi back of 600 x 450 pixels on a 200 dpi front of 400 x 300.
    const Transform lr = InitialTransform(Mirror::LeftRight, 600, 450, 300, 300, 400, 300, 200, 200);
    auto at = [](const Transform& t, Point p) { return *t.Apply(p); };
    EXPECT_NEAR(at(lr, {299.5, 224.5}).x, 199.5, 1e-9); // centre on centre
    EXPECT_NEAR(at(lr, {299.5, 224.5}).y, 149.5, 1e-9);
    EXPECT_NEAR(at(lr, {0, 0}).x, 399.5 - 1.0 / 3, 1e-9); // left edge to the right
    EXPECT_NEAR(at(lr, {0, 0}).y, -1.0 / 6, 1e-9);
    const Transform tb = InitialTransform(Mirror::TopBottom, 600, 450, 300, 300, 400, 300, 200, 200);
    EXPECT_NEAR(at(tb, {0, 0}).x, -1.0 / 6, 1e-9);
    EXPECT_NEAR(at(tb, {0, 0}).y, 299.5 - 1.0 / 3 + 0.0, 1e-9);
    const Transform none = InitialTransform(Mirror::None, 400, 300, 200, 200, 400, 300, 200, 200);
    EXPECT_EQ(none, Transform());
}
