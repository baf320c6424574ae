#include "Zephrin_Menu/ZEPMenuFilter.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPStringConversions.h"
#include "host/sdk/IDFile.h"
#include "host/sdk/PlugInList.h"
#include "host/sdk/Session.h"

#include <algorithm>
#include <string>

namespace {

bool IsPluginInstalled(PluginID plugin) {
    InterfacePtr<IPlugInList> plugins(GetExecutionContextSession(), UseDefaultIID{});
    IDFile file;
    return plugins && plugins->GetPluginFile(plugin, file);
}

} // namespace

ZEPMenuFilter::ZEPMenuFilter(IPMUnknown* boss)
    : CPMUnknown<IMenuFilter>(boss),
      m_hasTarnwellPlugin(IsPluginInstalled(kZEPCompanionMenuPluginID)) {}

void ZEPMenuFilter::FilterMenuPath(ActionID /*action*/, PMString& path,
                                   PMReal /*position*/) noexcept {
    if (m_hasTarnwellPlugin)
        static_cast<void>(RunLoggingFailure("ZEPMenuFilter::FilterMenuPath",
                                            "the menu path stays as it is",
                                            [&path] { MoveUnderTarnwell(path); }));
}

void ZEPMenuFilter::MoveUnderTarnwell(PMString& path) {
    std::string text = PMStringToUString(path);
    const std::size_t name = text.find("Zephrin");
    if (name == std::string::npos)
        return;
    const std::size_t segment = text.rfind(':', name);
    if (segment == std::string::npos)
        return;
    const std::size_t next = std::min(text.find(':', name), text.size());
    text.replace(segment, next - segment, ":Tarnwell:Zephrin");
    path.SetUTF8String(text);
}
