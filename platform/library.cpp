#include "platform/library.h"

#include <dlfcn.h>

namespace platform {

void* openLibrary(const std::string& posixPath, std::string& error) {
    void* library = dlopen(posixPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* text = dlerror();
        error = text ? text : "cannot load library";
    }
    return library;
}

void* findSymbol(void* library, const char* name) {
    return dlsym(library, name);
}

void closeLibrary(void* library) {
    dlclose(library);
}

} // namespace platform
