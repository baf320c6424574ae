// Makes a job file from its readable description (the format is in support/JobDescription.h):
//     make_sample_job sample_job.json sample_job.job5
//     make_sample_job --hex ../../examples/half_page_job.json half_page_job.hex
// With --hex it writes the bytes as upper-case hex text, as the companion application hands a
// job to the script methods ('Zemp'). A description that the check of
// support/JobDescriptionCheck.h refuses (a key or a type the format does not have, or a booking
// that cannot be printed), an input that cannot be read and an output that cannot be written end
// with the fault, naming the field, on standard error and status 1; the output is then as it was.
// A job written whose checks ("defaults" and the ticket's "checks") name check identifiers that
// no analysis of the plug-in records (model/BPageItem.h, RecordedCheckIdentifiers) gets one note
// on standard error that names them, in the order the description first names them.
#include "model/BPageItem.h"
#include "model/JobText.h"
#include "model/KeyStrings.h"
#include "support/JobDescription.h"
#include "support/JobDescriptionCheck.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: make_sample_job [--hex] description.json output\n";

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The job's bytes (or their hex text) from a checked description; empty with `fault` set when
// the description is refused.
std::string JobOutput(const std::string& json, bool hex, std::string& fault) {
    fault = jobDescriptionFault(json);
    if (!fault.empty())
        return {};
    std::istringstream in(json);
    umessage description;
    if (!description.read(in)) {
        fault = "description: the message reader refuses it (a key given twice?)";
        return {};
    }
    std::ostringstream bytes;
    writeDescribedJob(bytes, description);
    return hex ? EncodeJobText(bytes.str()) : bytes.str();
}

// Writes a file beside `path` and moves it over `path`, so that a failed write leaves `path` as
// it was.
bool WriteFile(const std::string& path, const std::string& bytes) {
    const std::string partial = path + ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    std::error_code error;
    if (out && (std::filesystem::rename(partial, path, error), !error))
        return true;
    std::filesystem::remove(partial, error);
    return false;
}

// The check identifiers among the job's checks (the setting definitions' names, then the
// ticket's) that no analysis records, each once; setting names are parameters, never recorded,
// and not named. The description is one that jobDescriptionFault took.
std::vector<std::string> UnrecordedChecks(const std::string& json) {
#define ZEP_CHECK_TEXT(identifier, text) text,
    static const std::set<std::string_view> kCheckIdentifiers{
        ZEP_CHECK_IDENTIFIERS(ZEP_CHECK_TEXT)};
#undef ZEP_CHECK_TEXT
    const auto description = job_description_check::Json::parse(json);
    std::vector<std::string> unrecorded;
    const auto note = [&](const job_description_check::Json& checks) {
        for (const auto& [name, value] : checks.items())
            if (kCheckIdentifiers.contains(name) && !IsRecordedCheckIdentifier(ustring(name)) &&
                std::find(unrecorded.begin(), unrecorded.end(), name) == unrecorded.end())
                unrecorded.push_back(name);
    };
    if (description.contains("defaults"))
        note(description["defaults"]);
    if (description.contains("ticket") && description["ticket"].contains("qcs") &&
        description["ticket"]["qcs"].contains("checks"))
        note(description["ticket"]["qcs"]["checks"]);
    return unrecorded;
}

// One line naming the unrecorded checks; empty when there are none.
std::string UnrecordedChecksNote(const std::vector<std::string>& unrecorded) {
    if (unrecorded.empty())
        return {};
    std::string names;
    for (const std::string& name : unrecorded)
        names += (names.empty() ? "" : ", ") + name;
    return "note: no analysis of the plug-in records " + names +
           ": no page item of an export carries " + (unrecorded.size() == 1 ? "it" : "them") +
           " (the README's \"What the plug-in examines\" lists the checks it records)\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << kUsage;
        return 0;
    }
    const bool hex = argc == 4 && std::string(argv[1]) == "--hex";
    if (argc != 3 + hex) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string input = argv[1 + hex];
    const std::string output = argv[2 + hex];
    std::string json;
    if (!ReadFile(input, json)) {
        std::cerr << "cannot read " << input << '\n';
        return 1;
    }
    std::string fault;
    std::string written;
    try {
        written = JobOutput(json, hex, fault);
    } catch (const std::exception& error) {
        fault = std::string("description: ") + error.what();
    }
    if (!fault.empty()) {
        std::cerr << fault << '\n';
        return 1;
    }
    if (!WriteFile(output, written)) {
        std::cerr << "cannot write " << output << '\n';
        return 1;
    }
    std::cerr << UnrecordedChecksNote(UnrecordedChecks(json));
    return 0;
}
