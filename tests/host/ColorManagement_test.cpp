// Tests of the colour-management stand-in: the manager's lists by query and after a refresh, the
// document's CMYK profile changed through commands that abort and undo take back, and the
// colour-presets command.
#include "host/ColorManagement.h"

#include "host/Command.h"
#include "support/HostFixture.h"

namespace {

class ColorManagementTest : public HostTest {
protected:
    static InterfacePtr<ICMSManager> Manager() {
        InterfacePtr<IColorSettingsUtils> utils(UtilsBoss::QueryUtils<IColorSettingsUtils>());
        return InterfacePtr<ICMSManager>(utils->QueryCMSManager());
    }
    static InterfacePtr<ICMSProfileList> List(std::int32_t space, std::int32_t deviceClass) {
        return InterfacePtr<ICMSProfileList>(
            Manager()->QueryAvailableProfiles({{3, 7, space, deviceClass, 6}}, -1));
    }
    // The name of the document's CMYK profile as the manager gives it; "-" for none.
    static std::string CMYKName(IDocument* document) {
        InterfacePtr<IColorProfile> profile(Manager()->QueryDocumentProfile(1, document, 1));
        return profile ? profile->GetName().GetUTF8String() : "-";
    }
};

const host::ColorProfileInfo kSwop{.name = "SWOP", .path = "Z:/p/swop.icc", .data = {1, 2, 3}};
const host::ColorProfileInfo kNoFile{.name = "No file"};
const host::ColorProfileInfo kSRGB{.name = "sRGB", .colorSpace = 2, .deviceClass = 3};

TEST_F(ColorManagementTest, ListsHoldTheKnownProfilesOfTheQuerysSpaceAndClass) {
    host::SetInstalledProfiles({kSwop, kSRGB, kNoFile, {.name = "SWOP", .path = "Z:/p/other"}});
    auto cmyk = List(3, 1);
    EXPECT_EQ(cmyk->FindProfile(PMString("SWOP")), 0);
    EXPECT_EQ(cmyk->FindProfile(PMString("No file")), 1);
    EXPECT_EQ(cmyk->FindProfile(PMString("sRGB")), -1);
    EXPECT_EQ(cmyk->FindProfile(PMString("swop")), -1);
    EXPECT_EQ(List(2, 3)->FindProfile(PMString("sRGB")), 0);
    EXPECT_EQ(List(2, 1)->FindProfile(PMString("sRGB")), -1);

    const struct {
        std::int32_t index;
        bool found;
        std::string path;
    } paths[] = {{0, true, "Z:/p/swop.icc"},
                 {2, true, "Z:/p/other"},
                 {1, false, "kept"},
                 {3, false, "kept"},
                 {-1, false, "kept"}};
    for (const auto& c : paths) {
        PMString path("kept");
        EXPECT_EQ(cmyk->GetProfilePath(c.index, path), c.found) << c.index;
        EXPECT_EQ(path.GetUTF8String(), c.path) << c.index;
    }
    EXPECT_EQ(Log(host::Channel::Calls)[0], "AvailableProfiles 3 7 3 1 6 -1");
}

TEST_F(ColorManagementTest, ARefreshFindsTheProfilesSetForIt) {
    host::SetInstalledProfiles({kNoFile});
    host::SetProfilesAfterRefresh({kSwop});
    auto before = List(3, 1);
    Manager()->RefreshProfiles(-1);
    EXPECT_EQ(before->FindProfile(PMString("SWOP")), -1);
    EXPECT_EQ(List(3, 1)->FindProfile(PMString("SWOP")), 0);
    EXPECT_EQ(List(3, 1)->FindProfile(PMString("No file")), -1);
    EXPECT_EQ(Log(host::Channel::Calls),
              (std::vector<std::string>{"AvailableProfiles 3 7 3 1 6 -1", "RefreshProfiles -1",
                                        "AvailableProfiles 3 7 3 1 6 -1",
                                        "AvailableProfiles 3 7 3 1 6 -1"}));

    host::SetInstalledProfiles({kNoFile});
    Manager()->RefreshProfiles(-1);
    EXPECT_EQ(List(3, 1)->FindProfile(PMString("No file")), 0);
}

TEST_F(ColorManagementTest, DocumentProfileChangesAreCommandsThatAbortAndUndoTakeBack) {
    host::SetInstalledProfiles({kSwop, kNoFile});
    host::Document& document = host::NewDocument("ad");
    IDocument* doc = document.Get();
    EXPECT_EQ(CMYKName(doc), "-");

    Manager()->SetDocumentProfile(1, doc, PMString("SWOP"), 0, 0);
    EXPECT_EQ(host::DocumentCMYKProfile(document), kSwop);
    InterfacePtr<IColorProfile> profile(Manager()->QueryDocumentProfile(1, doc, 1));
    PMString path;
    profile->GetPath(path);
    std::uint32_t count = 0;
    const std::uint8_t* data = profile->GetData(count);
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + count), kSwop.data);
    EXPECT_EQ(path.GetUTF8String(), kSwop.path);
    EXPECT_EQ(profile->GetProfileKind(), 1);
    EXPECT_EQ(profile->GetColorSpace(), 3);

    IAbortableCmdSeq* sequence = CmdUtils::BeginAbortableCmdSeq();
    Manager()->SetDocumentProfile(1, doc, PMString("No file"), 0, 0);
    EXPECT_EQ(CMYKName(doc), "No file");
    CmdUtils::AbortCommandSequence(sequence);
    EXPECT_EQ(CMYKName(doc), "SWOP");

    Manager()->SetDocumentProfile(1, doc, PMString("Not installed"), 0, 0);
    Manager()->SetDocumentProfile(2, doc, PMString("No file"), 0, 0);
    Manager()->ResetDocumentProfile(2, doc);
    EXPECT_EQ(CMYKName(doc), "SWOP");
    Manager()->ResetDocumentProfile(1, doc);
    EXPECT_EQ(CMYKName(doc), "-");
    ASSERT_TRUE(host::Undo());
    EXPECT_EQ(CMYKName(doc), "SWOP");
    EXPECT_EQ(Log(host::Channel::Calls),
              (std::vector<std::string>{"SetDocumentProfile 1 \"SWOP\" 0 0",
                                        "SetDocumentProfile 1 \"No file\" 0 0",
                                        "SetDocumentProfile 1 \"Not installed\" 0 0",
                                        "SetDocumentProfile 2 \"No file\" 0 0",
                                        "ResetDocumentProfile 2", "ResetDocumentProfile 1"}));
}

TEST_F(ColorManagementTest, ThePresetsCommandAppliesItsDataAndUndoRestoresIt) {
    const host::ColorPresets before{.workingRGB = "sRGB", .rgbPolicy = 1};
    host::SetColorPresets(before);
    host::SetColorManagementOn(false);
    InterfacePtr<IColorSettingsUtils> utils(UtilsBoss::QueryUtils<IColorSettingsUtils>());
    InterfacePtr<IColorPresetsSettings> settings(utils->QueryColorPresetsSettings());

    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(host::kColorPresetsCmdBoss));
    InterfacePtr<IColorPresetsSettingsData> data(command.get(), UseDefaultIID{});
    data->SetColorManagementOn(true);
    data->SetWorkingCMYKProfile(PMString("SWOP"));
    data->SetBlackPointCompensation(true);
    ASSERT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
    EXPECT_TRUE(utils->IsColorManagementOn());
    EXPECT_EQ(host::GetColorPresets(),
              (host::ColorPresets{.workingCMYK = "SWOP", .blackPointCompensation = true}));
    PMString name;
    settings->GetWorkingCMYKProfile(name);
    EXPECT_EQ(name.GetUTF8String(), "SWOP");

    ASSERT_TRUE(host::Undo());
    EXPECT_FALSE(utils->IsColorManagementOn());
    EXPECT_EQ(host::GetColorPresets(), before);
}

} // namespace
