#include "utils/Geometry2D.h"

#include "support/LogCapture.h"
#include "support/Test.h"

#include <cmath>
#include <numbers>

using zeu::Matrix2D;
using zeu::Point2D;
using zeu::Rect2D;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

std::string text(const Rect2D& r) {
    std::ostringstream out;
    out << r;
    return out.str();
}

TEST(Rect2D, UnionGivesWayToAnEmptySideAndIntersectionNeedsAStrictOverlap) {
    const std::tuple<char, Rect2D, Rect2D, Rect2D> cases[] = {
        {'|', {0, 0, 10, 10}, {20, 20, 5, 5}, {0, 0, 25, 25}},
        {'|', {0, 0, 0, 10}, {5, 5, 5, 5}, {5, 5, 5, 5}},
        {'|', {5, 5, 5, 5}, {0, 0, 0, 10}, {5, 5, 5, 5}},
        {'|', {3, 4, 0, 0}, {7, 8, 0, 1}, {0, 0, 0, 0}},
        {'|', {10, 10, -10, -10}, {0, 0, 5, 5}, {0, 0, 10, 10}},
        // The unset box is empty: a union starting from it takes the other box whole.
        {'|', Rect2D::unset, {1, 2, -3, 4}, {1, 2, -3, 4}},
        {'|', {1, 2, 3, 4}, Rect2D::unset, {1, 2, 3, 4}},
        {'&', {0, 0, 10, 10}, {10, 0, 5, 5}, {0, 0, 0, 0}}, // touching edges
        {'&', {0, 0, 10, 10}, {5, 5, 10, 10}, {5, 5, 5, 5}},
        {'&', {0, 0, 10, 10}, {10, 10, -5, -5}, {5, 5, 5, 5}},
        {'&', {10, 10, -10, -10}, {-5, 2, 10, 3}, {0, 2, 5, 3}},
        {'&', {0, 0, 10, 10}, Rect2D::unset, {0, 0, 0, 0}},
        {'&', Rect2D::unset, {0, 0, 10, 10}, {0, 0, 0, 0}},
    };
    for (const auto& [op, a, b, expected] : cases) {
        Rect2D inPlace = a;
        const Rect2D result = op == '|' ? a | b : a & b;
        (op == '|') ? inPlace |= b : inPlace &= b;
        EXPECT_EQ(text(result), text(expected)) << text(a) << ' ' << op << ' ' << text(b);
        EXPECT_EQ(text(inPlace), text(expected)) << text(a) << ' ' << op << '=';
    }
}

TEST(Rect2D, ContainsWithEdgesInsideIntersectsOnlyWithPositiveOverlapAndKnowsUnset) {
    const Rect2D box{0, 0, 10, 10};
    EXPECT_TRUE(box.contains(Point2D{10, 10}));
    EXPECT_TRUE((Rect2D{10, 10, -10, -10}.contains(Point2D{0, 5})));
    EXPECT_FALSE(box.contains(Point2D{10.5, 5}));
    EXPECT_TRUE(box.contains(Rect2D{10, 10, -4, -4}));
    EXPECT_FALSE(box.contains(Rect2D{2, 2, 0, 3}));
    EXPECT_FALSE(box.contains(Rect2D{5, 5, 6, 1}));
    EXPECT_FALSE(box.intersects(Rect2D{10, 0, 1, 1}));
    EXPECT_TRUE(box.intersects(Rect2D{9, 9, 1, 1}));
    EXPECT_TRUE(Rect2D::unset.isUnset() && Rect2D::unset.isEmpty());
    EXPECT_FALSE((Rect2D{kInf, kInf, 1, 0}.isUnset()));
    EXPECT_FALSE(Rect2D::zero.isUnset());
    EXPECT_FALSE((Rect2D{0, 0, NAN, 1}.isEmpty()));
    Rect2D r{0, 0, 10, 10};
    r.inset(2, -1);
    EXPECT_EQ(text(r), "(2,-1)-(6,12)");
    Rect2D flipped{10, 20, -4, -5};
    flipped.normalize();
    EXPECT_EQ(text(flipped), "(6,15)-(4,5)");
}

TEST(Geometry2D, SnapRoundsToTheNearest1024thWithHalvesUp) {
    const std::tuple<double, double> cases[] = {
        {0.00048828125, 0.0009765625}, // half a step goes up
        {-0.00048828125, 0},           // and towards +infinity below zero
        {0.0004882812, 0},             // just under half a step
        {-0.0009765625 * 1.5, -0.0009765625},
        {100.3, 100.2998046875},
        {kInf, kInf},
    };
    for (const auto& [in, out] : cases) {
        Point2D p{in, -in};
        p.snap();
        EXPECT_EQ(p.x, out) << in;
        Rect2D r{in, 0, in, 0};
        r.snap();
        EXPECT_EQ(r.x, out) << in;
        EXPECT_EQ(r.width, out) << in;
    }
}

TEST(Matrix2D, ProductAppliesTheLeftMatrixFirstAndRotatePrependsARotation) {
    const Matrix2D scale{2, 0, 0, 3, 0, 0};
    const Matrix2D move{1, 0, 0, 1, 10, 20};
    const Point2D scaledThenMoved = Point2D{1, 1} * (scale * move);
    EXPECT_EQ(scaledThenMoved.x, 12);
    EXPECT_EQ(scaledThenMoved.y, 23);
    Matrix2D m = move;
    m *= scale;
    EXPECT_EQ(m, (Matrix2D{2, 0, 0, 3, 20, 60}));
    m.setIdentity();
    EXPECT_TRUE(m.isIdentity());
    Matrix2D moved{1, 0, 0, 1, 5, 0};
    moved.rotate(std::numbers::pi / 2); // counter-clockwise, then the old matrix
    EXPECT_NEAR(moved.a, 0, 1e-15);
    EXPECT_EQ(moved.b, 1);
    EXPECT_EQ(moved.c, -1);
    const Point2D p = Point2D{1, 0} * moved;
    EXPECT_NEAR(p.x, 5, 1e-15);
    EXPECT_EQ(p.y, 1);
}

TEST(Matrix2D, InvertsARegularMatrixAndLeavesASingularOneWithAWarning) {
    const Matrix2D skew{1, 2, 3, 4, 5, 6};
    Matrix2D inverse = skew;
    ASSERT_TRUE(inverse.invert());
    const Point2D back = Point2D{7, -8} * skew * inverse;
    EXPECT_NEAR(back.x, 7, 1e-12);
    EXPECT_NEAR(back.y, -8, 1e-12);
    Matrix2D m{2, 0, 0, 2, 4, 6};
    EXPECT_TRUE(m.invert());
    EXPECT_EQ(m, (Matrix2D{0.5, 0, 0, 0.5, -2, -3}));
    LogCapture log;
    Matrix2D singular{1, 2, 2, 4, 0, 0};
    EXPECT_FALSE(singular.invert());
    EXPECT_EQ(singular, (Matrix2D{1, 2, 2, 4, 0, 0}));
    EXPECT_EQ(log.text(), "[2026-03-01T14:05:09][WARN][5120][Geometry2D:zeu::Matrix2D::invert:200] "
                          "non invertible matrix\n");
}

} // namespace
