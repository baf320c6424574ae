#include "Analysis/ZEPItemCallbacks.h"

#include "host/sdk/Colors.h"
#include "host/sdk/Errors.h"
#include "host/sdk/Fonts.h"
#include "host/sdk/Session.h"
#include "host/sdk/Tables.h"
#include "host/standin/Colors.h"
#include "host/standin/Command.h"
#include "host/standin/Database.h"
#include "host/standin/Faults.h"
#include "host/standin/Fonts.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/Session.h"
#include "host/standin/Tables.h"
#include "support/AnalysisFixture.h"
#include "support/LogCapture.h"
#include "support/Thrown.h"

#include <regex>
#include <string>
#include <vector>

namespace {

class ItemCallbacksTest : public AnalysisTest {
protected:
    void SetUp() override {
        AnalysisTest::SetUp();
        m_walker = InterfacePtr<IItemWalker>(
            static_cast<IItemWalker*>(CreateObject(kItemWalkerBoss, IItemWalker::kDefaultIID)));
        ASSERT_TRUE(m_walker);
    }
    // Walks the spread as the export does: identity matrix, the spread's drawable, flags 20.
    void Walk(ICallback& callback) {
        InterfacePtr<IShape> spread(Ref(10), UseDefaultIID{});
        m_walker->Walk(PMMatrix(), GetUIDRef(spread.get()), &callback, 20);
    }
    std::vector<std::uint32_t> RecordedItems() const {
        std::vector<std::uint32_t> uids;
        for (const auto& record : m_records.GetRecords())
            uids.push_back(record->GetItemRef().GetUID().Get());
        return uids;
    }

    InterfacePtr<IItemWalker> m_walker;
    ZEPPageItemInfoList m_records;
};

TEST_F(ItemCallbacksTest, EachItemMeetingAPageGetsOneRecordOnTheFirstPageItIsFoundOn) {
    // Item 22 lies on both pages and the walker reaches it twice per walk; 23 is on the
    // pasteboard only, 24 and the guides are empty.
    for (std::uint32_t index : {0u, 1u}) {
        ZEPItemInfoCallback callback(m_walker.get(), m_records, m_run,
                                     PageBounds(index == 0 ? 11 : 12), index);
        EXPECT_EQ(callback.GetCallbackObject(), m_walker.get());
        Walk(callback);
    }
    EXPECT_EQ(RecordedItems(), (std::vector<std::uint32_t>{20, 21, 22, 26}));
    for (const auto& record : m_records.GetRecords())
        EXPECT_EQ(record->GetPageNumber(), 1u);
}

TEST_F(ItemCallbacksTest, AnItemWhoseAnalysisThrowsIsDroppedAndTheOthersStay) {
    ZEPItemInfoCallback callback(m_walker.get(), m_records, m_run, PageBounds(11), 0);
    EXPECT_TRUE(callback.Record(Object(20).get()));
    InterfacePtr<IPMUnknown> loose(CreateObject(host::kFrameItemBoss, IPMUnknown::kDefaultIID));
    EXPECT_FALSE(callback.Record(loose.get())); // not stored: its analysis throws
    EXPECT_TRUE(callback.Record(Object(20).get()));
    EXPECT_EQ(RecordedItems(), std::vector<std::uint32_t>{20});
}

// Items on page 11 whose analyses need the host's fonts (21, with a used font), a table model
// (22), the document's ink and swatch lists (23, with the process ink "Cyan", which the ink list
// does not hold) and an ink's data (24, filled with a colour mixed of ink 50); 20 needs none.
constexpr const char* kDroppedItemsLayout = R"({
  "kind": "document", "name": "Dropped.indd",
  "colors": [{"id": 40, "space": 6}, {"id": 41, "space": 9, "ink": {"inks": [50]}}],
  "inks": [{"id": 50, "name": "PANTONE 185 C", "color": 40}],
  "tables": [{"id": 60, "rows": 1, "columns": 1}],
  "layers": [{"id": 3, "name": "Layer 1"}],
  "spreads": [{"id": 10, "pages": [{"id": 11, "width": 600, "height": 800}], "items": [
    {"id": 20, "layer": 3, "bounds": [0, 0, 10, 10]},
    {"id": 21, "layer": 3, "bounds": [0, 0, 10, 10], "fonts": ["Minion Pro"]},
    {"id": 22, "layer": 3, "bounds": [0, 0, 10, 10], "table": {"model": 60}},
    {"id": 23, "layer": 3, "bounds": [0, 0, 10, 10], "inks": ["Cyan"]},
    {"id": 24, "layer": 3, "bounds": [0, 0, 10, 10], "graphics": {"fill": 41}}]}]
})";

class DroppedItemsTest : public ItemCallbacksTest {
protected:
    std::string Description() const override { return kDroppedItemsLayout; }
};

// An item whose analysis fails keeps no record, and one ERROR record says which item (its UID
// and class) and why, so that it is not taken for an item without findings. Each row hides an
// interface whose absence fails one item's analysis; the other items keep their records.
TEST_F(DroppedItemsTest, AnItemLeftOutOfThePageItemsIsLoggedWithItsClassAndTheFailure) {
    const struct {
        ClassID cls;
        PMIID iid;
        std::uint32_t item;
        std::string failure;
    } cases[] = {
        {host::kSessionBoss, ISession::kDefaultIID, 21, "(iFontMgr) == NULL"},
        {host::kSessionBoss, IFontMgr::kDefaultIID, 21, "(iFontMgr) == NULL"},
        {host::kFontBoss, IFont::kDefaultIID, 21, "(iFont) == NULL"},
        {host::kTableModelBoss, ITableModel::kDefaultIID, 22, "(iTableModel) == NULL"},
        {kDocWorkspaceBoss, IInkList::kDefaultIID, 23, "(theInkList) == NULL"},
        {kDocWorkspaceBoss, IWorkspace::kDefaultIID, 23, "(iWorkspace) == NULL"},
        {kDocWorkspaceBoss, ISwatchList::kDefaultIID, 23, "(iSwatchList) == NULL"},
        {host::kInkBoss, IInkInfo::kDefaultIID, 24, "(theComponentInkBossData) == NULL"},
    };
    const std::vector<std::uint32_t> items = {20, 21, 22, 23, 24};
    for (const auto& c : cases) {
        const std::string row = host::Hex(c.cls.Get()) + " " + host::Hex(c.iid.Get());
        host::Faults::Instance().Reset();
        host::Faults::Instance().HideInterface(c.cls, c.iid);
        ZEPPageItemInfoList records;
        ZEPItemInfoCallback callback(m_walker.get(), records, m_run, PageBounds(11), 0);
        const LogCapture log;
        std::vector<std::uint32_t> recorded;
        for (std::uint32_t item : items) {
            const bool kept = callback.Record(Object(item).get());
            EXPECT_EQ(kept, item != c.item) << row << " item " << item;
            if (kept)
                recorded.push_back(item);
        }
        EXPECT_EQ(recorded.size(), records.GetRecords().size()) << row;
        EXPECT_EQ(
            std::regex_replace(log.text(), std::regex(R"(:\d+\] )"), ":N] "),
            LogCapture::line("ERROR", "ZEPItemCallbacks:ZEPItemInfoCallback::Record:N",
                             "item " + std::to_string(c.item) +
                                 " of class 0xF03005 is left out of the page items: " + c.failure))
            << row;
    }
}

TEST(ZEPPageItemInfoList, KnowsEachRecordedItemByDatabaseAndUIDAcrossTheWholeUIDRange) {
    host::DataBase first("first");
    host::DataBase second("second");
    ZEPPageItemInfoList records;
    const std::uint32_t noted[] = {1, 65535, 65537, 200000, 0xFFFFFFFF};
    for (std::uint32_t uid : noted)
        records.NoteItemRecord(UIDRef(&first, UID(uid)));
    for (std::uint32_t uid : noted) {
        EXPECT_TRUE(records.HasItemRecord(UIDRef(&first, UID(uid)))) << uid;
        EXPECT_FALSE(records.HasItemRecord(UIDRef(&first, UID(uid - 1)))) << uid;
        EXPECT_FALSE(records.HasItemRecord(UIDRef(&second, UID(uid)))) << uid;
    }
    EXPECT_FALSE(records.HasItemRecord(UIDRef(&first, UID(131072))));
}

TEST_F(ItemCallbacksTest, TheDeleterDeletesEmptyItemsButSparesGuidesAndFailsLoudly) {
    const std::string before = host::DumpDocument(*m_document);
    const struct {
        std::optional<ErrorCode> failure;
        std::string thrown;
    } cases[] = {{std::nullopt, "nothing"}, {ErrorCode(0x52E1F), "0x52E1F "}};
    for (const auto& c : cases) {
        if (c.failure)
            host::Faults::Instance().FailProcessCommand(kDeleteCmdBoss, *c.failure);
        ZEPInfinitelySmallItemDeleter deleter(m_walker.get());
        Walk(deleter);
        EXPECT_EQ(Thrown([&] { deleter.DeleteItems(); }), c.thrown);
        EXPECT_EQ(m_document->layout.items.contains(UID(24)), c.failure.has_value());
        for (std::uint32_t kept : {20u, 23u, 25u, 27u})
            EXPECT_TRUE(m_document->layout.items.contains(UID(kept)));
        ErrorUtils::PMSetGlobalErrorCode(kSuccess);
        if (!c.failure) {
            ASSERT_TRUE(host::Undo());
        }
        EXPECT_EQ(host::DumpDocument(*m_document), before);
    }
}

TEST_F(ItemCallbacksTest, ADeleterThatCollectedNothingRunsNoCommand) {
    host::Faults::Instance().HideInterface(host::kFrameItemBoss, IGeometry::kDefaultIID);
    ZEPInfinitelySmallItemDeleter deleter(m_walker.get());
    Walk(deleter);
    deleter.DeleteItems();
    EXPECT_TRUE(Log(host::Channel::Commands).empty());
}

// A visitor over a walker of its own.
class OwnWalkerVisitor final : public CZEPCallback {
public:
    void Visit(const PMMatrix&, IPMUnknown*, std::int32_t) override { ++m_visits; }
    int m_visits = 0;
};

// The host answers this test relies on: the host makes an item walker unless a fault hides its
// interface, and then makes none.
TEST_F(ItemCallbacksTest, AVisitorMakesItsOwnWalkerOrRefusesWithoutOne) {
    const std::int64_t references = host::LiveReferences();
    {
        OwnWalkerVisitor visitor;
        InterfacePtr<IItemWalker> walker(visitor.GetCallbackObject(), UseDefaultIID{});
        ASSERT_TRUE(walker);
        EXPECT_EQ(visitor.GetCallbackObject(), visitor.GetHeldObject());
        InterfacePtr<IShape> spread(Ref(10), UseDefaultIID{});
        walker->Walk(PMMatrix(), GetUIDRef(spread.get()), &visitor, 20);
        EXPECT_GT(visitor.m_visits, 0);
    }
    EXPECT_EQ(host::LiveReferences(), references);
    host::Faults::Instance().HideInterface(kItemWalkerBoss, IItemWalker::kDefaultIID);
    EXPECT_EQ(Thrown([] { OwnWalkerVisitor visitor; }), "0x52E1E (theWalker) == NULL");
}

} // namespace
