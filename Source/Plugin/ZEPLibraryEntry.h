// The library's entry point: when the library is loaded it records the library's own file in the
// plug-in's resource-file record, from which the host reads the plug-in's resources (its error
// texts).
#pragma once

#include "host/sdk/IDFile.h"
#include "platform/library.h"

#include <optional>
#include <string>

// The longest library path the record takes, in UTF-16 units.
inline constexpr std::size_t kMaxLibraryPathLength = 260;

// At process attach, records the library's own file (ZEPLibraryFile of the loader's name for
// it); any other notification does nothing. Always reports success.
bool ZEPLibraryEntry(platform::LibraryNotification notification) noexcept;

// The file the record takes for the library's path: the path itself when it has at most
// kMaxLibraryPathLength units; an empty file when it is longer or unknown (a path cut short would
// name another file).
IDFile ZEPLibraryFile(const std::optional<std::u16string>& path);
