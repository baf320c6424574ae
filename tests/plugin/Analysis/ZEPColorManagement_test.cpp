// Tests of the colour-profile services: standard profile files in the vendor folder, the file of
// a host profile, ICC headers and descriptions (version 2 and 4, damaged), whether a job's
// profile is installed, file comparison, the document's CMYK profile and the settings copy.
#include "Analysis/ZEPColorManagement.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/Command.h"
#include "host/standin/ColorManagement.h"
#include "host/standin/Faults.h"
#include "platform/colorprofile.h"
#include "support/IccProfiles.h"
#include "support/PluginFixture.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/Thrown.h"

#include <cerrno>
#include <filesystem>
#include <optional>

namespace {

namespace fs = std::filesystem;

const char* const kSwopName = "US Web Coated (SWOP) v2";

ustring U(const std::string& text) {
    return ustring(text.c_str());
}

class ColorManagement : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        m_environment.Set("ZEP_COMMON_APPDATA", m_folder.root());
    }

    // The system's name of an entry below the folder.
    std::string Sys(const std::string& relative) const { return "Z:" + m_folder.at(relative); }
    std::string Write(const std::string& relative, const std::string& bytes) const {
        fs::create_directories(fs::path(m_folder.at(relative)).parent_path());
        m_folder.write(relative, bytes);
        return Sys(relative);
    }
    std::string WriteIcc(const std::string& relative, const icc::Profile& profile) const {
        return Write(relative, profile.Bytes());
    }
    static std::string CMYKName(const host::Document& document) {
        auto profile = host::DocumentCMYKProfile(document);
        return profile ? profile->name : "-";
    }

    TempFolder m_folder;
    ScopedEnvironment m_environment;
};

TEST_F(ColorManagement, StandardProfilesResolveInTheVendorFolderThenInRecommended) {
    PMString path("kept");
    EXPECT_FALSE(ResolveProfileFile(PMString("sRGB IEC61966-2.1"), path)) << "no folder";
    Write("Adobe/Color/Profiles/sRGB Color Space Profile.icm", "x");
    Write("Adobe/Color/Profiles/USWebCoatedSWOP.icc", "x");
    Write("Adobe/Color/Profiles/Recommended/USWebCoatedSWOP.icc", "x");
    Write("Adobe/Color/Profiles/Recommended/EuroscaleCoated.icc", "x");
    Write("Adobe/Color/Profiles/Custom Profile", "x");
    const struct {
        const char* description;
        std::optional<std::string> file;
    } cases[] = {
        {"sRGB IEC61966-2.1", "Adobe/Color/Profiles/sRGB Color Space Profile.icm"},
        {kSwopName, "Adobe/Color/Profiles/USWebCoatedSWOP.icc"},
        {"Euroscale Coated v2", "Adobe/Color/Profiles/Recommended/EuroscaleCoated.icc"},
        {"us web coated (swop) v2", std::nullopt},
        {"Custom Profile", std::nullopt},
        {"Apple RGB", std::nullopt},
    };
    for (const auto& c : cases) {
        PMString resolved("kept");
        EXPECT_EQ(ResolveProfileFile(PMString(c.description), resolved), c.file.has_value())
            << c.description;
        EXPECT_EQ(resolved.GetUTF8String(), c.file ? Sys(*c.file) : "kept") << c.description;
    }
}

TEST_F(ColorManagement, ProfileFileOfAHostProfileByKindSpaceAndOwnPath) {
    const std::string icm = Write("Adobe/Color/Profiles/sRGB Color Space Profile.icm", "x");
    const std::string swop = Write("Adobe/Color/Profiles/USWebCoatedSWOP.icc", "x");
    const host::Document& document = host::NewDocument("ad");
    const struct {
        host::ColorProfileInfo profile;
        bool found;
        std::string path;
    } cases[] = {
        {{.name = "sRGB IEC61966-2.1", .path = "Z:/own", .colorSpace = 2, .kind = 2},
         false,
         "kept"},
        {{.name = "sRGB IEC61966-2.1", .path = "Z:/own", .colorSpace = 2}, true, icm},
        {{.name = "Apple RGB", .path = "Z:/own", .colorSpace = 2, .kind = 3}, true, "Z:/own"},
        {{.name = "sRGB IEC61966-2.1", .path = "Z:/own"}, true, "Z:/own"},
        {{.name = kSwopName}, true, swop},
        {{.name = "Custom"}, false, ""},
    };
    for (const auto& c : cases) {
        host::SetDocumentCMYKProfile(document, c.profile);
        InterfacePtr<IColorSettingsUtils> utils(UtilsBoss::QueryUtils<IColorSettingsUtils>());
        InterfacePtr<ICMSManager> manager(utils->QueryCMSManager());
        InterfacePtr<IColorProfile> profile(manager->QueryDocumentProfile(1, document.Get(), 1));
        PMString path("kept");
        EXPECT_EQ(GetProfileFile(profile.get(), path), c.found) << c.profile.name;
        EXPECT_EQ(path.GetUTF8String(), c.path) << c.profile.name;
    }
}

TEST_F(ColorManagement, HeaderCodesUnknownSignaturesAndFilesThatAreNoProfile) {
    const auto profile = [this](std::uint32_t deviceClass, std::uint32_t space) {
        return WriteIcc(std::to_string(deviceClass) + "-" + std::to_string(space),
                        {.deviceClass = deviceClass, .colorSpace = space, .description = "d"});
    };
    std::string noMagic = icc::Profile{}.Bytes();
    noMagic[36] = 'x';
    fs::create_directories(m_folder.at("folder"));
    const struct {
        std::string path;
        const char* result; // class and space, or what is thrown
    } cases[] = {
        {profile('link', 'GRAY'), "0 1"},
        {profile('prtr', 'RGB '), "1 2"},
        {profile('scnr', 'CMYK'), "2 3"},
        {profile('mntr', 'Lab '), "3 4"},
        {profile('abst', 'CMYK'), "4 3"},
        {profile('nmcl', 'CMYK'), "5 3"},
        {profile('spac', 'CMYK'), "0x1 Unknown Profile Color Space"},
        {profile('prtr', 'XYZ '), "0x1 Unknown Profile Color Space"},
        {"", "0x52E1F s16.empty()"},
        {Sys("missing.icc"), "0x52E1E (mProfileHandle) == NULL"},
        {Write("cut.icc", icc::Profile{}.Bytes().substr(0, 100)),
         "0x52E1E (mProfileHandle) == NULL"},
        {Write("magic.icc", noMagic), "0x52E1E (mProfileHandle) == NULL"},
        {Sys("folder"), "0x52E1E (mProfileHandle) == NULL"},
    };
    for (const auto& c : cases) {
        ustring description;
        std::int32_t space = -1, deviceClass = -1;
        std::string result =
            Thrown([&] { ReadICCProfileInfo(U(c.path), description, space, deviceClass); });
        if (result == "nothing")
            result = std::to_string(deviceClass) + " " + std::to_string(space);
        EXPECT_EQ(result, c.result) << c.path;
    }
    EXPECT_FALSE(fs::exists(m_folder.at("missing.icc")));
    // The error after the open, which the handle keeps: none once it opened.
    const ICCProfileHandle opened(U(profile('prtr', 'RGB ')));
    EXPECT_EQ(std::pair(opened.IsOpened(), opened.GetLastError()), std::pair(true, 0));
    for (const auto& [path, error] : {std::pair(Sys("missing.icc"), ENOENT),
                                      {Sys("folder"), EISDIR},
                                      {Sys("magic.icc"), EINVAL}}) {
        int lastError = 0;
        EXPECT_EQ(platform::ColorProfile::open(U(path).toWString(), &lastError), nullptr);
        EXPECT_EQ(lastError, error) << path;
    }
}

TEST_F(ColorManagement, DescriptionsOfVersion2And4AndOfDamagedElements) {
    // The description element starts at 144: its type, then 8 bytes before the text or records.
    const std::string header = "desc" + std::string(8, '\0');
    const std::string v4 = icc::Profile{.version = 4, .localized = {{"enUS", u"x"}}}.Bytes();
    std::string hugeCount = v4, textPastElement = v4, pastTheFile = icc::Profile{}.Bytes(),
                outOfRange = pastTheFile;
    icc::PutBigEndian(hugeCount, 144 + 8, 0x7FFFFFFF);
    icc::PutBigEndian(textPastElement, 144 + 16 + 4, 400);
    icc::PutBigEndian(pastTheFile, icc::kDescSizeField, 4096);
    icc::PutBigEndian(outOfRange, icc::kDescOffsetField, 0xFFFFFFF0);
    const struct {
        const char* name;
        std::string bytes;
        const char* description;
    } cases[] = {
        {"version 2, ANSI", icc::Profile{.description = "\x80 Caf\xE9"}.Bytes(),
         "\xE2\x82\xAC Caf\xC3\xA9"},
        {"no NUL before the end", icc::Profile{.descElement = header + "abc"}.Bytes(), "abc"},
        {"NUL inside", icc::Profile{.descElement = header + std::string("ab\0cd", 5)}.Bytes(),
         "ab"},
        {"12 bytes", icc::Profile{.descElement = header}.Bytes(), ""},
        {"size 0", icc::Profile{.descElement = ""}.Bytes(), ""},
        {"missing", icc::Profile{.noDescription = true}.Bytes(), ""},
        {"past the file's end", pastTheFile, ""},
        {"offset out of range", outOfRange, ""},
        {"version 4, en-US",
         icc::Profile{.version = 4, .localized = {{"deDE", u"Profil"}, {"enUS", u"Caf\u00E9"}}}
             .Bytes(),
         "Caf\xC3\xA9"},
        {"version 4, first",
         icc::Profile{.version = 4, .localized = {{"deDE", u"Profil"}, {"enGB", u"Profile"}}}
             .Bytes(),
         "Profil"},
        {"version 4, no record", icc::Profile{.version = 4}.Bytes(), ""},
        {"version 4, huge count", hugeCount, ""},
        {"version 4, text past the element", textPastElement, ""},
    };
    for (const auto& c : cases) {
        ustring description("old");
        std::int32_t space = 0, deviceClass = 0;
        ReadICCProfileInfo(U(Write("p.icc", c.bytes)), description, space, deviceClass);
        EXPECT_EQ(description, c.description) << c.name;
    }
}

TEST_F(ColorManagement, InstalledProfilesAreFoundByDescriptionAndPathOrBytesInTwoPasses) {
    const icc::Profile swop{.description = kSwopName};
    const std::string job = WriteIcc("job/swop.icc", swop);
    const std::string copy = WriteIcc("installed/swop.icc", swop);
    const std::string other = WriteIcc("other.icc", {.version = 4, .localized = {{"enUS", u"x"}}});
    const std::string v4 = WriteIcc("v4.icc", {.deviceClass = 'mntr',
                                               .colorSpace = 'RGB ',
                                               .version = 4,
                                               .localized = {{"enUS", u"V4"}}});
    const std::string apple = WriteIcc(
        "apple.icc", {.deviceClass = 'mntr', .colorSpace = 'RGB ', .description = "Apple RGB"});
    const std::string spac = WriteIcc("spac.icc", {.deviceClass = 'spac', .description = "x"});
    const std::string empty = WriteIcc("empty.icc", {.descElement = ""});
    fs::create_directories(m_folder.at("folder"));
    using Profiles = std::vector<host::ColorProfileInfo>;
    const auto at = [](const std::string& path) {
        return Profiles{{.name = kSwopName, .path = path}};
    };
    const Profiles v4Listed{{.name = "V4", .path = v4, .colorSpace = 2, .deviceClass = 3}};
    const Profiles otherClass{{.name = kSwopName, .path = job, .deviceClass = 3}};
    const Profiles noFile{{.name = kSwopName}};
    const struct {
        const char* name;
        std::string file;
        Profiles before;
        std::optional<Profiles> after; // what a refresh finds
        ProfileLookupResult result;
        std::size_t calls; // on the manager
    } cases[] = {
        {"same path", job, at(job), {}, 0, 1},
        {"same bytes", job, at(copy), {}, 0, 1},
        {"version 4", v4, v4Listed, {}, 0, 1},
        {"other bytes", job, at(other), {}, 0x52E31, 3},
        {"not listed", job, {}, {}, 0x52E32, 3},
        {"listed for another class", job, otherClass, {}, 0x52E32, 3},
        {"found after the refresh", job, {}, at(copy), 0, 3},
        {"other bytes, then not listed", job, at(other), Profiles{}, 0x52E31, 3},
        {"listed without a file", job, noFile, {}, 0x52E32, 3},
        {"listed file missing", job, at(Sys("gone")), {}, 0x52E34, 1},
        {"listed file unreadable", job, at(Sys("folder")), {}, 0x52E34, 1},
        {"standard RGB", apple, {}, {}, 0, 0},
        {"class 'spac'", spac, {}, {}, 0x52E34, 0},
        {"missing file", Sys("missing.icc"), {}, {}, 0x52E34, 0},
        {"empty description", empty, {}, {}, 0x52E35, 0},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Clear(host::Channel::Calls);
        host::SetInstalledProfiles(c.before);
        if (c.after)
            host::SetProfilesAfterRefresh(*c.after);
        ustring name("old");
        EXPECT_EQ(FindInstalledProfile(U(c.file), name), c.result) << c.name;
        EXPECT_NE(name == "old", c.result == 0) << c.name;
        EXPECT_EQ(Log(host::Channel::Calls).size(), c.calls) << c.name;
    }
    EXPECT_FALSE(fs::exists(m_folder.at("missing.icc")));
    // The query names the file's space and class; the second pass follows a refresh.
    host::Recorder::Instance().Clear(host::Channel::Calls);
    host::SetInstalledProfiles({});
    ustring name;
    EXPECT_EQ(FindInstalledProfile(U(v4), name), 0x52E32u);
    EXPECT_EQ(Log(host::Channel::Calls),
              (std::vector<std::string>{"AvailableProfiles 3 7 2 3 6 -1", "RefreshProfiles -1",
                                        "AvailableProfiles 3 7 2 3 6 -1"}));
    host::Faults::Instance().HideInterface(host::kUtilsBoss, IColorSettingsUtils::kDefaultIID);
    EXPECT_EQ(FindInstalledProfile(U(job), name), 0x52E34u);
}

TEST_F(ColorManagement, FilesCompareByTheirBytesAndFailWhenTheyCannotBeRead) {
    std::string long1(3000, 'a'), long2 = long1;
    long2[2500] = 'b';
    const std::string abc = Write("abc", "abc"), ab = Write("ab", "ab"), empty = Write("e", "");
    fs::create_directories(m_folder.at("folder"));
    const struct {
        std::string a, b;
        const char* result; // the sign, or what is thrown
    } cases[] = {
        {abc, Write("abc2", "abc"), "0"},
        {ab, abc, "-1"},
        {abc, ab, "1"},
        {empty, empty, "0"},
        {Write("long1", long1), Write("long2", long2), "-1"},
        {Sys("none"), abc, "0x52E1E (theFileA) == NULL"},
        {abc, Sys("none"), "0x52E1E (theFileB) == NULL"},
        {Sys("folder"), Sys("folder"), "0x52E1F ferror(theFileA)"},
        {abc, Sys("folder"), "0x52E1F ferror(theFileB)"},
    };
    for (const auto& c : cases) {
        std::int32_t order = 0;
        std::string result = Thrown([&] { order = CompareFiles(U(c.a), U(c.b)); });
        if (result == "nothing")
            result = std::to_string((order > 0) - (order < 0));
        EXPECT_EQ(result, c.result) << c.a << " " << c.b;
    }
}

TEST_F(ColorManagement, DocumentProfileIsSetOnlyWhenItChanges) {
    host::SetInstalledProfiles({{.name = "SWOP"}, {.name = "FOGRA"}});
    host::Document& document = host::NewDocument("ad");
    host::SetDocumentCMYKProfile(document, host::ColorProfileInfo{.name = "SWOP"});
    SetDocumentProfile(document.Get(), "SWOP", nullptr);
    EXPECT_TRUE(Log(host::Channel::Calls).empty());
    SetDocumentProfile(document.Get(), "FOGRA", nullptr);
    EXPECT_EQ(CMYKName(document), "FOGRA");
    ResetDocumentProfile(document.Get());
    EXPECT_EQ(CMYKName(document), "FOGRA") << "colour management is on";
    host::SetColorManagementOn(false);
    ResetDocumentProfile(document.Get());
    EXPECT_EQ(CMYKName(document), "-");
    EXPECT_EQ(
        Log(host::Channel::Calls),
        (std::vector<std::string>{"SetDocumentProfile 1 \"FOGRA\" 0 0", "ResetDocumentProfile 1"}));
    host::Faults::Instance().HideInterface(host::kUtilsBoss, IColorSettingsUtils::kDefaultIID);
    EXPECT_EQ(Thrown([&] { SetDocumentProfile(document.Get(), "SWOP", nullptr); }),
              "0x52E1E (iCMSManager) == NULL");
}

TEST_F(ColorManagement, EverySettingIsCopiedIntoThePresetsCommand) {
    const host::ColorPresets presets{"RGB", "CMYK", "Engine", 3, true};
    host::SetColorPresets(presets);
    InterfacePtr<IColorSettingsUtils> utils(UtilsBoss::QueryUtils<IColorSettingsUtils>());
    InterfacePtr<IColorPresetsSettings> settings(utils->QueryColorPresetsSettings());
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kColorPresetsCmdBoss));
    InterfacePtr<IColorPresetsSettingsData> data(command.get(), UseDefaultIID{});
    CopyColorSettings(settings.get(), data.get());
    host::SetColorPresets({});
    ASSERT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
    EXPECT_EQ(host::GetColorPresets(), presets);
}

} // namespace
