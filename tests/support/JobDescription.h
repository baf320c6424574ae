// Test aid: a job file made from a small readable description (JSON), as the companion
// application would send it. tests/data/make_sample_job writes the same bytes to a file, raw or
// as upper-case hex text, for the sample job and the examples.
//
//   {"job": {"identifier": "5A1E...", "jobName": "Spring sale", "documentName": "ad.indd",
//            "style": 0, "pageCount": 2, "commonSizing": false, "jobFolder": "Z:/tmp/job",
//            "outputFile": "Z:/tmp/job/ad.pdf", "pageItemFile": "Z:/tmp/job/ad.items",
//            "sections": [{"name": "", "first": 1, "count": 2}]},
//    "groups": [{"selected": true,
//                "destinations": [{"id": "1001", "name": "Daily Courier", "firstCode": "DC",
//                                  "firstName": "Daily Courier", "width": 200, "height": 100,
//                                  "bleed": [3, 3, 3, 3], "typeIndent": [5, 5, 5, 5],
//                                  "exported": false}]}],
//    "defaults": {"Transparency": {"type": "boolean", "defaults": {"sev": "warn"}}},  'Dp'
//    "ticket": {"identifier": "booking-4711",                                          'SR'
//               "qcs": {"checks": {"Transparency": {"sev": "fault"}}}},
//    "forbidPDF": false}                                                     'BP' with 'Br'
//
// Every part may be left out: a job without groups, 'Dp', 'SR' or 'BP'. The setting
// definitions ("defaults") give each check's type and default severity; the ticket's checks
// give the job's severities, limits and string parameters ("P": ["a.icc", "b.icc"] sets
// parameters 0 and 1). The boxes are computed from the destinations, as document fitting does.
// make_sample_job takes only the keys shown, and in a setting "sev", the limits "note", "warn",
// "fault" and "ignore", "P", "PV", "precision" and "fix" (support/JobDescriptionCheck.h), and
// only a booking that can be printed: a job identifier that is a UUID, a page count of at least
// 1, and destinations with an identifier, a width and a height above 0 and no bleed below 0; the
// tests' own descriptions may carry more of a ticket or of a definition, and any values.
#pragma once

#include "model/BJobFile.h"
#include "support/OutsideJob.h"
#include "utils/umessage.h"

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

namespace job_description {

inline std::shared_ptr<const umessage> child(const umessage& message, const char* name,
                                             std::uint64_t index = 0) {
    std::shared_ptr<const umessage> found;
    return message.get(name, index, found) ? found : std::make_shared<const umessage>();
}

inline std::uint64_t countOf(const umessage& message, const char* name) {
    std::uint64_t n = 0;
    message.count(name, n);
    return n;
}

inline ustring text(const umessage& message, const char* name) {
    return message.valueOr<ustring>(name, 0, ustring());
}

inline double number(const umessage& message, const char* name, std::uint64_t index = 0) {
    return message.valueOr<double>(name, index, 0.0);
}

inline void setPath(UFileSpecCore& path, const umessage& message, const char* name) {
    if (message.contains(name) && !path.set(text(message, name), nullptr))
        throw std::runtime_error("not a path: " + text(message, name).toStdString());
}

inline void describeJob(BJobFile& job, const umessage& description) {
    job.identifier = text(description, "identifier");
    job.jobName = text(description, "jobName");
    job.documentName = text(description, "documentName");
    job.style = static_cast<std::int32_t>(number(description, "style"));
    job.pageCount = description.valueOr<int>("pageCount", 0, 1);
    job.commonSizing = description.valueOr<bool>("commonSizing", 0, false);
    setPath(job.jobFolder, description, "jobFolder");
    setPath(job.outputFile, description, "outputFile");
    setPath(job.pageItemFile, description, "pageItemFile");
    for (std::uint64_t i = 0; i < countOf(description, "sections"); ++i) {
        const auto run = child(description, "sections", i);
        job.GetSectionRuns().Append(
            std::make_unique<BPageRange>(text(*run, "name"), run->valueOr<int>("first", 0, 1),
                                         run->valueOr<int>("count", 0, 1), kPageRangeStyleDefault));
    }
    job.GetSectionRuns().ToAbsolute(job.GetAbsoluteRuns());
}

inline void describeDestination(BDestination& destination, const umessage& description) {
    destination.SetIdentifier(text(description, "id"));
    destination.SetName(text(description, "name"));
    destination.SetFirstCode(text(description, "firstCode"));
    destination.SetFirstName(text(description, "firstName"));
    destination.SetSize(number(description, "width"), number(description, "height"));
    destination.SetBleeds(number(description, "bleed", 0), number(description, "bleed", 1),
                          number(description, "bleed", 2), number(description, "bleed", 3));
    destination.SetTypeIndents(
        number(description, "typeIndent", 0), number(description, "typeIndent", 1),
        number(description, "typeIndent", 2), number(description, "typeIndent", 3));
    destination.SetExported(description.valueOr<bool>("exported", 0, false));
}

inline void describeGroups(BJobFile& job, const umessage& description) {
    for (std::uint64_t g = 0; g < countOf(description, "groups"); ++g) {
        const auto groupDescription = child(description, "groups", g);
        BGroup* group = job.GetGroups().AddGroup();
        group->SetSelected(groupDescription->valueOr<bool>("selected", 0, false));
        for (std::uint64_t d = 0; d < countOf(*groupDescription, "destinations"); ++d)
            describeDestination(*group->CreateDestination(),
                                *child(*groupDescription, "destinations", d));
        group->UpdateSizeSummary();
    }
}

} // namespace job_description

// Writes the described job file ("JOB5" keyed stream) to `out`.
inline void writeDescribedJob(std::ostream& out, const umessage& description) {
    using namespace job_description;
    BJobFile job;
    describeJob(job, *child(description, "job"));
    describeGroups(job, description);
    job.ComputeBoxes();
    OutsideElements extra{description.contains("defaults") ? child(description, "defaults")
                                                           : nullptr,
                          description.contains("ticket") ? child(description, "ticket") : nullptr,
                          {},
                          {}};
    if (description.contains("forbidPDF"))
        extra.forbidPDF = description.value<bool>("forbidPDF");
    writeOutsideJob(out, job, extra);
}

// The bytes of the job file that the JSON text describes; std::runtime_error for a text that is
// no description.
inline std::string describedJobBytes(const std::string& json) {
    std::istringstream in(json);
    umessage description;
    if (!description.read(in))
        throw std::runtime_error("not a job description: " + json);
    std::ostringstream out;
    writeDescribedJob(out, description);
    return out.str();
}
