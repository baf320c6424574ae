// Dynamic libraries: the stand-ins for LoadLibrary, GetProcAddress and FreeLibrary.
#pragma once

#include <string>

namespace platform {

// Opens the library; null with `error` set to the system's text when it cannot be loaded.
void* openLibrary(const std::string& posixPath, std::string& error);
// The address of the exported symbol, or null.
void* findSymbol(void* library, const char* name);
void closeLibrary(void* library);

} // namespace platform
