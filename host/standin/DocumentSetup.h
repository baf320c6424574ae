// The stand-in's document-setup command (host/sdk/DocumentSetup.h).
#pragma once

#include "host/sdk/DocumentSetup.h"

namespace host {

// Registers the command and its data (part of host::Reset).
void RegisterDocumentSetupClasses();

} // namespace host
