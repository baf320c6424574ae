// Tests of the colour-profile services: standard profile files in the vendor folder, the file of
// a host profile, ICC headers and descriptions (version 2 and 4, damaged), whether a job's
// profile is installed, file comparison, the document's CMYK profile and the settings copy.
#include "Analysis/ZEPColorManagement.h"

#include "Plugin/CZEPException.h"
#include "host/Command.h"
#include "host/Faults.h"
#include "support/IccProfiles.h"
#include "support/PluginFixture.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

namespace {

namespace fs = std::filesystem;

const char* const kSwopName = "US Web Coated (SWOP) v2";

class ColorManagement : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        ::setenv("ZEP_COMMON_APPDATA", m_folder.root().c_str(), 1);
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
    static std::uint32_t CodeOf(const std::function<void()>& work, std::string& message) {
        try {
            work();
        } catch (const CZEPException& exception) {
            message = exception.message().c_str();
            return exception.code();
        }
        return 0;
    }
    static std::string CMYKName(const host::Document& document) {
        auto profile = host::DocumentCMYKProfile(document);
        return profile ? profile->name : "-";
    }

    TempFolder m_folder;
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
        {{.name = "sRGB IEC61966-2.1", .path = "Z:/own.icc", .colorSpace = 2, .kind = 2},
         false,
         "kept"},
        {{.name = "sRGB IEC61966-2.1", .path = "Z:/own.icc", .colorSpace = 2}, true, icm},
        {{.name = "Apple RGB", .path = "Z:/own.icc", .colorSpace = 2, .kind = 3},
         true,
         "Z:/own.icc"},
        {{.name = "sRGB IEC61966-2.1", .path = "Z:/own.icc"}, true, "Z:/own.icc"},
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

TEST_F(ColorManagement, HeaderCodesAndUnknownSignatures) {
    const struct {
        std::uint32_t deviceClass, colorSpace;
        std::int32_t classCode, spaceCode;
    } cases[] = {
        {'link', 'GRAY', 0, 1},  {'prtr', 'RGB ', 1, 2},  {'scnr', 'CMYK', 2, 3},
        {'mntr', 'Lab ', 3, 4},  {'abst', 'CMYK', 4, 3},  {'nmcl', 'CMYK', 5, 3},
        {'spac', 'CMYK', -1, 3}, {'prtr', 'XYZ ', 1, -1},
    };
    for (const auto& c : cases) {
        const ustring path(
            WriteIcc("p.icc",
                     {.deviceClass = c.deviceClass, .colorSpace = c.colorSpace, .description = "d"})
                .c_str());
        ustring description;
        std::int32_t space = 9, deviceClass = 9;
        std::string message;
        const std::uint32_t code =
            CodeOf([&] { ReadICCProfileInfo(path, description, space, deviceClass); }, message);
        if (c.classCode < 0 || c.spaceCode < 0) {
            EXPECT_EQ(code, 1u) << c.deviceClass;
            EXPECT_EQ(message, "Unknown Profile Color Space");
            continue;
        }
        EXPECT_EQ(code, 0u) << message;
        EXPECT_EQ(deviceClass, c.classCode) << c.deviceClass;
        EXPECT_EQ(space, c.spaceCode) << c.colorSpace;
        EXPECT_EQ(description, "d");
    }
}

TEST_F(ColorManagement, DescriptionsOfVersion2And4AndOfDamagedElements) {
    const std::string header = "desc" + std::string(8, '\0');
    std::string hugeCount = icc::Profile{.version = 4, .localized = {{"enUS", u"x"}}}.Bytes();
    icc::PutBigEndian(hugeCount, 144 + 8, 0x7FFFFFFF);
    std::string textPastElement = icc::Profile{.version = 4, .localized = {{"enUS", u"x"}}}.Bytes();
    icc::PutBigEndian(textPastElement, 144 + 16 + 4, 400);
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
        const ustring path(Write("p.icc", c.bytes).c_str());
        ustring description("old");
        std::int32_t space = 0, deviceClass = 0;
        ReadICCProfileInfo(path, description, space, deviceClass);
        EXPECT_EQ(description, c.description) << c.name;
    }
}

TEST_F(ColorManagement, OpeningAProfileNeedsAPathAndAnExistingFileAndCreatesNone) {
    const struct {
        ustring path;
        std::uint32_t code;
        const char* message;
    } cases[] = {
        {ustring(), 0x52E1F, "s16.empty()"},
        {ustring(Sys("missing.icc").c_str()), 0x52E1E, "(mProfileHandle) == NULL"},
        {ustring(Write("cut.icc", icc::Profile{}.Bytes().substr(0, 100)).c_str()), 0x52E1E,
         "(mProfileHandle) == NULL"},
    };
    for (const auto& c : cases) {
        std::string message;
        EXPECT_EQ(CodeOf([&] { ICCProfileHandle handle(c.path); }, message), c.code);
        EXPECT_EQ(message, c.message);
    }
    EXPECT_FALSE(fs::exists(m_folder.at("missing.icc")));
}

TEST_F(ColorManagement, InstalledProfilesAreFoundByPathOrBytesInTwoPasses) {
    const icc::Profile swop{.description = kSwopName};
    const std::string job = WriteIcc("job/swop.icc", swop);
    const std::string copy = WriteIcc("installed/swop.icc", swop);
    const std::string other =
        WriteIcc("installed/other.icc", icc::Profile{.version = 4, .localized = {{"enUS", u"x"}}});
    fs::create_directories(m_folder.at("installed/folder"));
    using Profiles = std::vector<host::ColorProfileInfo>;
    const auto at = [](const std::string& path) {
        return host::ColorProfileInfo{.name = kSwopName, .path = path};
    };
    const struct {
        const char* name;
        Profiles before;
        std::optional<Profiles> after;
        ProfileLookupResult result;
        std::size_t calls; // on the manager
    } cases[] = {
        {"same path", {at(job)}, std::nullopt, 0, 1},
        {"same bytes", {at(copy)}, std::nullopt, 0, 1},
        {"other bytes", {at(other)}, std::nullopt, 0x52E31, 3},
        {"not listed", {}, std::nullopt, 0x52E32, 3},
        {"listed for another class",
         {{.name = kSwopName, .path = job, .deviceClass = 3}},
         std::nullopt,
         0x52E32,
         3},
        {"found after the refresh", {}, Profiles{at(copy)}, 0, 3},
        {"other bytes, then not listed", {at(other)}, Profiles{}, 0x52E31, 3},
        {"listed without a file", {{.name = kSwopName}}, std::nullopt, 0x52E32, 3},
        {"listed file missing", {at(Sys("installed/gone.icc"))}, std::nullopt, 0x52E34, 1},
        {"listed file unreadable", {at(Sys("installed/folder"))}, std::nullopt, 0x52E34, 1},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Clear(host::Channel::Calls);
        host::SetInstalledProfiles(c.before);
        if (c.after)
            host::SetProfilesAfterRefresh(*c.after);
        ustring name("old");
        EXPECT_EQ(FindInstalledProfile(ustring(job.c_str()), name), c.result) << c.name;
        EXPECT_EQ(name, c.result == 0 ? kSwopName : "old") << c.name;
        EXPECT_EQ(Log(host::Channel::Calls).size(), c.calls) << c.name;
    }
    EXPECT_EQ(Log(host::Channel::Calls)[0], "AvailableProfiles 3 7 3 1 6 -1");
}

TEST_F(ColorManagement, WhatTheFileAloneDecides) {
    const std::string installed =
        WriteIcc("installed/v4.icc", icc::Profile{.version = 4, .localized = {{"enUS", u"V4"}}});
    host::SetInstalledProfiles({{.name = "V4", .path = installed}});
    const struct {
        const char* name;
        std::string path;
        ProfileLookupResult result;
        bool asksTheHost;
    } cases[] = {
        {"standard RGB",
         WriteIcc("apple.icc",
                  {.deviceClass = 'mntr', .colorSpace = 'RGB ', .description = "Apple RGB"}),
         0, false},
        {"version 4", installed, 0, true},
        {"device class 'spac'", WriteIcc("spac.icc", {.deviceClass = 'spac', .description = "x"}),
         0x52E34, false},
        {"missing file", Sys("missing.icc"), 0x52E34, false},
        {"empty description", WriteIcc("empty.icc", {.descElement = ""}), 0x52E35, false},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Clear(host::Channel::Calls);
        ustring name;
        EXPECT_EQ(FindInstalledProfile(ustring(c.path.c_str()), name), c.result) << c.name;
        EXPECT_EQ(!Log(host::Channel::Calls).empty(), c.asksTheHost) << c.name;
    }
    EXPECT_FALSE(fs::exists(m_folder.at("missing.icc")));

    host::Faults::Instance().HideInterface(host::kUtilsBoss, IColorSettingsUtils::kDefaultIID);
    ustring name;
    EXPECT_EQ(FindInstalledProfile(ustring(installed.c_str()), name), 0x52E34u);
}

TEST_F(ColorManagement, FilesCompareByTheirBytes) {
    std::string long1(3000, 'a'), long2 = long1;
    long2[2500] = 'b';
    const auto path = [this](const char* name, const std::string& bytes) {
        return ustring(Write(name, bytes).c_str());
    };
    const ustring abc = path("abc", "abc"), abc2 = path("abc2", "abc"), ab = path("ab", "ab"),
                  empty = path("empty", ""), a1 = path("long1", long1), a2 = path("long2", long2);
    const struct {
        ustring a, b;
        int sign;
    } cases[] = {{abc, abc2, 0},  {ab, abc, -1},  {abc, ab, 1}, {empty, empty, 0},
                 {empty, ab, -1}, {ab, empty, 1}, {a1, a2, -1}, {a2, a1, 1}};
    for (const auto& c : cases) {
        const std::int32_t order = CompareFiles(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.sign) << c.a.c_str() << " " << c.b.c_str();
    }

    fs::create_directories(m_folder.at("d1"));
    const ustring folder(Sys("d1").c_str()), missing(Sys("none").c_str());
    const struct {
        ustring a, b;
        std::uint32_t code;
        const char* message;
    } failures[] = {
        {missing, abc, 0x52E1E, "(theFileA) == NULL"},
        {abc, missing, 0x52E1E, "(theFileB) == NULL"},
        {folder, folder, 0x52E1F, "ferror(theFileA)"},
        {abc, folder, 0x52E1F, "ferror(theFileB)"},
    };
    for (const auto& f : failures) {
        std::string message;
        EXPECT_EQ(CodeOf([&] { static_cast<void>(CompareFiles(f.a, f.b)); }, message), f.code);
        EXPECT_EQ(message, f.message);
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
    EXPECT_EQ(Log(host::Channel::Calls), (std::vector<std::string>{
                                             "SetDocumentProfile 1 \"FOGRA\" 0 0",
                                             "ResetDocumentProfile 1",
                                         }));

    host::Faults::Instance().HideInterface(host::kUtilsBoss, IColorSettingsUtils::kDefaultIID);
    std::string message;
    EXPECT_EQ(CodeOf([&] { SetDocumentProfile(document.Get(), "SWOP", nullptr); }, message),
              0x52E1Eu);
    EXPECT_EQ(message, "(iCMSManager) == NULL");
}

TEST_F(ColorManagement, EverySettingIsCopiedIntoThePresetsCommand) {
    const host::ColorPresets presets{"RGB", "CMYK", 1, 2, true, "Engine", 3, true};
    host::SetColorPresets(presets);
    InterfacePtr<IColorSettingsUtils> utils(UtilsBoss::QueryUtils<IColorSettingsUtils>());
    InterfacePtr<IColorPresetsSettings> settings(utils->QueryColorPresetsSettings());
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(host::kColorPresetsCmdBoss));
    InterfacePtr<IColorPresetsSettingsData> data(command.get(), UseDefaultIID{});
    CopyColorSettings(settings.get(), data.get());
    host::SetColorPresets({});
    ASSERT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
    EXPECT_EQ(host::GetColorPresets(), presets);
}

} // namespace
