#include "host/sdk/Geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(PMRect, IsEmptyUnlessBothExtentsArePositive) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        PMRect rect;
        bool empty;
    } cases[] = {
        {{0, 0, 0, 0}, true},        {{0, 0, 5, 0}, true},   {{0, 0, 0, 5}, true},
        {{5, 5, 0, 0}, true},        {{0, 0, nan, 5}, true}, {{0, 0, 5, 5}, false},
        {{-3, -2, -1, -0.5}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.rect.IsEmpty(), c.empty) << c.rect.Left() << " " << c.rect.Top() << " "
                                             << c.rect.Right() << " " << c.rect.Bottom();
}

TEST(PMRect, IntersectNeedsAnOverlappingAreaAndRectInTheWholeRectangle) {
    const PMRect page(0, 0, 100, 100);
    const struct {
        PMRect other;
        bool meets, within;
    } cases[] = {
        {{50, 50, 150, 150}, true, false},   // overlaps a corner
        {{10, 10, 20, 20}, true, true},      // inside
        {{0, 0, 100, 100}, true, true},      // the same
        {{-10, -10, 200, 200}, true, false}, // around
        {{100, 0, 150, 100}, false, false},  // touches the right edge
        {{0, 100, 100, 150}, false, false},  // touches the bottom edge
        {{30, 30, 30, 60}, false, true},     // empty, inside
        {{200, 200, 300, 300}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Intersect(page, c.other), c.meets) << c.other.Left() << " " << c.other.Top();
        EXPECT_EQ(Intersect(c.other, page), c.meets) << c.other.Left() << " " << c.other.Top();
        EXPECT_EQ(RectIn(c.other, page), c.within) << c.other.Left() << " " << c.other.Top();
    }
}

TEST(PMMatrix, AppliesEachStepAfterTheOnesBefore) {
    PMMatrix matrix;
    matrix.Scale(2, 3);
    matrix.Translate(10, 20);
    EXPECT_EQ(matrix.Transform({1, 1}), PMPoint(12, 23));
    PMMatrix then;
    then.Scale(1, -1);
    matrix.PostConcat(then);
    EXPECT_EQ(matrix.Transform({1, 1}), PMPoint(12, -23));
    EXPECT_EQ(matrix, PMMatrix(2, 0, 0, -3, 10, -20));
    EXPECT_EQ(matrix.TransformBounds({0, 0, 1, 1}), PMRect(10, -23, 12, -20));
    const PMMatrix quarterTurn(0, 1, -1, 0, 0, 0);
    EXPECT_EQ(quarterTurn.TransformBounds({0, 0, 10, 20}), PMRect(-20, 0, 0, 10));
}

} // namespace
