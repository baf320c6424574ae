// Dynamic libraries: the stand-ins for LoadLibrary, GetProcAddress, FreeLibrary, the file name of
// the module that holds an address, and the notifications a library's entry point receives.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Opens the library; null with `error` set to the system's text when it cannot be loaded.
void* openLibrary(const std::string& posixPath, std::string& error);
// The address of the exported symbol, or null.
void* findSymbol(void* library, const char* name);
void closeLibrary(void* library);

// The file of the library or program that holds `address`, in drive form with every symbolic
// link, "." and ".." resolved (the running program's own file for an address in the program);
// nothing when unknown or when its path has no drive form (see toSystemPath).
std::optional<std::u16string> moduleFileNameOf(const void* address);

// Why the loader calls a library's entry point. Here the loader gives only ProcessAttach, through
// the library's load-time initialiser.
enum class LibraryNotification { ProcessAttach, ThreadAttach, ThreadDetach, ProcessDetach };

} // namespace platform
