// The output file of an export, which the export creates empty before the host writes into it:
// when the export fails, the file goes again if this run created it, never when it was there
// before.
#pragma once

#include "utils/FilePath.h"

class ZEPCreatedFile {
public:
    // Notes whether the file exists now, before the export creates it.
    explicit ZEPCreatedFile(const UFileSpecCore& file);
    // Removes the file unless it existed before or Keep was called.
    ~ZEPCreatedFile();
    ZEPCreatedFile(const ZEPCreatedFile&) = delete;
    ZEPCreatedFile& operator=(const ZEPCreatedFile&) = delete;

    // The export succeeded: the file stays.
    void Keep() { m_keep = true; }

private:
    UFileSpecCore m_file;
    bool m_keep;
};
