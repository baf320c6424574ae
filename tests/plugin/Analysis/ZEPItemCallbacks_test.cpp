#include "Analysis/ZEPItemCallbacks.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Database.h"
#include "host/standin/Faults.h"
#include "host/standin/ObjectModel.h"
#include "support/AnalysisFixture.h"
#include "support/Thrown.h"

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
