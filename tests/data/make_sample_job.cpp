// Makes a job file from its readable description (the format is in support/JobDescription.h):
//     make_sample_job sample_job.json sample_job.job5
//     make_sample_job --hex ../../examples/half_page_job.json half_page_job.hex
// With --hex it writes the bytes as upper-case hex text, as the companion application hands a
// job to the script methods ('Zemp'). A description that the check of
// support/JobDescriptionCheck.h refuses (a key or a type the format does not have, or a booking
// that cannot be printed), an input that cannot be read and an output that cannot be written end
// with the fault, naming the field, on standard error and status 1; the output is then as it was.
#include "model/JobText.h"
#include "support/JobDescription.h"
#include "support/JobDescriptionCheck.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>

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
    return 0;
}
