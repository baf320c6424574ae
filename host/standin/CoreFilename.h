// The stand-in's file names (host/sdk/CoreFilename.h): the executable's file name starts as the
// running program's own file, in drive form with every link resolved ("Z:/..."; nothing when the
// program's file cannot be read), and the file-name utilities carry no operation of their own.
// Both are made by CreateObject, so a test hides either (Faults::HideInterface) to make the
// making answer null.
#pragma once

#include "host/sdk/CoreFilename.h"

namespace host {

// Registers both classes (part of host::Reset).
void RegisterCoreFilenameClasses();

} // namespace host
