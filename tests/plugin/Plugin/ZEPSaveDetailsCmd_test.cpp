// Tests of the save-details command: a missing command, job list or target fails it without
// touching the document (what it stores and its undo step are tested through 'savY').
#include "Plugin/ZEPSaveDetailsCmd.h"

#include "Plugin/IZEPJobList.h"
#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Faults.h"
#include "support/JobSamples.h"
#include "support/PluginFixture.h"
#include "support/Thrown.h"

namespace {

class SaveDetailsCmd : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        m_document = &host::NewDocument("ad");
        m_stored = InterfacePtr<IZEPJobList>(m_document->WorkspaceRef(), UseDefaultIID{});
        ASSERT_TRUE(m_stored);
        ASSERT_TRUE(m_stored->IsStoredInDatabase());
    }

    // Saves the sample job named `name` into the document: the command's result.
    ErrorCode Save(const std::string& name) {
        InterfacePtr<ICommand> command = CreateSaveDetailsCmd(m_document->Get());
        InterfacePtr<IZEPJobList> source(command, UseDefaultIID{});
        if (source)
            source->SetFromString(sampleJobBytes(name), false);
        return CmdUtils::ProcessCommand(command.get());
    }
    std::string Stored() {
        std::string text;
        m_stored->GetAsString(text, false);
        return text;
    }

    host::Document* m_document = nullptr;
    InterfacePtr<IZEPJobList> m_stored;
};

TEST_F(SaveDetailsCmd, MissingObjectsFailItAndLeaveTheDocument) {
    const std::string before = Stored();
    host::Faults& faults = host::Faults::Instance();
    const std::function<void()> faultsToCheck[] = {
        [&] { faults.HideInterface(kZEPSaveDetailsCmdBoss, IID_IZEPJOBLIST); },
        [&] { faults.HideInterface(kDocWorkspaceBoss, IID_IZEPJOBLIST); },
    };
    for (const auto& inject : faultsToCheck) {
        faults.Reset();
        inject();
        EXPECT_EQ(Save("new"), ErrorCode(0x52E1E));
        ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    }
    faults.Reset();
    faults.FailCreateCommand(kZEPSaveDetailsCmdBoss);
    EXPECT_EQ(Thrown([&] { CreateSaveDetailsCmd(m_document->Get()); }),
              "0x52E1E (theSaveDetailsCmd) == NULL");
    EXPECT_EQ(Stored(), before);
    EXPECT_TRUE(host::UndoStepNames().empty());
}

} // namespace
