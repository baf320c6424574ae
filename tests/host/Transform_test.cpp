#include "host/sdk/Transform.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Description.h"
#include "host/standin/Document.h"
#include "host/standin/Selection.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"

#include <limits>
#include <optional>

namespace {

// On the sample layout (spread 10 at offset (100, 1000)): group 21 holds frames 22 (150, 10, 250,
// 110) and 23 (50, 50, 70, 70); frame 24 has no width.
class TransformTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        m_document = &host::OpenDocumentDescription(kSampleLayout);
    }
    UIDList List(const std::vector<std::uint32_t>& uids) const { return ListIn(*m_document, uids); }
    PMRect Bounds(std::uint32_t uid) const {
        return *m_document->layout.SpreadCoordinateBounds(UID(uid), kPathBounds);
    }

    host::Document* m_document = nullptr;
};

TEST_F(TransformTest, ResizeScalesTheSelectionAsOneSetOrFailsAndChangesNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const ReferencePoint leftTop{0, PMMatrix(), 2, 0, {0, 0}, {0, 0}, 1, 0};
    const ReferencePoint at{0, PMMatrix(), 0, 1, {250, 1010}, {0, 0}, 0, 0};
    const struct {
        std::vector<std::uint32_t> selected;
        ReferencePoint reference;
        std::int32_t mode;
        double x, y;
        ErrorCode result;
        std::optional<PMRect> group; // group 21 afterwards, when changed
    } cases[] = {
        {{21}, leftTop, 2, 2, 2, kSuccess, PMRect(50, 10, 450, 210)},
        {{21}, at, 2, 2, 2, kSuccess, PMRect(-50, 10, 350, 210)},
        {{21}, leftTop, 0, 100, 50, kSuccess, PMRect(50, 10, 150, 60)}, // absolute size
        {{}, leftTop, 2, 2, 2, kFailure, {}},
        {{21}, {0, PMMatrix(), 1, 0, {0, 0}, {0, 0}, 0, 0}, 2, 2, 2, kFailure, {}},
        {{21}, leftTop, 1, 2, 2, kFailure, {}},
        {{21}, leftTop, 2, 0, 2, kFailure, {}},
        {{21}, leftTop, 2, 2, nan, kFailure, {}},
        {{24}, leftTop, 0, 10, 10, kFailure, {}}, // bounds without width
    };
    for (const auto& c : cases) {
        host::Reset();
        m_document = &host::OpenDocumentDescription(kSampleLayout);
        host::SelectLayoutItems(List(c.selected));
        InterfacePtr<IGeometrySuite> suite(
            InterfacePtr<ISelectionUtils>(UtilsBoss::QueryUtils<ISelectionUtils>())
                ->GetActiveSelection(),
            UseDefaultIID{});
        const std::string before = host::DumpDocument(*m_document);
        const ResizeValue value{{2, PMMatrix()}, {c.mode, 0, 0, 0, 1}, c.x, c.y};
        EXPECT_EQ(suite->Resize({2, PMMatrix()}, kPathBounds, c.reference, value, 0), c.result);
        if (c.group) {
            EXPECT_EQ(Bounds(21), *c.group);
        } else {
            EXPECT_EQ(host::DumpDocument(*m_document), before);
        }
    }
}

TEST_F(TransformTest, SetItemsBoundsGivesSpreadsTheirPasteboardAndRefusesAnythingElse) {
    InterfacePtr<IGeometryUtils> utils(UtilsBoss::QueryUtils<IGeometryUtils>());
    const PMRect bounds(0, 0, 900, 2100);
    const struct {
        std::vector<std::uint32_t> items;
        std::vector<PMRect> bounds;
        PMMatrix matrix;
        ErrorCode result;
    } cases[] = {
        {{20}, {bounds}, {}, kFailure},
        {{10}, {bounds, bounds}, {}, kFailure},
        {{10}, {bounds}, {2, 0, 0, 2, 0, 0}, kFailure},
        {{10}, {bounds}, {}, kSuccess},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utils->SetItemsBounds(List(c.items), {0, c.matrix}, 0, c.bounds), c.result);
        ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    }
    EXPECT_EQ(m_document->layout.spreadData.at(UID(10)).pasteboard, PMRect(-100, -1000, 800, 1100));
    EXPECT_EQ(host::UndoStepNames(), std::vector<std::string>{"Set Bounds"});
}

} // namespace
