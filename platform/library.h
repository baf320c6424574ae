// Dynamic libraries: the stand-ins for LoadLibrary, GetProcAddress, FreeLibrary and the file
// name of the module that holds an address.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Opens the library; null with `error` set to the system's text when it cannot be loaded.
void* openLibrary(const std::string& posixPath, std::string& error);
// The address of the exported symbol, or null.
void* findSymbol(void* library, const char* name);
void closeLibrary(void* library);

// The file of the library or program that holds `address`, in drive form; nothing when unknown.
std::optional<std::u16string> moduleFileNameOf(const void* address);

} // namespace platform
