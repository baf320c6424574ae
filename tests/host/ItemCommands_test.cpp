#include "host/sdk/ItemCommands.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Description.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"

namespace {

ErrorCode Group(const host::Document& document, const std::vector<std::uint32_t>& uids) {
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kGroupCmdBoss));
    InterfacePtr<IGroupCmdData> data(command, UseDefaultIID{});
    data->Set(std::make_unique<UIDList>(ListIn(document, uids)));
    const ErrorCode result = CmdUtils::ProcessCommand(command.get());
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    return result;
}

// Spread 10 holds 20, the group 21 (members 22, 23) and 24, back to front; spread 30 holds 32.
TEST_F(HostTest, AGroupTakesTheFrontmostMembersPlaceAndMovesWithItsMembers) {
    host::Document& document = host::OpenDocumentDescription(kSampleLayout);
    const std::string before = host::DumpDocument(document);
    for (const std::vector<std::uint32_t>& refused :
         std::vector<std::vector<std::uint32_t>>{{}, {20, 32}, {22}, {99}})
        EXPECT_EQ(Group(document, refused), kFailure) << refused.size();
    EXPECT_EQ(host::DumpDocument(document), before);

    ASSERT_EQ(Group(document, {24, 20}), kSuccess);
    const host::Layout& layout = document.layout;
    const UID group = layout.spreadData.at(UID(10)).items.back();
    EXPECT_EQ(layout.spreadData.at(UID(10)).items, (std::vector<UID>{UID(21), group}));
    EXPECT_EQ(layout.items.at(group).items, (std::vector<UID>{UID(20), UID(24)}));
    EXPECT_EQ(layout.items.at(UID(20)).parent, group);

    InterfacePtr<ITransformUtils> utils(UtilsBoss::QueryUtils<ITransformUtils>());
    const TransformOrigin origin{PMPoint(10, 10), {}, 0, 1, PMPoint(0, 0)};
    EXPECT_EQ(utils->TransformItems(ListIn(document, {group.Get(), 23}), {}, origin,
                                    {PMMatrix(2, 0, 0, 2, 5, 0), 0, 0}, 2),
              kSuccess);
    // About (10, 10): (x, y) goes to (2x - 5, 2y - 10).
    EXPECT_EQ(*layout.SpreadCoordinateBounds(UID(20), kPathBounds), PMRect(15, 30, 115, 150));
    EXPECT_EQ(*layout.SpreadCoordinateBounds(UID(23), kPathBounds), PMRect(95, 90, 135, 130));
    EXPECT_EQ(utils->TransformItems(ListIn(document, {10}), {}, origin, {}, 2), kFailure);
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    while (host::Undo()) {
    }
    EXPECT_EQ(host::DumpDocument(document), before);
}

} // namespace
