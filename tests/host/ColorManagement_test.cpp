// Tests of the colour-management stand-in's changes, which undo and aborted sequences must take
// back: the document's CMYK profile and the colour-presets command; and the null answers of
// objects it cannot make. The manager's lists are tested through the plug-in's lookup.
#include "host/standin/ColorManagement.h"

#include "host/standin/Command.h"
#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "support/HostFixture.h"

namespace {

class ColorManagementTest : public HostTest {
protected:
    static InterfacePtr<IColorSettingsUtils> Utils() {
        return InterfacePtr<IColorSettingsUtils>(UtilsBoss::QueryUtils<IColorSettingsUtils>());
    }
    static InterfacePtr<ICMSManager> Manager() {
        return InterfacePtr<ICMSManager>(Utils()->QueryCMSManager());
    }
    // The name of the document's CMYK profile as the manager gives it; "-" for none.
    static std::string CMYKName(IDocument* document) {
        InterfacePtr<IColorProfile> profile(Manager()->QueryDocumentProfile(1, document, 1));
        return profile ? profile->GetName().GetUTF8String() : "-";
    }
};

TEST_F(ColorManagementTest, DocumentProfileChangesAreCommandsThatAbortAndUndoTakeBack) {
    const host::ColorProfileInfo swop{.name = "SWOP", .path = "Z:/p/swop.icc", .data = {1, 2}};
    host::SetInstalledProfiles({swop, {.name = "FOGRA"}});
    IDocument* document = host::NewDocument("ad").Get();
    Manager()->SetDocumentProfile(1, document, PMString("SWOP"), 0, 0);
    InterfacePtr<IColorProfile> profile(Manager()->QueryDocumentProfile(1, document, 1));
    PMString path;
    profile->GetPath(path);
    std::uint32_t count = 0;
    const std::uint8_t* data = profile->GetData(count);
    EXPECT_EQ(path.GetUTF8String(), swop.path);
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + count), swop.data);
    const std::string before = host::DumpDocument(*host::FrontDocument());
    IAbortableCmdSeq* sequence = CmdUtils::BeginAbortableCmdSeq();
    Manager()->SetDocumentProfile(1, document, PMString("FOGRA"), 0, 0);
    EXPECT_EQ(CMYKName(document), "FOGRA");
    CmdUtils::AbortCommandSequence(sequence);
    EXPECT_EQ(CMYKName(document), "SWOP");
    EXPECT_EQ(host::DumpDocument(*host::FrontDocument()), before) << "the new profile object too";
    Manager()->SetDocumentProfile(1, document, PMString("Not installed"), 0, 0);
    Manager()->SetDocumentProfile(2, document, PMString("FOGRA"), 0, 0);
    Manager()->ResetDocumentProfile(2, document);
    EXPECT_EQ(CMYKName(document), "SWOP");
    Manager()->ResetDocumentProfile(1, document);
    EXPECT_EQ(CMYKName(document), "-");
    ASSERT_TRUE(host::Undo());
    EXPECT_EQ(CMYKName(document), "SWOP");
}

TEST_F(ColorManagementTest, AnObjectTheHostCannotMakeIsANullAnswer) {
    host::SetInstalledProfiles({{.name = "SWOP"}});
    host::SetColorPresets({.workingCMYK = "SWOP"});
    InterfacePtr<IColorPresetsSettings> presets(Utils()->QueryColorPresetsSettings());
    host::Faults::Instance().HideInterface(host::kCMSProfileListBoss, ICMSProfileList::kDefaultIID);
    host::Faults::Instance().HideInterface(host::kColorProfileBoss, IColorProfile::kDefaultIID);
    EXPECT_FALSE(InterfacePtr<ICMSProfileList>(
        Manager()->QueryAvailableProfiles(CMSProfileQuery{{3, 7, 3, 1, 6}}, -1)));
    EXPECT_FALSE(InterfacePtr<IColorProfile>(presets->QueryWorkingCMYKProfileObject()));
}

} // namespace
