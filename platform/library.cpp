#include "platform/library.h"

#include "platform/files.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>

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

std::optional<std::u16string> moduleFileNameOf(const void* address) {
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || !map)
        return std::nullopt;
    // The program itself has no name in the loader's list (dladdr would give its argv[0]).
    if (!map->l_name || map->l_name[0] == '\0')
        return moduleFileName();
    char* resolved = ::realpath(map->l_name, nullptr);
    if (!resolved)
        return std::nullopt;
    const std::string path(resolved);
    std::free(resolved);
    return toSystemPath(path);
}

} // namespace platform
