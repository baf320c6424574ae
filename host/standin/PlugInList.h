// The stand-in's list of installed plug-ins (host/sdk/PlugInList.h).
#pragma once

#include "host/sdk/PlugInList.h"

#include <map>
#include <string>

namespace host {

// The installed plug-ins and their files (UTF-8, in the host's path form).
std::map<PluginID, std::string>& InstalledPlugins();

// Registers the plug-in list on the session's class and forgets the installed plug-ins (part of
// host::Reset).
void RegisterPlugInListClasses();

} // namespace host
