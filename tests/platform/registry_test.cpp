#include "platform/registry.h"

#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::u16string kKey = u"HKEY_CURRENT_USER\\SOFTWARE\\Vendor\\App.exe";

} // namespace

TEST(PlatformRegistry, FindsTheFirstLineOfTheKeyAndValueWithoutRegardToCase) {
    TempFolder folder;
    const ScopedEnvironmentVariable registry("ZEP_REGISTRY", folder.at("registry"));
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
}

TEST(PlatformRegistry, ReadsOnlyARegularFileOfAtMostOneMebibyteAndNeverWaits) {
    TempFolder folder;
    const std::string path = folder.at("registry");
    const ScopedEnvironmentVariable registry("ZEP_REGISTRY", path);
    const std::string line = "K\tN\tvalue\n";
    folder.write("good", line);
    const std::tuple<const char*, std::function<void()>, std::optional<std::u16string>> cases[] = {
        {"a link to a regular file", [&] { fs::create_symlink(folder.at("good"), path); },
         u"value"},
        {"exactly 1 MiB",
         [&] { folder.write("registry", line + std::string((1 << 20) - line.size(), '\n')); },
         u"value"},
        {"over 1 MiB: damaged",
         [&] { folder.write("registry", line + std::string(1 << 20, '\n')); }, std::nullopt},
        {"a sparse file of 1 GiB",
         [&] {
             folder.write("registry", line);
             fs::resize_file(path, 1ull << 30);
         },
         std::nullopt},
        {"a FIFO nobody writes", [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, std::nullopt},
        {"a folder", [&] { fs::create_directory(path); }, std::nullopt},
        {"an endless device", [&] { fs::create_symlink("/dev/zero", path); }, std::nullopt},
    };
    for (const auto& [name, make, value] : cases) {
        SCOPED_TRACE(name);
        fs::remove_all(path);
        make();
        auto lookup =
            std::async(std::launch::async, [] { return platform::registryValue(u"k", u"n"); });
        if (lookup.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "the lookup waits";
            ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK)); // lets a FIFO's reader go on
        }
        EXPECT_EQ(lookup.get(), value);
    }
}

TEST(PlatformRegistry, LivesInTheConfigurationFolderByDefault) {
    TempFolder folder;
    ScopedEnvironment environment;
    environment.Unset("ZEP_REGISTRY");
    environment.Unset("XDG_CONFIG_HOME");
    environment.Set("HOME", folder.root());
    std::filesystem::create_directories(folder.at(".config/zephrin"));
    folder.write(".config/zephrin/registry", "K\tN\thome\n");
    EXPECT_EQ(platform::registryValue(u"k", u"n"), u"home");
    environment.Set("XDG_CONFIG_HOME", folder.at("xdg"));
    EXPECT_EQ(platform::registryValue(u"k", u"n"), std::nullopt);
    std::filesystem::create_directories(folder.at("xdg/zephrin"));
    folder.write("xdg/zephrin/registry", "K\tN\txdg\n");
    EXPECT_EQ(platform::registryValue(u"k", u"n"), u"xdg");
}
