// Tests of the menu filter: the paths it moves under "Tarnwell" when plug-in 0x52E80 is
// installed (asked once per filter), and the plug-in's menus as the host builds them.
#include "Zephrin_Menu/ZEPMenuFilter.h"

#include "Plugin/ZEPID.h"
#include "host/standin/Description.h"
#include "host/standin/Menus.h"
#include "host/standin/PlugInList.h"
#include "support/PluginFixture.h"

#include <string>
#include <vector>

namespace {

class MenuFilter : public PluginTest {
protected:
    static void Install() { host::InstalledPlugins()[kZEPCompanionMenuPluginID] = "Other.pln"; }
    static InterfacePtr<IMenuFilter> NewFilter() {
        return InterfacePtr<IMenuFilter>(
            static_cast<IMenuFilter*>(CreateObject(kZEPMenuFilterBoss, IMenuFilter::kDefaultIID)));
    }
    static std::string Filtered(IMenuFilter& filter, const std::string& path) {
        PMString text(path);
        filter.FilterMenuPath(ActionID{0x52E05}, text, 1);
        return text.GetUTF8String();
    }
};

TEST_F(MenuFilter, MovesTheSegmentWithTheFirstNameUnderTarnwellOnlyWithThePluginInstalled) {
    const std::pair<const char*, const char*> paths[] = {
        {"Main:Zephrin:Fit Page", "Main:Tarnwell:Zephrin:Fit Page"},
        {"Main:Zephrin", "Main:Tarnwell:Zephrin"},
        {"Main:&Zephrin Tools:Item", "Main:Tarnwell:Zephrin:Item"},
        {"Main:Zephrin:About Zephrin", "Main:Tarnwell:Zephrin:About Zephrin"},
        {"Main:Tarnwell:Zephrin:Item", "Main:Tarnwell:Tarnwell:Zephrin:Item"},
        {"Zephrin:Item", "Zephrin:Item"},
        {"Main:zephrin:Item", "Main:zephrin:Item"},
        {"Main:File:Print", "Main:File:Print"},
    };
    InterfacePtr<IMenuFilter> without = NewFilter();
    Install();
    InterfacePtr<IMenuFilter> with = NewFilter();
    ASSERT_TRUE(without && with);
    for (const auto& [path, moved] : paths) {
        EXPECT_EQ(Filtered(*with, path), moved) << path;
        EXPECT_EQ(Filtered(*without, path), path) << path; // asked before the install
    }
}

TEST_F(MenuFilter, TheHostFiltersEachOfThePluginsMenuPathsOncePerBuild) {
    const std::vector<std::string> resources{
        "0x52E05 Main:&Zephrin:Job Details...", "0x52E0D Main:&Zephrin:Job List...",
        "0x52E06 Main:&Zephrin:Adjust to Job",  "0x52E0B Main:&Zephrin:Selection-Based Exports",
        "0x52E0C Main:&Zephrin:Common Sizing",  "0x52E03 Main:&Zephrin:About Zephrin..."};
    EXPECT_EQ(host::BuildMenus(), resources);
    host::LoadSessionDescription(
        R"({"kind": "session", "plugins": [{"id": "0x52E80", "file": "Other.pln"}]})");
    std::vector<std::string> moved;
    for (std::string item : resources)
        moved.push_back(item.replace(item.find("&Zephrin"), 8, "Tarnwell:Zephrin"));
    EXPECT_EQ(host::BuildMenus(), moved);
    EXPECT_EQ(host::BuildMenus(), moved);
}

} // namespace
