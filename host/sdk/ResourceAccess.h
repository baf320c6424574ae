// A plug-in's own resource file and the scope that makes it current.
//
// The host reads a plug-in's resources (its error texts) from the resource file that is current
// at the time. Every plug-in library keeps a record of its own file, which the library's entry
// point fills when the library is loaded; while a WResourceAccess over that record lives, the
// file is the current one.
#pragma once

#include "host/sdk/IDFile.h"

#include <utility>

class PlugInResourceFile {
public:
    const IDFile& GetFile() const { return m_file; }
    void SetFile(IDFile file) { m_file = std::move(file); }

private:
    IDFile m_file;
};

// The record of the library (or program) whose code calls it: each one has its own, made on
// first use. This code is built into the plug-in, as a host SDK's static part is, so the host
// never reads it: it learns the file from the WResourceAccess.
inline __attribute__((visibility("hidden"))) PlugInResourceFile& ThePlugInResourceFile() {
    static PlugInResourceFile record;
    return record;
}

// While it lives, the record's file is the host's current resource file; when it goes, the file
// that was current before is current again.
class WResourceAccess {
public:
    explicit WResourceAccess(const PlugInResourceFile& resourceFile);
    ~WResourceAccess();
    WResourceAccess(const WResourceAccess&) = delete;
    WResourceAccess& operator=(const WResourceAccess&) = delete;
};
