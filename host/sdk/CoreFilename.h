// File names of the host: the executable's file name (class 0x8C0B), which names the running
// program's own file, and the file-name utilities (class 0x8C13). Names are in the host's
// (Windows) form with '/' separators ("Z:/opt/host/host.exe").
#pragma once

#include "host/sdk/IPMUnknown.h"
#include "host/sdk/PMString.h"

// A file or folder name.
class ICoreFilename : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x8C0D};

    // Makes the name that of its parent folder ("Z:/a/b" becomes "Z:/a", "Z:/a" becomes "Z:/");
    // false, the name unchanged, when it has none (a drive's root, or no name).
    virtual bool SwitchToParentDir() = 0;
    // The whole name (kept by the object: no copy); null while the object names nothing.
    virtual const PMString* GetFullName() const = 0;
};

// The host's utilities for file names. The plug-in makes them beside an executable's name and
// asks nothing further of them.
class ICoreFilenameUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x8C17};
};

// Its ICoreFilename names the running program's file when it is made (nothing when that file
// cannot be known).
inline constexpr ClassID kExecutableCoreFilenameBoss{0x8C0B};
inline constexpr ClassID kCoreFilenameUtilsBoss{0x8C13};
