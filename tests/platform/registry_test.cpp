#include "platform/registry.h"

#include "support/TempFolder.h"
#include "support/Test.h"

#include <cstdlib>

namespace {

const std::u16string kKey = u"HKEY_CURRENT_USER\\SOFTWARE\\Vendor\\App.exe";

} // namespace

TEST(PlatformRegistry, FindsTheFirstLineOfTheKeyAndValueWithoutRegardToCase) {
    TempFolder folder;
    ::setenv("ZEP_REGISTRY", folder.at("registry").c_str(), 1);
    EXPECT_EQ(platform::registryValue(kKey, u""), std::nullopt) << "no file";
    folder.write("registry", "no tabs here\n"
                             "HKEY_CURRENT_USER\\SOFTWARE\\Other\tPath\tZ:/other\n"
                             "hkey_current_user\\software\\vendor\\APP.EXE\t\tZ:/opt/app\tx\n"
                             "HKEY_CURRENT_USER\\SOFTWARE\\Vendor\\App.exe\t\tZ:/second\n"
                             "HKEY_CURRENT_USER\\SOFTWARE\\Vendor\\App.exe\tPath\t\xFF\n"
                             "HKEY_CURRENT_USER\\SOFTWARE\\Vendor\\App.exe\tpath\t\xC3\xA9");
    const std::tuple<std::u16string, std::u16string, std::optional<std::u16string>> cases[] = {
        {kKey, u"", u"Z:/opt/app\tx"}, // the first match; TABs in the value
        {kKey, u"Path", u"\u00E9"},    // a line that is not UTF-8 holds nothing
        {u"HKEY_CURRENT_USER\\SOFTWARE\\Other", u"path", u"Z:/other"},
        {u"HKEY_CURRENT_USER\\SOFTWARE\\Vendor", u"", std::nullopt},
        {kKey, u"Missing", std::nullopt},
    };
    for (const auto& [key, name, value] : cases)
        EXPECT_EQ(platform::registryValue(key, name), value)
            << std::string(name.begin(), name.end());

    folder.write("registry",
                 std::string(1 << 20, '\n') + "HKEY_CURRENT_USER\\SOFTWARE\\Other\tPath\tZ:/o");
    EXPECT_EQ(platform::registryValue(u"HKEY_CURRENT_USER\\SOFTWARE\\Other", u"Path"), std::nullopt)
        << "a file over 1 MiB is taken as damaged";
}

TEST(PlatformRegistry, LivesInTheConfigurationFolderByDefault) {
    TempFolder folder;
    ::unsetenv("ZEP_REGISTRY");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", folder.root().c_str(), 1);
    std::filesystem::create_directories(folder.at(".config/zephrin"));
    folder.write(".config/zephrin/registry", "K\tN\thome\n");
    EXPECT_EQ(platform::registryValue(u"k", u"n"), u"home");
    ::setenv("XDG_CONFIG_HOME", folder.at("xdg").c_str(), 1);
    EXPECT_EQ(platform::registryValue(u"k", u"n"), std::nullopt);
    std::filesystem::create_directories(folder.at("xdg/zephrin"));
    folder.write("xdg/zephrin/registry", "K\tN\txdg\n");
    EXPECT_EQ(platform::registryValue(u"k", u"n"), u"xdg");
}
