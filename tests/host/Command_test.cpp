#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Faults.h"
#include "support/HostFixture.h"

#include <stdexcept>

namespace {

// The model a test command changes: one journaled number.
int gValue = 0;
// What the next Do does after setting the value.
enum class Outcome { Succeed, LeaveError, Throw } gOutcome = Outcome::Succeed;
int gNextValue = 0;

class SetValueCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("SetValue"); }

protected:
    void Do() override {
        host::JournaledSet(gValue, gNextValue);
        if (gOutcome == Outcome::LeaveError)
            ErrorUtils::PMSetGlobalErrorCode(ErrorCode{42});
        if (gOutcome == Outcome::Throw)
            throw std::runtime_error("boom");
    }
};

constexpr ClassID kSetValueCmdBoss{0xE00100};
constexpr ImplementationID kSetValueCmdImpl{0xE00101};

class CommandTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        gValue = 0;
        gOutcome = Outcome::Succeed;
        host::ObjectModel::Instance().RegisterImplementation(
            PluginID{0}, kSetValueCmdImpl, ImplementationFunctionsOf<SetValueCmd>());
        host::ObjectModel::Instance().AddToClass(kSetValueCmdBoss,
                                                 {{ICommand::kDefaultIID, kSetValueCmdImpl}});
    }

    static ErrorCode Set(int value, Outcome outcome = Outcome::Succeed,
                         int undoability = ICommand::kRegularUndo) {
        gNextValue = value;
        gOutcome = outcome;
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kSetValueCmdBoss));
        command->SetUndoability(undoability);
        return CmdUtils::ProcessCommand(command.get());
    }
};

TEST_F(CommandTest, ProcessCommandReturnsTheCodeDoLeftAndRollsBack) {
    EXPECT_EQ(Set(5), kSuccess);
    EXPECT_EQ(Set(6, Outcome::LeaveError), ErrorCode{42});
    EXPECT_EQ(gValue, 5);
    EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), ErrorCode{42});
    // While that error is pending, nothing runs.
    EXPECT_EQ(Set(7), ErrorCode{42});
    EXPECT_EQ(gValue, 5);
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    EXPECT_THROW(Set(8, Outcome::Throw), std::runtime_error);
    EXPECT_EQ(gValue, 5);
    EXPECT_EQ(Log(host::Channel::Commands),
              (std::vector<std::string>{"SetValue 0xE00100 -> 0x0", "SetValue 0xE00100 -> 0x2A",
                                        "SetValue 0xE00100 -> skipped 0x2A",
                                        "SetValue 0xE00100 -> threw"}));
}

TEST_F(CommandTest, TheObserverSeesCommandsBeforeTheyRunAndSequencesAsTheyEnd) {
    std::vector<std::string> seen;
    host::SetCommandObserver(
        {[&](ICommand& command) {
             seen.push_back(command.CreateName().GetUTF8String() + " at " + std::to_string(gValue));
         },
         [&](const ICommandSequence& sequence, bool kept, int open) {
             seen.push_back(sequence.GetName().GetUTF8String() + (kept ? " kept" : " undone") +
                            ", open " + std::to_string(open) + " at " + std::to_string(gValue));
         }});
    ICommandSequence* outer = CmdUtils::BeginCommandSequence();
    outer->SetName(PMString("outer"));
    IAbortableCmdSeq* inner = CmdUtils::BeginAbortableCmdSeq();
    inner->SetName(PMString("inner"));
    ASSERT_EQ(Set(1), kSuccess);
    CmdUtils::AbortCommandSequence(inner);
    ASSERT_EQ(Set(2), kSuccess);
    ErrorUtils::PMSetGlobalErrorCode(ErrorCode{42});
    EXPECT_EQ(Set(3), ErrorCode{42}); // skipped: not seen
    EXPECT_EQ(CmdUtils::EndCommandSequence(outer), ErrorCode{42});
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    ICommandSequence* last = CmdUtils::BeginCommandSequence();
    last->SetName(PMString("last"));
    EXPECT_EQ(CmdUtils::EndCommandSequence(last), kSuccess);
    EXPECT_EQ(seen, (std::vector<std::string>{"SetValue at 0", "inner undone, open 1 at 0",
                                              "SetValue at 0", "outer undone, open 0 at 0",
                                              "last kept, open 0 at 0"}));
}

TEST_F(CommandTest, SequencesKeepOrRollBackEverythingInside) {
    ICommandSequence* kept = CmdUtils::BeginCommandSequence();
    kept->SetName(PMString("kept"));
    ASSERT_EQ(Set(1), kSuccess);
    EXPECT_EQ(CmdUtils::EndCommandSequence(kept), kSuccess);
    EXPECT_EQ(gValue, 1);

    ICommandSequence* failed = CmdUtils::BeginCommandSequence();
    ASSERT_EQ(Set(2), kSuccess);
    ASSERT_EQ(Set(3), kSuccess);
    ErrorUtils::PMSetGlobalErrorCode(ErrorCode{9});
    EXPECT_EQ(CmdUtils::EndCommandSequence(failed), ErrorCode{9});
    EXPECT_EQ(gValue, 1);
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);

    IAbortableCmdSeq* outer = CmdUtils::BeginAbortableCmdSeq();
    ASSERT_EQ(Set(4), kSuccess);
    IAbortableCmdSeq* inner = CmdUtils::BeginAbortableCmdSeq();
    ASSERT_EQ(Set(5), kSuccess);
    EXPECT_THROW(CmdUtils::AbortCommandSequence(outer), std::logic_error);
    CmdUtils::AbortCommandSequence(inner);
    EXPECT_EQ(gValue, 4);
    CmdUtils::AbortCommandSequence(outer);
    EXPECT_EQ(gValue, 1);
    EXPECT_EQ(host::OpenSequenceCount(), 0);
}

TEST_F(CommandTest, DirectChangesOutsideCommandsStayAfterAnAbort) {
    int other = 0;
    IAbortableCmdSeq* sequence = CmdUtils::BeginAbortableCmdSeq();
    ASSERT_EQ(Set(1), kSuccess);
    host::JournaledSet(other, 10); // inside the sequence but outside any command: direct
    CmdUtils::AbortCommandSequence(sequence);
    EXPECT_EQ(gValue, 0);
    EXPECT_EQ(other, 10);
    EXPECT_FALSE(host::Undo());
}

TEST_F(CommandTest, UndoRestoresTheStateBeforeEachStepAndMergesUndoabilityZero) {
    ASSERT_EQ(Set(1), kSuccess);
    ASSERT_EQ(Set(2), kSuccess);
    ASSERT_EQ(Set(3, Outcome::Succeed, ICommand::kAutoUndo), kSuccess); // part of the step before
    EXPECT_EQ(host::UndoStepNames(), (std::vector<std::string>{"SetValue", "SetValue"}));
    EXPECT_TRUE(host::Undo());
    EXPECT_EQ(gValue, 1);
    EXPECT_TRUE(host::Undo());
    EXPECT_EQ(gValue, 0);
    EXPECT_FALSE(host::Undo());
}

TEST_F(CommandTest, FaultsStopCreationAndProcessing) {
    host::Faults::Instance().FailCreateCommand(kSetValueCmdBoss);
    EXPECT_EQ(CmdUtils::CreateCommand(kSetValueCmdBoss), nullptr);
    host::Faults::Instance().Reset();
    host::Faults::Instance().FailProcessCommand(kSetValueCmdBoss, ErrorCode{13});
    EXPECT_EQ(Set(1), ErrorCode{13});
    EXPECT_EQ(gValue, 0);
    host::Faults::Instance().FailAbortableSequences();
    EXPECT_EQ(CmdUtils::BeginAbortableCmdSeq(), nullptr);
}

} // namespace
