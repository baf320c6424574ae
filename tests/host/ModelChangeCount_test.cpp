// The model's change count (host/standin/Command.h): whatever road a change of a document takes,
// the count moves; reading the model and setting the session's own EPS preferences leave it.
#include "host/sdk/EPSExport.h"
#include "host/sdk/Errors.h"
#include "host/sdk/PlugIn.h"
#include "host/sdk/Stream.h"
#include "host/standin/Command.h"
#include "host/standin/Layout.h"
#include "support/SampleLayout.h"

#include <functional>
#include <string>

namespace {

// A persistent facet of the document's workspace: one number, announced by PreDirty before it
// changes.
class INumber : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xE00210};
    virtual void Set(int value) = 0;
};

class Number final : public CPMUnknown<INumber> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(int value) override {
        PreDirty();
        m_value = value;
    }
    void ReadWrite(IPMStream* stream, ImplementationID) { stream->XferInt32(m_value); }

private:
    std::int32_t m_value = 0;
};

// A command whose Do runs the work the test gives it.
class WorkCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Work"); }

protected:
    void Do() override { s_work(); }

public:
    static inline std::function<void()> s_work;
};

constexpr ImplementationID kNumberImpl{0xE00310};
constexpr ImplementationID kWorkCmdImpl{0xE00311};
constexpr ClassID kWorkCmdBoss{0xE00410};
constexpr InterfaceEntry kNumbers[] = {{INumber::kDefaultIID, kNumberImpl}};
constexpr InterfaceEntry kWork[] = {{ICommand::kDefaultIID, kWorkCmdImpl}};
constexpr ClassResource kClasses[] = {{kDocWorkspaceBoss, kNumbers}, {kWorkCmdBoss, kWork}};
const ImplementationRegistration kWorkRegistration{kWorkCmdImpl,
                                                   ImplementationFunctionsOf<WorkCmd>()};
const ImplementationRegistration kRegistration{
    kNumberImpl, PersistentImplementationFunctionsOf<Number>(), &kWorkRegistration};
const PluginResources kResources{kClasses, {}, {}, {}, {}};

class ModelChangeCountTest : public HostTest {
protected:
    void TearDown() override {
        WorkCmd::s_work = nullptr;
        HostTest::TearDown();
    }

public: // for the cases of the table
    // A fresh host with the plug-in and the sample document open.
    void Start() {
        host::UnloadAll();
        host::Reset();
        ASSERT_TRUE(host::Attach(&m_plugin));
        m_document = &host::OpenDocumentDescription(kSampleLayout);
    }

    // Runs the work as a command's Do; the command's result.
    static ErrorCode Run(std::function<void()> work) {
        WorkCmd::s_work = std::move(work);
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kWorkCmdBoss));
        return CmdUtils::ProcessCommand(command.get());
    }
    void SetMargins(PMReal left) const {
        host::SetPageMargins(*m_document, UID(11), {left, 0, 0, 0});
    }
    void SetNumber(int value) const {
        InterfacePtr<INumber> number(m_document->WorkspaceRef(), UseDefaultIID{});
        number->Set(value);
    }

    PlugIn m_plugin{PluginID{0xE00000}, &kRegistration, kResources};
    host::Document* m_document = nullptr;
    IAbortableCmdSeq* m_sequence = nullptr;
};

TEST_F(ModelChangeCountTest, EveryRoadOfAChangeMovesTheCountAndReadingLeavesIt) {
    using Test = ModelChangeCountTest;
    const struct {
        const char* road;
        std::function<void(Test&)> before; // not counted
        std::function<void(Test&)> change;
        bool moves;
    } cases[] = {
        {"journaled in a command", {}, [](Test& t) { Run([&t] { t.SetMargins(1); }); }, true},
        {"direct outside any command", {}, [](Test& t) { t.SetMargins(2); }, true},
        {"JournaledSet outside any command (the document's name)",
         {},
         [](Test& t) { t.m_document->Get()->SetName(PMString("Renamed.indd")); },
         true},
        {"a persistent facet's PreDirty in a command",
         {},
         [](Test& t) { Run([&t] { t.SetNumber(3); }); },
         true},
        {"a persistent facet's PreDirty outside any command",
         {},
         [](Test& t) { t.SetNumber(4); },
         true},
        {"an undo", [](Test& t) { ASSERT_EQ(Run([&t] { t.SetMargins(5); }), kSuccess); },
         [](Test&) { EXPECT_TRUE(host::Undo()); }, true},
        {"an abort's rollback",
         [](Test& t) {
             t.m_sequence = CmdUtils::BeginAbortableCmdSeq();
             ASSERT_EQ(Run([&t] { t.SetMargins(6); }), kSuccess);
         },
         [](Test& t) { CmdUtils::AbortCommandSequence(t.m_sequence); }, true},
        {"a failed command's rollback",
         {},
         [](Test& t) {
             EXPECT_EQ(Run([&t] {
                           t.SetMargins(7);
                           ErrorUtils::PMSetGlobalErrorCode(kFailure);
                       }),
                       kFailure);
             ErrorUtils::PMSetGlobalErrorCode(kSuccess);
         },
         true},
        {"items deleted outside any command",
         {},
         [](Test& t) { host::DeleteItems(*t.m_document, {UID(20)}); },
         true},
        {"a facet attached to a stored object",
         {},
         [](Test& t) {
             Boss* workspace = t.m_document->db->GetBoss(t.m_document->workspace);
             workspace->AttachFacet(IValuePairPrefs::kDefaultIID,
                                    host::NewValuePairPrefsFacet(workspace));
         },
         true},
        {"another document opened", {}, [](Test&) { host::NewDocument("Other.indd"); }, true},
        {"the front document changed", [](Test&) { host::NewDocument("Other.indd"); },
         [](Test& t) { host::SetFrontDocument(t.m_document); }, true},
        {"the document read and dumped",
         {},
         [](Test& t) {
             static_cast<void>(host::DumpDocument(*t.m_document));
             static_cast<void>(host::DumpWorkspaceFacets(*t.m_document));
         },
         false},
        {"the session's EPS preferences set by their command",
         {},
         [](Test&) {
             InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kEPSExportPrefsCmdBoss));
             InterfacePtr<IEPSExportPrefsCmdData> data(command, UseDefaultIID{});
             data->SetOption(5, 4);
             EXPECT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.road);
        Start();
        if (c.before)
            c.before(*this);
        const std::uint64_t before = host::ModelChangeCount();
        c.change(*this);
        EXPECT_EQ(host::ModelChangeCount() != before, c.moves);
    }
}

} // namespace
