// make_sample_job as a process: a bad description, a missing input and an unwritable output end
// with the fault's one line on standard error, status 1 and no file written.
#include "support/TempFolder.h"
#include "support/Test.h"

#include <gmock/gmock.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

namespace {

// The exit status of make_sample_job with `arguments`, its standard output and error in the
// folder's "out" and "err".
int MakeSampleJob(const TempFolder& folder, const std::string& arguments) {
    const std::string command = std::string(ZEP_MAKE_SAMPLE_JOB) + " " + arguments + " >" +
                                folder.at("out") + " 2>" + folder.at("err");
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(MakeSampleJob, RefusesAFaultyDescriptionOrPathWithTheFaultsPlaceAndWritesNothing) {
    const struct {
        std::string description; // written to in.json
        std::string fault;       // how standard error begins; %F is the folder
        std::string input = "in.json";
        std::string output = "job";
    } cases[] = {
        {R"({"job": {"jobname": "Spring sale"}})", "job.jobname: unknown key\n"},
        {R"({"groups": [{"destinations": [{"width": 200}, {"width": "200mm"}]}]})",
         "groups[0].destinations[1].width: expected a number\n"},
        {R"({"job": {"pageCount": "two"}})", "job.pageCount: expected a whole number\n"},
        {R"({"job": {"jobFolder": "tmp/job"}})", "job.jobFolder: not a path\n"},
        {R"({"ticket": {"qcs": {"checks": {"Transparancy": {"sev": "fault"}}}}})",
         "ticket.qcs.checks.Transparancy: unknown check name\n"},
        {R"({"defaults": {"Transparency": {"type": "boolean", "defaults": {"sev": "warning"}}}})",
         "defaults.Transparency.defaults.sev: unknown severity \"warning\"\n"},
        {R"({"forbidPDF": false,})", "description: parse error at line 1, column 21:"},
        {R"({"job": {"pageCount": 2, "sections": [{"first": 1e400}]}})",
         "description: number overflow parsing '1e400'\n"},
        // A booking that cannot be printed.
        {R"({"job": {"identifier": "4F7D2A90-6B1C-4E85-A3D2-1C9E8B7F5A6"}})",
         "job.identifier: expected a UUID (8-4-4-4-12 hexadecimal digits)\n"},
        {R"({"job": {"pageCount": 0}})",
         "job.pageCount: expected a whole number from 1 to 2147483647\n"},
        {R"({"groups": [{"destinations": [{"name": "Daily Courier", "width": 200}]}]})",
         "groups[0].destinations[0].id: expected the destination's identifier\n"},
        {R"({"groups": [{}, {"destinations": [{"id": "1", "width": -595.28, "height": 842}]}]})",
         "groups[1].destinations[0].width: expected a number above 0\n"},
        {R"({"groups": [{"destinations": [{"id": "1", "width": 595.28}]}]})",
         "groups[0].destinations[0].height: expected a number above 0\n"},
        {R"({"groups": [{"destinations": [{"id": "1", "width": 10, "height": 10,
             "bleed": [3, 3, -3, 3]}]}]})",
         "groups[0].destinations[0].bleed[2]: expected a number not below 0\n"},
        {"{}", "cannot read %F/missing.json\n", "missing.json"},
        {"{}", "cannot write %F/none/job\n", "in.json", "none/job"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        folder.write("in.json", c.description);
        EXPECT_EQ(MakeSampleJob(folder, "--hex " + folder.at(c.input) + " " + folder.at(c.output)),
                  1)
            << c.description;
        const std::string fault = std::regex_replace(c.fault, std::regex("%F"), folder.root());
        EXPECT_THAT(folder.read("err"), ::testing::StartsWith(fault));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.root()), {}), 3)
            << "written beside in.json, out and err: " << c.description;
    }
}

TEST(MakeSampleJob, PrintsItsUsageOnRequest) {
    TempFolder folder;
    EXPECT_EQ(MakeSampleJob(folder, "--help"), 0);
    EXPECT_EQ(folder.read("out"), "usage: make_sample_job [--hex] description.json output\n");
}

TEST(MakeSampleJob, NotesTheJobsChecksThatNoAnalysisRecords) {
    const struct {
        std::string description;
        std::string note; // standard error
    } cases[] = {
        {R"({"defaults": {"Hairline": {"type": "boolean", "defaults": {"sev": "warn"}},
                          "TextBoxOverflowed": {"type": "boolean", "defaults": {"sev": "warn"}},
                          "Setting_PDFVersion": {"type": "parameter",
                                                 "defaults": {"sev": "parameter", "note": 1.4}}},
             "ticket": {"qcs": {"checks": {"Transparency": {"sev": "fault"},
                                           "Hairline": {"sev": "fault"},
                                           "PrintoutSuppressed": {"sev": "note"}}}}})",
         "note: no analysis of the plug-in records Hairline, Transparency: no page item of an "
         "export carries them (the README's \"What the plug-in examines\" lists the checks it "
         "records)\n"},
        {R"({"ticket": {"qcs": {"checks": {"Hairline": {"sev": "fault"}}}}})",
         "note: no analysis of the plug-in records Hairline: no page item of an export carries it "
         "(the README's \"What the plug-in examines\" lists the checks it records)\n"},
        // Only recorded checks and settings, or none at all: no note.
        {R"({"ticket": {"qcs": {"checks": {"TextBoxOverflowed": {"sev": "fault"},
                                           "Setting_PDFVersion": {"note": 1.4}}}}})",
         ""},
        {"{}", ""},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        folder.write("in.json", c.description);
        EXPECT_EQ(MakeSampleJob(folder, "--hex " + folder.at("in.json") + " " + folder.at("job")),
                  0)
            << c.description;
        EXPECT_EQ(folder.read("err"), c.note);
        EXPECT_TRUE(std::filesystem::exists(folder.at("job")));
    }
}
