// The stand-in's new-document, new-window and rename commands (host/sdk/NewDocument.h) and the
// session's page-setup preferences.
#pragma once

#include "host/sdk/NewDocument.h"
#include "host/standin/Layout.h"

namespace host {

// The session's page-setup preferences, which new documents start from; the values are set
// directly (outside any command).
PageSetup& SessionPageSetup();

// Registers the commands, their data and the session's page-setup preferences, and puts those
// preferences and the count of new documents back to their start (part of host::Reset).
void RegisterNewDocumentClasses();

} // namespace host
