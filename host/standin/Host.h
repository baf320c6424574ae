// The stand-in host as a whole: loading plug-ins, and putting everything back to its start for
// the next test.
#pragma once

#include "host/sdk/IDFile.h"
#include "host/sdk/PlugIn.h"

#include <string>
#include <vector>

namespace host {

// Forgets every plug-in, object, class, string, error, record, fault, command, undo step and the
// selection, and builds a fresh session with the host's own classes. Plug-ins are not unloaded:
// call UnloadAll first.
void Reset();

// Registers the plug-in's implementations from its list's head, enters its resources (classes,
// services, strings) and calls its Load with the session; returns Load's result.
bool Attach(IPlugIn* plugin);

// Loads a plug-in library and finds its GetPlugIn; null with `error` when either fails. The
// library stays loaded until UnloadAll.
IPlugIn* OpenPluginLibrary(const std::string& posixPath, std::string& error);

// Calls Unload of every attached plug-in, last attached first, and closes their libraries.
void UnloadAll();

const std::vector<IPlugIn*>& Plugins();

// The file of the library that holds the plug-in's object (the program's own file for a plug-in
// built into the program), as the loader names it; empty when the loader cannot tell.
IDFile PluginLibraryFile(const IPlugIn* plugin);

} // namespace host
