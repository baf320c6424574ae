// The stand-in's EPS export (host/sdk/EPSExport.h): the session's EPS export preferences.
#pragma once

#include "host/sdk/EPSExport.h"

#include <map>
#include <string>
#include <variant>

namespace host {

// The session's EPS export preferences: a number or a text per operation number.
using EPSExportPrefs = std::map<std::int32_t, std::variant<double, std::string>>;
// The session's preferences; set directly when read from a description, journaled by the
// preferences command.
EPSExportPrefs& SessionEPSExportPrefs();

// Registers the commands and their data, and empties the session's preferences (part of
// host::Reset).
void RegisterEPSExportClasses();

} // namespace host
