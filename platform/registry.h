// The registry: the stand-in for reading the Windows registry's values, a text file of our own at
// $ZEP_REGISTRY, else $XDG_CONFIG_HOME/zephrin/registry, else $HOME/.config/zephrin/registry.
//
// One value a line, in UTF-8: the key's path beginning with its hive, a TAB, the value's name
// (empty for the key's default value), a TAB and the value's text up to the end of the line:
//
//     HKEY_CURRENT_USER\SOFTWARE\Vendor\Program<TAB><TAB>Z:/opt/program/run
//
// Paths and names compare without regard to case, as the registry's do; the first line that
// matches holds the value. A missing or unreadable file is an empty registry; so is a file of
// more than 1 MiB (no registry of ours grows that large: it is taken as damaged) and anything at
// the path that is not a regular file (a folder, a FIFO, a device), which is never waited on or
// read. Lines without two TABs, or that are not UTF-8, hold nothing.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The value's text; nothing when the registry holds no such value.
std::optional<std::u16string> registryValue(const std::u16string& keyPath,
                                            const std::u16string& valueName);

} // namespace platform
