// Where the host's export command writes a file of the export: the export's file change
// (Plugin/ZEPFileTransaction.h) hands the host a temporary of its own in the file's folder and
// gives the file its name once it has recorded what the host wrote.
#pragma once

#include "utils/FilePath.h"

#include <functional>

// The path the host is to write `file` to; empty: the file itself.
using ZEPHostFileOf = std::function<UFileSpecCore(const UFileSpecCore& file)>;

// Where the host writes `file`: hostFileOf's answer, or the file itself without one.
[[nodiscard]] inline UFileSpecCore HostFileFor(const ZEPHostFileOf& hostFileOf,
                                               const UFileSpecCore& file) {
    return hostFileOf ? hostFileOf(file) : file;
}
