#include "CommandLine.h"

#include <cstdlib>
#include <set>

const char* const kHelp =
    R"(usage: zephost [OPTION...] STEP...
Runs the Zephrin plug-in in a stand-in host: loads the plug-in as the host does, then runs the
steps in order. Results go to standard output; alerts, errors and the plug-in's log records to
standard error.

options:
  --plugin LIBRARY  load this plug-in library instead of the one built with zephost
  --listen          stand in for the companion application: serve its pipe and print every
                    message the plug-in sends
  --decode          with --listen: also print the job a message carries in "v"
  -v, --verbose     show every log record of the plug-in (by default WARN and ERROR only)
  --log FILE        write every log record to FILE instead of standard error; when a record
                    cannot be written there (a full disk), zephost says why once, the records
                    from then on show on standard error, and status 0 becomes 4
  -h, --help        print this text
  --version         print zephost's version

steps:
  open FILE         open the documents a JSON description gives (a document or a session;
                    the format is in host/standin/Description.h): at most 16 MiB, and at
                    most 100,000 objects (layers, spreads, pages, items, ...) a document
  select ID...      select these page items (ids of the description) of the front document
  call METHOD [--zemp @FILE|TEXT] [--zerp true|false]
                    call a script method as the companion application does, with the job text
                    (or the text of FILE) as 'Zemp' and the Boolean 'Zerp' (fit the document),
                    and print its outcome; when the call wrote the job's page-item file, the
                    outcome ends with (preflight: N faults), N the file's check tags whose
                    severity in the job is fault
  action ID         run the plug-in's menu action ID (0x52E03 to 0x52E0D)
  states            update the states of the plug-in's actions, print them and the shortcuts
  undo              undo the last undo step
  commands          print the commands processed since the last "commands" step, then the
                    calls of their data (e.g. what the print dialog was handed)
  dump [FILE]       write the session and its documents as JSON (to standard output)
  menus             build the menus and print the plug-in's items as placed
  report            report on the last call: the files its export wrote, each record of the
                    job's page-item file with its item, its check tags and their
                    severities in the job (only when the call wrote the file, and only a
                    regular file of at most 128 MiB), a summary, and whether the document
                    came back to its state after the job was stored

script methods (METHOD):
  savY  store the job in the front document (a new document when none is open); with
        --zerp true also fit the document to the job
  sanY  open a new document of the job's trim size, margins and bleed and store the job in it
  expY  store the job in the front document (--zerp true: fit it), export the ad as PDF or EPS
        into the job's folder, write the job's page-item file, tell the companion application
  DisT  clear the exported marks of the destinations that 'Zemp' lists (hex) in every open
        document's job
  PrnT  show the print dialog for the front document
The job ('Zemp') is the hex text of a "JOB5" job file, as the companion application sends it
(examples/jobs/ holds some; tests/data/make_sample_job makes one from a description).

environment:
  ZEP_DRIVE_X         the folder that drive X: stands for (Z: is the root of the file system);
                      a job's folder and files lie on such a drive
  ZEP_PIPE_DIR        where the companion pipe's socket lies, in the folder zephrin-UID that
                      only the user may enter (default $XDG_RUNTIME_DIR, else /tmp); the pipe's
                      name ends with USERNAME, else USER
  ZEP_REGISTRY        the registry file (default $XDG_CONFIG_HOME/zephrin/registry, else
                      $HOME/.config/zephrin/registry)
  ZEP_COLOR_DIR       the installed colour profiles (default /usr/share/color/icc)
  ZEP_COMMON_APPDATA  common application data (default /usr/local/share); XDG_DATA_HOME the
                      user's (default $HOME/.local/share); TMPDIR the temporary folder
  ZEP_DEBUG_OUTPUT    when set, the plug-in's debug output goes to standard error
  ZEPHOST_KILL_AT_FILE_OPERATION=N
                      kill zephost (SIGKILL) just before its N-th file operation that changes
                      the file system, as a crash there would
  ZEPHOST_STOP_AT_FILE_OPERATION=N
                      stop zephost (SIGSTOP) just before its N-th such file operation, until it
                      is continued (SIGCONT)

exit status:
  0  every step ran and no alert was shown
  1  a usage error, or a step that cannot run (the steps after it do not run)
  2  the plug-in does not load
  3  a call or an action ended in an alert (the steps after it still ran)
  4  as 0, but the --log file lost records (standard error says why)
)";

std::uint32_t IdOf(const std::string& text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    const bool id = !text.empty() && text[0] != '-' && *end == '\0' && value <= 0xFFFFFFFFu;
    return id ? static_cast<std::uint32_t>(value) : 0;
}

const char* const kUsageHint = "usage: zephost [OPTION...] STEP...  (zephost --help tells more)\n";

namespace {

const std::set<std::string> kSteps{"open", "select", "call",  "action", "states",
                                   "undo", "dump",   "menus", "report", "commands"};

bool IsId(const std::string& text) {
    return IdOf(text) != 0;
}

// Reads the words of the command line one after the other.
class Words {
public:
    explicit Words(const std::vector<std::string>& words) : m_words(words) {}
    bool AtEnd() const { return m_at == m_words.size(); }
    const std::string& Peek() const { return m_words[m_at]; }
    const std::string& Take() { return m_words[m_at++]; }
    // The next word as the value `what` of `step`; a UsageError when there is none.
    const std::string& TakeValue(const std::string& step, const std::string& what) {
        if (AtEnd() || kSteps.contains(Peek()))
            throw UsageError{step + ": " + what + " is missing"};
        return Take();
    }

private:
    const std::vector<std::string>& m_words;
    std::size_t m_at = 0;
};

void ReadCallArguments(Words& words, Step& step) {
    const std::string& method = words.TakeValue("call", "METHOD");
    if (method.size() != 4)
        throw UsageError{"call: \"" + method + "\" is no method (four characters, e.g. expY)"};
    step.arguments.push_back(method);
    while (!words.AtEnd() && words.Peek().starts_with("--")) {
        const std::string& name = words.Take();
        if (name != "--zemp" && name != "--zerp")
            throw UsageError{"call: \"" + name + "\" is no parameter (--zemp, --zerp)"};
        const std::string& value = words.TakeValue("call", name + "'s value");
        if (name == "--zerp" && value != "true" && value != "false")
            throw UsageError{"call: --zerp is true or false, not \"" + value + "\""};
        step.arguments.push_back(name);
        step.arguments.push_back(value);
    }
}

Step ReadStep(Words& words) {
    Step step{words.Take(), {}};
    if (!kSteps.contains(step.name))
        throw UsageError{"unknown step \"" + step.name + "\""};
    if (step.name == "open") {
        step.arguments.push_back(words.TakeValue("open", "FILE"));
    } else if (step.name == "select") {
        const std::string& first = words.TakeValue("select", "ID");
        if (!IsId(first))
            throw UsageError{"select: \"" + first + "\" is no id"};
        step.arguments.push_back(first);
        while (!words.AtEnd() && IsId(words.Peek()))
            step.arguments.push_back(words.Take());
    } else if (step.name == "call") {
        ReadCallArguments(words, step);
    } else if (step.name == "action") {
        const std::string& id = words.TakeValue("action", "ID");
        if (!IsId(id))
            throw UsageError{"action: \"" + id + "\" is no action id"};
        step.arguments.push_back(id);
    } else if (step.name == "dump" && !words.AtEnd() && !kSteps.contains(words.Peek())) {
        step.arguments.push_back(words.Take());
    }
    return step;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& list) {
    CommandLine line;
    Words words(list);
    while (!words.AtEnd() && words.Peek().starts_with("-")) {
        const std::string option = words.Take();
        if (option == "-h" || option == "--help")
            line.help = true;
        else if (option == "--version")
            line.version = true;
        else if (option == "--listen")
            line.listen = true;
        else if (option == "--decode")
            line.decode = true;
        else if (option == "-v" || option == "--verbose")
            line.verbose = true;
        else if ((option == "--plugin" || option == "--log") && words.AtEnd())
            throw UsageError{option + ": its value is missing"};
        else if (option == "--plugin" || option == "--log")
            (option == "--log" ? line.logFile : line.plugin) = words.Take();
        else
            throw UsageError{"unknown option \"" + option + "\""};
        if (line.help || line.version)
            return line;
    }
    if (line.decode && !line.listen)
        throw UsageError{"--decode shows what --listen receives: give --listen too"};
    while (!words.AtEnd())
        line.steps.push_back(ReadStep(words));
    if (line.steps.empty())
        throw UsageError{"no steps"};
    return line;
}
