#include "Plugin/ZEPLibraryEntry.h"

#include "host/sdk/ResourceAccess.h"

namespace {

// An object of the library's own, whose address tells the loader which file is the library.
constexpr char kInsideTheLibrary = 0;

// Runs when the loader has mapped the library and built its static objects.
__attribute__((constructor)) void AttachLibrary() {
    static_cast<void>(ZEPLibraryEntry(platform::LibraryNotification::ProcessAttach));
}

} // namespace

IDFile ZEPLibraryFile(const std::optional<std::u16string>& path) {
    if (!path || path->size() > kMaxLibraryPathLength)
        return IDFile();
    return IDFile(*path);
}

bool ZEPLibraryEntry(platform::LibraryNotification notification) noexcept {
    if (notification != platform::LibraryNotification::ProcessAttach)
        return true;
    try {
        ThePlugInResourceFile().SetFile(
            ZEPLibraryFile(platform::moduleFileNameOf(&kInsideTheLibrary)));
    } catch (...) {
        // Without memory for the path the record stays empty; loading goes on.
    }
    return true;
}
