#include "host/standin/ResourceAccess.h"

#include <vector>

namespace host {
namespace {

// The files the living scopes made current, the innermost last.
std::vector<IDFile>& CurrentFiles() {
    static std::vector<IDFile> files;
    return files;
}

} // namespace

const IDFile* CurrentResourceFile() {
    return CurrentFiles().empty() ? nullptr : &CurrentFiles().back();
}

} // namespace host

WResourceAccess::WResourceAccess(const PlugInResourceFile& resourceFile) {
    host::CurrentFiles().push_back(resourceFile.GetFile());
}

WResourceAccess::~WResourceAccess() {
    host::CurrentFiles().pop_back();
}
