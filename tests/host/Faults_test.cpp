// Tests of the fault switches' recording mode, the file-stream fault that lets openings through,
// the host's own access past hidden interfaces, and the count of live references.
#include "host/sdk/Command.h"
#include "host/sdk/IDFile.h"
#include "host/sdk/Stream.h"
#include "host/standin/Faults.h"
#include "host/standin/ObjectModel.h"
#include "support/HostFixture.h"
#include "support/TempFolder.h"

namespace {

using host::InjectionPoint;
using Kind = InjectionPoint::Kind;

class NothingCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Nothing"); }

protected:
    void Do() override {}
};

constexpr ClassID kNothingCmdBoss{0xE00200};
constexpr ImplementationID kNothingCmdImpl{0xE00201};

class FaultsTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        host::ObjectModel::Instance().RegisterImplementation(
            PluginID{0}, kNothingCmdImpl, ImplementationFunctionsOf<NothingCmd>());
        host::ObjectModel::Instance().AddToClass(kNothingCmdBoss,
                                                 {{ICommand::kDefaultIID, kNothingCmdImpl}});
    }
    static ErrorCode Process() {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kNothingCmdBoss));
        return CmdUtils::ProcessCommand(command.get());
    }
    bool Opens(const std::string& name) const {
        return StreamUtil::CreateFileStreamWrite(IDFile(Path(name))) != nullptr;
    }
    std::u16string Path(const std::string& name) const {
        const std::string path = m_temp.systemPath(name);
        return {path.begin(), path.end()};
    }

    TempFolder m_temp;
};

TEST_F(FaultsTest, RecordingListsEachPointOnceInTheOrderOfItsFirstUse) {
    host::Faults& faults = host::Faults::Instance();
    faults.StartRecording();
    ASSERT_EQ(Process(), kSuccess);
    ASSERT_EQ(Process(), kSuccess); // the class's second command is a point of its own
    for (const char* name : {"a", "b", "a"})
        ASSERT_TRUE(Opens(name));
    CmdUtils::AbortCommandSequence(CmdUtils::BeginAbortableCmdSeq());
    {
        // The host's own bookkeeping sees hidden interfaces and records nothing.
        faults.HideInterface(kNothingCmdBoss, ICommand::kDefaultIID);
        const host::HostOwnAccess own;
        EXPECT_TRUE(InterfacePtr<ICommand>(
            static_cast<ICommand*>(CreateObject(kNothingCmdBoss, ICommand::kDefaultIID))));
        Opens("c");
    }
    const std::vector<InjectionPoint> expected{
        {Kind::CreateCommand, kNothingCmdBoss},
        {Kind::MadeObject, kNothingCmdBoss, ICommand::kDefaultIID},
        {Kind::ProcessCommand, kNothingCmdBoss, {}, {}, 0},
        {Kind::ProcessCommand, kNothingCmdBoss, {}, {}, 1},
        {Kind::FileStream, {}, {}, Path("a"), 0},
        {Kind::FileStream, {}, {}, Path("b"), 1},
        {Kind::AbortableSequence}};
    EXPECT_EQ(faults.StopRecording(), expected);
    EXPECT_FALSE(InterfacePtr<ICommand>(
        static_cast<ICommand*>(CreateObject(kNothingCmdBoss, ICommand::kDefaultIID))));
}

TEST_F(FaultsTest, FileStreamsFailAfterTheOpeningsLetThrough) {
    host::Faults::Instance().FailFileStreams(2);
    std::vector<bool> opened;
    for (const char* name : {"a", "b", "c", "d"})
        opened.push_back(Opens(name));
    EXPECT_EQ(opened, (std::vector<bool>{true, true, false, false}));
}

TEST_F(FaultsTest, LiveReferencesCountEveryReferenceHeldOnABoss) {
    const std::int64_t before = host::LiveReferences();
    {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kNothingCmdBoss));
        InterfacePtr<ICommand> again(command.get(), UseDefaultIID{});
        EXPECT_EQ(host::LiveReferences(), before + 2);
    }
    EXPECT_EQ(host::LiveReferences(), before);
}

} // namespace
