// zephost: the stand-in host program. It loads the plug-in library the way the host does, then
// runs the steps of its command line in order: open documents, select page items, call script
// methods, run menu actions, show the actions' states, undo, list the commands processed, dump,
// show the menus.
// With --listen it also serves the companion application's pipe and prints, after each step,
// the messages the plug-in sent (--decode adds the job a message carries). The step report tells
// what the last call wrote and how the document came out of it (CallReport.h).
// Results go to standard output, the host's alerts and errors to standard error. Exit status:
// 0 done, 1 a usage error (or a step that cannot run), 2 the plug-in does not load.
#include "CallReport.h"
#include "CompanionListener.h"
#include "host/Actions.h"
#include "host/Command.h"
#include "host/Description.h"
#include "host/Errors.h"
#include "host/Host.h"
#include "host/Menus.h"
#include "host/Recorder.h"
#include "host/Scripting.h"
#include "host/Selection.h"
#include "platform/files.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: zephost [--plugin LIBRARY] [--listen [--decode]] STEP...\n"
    "  --listen         serve the companion application's pipe and print what it receives;\n"
    "                   --decode also prints the job a message carries in \"v\"\n"
    "steps, run in order:\n"
    "  open FILE        open the documents a JSON description gives (a document or a session)\n"
    "  select ID...     select these page items of the front document\n"
    "  call METHOD [--zemp @FILE|TEXT] [--zerp true|false]\n"
    "                   call the script method (four characters) with the job text (or the\n"
    "                   text of FILE) as 'Zemp' and the Boolean 'Zerp'\n"
    "  action ID        run the plug-in's menu action ID (0x52E0B or decimal)\n"
    "  states           update and print the states of the plug-in's actions and the shortcuts\n"
    "  undo             undo the last undo step\n"
    "  commands         print the commands processed since the last \"commands\" step\n"
    "                   (\"command NAME CLASS -> RESULT\"), then the calls of their data\n"
    "                   (\"data CALL\", e.g. what the print dialog was handed)\n"
    "  dump [FILE]      write the session and its documents as JSON (to standard output)\n"
    "  menus            build the menus and print the plug-in's items as placed\n"
    "  report           print what the last call's export wrote (output files, the job's\n"
    "                   page-item file) and whether the document came back to its state\n"
    "                   after the job was stored\n"
    "environment:\n"
    "  ZEPHOST_KILL_AT_FILE_OPERATION=N\n"
    "                   kill the process (SIGKILL) just before its N-th file operation that\n"
    "                   changes the file system, as a crash there would\n";

const std::set<std::string> kSteps{"open", "select", "call",  "action", "states",
                                   "undo", "dump",   "menus", "report", "commands"};

// A step that cannot run: its message goes to standard error and zephost ends with status 1.
struct StepError {
    std::string message;
};

struct Step {
    std::string name;
    std::vector<std::string> arguments;
};

// The steps of the command line; a StepError for anything that is no step.
std::vector<Step> ParseSteps(const std::vector<std::string>& words) {
    std::vector<Step> steps;
    for (std::size_t i = 0; i < words.size();) {
        Step step{words[i++], {}};
        if (!kSteps.contains(step.name))
            throw StepError{"unknown step \"" + step.name + "\""};
        while (i < words.size() && !kSteps.contains(words[i]))
            step.arguments.push_back(words[i++]);
        const std::size_t count = step.arguments.size();
        if ((step.name == "open" && count != 1) || (step.name == "select" && count == 0) ||
            (step.name == "call" && count % 2 != 1) || (step.name == "action" && count != 1) ||
            (step.name == "states" && count != 0) || (step.name == "undo" && count != 0) ||
            (step.name == "dump" && count > 1) || (step.name == "menus" && count != 0) ||
            (step.name == "report" && count != 0) || (step.name == "commands" && count != 0))
            throw StepError{"wrong arguments for \"" + step.name + "\""};
        steps.push_back(std::move(step));
    }
    if (steps.empty())
        throw StepError{"no steps"};
    return steps;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw StepError{path + ": cannot be read"};
    // One byte more than a description may have, so that the reader refuses a larger file.
    std::string text(16u << 20 | 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
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
    } catch (const host::DescriptionError& error) {
        throw StepError{path + ": " + error.what()};
    }
    const auto& documents = host::OpenDocuments();
    for (std::size_t i = before; i < documents.size(); ++i)
        std::cout << "opened " << Summary(*documents[i]) << "\n";
}

// A number above 0 of 32 bits, decimal or (0x...) hex.
std::uint32_t ParseNumber(const std::string& step, const std::string& text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || value == 0 || value > UINT32_MAX)
        throw StepError{step + ": \"" + text + "\" is no id"};
    return static_cast<std::uint32_t>(value);
}

UID ParseId(const std::string& text) {
    return UID(ParseNumber("select", text));
}

void Select(const std::vector<std::string>& ids) {
    host::Document* front = host::FrontDocument();
    if (!front)
        throw StepError{"select: no document is open"};
    UIDList items(front->db.get());
    std::string selected;
    for (const std::string& text : ids) {
        const UID uid = ParseId(text);
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
    if (text.size() != 4)
        throw StepError{"call: \"" + text + "\" is not four characters"};
    std::uint32_t id = 0;
    for (unsigned char c : text)
        id = id << 8 | c;
    return ScriptID(id);
}

void Call(const std::vector<std::string>& arguments, CallReport& report) {
    const ScriptID method = ParseScriptID(arguments[0]);
    std::map<ScriptID, ScriptData> parameters;
    std::string job;
    bool fit = false;
    for (std::size_t i = 1; i < arguments.size(); i += 2) {
        const std::string& value = arguments[i + 1];
        if (arguments[i] == "--zemp") {
            job = value.starts_with('@') ? ReadFile(value.substr(1)) : value;
            parameters[ScriptID('Zemp')] = ScriptData(PMString(job));
        } else if (arguments[i] == "--zerp" && (value == "true" || value == "false")) {
            fit = value == "true";
            parameters[ScriptID('Zerp')] = ScriptData(fit);
        } else {
            throw StepError{"call: \"" + arguments[i] + " " + value + "\" is no parameter"};
        }
    }
    report.Begin(arguments[0], job, fit);
    const host::ScriptCallResult result = host::CallScriptMethod(method, std::move(parameters));
    std::cout << "called " << arguments[0] << ": " << host::Hex(result.code.Get());
    for (ErrorCode code : result.results)
        std::cout << ", object " << host::Hex(code.Get());
    std::cout << "\n";
}

void Action(const std::string& text) {
    const ActionID action(ParseNumber("action", text));
    if (!host::DoAction(action))
        throw StepError{"action: no plug-in has the action " + host::Hex(action.Get())};
    std::cout << "action " << host::Hex(action.Get()) << "\n";
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

// Prints the alerts recorded since the last call.
void PrintAlerts() {
    static std::size_t printed = 0;
    const auto& alerts = host::Recorder::Instance().Log(host::Channel::Alerts);
    for (; printed < alerts.size(); ++printed)
        std::cerr << "alert: " << alerts[printed] << "\n";
}

void Run(const Step& step, CallReport& report) {
    if (step.name == "open")
        Open(step.arguments[0]);
    else if (step.name == "select")
        Select(step.arguments);
    else if (step.name == "call")
        Call(step.arguments, report);
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

// The crash that ZEPHOST_KILL_AT_FILE_OPERATION asks for, if any.
void KillAtFileOperation() {
    const char* text = std::getenv("ZEPHOST_KILL_AT_FILE_OPERATION");
    char* end = nullptr;
    const unsigned long long at = text ? std::strtoull(text, &end, 10) : 0;
    if (at == 0 || *end != '\0')
        return;
    platform::setFileOperationHook([at](std::uint64_t n, platform::FileOperation) {
        if (n == at)
            std::raise(SIGKILL);
        return true;
    });
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string library = ZEP_PLUGIN_LIBRARY;
    if (words.size() >= 2 && words[0] == "--plugin") {
        library = words[1];
        words.erase(words.begin(), words.begin() + 2);
    }
    const bool listen = !words.empty() && words[0] == "--listen";
    const bool decode = listen && words.size() > 1 && words[1] == "--decode";
    words.erase(words.begin(), words.begin() + listen + decode);
    std::vector<Step> steps;
    try {
        steps = ParseSteps(words);
    } catch (const StepError& error) {
        std::cerr << "zephost: " << error.message << "\n" << kUsage;
        return 1;
    }
    std::unique_ptr<CompanionListener> companion;
    if (listen) {
        try {
            companion = std::make_unique<CompanionListener>(decode);
        } catch (const std::exception& error) {
            std::cerr << "zephost: cannot serve the companion pipe: " << error.what() << "\n";
            return 1;
        }
        const std::u16string& name = companion->Name();
        std::cout << "listening on " << std::string(name.begin(), name.end()) << "\n";
    }

    host::Reset();
    KillAtFileOperation();
    std::string error;
    IPlugIn* plugin = host::OpenPluginLibrary(library, error);
    if (!plugin) {
        std::cerr << "zephost: the plug-in does not load: " << error << "\n";
        return 2;
    }
    if (!host::Attach(plugin)) {
        std::cerr << "zephost: the plug-in does not load: error "
                  << host::Hex(ErrorUtils::PMGetGlobalErrorCode().Get()) << "\n";
        host::UnloadAll();
        return 2;
    }
    int status = 0;
    CallReport report;
    for (const Step& step : steps) {
        try {
            Run(step, report);
        } catch (const StepError& failure) {
            std::cerr << "zephost: " << failure.message << "\n";
            status = 1;
        }
        PrintAlerts();
        if (companion)
            companion->PrintReceived();
        if (status != 0)
            break;
    }
    host::UnloadAll();
    return status;
}
