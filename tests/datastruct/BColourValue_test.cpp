#include "model/BColourValue.h"

#include "support/Test.h"

#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(BColourValue, CountsComponentsComputesSumScaleTintAndDistanceAndComparesEquality) {
    EXPECT_EQ(BColourValue(-4).GetCount(), 0);
    BColourValue value(0.1, 0.2, 0.3, 0.4);
    value.Resize(2);
    EXPECT_TRUE(value.Equals(BColourValue(2)));
    value = BColourValue(0.2, 0.4, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(value.Sum(), 1.6);
    value.Scale(0.5);
    EXPECT_TRUE(value.Equals(BColourValue(0.1, 0.2, 0.0, 0.5)));
    value.Tint(0.5);
    EXPECT_TRUE(value.Equals(BColourValue(0.55, 0.6, 0.5, 0.75)));
    EXPECT_DOUBLE_EQ(BColourValue(0.0, 0.3, 0.0).Distance(BColourValue(0.4, 0.0, 0.0)), 0.5);
    // Equality needs the same count and no NaN.
    EXPECT_FALSE(BColourValue(0.0, 0.0, 0.0).Equals(BColourValue(0.0, 0.0, 0.0, 0.0)));
    EXPECT_FALSE(BColourValue(kNaN).Equals(BColourValue(kNaN)));
    EXPECT_TRUE(BColourValue(0.501, 0.2, 0.3).EqualsInPercent(BColourValue(0.499, 0.2, 0.3)));
    EXPECT_FALSE(BColourValue(0.52, 0.2, 0.3).EqualsInPercent(BColourValue(0.5, 0.2, 0.3)));
    EXPECT_FALSE(BColourValue(0.5).EqualsInPercent(BColourValue(0.5, 0.0, 0.0)));
}

TEST(BColourValue, PercentRoundsButKeepsZeroAndFullApartFromTheirNeighbours) {
    const std::pair<double, int> cases[] = {{0.004, 1},  {0.996, 99},  {1.0, 100}, {0.0, 0},
                                            {0.495, 50}, {0.4949, 49}, {-0.3, 1},  {kNaN, 0}};
    for (const auto& [component, percent] : cases)
        EXPECT_EQ(BColourValue(component).Percent(0), percent) << component;
}

TEST(BColourValue, DominantComponentIsTheFirstLargestUnderTheMask) {
    const BColourValue value(0.3, 0.7, 0.7, 0.1);
    for (const auto& [mask, index] : {std::pair(0xFu, 1), {0x4u, 2}, {0x9u, 0}, {0x0u, -1}})
        EXPECT_EQ(value.DominantComponent(mask), index) << mask;
    EXPECT_EQ(BColourValue(4).DominantComponent(0xF), -1) << "nothing above 0.0";
    EXPECT_EQ(BColourValue(0.0, -1.0, 0.0).DominantComponent(0x7), -1);
}

TEST(BColourValue, CompareOrdersByStrongestComponentThenStrength) {
    const struct {
        BColourValue a;
        BColourValue b;
        int result;
    } cases[] = {
        {{0.2, 0.5, 0.0, 0.0}, {0.6, 0.1, 0.0, 0.0}, 1}, // dominant indices 1 and 0
        {{0.6, 0.1, 0.0, 0.0}, {0.2, 0.5, 0.0, 0.0}, -1},
        {{0.0, 0.5, 0.2, 0.0}, {0.0, 0.5, 0.1, 0.0}, -1}, // next strongest 0.2 against 0.1
        {{0.0, 0.5, 0.1, 0.0}, {0.0, 0.5, 0.2, 0.0}, 1},
        {{0.0, 0.9, 0.0, 0.0}, {0.0, 0.5, 0.0, 0.0}, -1}, // stronger first
        {{0.0, 0.0, 0.0, 0.0}, {0.0, 0.0, 0.0, 0.0}, 0},
        {{0.0, 0.5, 0.2, 0.0}, {0.0, 0.5, 0.2, 0.0}, 0},
        {{0.0, 0.0, 0.0, 0.3}, {0.0, 0.0, 0.0, 0.0}, 4}, // 3 - (-1)
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.a.Compare(c.b), c.result) << &c - cases;
    EXPECT_EQ(BColourValue(0.9, 0.5, 0.0).Compare(BColourValue(0.1, 0.5, 0.0), 0x2), 0);
}

TEST(BColourValue, OperationsOnUnequalCountsOrBadIndexesStayInsideTheData) {
    const BColourValue cmyk(0.3, 0.0, 0.4, 0.0);
    const BColourValue gray(0.0);
    EXPECT_DOUBLE_EQ(cmyk.Distance(gray), 0.5) << "missing components count as 0";
    EXPECT_DOUBLE_EQ(gray.Distance(cmyk), 0.3) << "over this value's components";
    EXPECT_EQ(cmyk.Compare(gray), 2 - (-1));
    EXPECT_EQ(gray.Compare(cmyk), -1 - 0) << "the mask covers this value's one component";
    EXPECT_EQ(BColourValue().Compare(BColourValue()), 0);
    for (int index : {-1, 4, 1000, std::numeric_limits<int>::min()})
        EXPECT_TRUE(cmyk.Percent(index) == 0 && cmyk.GetComponent(index) == 0.0) << index;
    BColourValue value(2);
    value.SetComponent(2, 1.0);
    value.SetComponent(-1, 1.0);
    EXPECT_TRUE(value.Equals(BColourValue(2)));
    // More than 32 components compare on the first 32.
    BColourValue many(40);
    BColourValue other(40);
    many.SetComponent(35, 1.0);
    EXPECT_EQ(many.DominantComponent(~0u), -1) << "component 35 has no mask bit";
    EXPECT_EQ(many.Compare(other), 0);
    many.SetComponent(31, 0.5);
    other.SetComponent(31, 0.25);
    EXPECT_EQ(many.Compare(other), -1);
    EXPECT_EQ(BColourValue(32).Compare(BColourValue(32)), 0);
}
