#include "utils/UUnits.h"

#include "support/Test.h"

#include <cmath>
#include <limits>

TEST(UUnits, TableGivesNamesPointsPerUnitAndDecimalsAndLookupFallsBackToMillimetres) {
    const std::tuple<int, const char*, double, int> cases[] = {
        {UUnits::inches, "inches", 72, 3},
        {UUnits::cm, "cm", 28.346456692913385, 3},
        {UUnits::mm, "mm", 2.834645669291339, 2},
        {UUnits::picas, "picas", 12, 3},
        {UUnits::pt, "pt", 1, 2},
        {UUnits::agates, "agates", 5.142857142857143, 2},
        {UUnits::ciceros, "ciceros", 12.789921259842519, 3},
    };
    for (const auto& [unit, name, pointsPerUnit, decimals] : cases) {
        const UUnits units(unit);
        EXPECT_EQ(units.name().view(), name);
        EXPECT_EQ(UUnits::name(unit).view(), name);
        EXPECT_DOUBLE_EQ(units.toPoints(1), pointsPerUnit) << name;
        EXPECT_DOUBLE_EQ(units.fromPoints(pointsPerUnit * 3), 3) << name;
        EXPECT_EQ(units.decimals(), decimals) << name;
        EXPECT_EQ(UUnits(ustring(name)).unit(), unit) << name;
    }
    EXPECT_EQ(UUnits::defaultUnitName().view(), "mm");
    EXPECT_EQ(UUnits(ustring("Cm")).unit(), UUnits::cm); // names ignore case
    EXPECT_EQ(UUnits(ustring("furlong")).unit(), UUnits::mm);
    for (int unit : {7, -1}) { // kept as given, read as millimetres
        EXPECT_EQ(UUnits(unit).unit(), unit);
        EXPECT_EQ(UUnits(unit).name().view(), "mm");
        EXPECT_DOUBLE_EQ(UUnits(unit).fromPoints(72), 25.4);
    }
}

TEST(UUnits, StepFormatAndRoundedValueFollowTheShownDecimals) {
    const UUnits mm(UUnits::mm);
    EXPECT_DOUBLE_EQ(mm.step(), 0.02834645669291339);
    EXPECT_EQ(UUnits(UUnits::cm).step(), UUnits(UUnits::cm).toPoints(0.001));
    EXPECT_EQ(mm.format(72).view(), "25.4");
    ustring text("old");
    EXPECT_TRUE(mm.format(text, 144));
    EXPECT_EQ(text.view(), "50.8");
    EXPECT_FALSE(mm.format(text, 0.001));
    EXPECT_EQ(text.view(), "0");
    EXPECT_EQ(UUnits(UUnits::inches).fromPointsRounded(100), 1.389);
    EXPECT_EQ(mm.fromPointsRounded(72), 25.4);
    EXPECT_EQ(mm.fromPointsRounded(-10), -3.53);
    EXPECT_EQ(UUnits(UUnits::pt).fromPointsRounded(0.004), 0);
}

TEST(UUnits, RoundDecimalsTakesHalvesUpOnBothSidesOfZero) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::tuple<double, int, double> cases[] = {
        {2.345, 2, 2.35},   {2.5, 0, 3},
        {-2.5, 0, -2},      {-1.7, 2, -1.7}, // truncation would give -1.69
        {-1.236, 2, -1.24}, {-0.004, 2, 0},
        {3e9, 0, 3e9},      {-3e9 - 0.7, 0, -3e9 - 1}, // beyond the 32-bit range
        {1e300, 2, 1e300},  {-inf, 2, -inf},
    };
    for (const auto& [value, decimals, expected] : cases)
        EXPECT_EQ(UUnits::roundDecimals(value, decimals), expected) << value << " to " << decimals;
    EXPECT_TRUE(std::isnan(UUnits::roundDecimals(std::nan(""), 2)));
}

TEST(UUnits, GlobalFallsBackToMillimetresUntilCreatedAndAfterDestroyed) {
    const UUnits* fallback = &UUnits::global();
    EXPECT_EQ(fallback->unit(), UUnits::mm);
    UUnits::createGlobal();
    const UUnits* created = &UUnits::global();
    EXPECT_NE(created, fallback);
    EXPECT_EQ(created->unit(), UUnits::mm);
    UUnits::createGlobal();
    EXPECT_EQ(&UUnits::global(), created);
    UUnits::destroyGlobal();
    EXPECT_EQ(&UUnits::global(), fallback);
}
