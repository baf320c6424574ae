// The stand-in's PDF export command (host/sdk/PDFExport.h).
#pragma once

#include "host/sdk/PDFExport.h"

namespace host {

// Registers the command and its interfaces (part of host::Reset).
void RegisterPDFExportClasses();

} // namespace host
