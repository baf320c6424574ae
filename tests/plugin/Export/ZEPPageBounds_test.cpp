#include "Export/ZEPPageBounds.h"

#include "host/standin/Faults.h"
#include "host/standin/Layout.h"
#include "support/SampleLayoutFixture.h"
#include "support/Thrown.h"

#include <cmath>
#include <limits>

namespace {

// The host measures in pasteboard coordinates; the sample layout's spread 10 lies at offset
// (100, 1000), spread 30 at (-50, 2000).
using PageBoundsTest = SampleLayoutTest;

TEST_F(PageBoundsTest, BoundsComeInSpreadCoordinatesOfTheKindTheFlagChooses) {
    PMRect bounds;
    InterfacePtr<IPMUnknown> frame(Ref(20), IPMUnknown::kDefaultIID);
    EXPECT_EQ(GetItemBounds(frame.get(), bounds, true), PMRect(9, 19, 61, 81)); // stroke 2
    EXPECT_EQ(GetItemBounds(frame.get(), bounds, false), PMRect(10, 20, 60, 80));
    EXPECT_EQ(GetItemListBounds(List({22, 23}), bounds, true), PMRect(50, 10, 250, 110));
    EXPECT_EQ(GetItemListBounds(List({32}), bounds, true), PMRect(5, 5, 15, 15));
    InterfacePtr<IPMUnknown> page(Ref(31), IPMUnknown::kDefaultIID);
    EXPECT_EQ(GetItemBounds(page.get(), bounds, true), PMRect(0, 0, 400, 200));
}

TEST_F(PageBoundsTest, MissingInterfacesRaiseTheirGuardTexts) {
    PMRect bounds;
    InterfacePtr<IPMUnknown> frame(Ref(20), IPMUnknown::kDefaultIID);
    host::Faults& faults = host::Faults::Instance();
    faults.HideInterface(host::kSpreadBoss, ISpread::kDefaultIID);
    EXPECT_EQ(Thrown([&] { GetItemBounds(frame.get(), bounds, true); }),
              "0x52E1E (iSpread) == NULL");
    EXPECT_EQ(Thrown([&] { GetItemListBounds(List({20}), bounds, true); }),
              "0x52E1E (iSpread) == NULL");
    faults.HideInterface(host::kFrameItemBoss, IHierarchy::kDefaultIID);
    EXPECT_EQ(Thrown([&] { GetItemBounds(frame.get(), bounds, true); }),
              "0x52E1E (iHierarchy) == NULL");
    EXPECT_EQ(Thrown([&] { GetItemListBounds(List({20}), bounds, true); }),
              "0x52E1E (iHierarchy) == NULL");
    faults.HideInterface(host::kFrameItemBoss, IGeometry::kDefaultIID);
    EXPECT_EQ(Thrown([&] { GetItemBounds(frame.get(), bounds, true); }),
              "0x52E1E (iGeometry) == NULL");
    PMPoint point;
    EXPECT_EQ(Thrown([&] { OffsetPointBySpread(Ref(99), point); }), "0x52E1E (iSpread) == NULL");
}

TEST_F(PageBoundsTest, OffsetAndUnoffsetAreEachOthersInverse) {
    PMPoint point(1, 2);
    EXPECT_EQ(UnoffsetPointBySpread(Ref(30), point), PMPoint(51, -1998));
    EXPECT_EQ(OffsetPointBySpread(Ref(30), point), PMPoint(1, 2));
    PMRect rect(100, 1000, 150, 1100);
    EXPECT_EQ(UnoffsetRectBySpread(Ref(10), rect), PMRect(0, 0, 50, 100));
}

TEST(RoundRectOutward, RoundsOutToWholePointsAndKeepsTheMargins) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        PMRect rect;
        PMRect whole;
        PMRect margins;
    } cases[] = {
        {{0.2, 0.7, 10.0, 20.3}, {0, 0, 10, 21}, {0.2, 0.7, 0, 0.7}},
        {{-3.5, -2.5, -1.5, -0.5}, {-4, -3, -1, 0}, {0.5, 0.5, 0.5, 0.5}},
        // Beyond 32 bits, right and bottom stop at the integer's range; a NaN gives 0.
        {{0, 0, 1e12, -1e12},
         {0, 0, 2147483647, -2147483648.0},
         {0, 0, 2147483647 - 1e12, 1e12 - 2147483648.0}},
        {{0, 0, 2147483647.5, nan}, {0, 0, 2147483647, 0}, {0, 0, -0.5, nan}},
    };
    for (const auto& c : cases) {
        PMRect whole;
        PMRect margins;
        RoundRectOutward(c.rect, whole, margins);
        EXPECT_EQ(whole, c.whole) << c.rect.Right() << " " << c.rect.Bottom();
        const auto near = [](double a, double b) {
            return (std::isnan(a) && std::isnan(b)) || std::abs(a - b) < 1e-9;
        };
        EXPECT_TRUE(
            near(margins.Left(), c.margins.Left()) && near(margins.Top(), c.margins.Top()) &&
            near(margins.Right(), c.margins.Right()) && near(margins.Bottom(), c.margins.Bottom()))
            << margins.Left() << " " << margins.Top() << " " << margins.Right() << " "
            << margins.Bottom();
    }
}

} // namespace
