#include "host/standin/ExportOutput.h"

#include "host/sdk/PMString.h"
#include "host/standin/Faults.h"
#include "host/standin/Recorder.h"
#include "platform/files.h"
#include "platform/process.h"

#include <cctype>
#include <filesystem>
#include <optional>

namespace host {

std::string PathProblem(const std::u16string& path) {
    const std::string text = PMString(path).GetUTF8String();
    const bool onDrive =
        text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]));
    const char drive =
        onDrive ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))) : 'Z';
    const std::string variable = std::string("ZEP_DRIVE_") + drive;
    if (drive != 'Z' && platform::environmentVariable(variable.c_str()).value_or(u"").empty())
        return "drive " + std::string(1, drive) + ": is not mapped: set " + variable +
               " to a folder";
    const std::optional<std::string> posix = platform::toPosixPath(path);
    if (!posix)
        return {};
    const std::filesystem::path folder = std::filesystem::path(*posix).parent_path();
    std::error_code failed;
    if (!std::filesystem::exists(folder, failed))
        return "the folder " + folder.string() + " does not exist";
    if (!std::filesystem::is_directory(folder, failed))
        return folder.string() + " is no folder";
    return {};
}

PMString UnwritableFileText(const IDFile& file, int error) {
    if (file.IsEmpty())
        return PMString("the export was given no output file");
    const std::string problem = PathProblem(file.GetString());
    std::string text =
        "The file " + PMString(file.GetString()).GetUTF8String() + " cannot be written";
    if (error != 0)
        text += ": " + platform::errorText(error);
    if (!problem.empty())
        text += (error != 0 ? "; " : ": ") + problem;
    return PMString(text + ".");
}

ErrorCode WriteOutputFile(const IDFile& file, const std::function<bool(std::ostream& out)>& write,
                          int& error) {
    error = 0;
    if (file.IsEmpty() || !platform::toPosixPath(file.GetString()) ||
        Faults::Instance().FileStreamOpenFails(file.GetString()))
        return kFileWriteErr;
    const std::u16string part = platform::temporarySibling(file.GetString());
    bool written = false;
    platform::FileIdentity identity;
    {
        platform::OutputFileStream out;
        try {
            written = out.open(part) && write(out);
        } catch (const std::exception&) {
            written = false;
        }
        identity = out.identity().value_or(platform::FileIdentity{});
        written = out.close() && written;
        error = out.error();
    }
    if (written && !platform::replaceFile(part, file.GetString(), error))
        written = false;
    if (!written) {
        static_cast<void>(platform::deleteFile(part));
        return kFileWriteErr;
    }
    Recorder::Instance().Record(Channel::Outputs, std::to_string(identity.device) + ":" +
                                                      std::to_string(identity.inode) + " " +
                                                      PMString(file.GetString()).GetUTF8String());
    return kSuccess;
}

} // namespace host
