// zephost: the stand-in host program. It loads the plug-in library the way the host does, then
// runs the steps of its command line in order: open documents, select page items, call script
// methods, run menu actions, show the actions' states, undo, list the commands processed, dump,
// show the menus, report on the last call (CommandLine.h has the whole list and the exit codes).
// With --listen it also serves the companion application's pipe and prints, after each step,
// the messages the plug-in sent (--decode adds the job a message carries).
// Results go to standard output; the host's alerts (AlertReport.h), zephost's errors and the log
// records it shows (LogView.h) to standard error.
#include "AlertReport.h"
#include "CallReport.h"
#include "CommandLine.h"
#include "CompanionListener.h"
#include "LogView.h"
#include "host/sdk/Errors.h"
#include "host/standin/Actions.h"
#include "host/standin/Command.h"
#include "host/standin/Description.h"
#include "host/standin/Host.h"
#include "host/standin/Menus.h"
#include "host/standin/Recorder.h"
#include "host/standin/Scripting.h"
#include "host/standin/Selection.h"
#include "platform/files.h"
#include "platform/fileseams.h"
#include "platform/pipe.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// A step that cannot run: its message goes to standard error and zephost ends with status 1.
struct StepError {
    std::string message;
};

// The most of a file that is read: what a description may hold (16 MiB).
constexpr std::size_t kMaxFileBytes = 16u << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A file's bytes (a description, a session, a job text), read to its end; of a larger file its
// first kMaxFileBytes and one byte more, so that the reader of the text refuses it as too large.
// A file that cannot be read is a StepError with the system's reason.
std::string ReadFile(const std::string& path) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        const int error = errno;
        throw StepError{path + ": cannot be read: " + platform::errorText(error)};
    }
    std::string text;
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (!sizeError)
        text.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(size, kMaxFileBytes + 1)));
    std::array<char, 64 * 1024> chunk;
    while (text.size() <= kMaxFileBytes) {
        const std::size_t count = std::fread(
            chunk.data(), 1, std::min(chunk.size(), kMaxFileBytes + 1 - text.size()), file.get());
        if (std::ferror(file.get())) {
            const int error = errno;
            throw StepError{path + ": cannot be read: " + platform::errorText(error)};
        }
        if (count == 0)
            break;
        text.append(chunk.data(), count);
    }
    return text;
}

std::string Count(std::size_t count, const std::string& what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string Summary(const host::Document& document) {
    const host::Layout& layout = document.layout;
    return "\"" + document.Get()->GetName().GetUTF8String() +
           "\": " + Count(layout.spreads.size(), "spread") + ", " +
           Count(layout.PageList().size(), "page") + ", " + Count(layout.layers.size(), "layer") +
           ", " + Count(layout.items.size(), "page item");
}

void Open(const std::string& path) {
    const std::size_t before = host::OpenDocuments().size();
    try {
        host::LoadDescription(ReadFile(path));
    } catch (const std::exception& error) {
        // A description error names the field; anything else is a document that cannot open.
        throw StepError{path + ": " + error.what()};
    }
    const auto& documents = host::OpenDocuments();
    for (std::size_t i = before; i < documents.size(); ++i)
        std::cout << "opened " << Summary(*documents[i]) << "\n";
}

void Select(const std::vector<std::string>& ids) {
    host::Document* front = host::FrontDocument();
    if (!front)
        throw StepError{"select: no document is open"};
    UIDList items(front->db.get());
    std::string selected;
    for (const std::string& text : ids) {
        const UID uid(IdOf(text));
        if (!front->layout.items.contains(uid))
            throw StepError{"select: the front document has no page item " + text};
        items.Append(uid);
        selected += " " + std::to_string(uid.Get());
    }
    host::SelectLayoutItems(items);
    std::cout << "selected" << selected << "\n";
}

// A four-character script ID, the first character in the most significant byte.
ScriptID ParseScriptID(const std::string& text) {
    std::uint32_t id = 0;
    for (unsigned char c : text)
        id = id << 8 | c;
    return ScriptID(id);
}

// A call's or an action's outcome in words: "done", the first alert it ended in, or the code
// the host got back. The plug-in's entry points report success to the host even when they end
// in an alert, so the alerts are what tells.
std::string Outcome(std::size_t alertsBefore, ErrorCode result) {
    const auto& alerts = host::Recorder::Instance().Log(host::Channel::Alerts);
    if (alerts.size() > alertsBefore)
        return "ended in an alert: " + alerts[alertsBefore];
    if (result != kSuccess)
        return "failed with " + host::Hex(result.Get());
    return "done";
}

std::size_t AlertCount() {
    return host::Recorder::Instance().Log(host::Channel::Alerts).size();
}

void Call(const std::vector<std::string>& arguments, CallReport& report, AlertReport& alerts) {
    std::map<ScriptID, ScriptData> parameters;
    std::string job;
    bool fit = false;
    for (std::size_t i = 1; i < arguments.size(); i += 2) {
        const std::string& value = arguments[i + 1];
        if (arguments[i] == "--zemp") {
            job = value.starts_with('@') ? ReadFile(value.substr(1)) : value;
            parameters[ScriptID('Zemp')] = ScriptData(PMString(job));
            alerts.SetZemp(value, job);
        } else {
            fit = value == "true";
            parameters[ScriptID('Zerp')] = ScriptData(fit);
        }
    }
    report.Begin(arguments[0], job, fit);
    const std::size_t before = AlertCount();
    const host::ScriptCallResult result =
        host::CallScriptMethod(ParseScriptID(arguments[0]), std::move(parameters));
    ErrorCode code = result.code;
    for (ErrorCode object : result.results)
        code = code == kSuccess ? object : code;
    const std::optional<std::string> preflight = report.Preflight();
    std::cout << "called " << arguments[0] << ": " << Outcome(before, code)
              << (preflight ? " (" + *preflight + ")" : "") << "\n";
}

void Action(const std::string& text) {
    const ActionID action(IdOf(text));
    const std::size_t before = AlertCount();
    if (!host::DoAction(action))
        throw StepError{"action: no plug-in has the action " + host::Hex(action.Get())};
    std::cout << "action " << host::Hex(action.Get()) << ": " << Outcome(before, kSuccess) << "\n";
}

void States() {
    for (const host::ActionEntry& entry : host::UpdateActionStates())
        std::cout << "state " << host::Hex(entry.action.Get()) << " " << entry.state << " "
                  << entry.name.GetUTF8String() << "\n";
    for (const host::Shortcut& shortcut : host::Shortcuts()) {
        const char16_t key = shortcut.key.GetCharacter();
        std::cout << "shortcut " << host::Hex(shortcut.action.Get()) << " " << shortcut.context
                  << " "
                  << (key > 0x20 && key < 0x7F ? std::string(1, static_cast<char>(key))
                                               : host::Hex(key))
                  << " " << shortcut.modifiers << "\n";
    }
}

void Undo() {
    const std::vector<std::string> steps = host::UndoStepNames();
    if (!host::Undo()) {
        std::cout << "nothing to undo\n";
        return;
    }
    std::cout << "undid \"" << steps.back() << "\"\n";
}

void Dump(const std::vector<std::string>& arguments) {
    const std::string dump = host::DumpSession();
    if (arguments.empty()) {
        std::cout << dump;
        return;
    }
    std::ofstream out(arguments[0], std::ios::binary | std::ios::trunc);
    out << dump;
    out.close();
    if (!out)
        throw StepError{arguments[0] + ": cannot be written"};
    std::cout << "dumped to " << arguments[0] << "\n";
    for (const auto& document : host::OpenDocuments())
        std::cout << "  " << Summary(*document)
                  << (document.get() == host::FrontDocument() ? " (front)" : "") << "\n";
}

// Prints the entries of a channel recorded since the last print, each after `prefix`.
void PrintSince(host::Channel channel, const char* prefix, std::size_t& printed) {
    const auto& log = host::Recorder::Instance().Log(channel);
    for (; printed < log.size(); ++printed)
        std::cout << prefix << log[printed] << "\n";
}

void Commands() {
    static std::size_t commands = 0;
    static std::size_t calls = 0;
    PrintSince(host::Channel::Commands, "command ", commands);
    PrintSince(host::Channel::Calls, "data ", calls);
}

void Run(const Step& step, CallReport& report, AlertReport& alerts) {
    if (step.name == "open")
        Open(step.arguments[0]);
    else if (step.name == "select")
        Select(step.arguments);
    else if (step.name == "call")
        Call(step.arguments, report, alerts);
    else if (step.name == "action")
        Action(step.arguments[0]);
    else if (step.name == "states")
        States();
    else if (step.name == "undo")
        Undo();
    else if (step.name == "commands")
        Commands();
    else if (step.name == "menus")
        for (const std::string& item : host::BuildMenus())
            std::cout << "menu " << item << "\n";
    else if (step.name == "report") {
        if (!report.Print())
            throw StepError{"report: no call to report on"};
    } else
        Dump(step.arguments);
}

// The pipe's socket, as a user finds it in the file system.
std::string SocketPath(const std::u16string& pipe) {
    const std::optional<std::string> path = platform::pipeSocketPath(pipe);
    return path ? std::filesystem::absolute(*path).string() : std::string(pipe.begin(), pipe.end());
}

// The number in the environment variable; 0 when it is unset or holds no number.
unsigned long long FileOperationNumber(const char* variable) {
    const char* text = std::getenv(variable);
    char* end = nullptr;
    const unsigned long long at = text ? std::strtoull(text, &end, 10) : 0;
    return text && *end == '\0' ? at : 0;
}

// The crash that ZEPHOST_KILL_AT_FILE_OPERATION asks for and the stop that
// ZEPHOST_STOP_AT_FILE_OPERATION asks for, if any.
void KillAtFileOperation() {
    const unsigned long long kill = FileOperationNumber("ZEPHOST_KILL_AT_FILE_OPERATION");
    const unsigned long long stop = FileOperationNumber("ZEPHOST_STOP_AT_FILE_OPERATION");
    if (kill == 0 && stop == 0)
        return;
    platform::setFileOperationHook([kill, stop](std::uint64_t n, platform::FileOperation) {
        if (n == kill)
            std::raise(SIGKILL);
        if (n == stop)
            std::raise(SIGSTOP);
        return true;
    });
}

// Loads the plug-in and runs the steps; the exit code.
int RunSteps(const CommandLine& line, CompanionListener* companion, LogView& log) {
    host::Reset();
    KillAtFileOperation();
    std::string error;
    IPlugIn* plugin =
        host::OpenPluginLibrary(line.plugin.empty() ? ZEP_PLUGIN_LIBRARY : line.plugin, error);
    if (!plugin) {
        std::cerr << "zephost: the plug-in does not load: " << error << "\n";
        return kExitNotLoaded;
    }
    if (!host::Attach(plugin)) {
        std::cerr << "zephost: the plug-in does not load: error "
                  << host::Hex(ErrorUtils::PMGetGlobalErrorCode().Get()) << "\n";
        host::UnloadAll();
        return kExitNotLoaded;
    }
    int status = kExitSuccess;
    CallReport report;
    AlertReport alerts;
    for (const Step& step : line.steps) {
        bool stop = false;
        try {
            Run(step, report, alerts);
        } catch (const StepError& failure) {
            std::cerr << "zephost: " << failure.message << "\n";
            status = kExitUsage;
            stop = true;
        }
        std::cout << std::flush;
        log.Flush();
        if (alerts.PrintNew() != 0 && status == kExitSuccess)
            status = kExitAlert;
        alerts.SetZemp({}, {});
        if (companion)
            companion->PrintReceived();
        if (stop)
            break;
    }
    host::UnloadAll();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line;
    try {
        line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "zephost: " << error.message << "\n" << kUsageHint;
        return kExitUsage;
    }
    if (line.help || line.version) {
        std::cout << (line.help ? kHelp : "zephost " ZEPHOST_VERSION "\n");
        return kExitSuccess;
    }
    std::unique_ptr<LogView> log;
    std::unique_ptr<CompanionListener> companion;
    try {
        log = std::make_unique<LogView>(line.verbose, line.logFile);
        if (line.listen)
            companion = std::make_unique<CompanionListener>(line.decode);
    } catch (const std::exception& error) {
        std::cerr << "zephost: " << (log ? "cannot serve the companion pipe: " : "") << error.what()
                  << "\n";
        return kExitUsage;
    }
    if (companion)
        std::cout << "listening on " << SocketPath(companion->Name()) << "\n";
    const int status = RunSteps(line, companion.get(), *log);
    // The listener's thread may log until it ends; then the log file closes.
    companion.reset();
    const bool logged = log->Close();
    return status == kExitSuccess && !logged ? kExitLogLost : status;
}
