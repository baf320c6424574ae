#include "Zephrin_Menu/ZEPCompanionLink.h"

#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "utils/Logger.h"

#include <algorithm>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>

const CompanionApplicationLocation kCompanionApplicationLocation{
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Zephrin6.exe", u""};

namespace {

constexpr char16_t kPipeNamePrefix[] = u"\\\\.\\pipe\\zephrin_tarnwell_com.";
constexpr std::size_t kRegistryValueBytes = 16383;
constexpr std::uint32_t kStartWaitMilliseconds = 3000;

std::u16string UserName() {
    if (auto name = platform::environmentVariable("USERNAME"))
        return *name;
    if (auto name = platform::environmentVariable("USER"))
        return *name;
    return u"123";
}

// The message's compact JSON text; a message that the writer refuses throws before any pipe is
// opened for it.
std::string CompanionText(const umessage& message) {
    std::ostringstream text;
    if (!message.write(text))
        throw std::runtime_error("message nested too deep");
    return std::move(text).str();
}

void LogUndelivered(const umessage& message, const char* reason) {
    ZEU_LOG(Error, "..\\..\\Source\\Zephrin_Menu\\ZEPCompanionLink", __LINE__,
            "SendCompanionMessage")
        << "message \"" << message.what() << "\" not delivered: " << reason;
}

} // namespace

bool SendCompanionMessage(const umessage& message) {
    bool pingOpened = true;
    try {
        static_cast<void>(SendToCompanionPipe(umessage(ustring("ping"))));
    } catch (...) {
        pingOpened = false;
    }
    try {
        if (!pingOpened)
            StartCompanionApplication();
        if (SendToCompanionPipe(message))
            return true;
        LogUndelivered(message, "not every byte was written");
    } catch (const std::exception& exception) {
        LogUndelivered(message, exception.what());
    } catch (...) {
        LogUndelivered(message, "unknown failure");
    }
    return false;
}

bool SendToCompanionPipe(const umessage& message) {
    const std::string text = CompanionText(message);
    platform::PipeConnection pipe = OpenCompanionPipe(kPipeNamePrefix + UserName());
    return pipe.write(text);
}

platform::PipeConnection OpenCompanionPipe(const std::u16string& pipeName) {
    auto pipe = platform::openPipe(pipeName);
    if (!pipe)
        throw std::runtime_error("cannot open pipe");
    return std::move(*pipe);
}

bool WriteCompanionMessage(platform::PipeConnection& pipe, const umessage& message) {
    return pipe.write(CompanionText(message));
}

void StartCompanionApplication() {
    const std::u16string path = GetCompanionApplicationPath(kCompanionApplicationLocation);
    if (path.empty() || IsCompanionApplicationRunning(path))
        return;
    // A failed start is not told apart: the message is tried after the wait all the same.
    static_cast<void>(platform::startProgram(path));
    platform::sleepMilliseconds(kStartWaitMilliseconds);
}

std::u16string GetCompanionApplicationPath(const CompanionApplicationLocation& location) {
    auto value =
        platform::registryValue(u"HKEY_CURRENT_USER\\" + location.keyPath, location.valueName);
    if (!value || (value->size() + 1) * sizeof(char16_t) > kRegistryValueBytes)
        return {};
    value->erase(std::find(value->begin(), value->end(), u'\0'), value->end());
    return std::move(*value);
}

void GetCompanionApplicationPath(const CompanionApplicationLocation& location, ustring& path) {
    path = ustring::fromWString(GetCompanionApplicationPath(location));
}

bool IsCompanionApplicationRunning(const std::u16string& path) {
    const auto file = platform::resolvedPath(path);
    if (!file)
        return false;
    const auto programs = platform::runningProgramFiles();
    return std::find(programs.begin(), programs.end(), *file) != programs.end();
}
