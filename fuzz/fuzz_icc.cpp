// libFuzzer target for the ICC profile reader: arbitrary bytes as a profile file must end in a
// description, colour space and device class or in the reader's exception, never in a crash, a
// hang, a read past the file or an allocation beyond the file's size (beside the reader's few
// fixed structures).
#include "Analysis/ZEPColorManagement.h"
#include "Plugin/CZEPException.h"
#include "QuietLog.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sanitizer/allocator_interface.h>
#include <string>
#include <unistd.h>

namespace {

// While an input is read, no single allocation may exceed this many bytes: the file's size and
// room for the fixed structures of the stream and the profile.
std::size_t gAllocationLimit = 0;
constexpr std::size_t kFixedAllocations = 64 * 1024;

void CheckAllocation(const volatile void*, std::size_t size) {
    if (gAllocationLimit != 0 && size > gAllocationLimit)
        __builtin_trap();
}

void IgnoreFree(const volatile void*) {}

// A file of the process's own that each input is written to; removed at exit.
class InputFile {
public:
    InputFile() {
        const char* folder = std::getenv("TMPDIR");
        m_path = std::string(folder && *folder ? folder : "/tmp") + "/zep-fuzz-icc-XXXXXX";
        const int fd = ::mkstemp(m_path.data());
        if (fd < 0)
            __builtin_trap();
        ::close(fd);
    }
    ~InputFile() { std::remove(m_path.c_str()); }

    ustring Write(const std::uint8_t* data, std::size_t size) const {
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
            __builtin_trap();
        return ustring(("Z:" + m_path).c_str());
    }

private:
    std::string m_path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();
    static const InputFile input;
    static const int hooks = __sanitizer_install_malloc_and_free_hooks(CheckAllocation, IgnoreFree);
    (void)hooks;
    const ustring path = input.Write(data, size);
    ustring description;
    std::int32_t colorSpace = -1;
    std::int32_t deviceClass = -1;
    gAllocationLimit = size + kFixedAllocations;
    try {
        ReadICCProfileInfo(path, description, colorSpace, deviceClass);
    } catch (const CZEPException&) {
        gAllocationLimit = 0;
        return 0;
    }
    gAllocationLimit = 0;
    // A description is never longer than the bytes it came from in UTF-8 (three bytes at most
    // for one ANSI byte or one UTF-16 unit of two bytes).
    if (description.size() > 3 * size || colorSpace < 1 || colorSpace > 4 || deviceClass < 0 ||
        deviceClass > 5)
        __builtin_trap();
    return 0;
}
