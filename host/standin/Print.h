// The stand-in's print data and print dialog command (host/sdk/Print.h).
#pragma once

#include "host/sdk/Print.h"

#include <memory>

namespace host {

// The print-data facet of a document's workspace, showing the document's print settings.
std::unique_ptr<IPMUnknown> NewPrintDataFacet(IPMUnknown* workspaceBoss);

// Registers the print-data class, the print dialog command and the trap-style list manager of
// the documents' workspaces (part of host::Reset).
void RegisterPrintClasses();

} // namespace host
