// The stand-in's resource access (host/sdk/ResourceAccess.h): which resource file is current,
// and where a plug-in's resources are read from.
//
// The current resource file is the file of the innermost WResourceAccess alive; none is current
// while none lives. A plug-in's resources stand in its library file: the host takes the tables
// its object hands over (PluginResources) as the resource part of the library that holds the
// object. So a resource is found only while the library of the plug-in that owns it is the
// current file; ErrorUtils::PMLoadErrorStringFromRsrc with no file current, or with another
// file current, finds nothing and answers an empty text. Each of its lookups is recorded on
// Channel::Resources as "error string <resource> <code> from <current file>" ("from none" when
// none is current).
#pragma once

#include "host/sdk/IDFile.h"
#include "host/sdk/ResourceAccess.h"

namespace host {

// The current resource file; null when none is current.
const IDFile* CurrentResourceFile();

} // namespace host
