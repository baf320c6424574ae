#include "Export/ZEPCreatedFile.h"

ZEPCreatedFile::ZEPCreatedFile(const UFileSpecCore& file) : m_file(file), m_keep(file.exists()) {}

ZEPCreatedFile::~ZEPCreatedFile() {
    // A file that cannot be removed stays; the export's failure is what is reported.
    if (!m_keep && m_file.exists())
        static_cast<void>(m_file.remove());
}
