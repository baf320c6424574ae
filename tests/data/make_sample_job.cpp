// Makes the sample job file of the end-to-end tests from its readable description:
//     make_sample_job sample_job.json sample_job.job5
// The description gives the job's fields, its groups and destinations, and the elements that
// only job files made outside the system carry: the definitions 'Dp', the ticket 'SR' and the
// export permission 'BP'. The boxes are computed from the destinations, as document fitting does.
#include "model/BJobFile.h"
#include "support/OutsideJob.h"
#include "utils/umessage.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>

namespace {

std::shared_ptr<const umessage> child(const umessage& message, const char* name,
                                      std::uint64_t index = 0) {
    std::shared_ptr<const umessage> found;
    return message.get(name, index, found) ? found : std::make_shared<const umessage>();
}

std::uint64_t countOf(const umessage& message, const char* name) {
    std::uint64_t n = 0;
    message.count(name, n);
    return n;
}

ustring text(const umessage& message, const char* name) {
    return message.valueOr<ustring>(name, 0, ustring());
}

double number(const umessage& message, const char* name, std::uint64_t index = 0) {
    return message.valueOr<double>(name, index, 0.0);
}

void setPath(UFileSpecCore& path, const umessage& message, const char* name) {
    if (message.contains(name) && !path.set(text(message, name), nullptr))
        throw std::runtime_error("not a path: " + text(message, name).toStdString());
}

void describeJob(BJobFile& job, const umessage& description) {
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

void describeDestination(BDestination& destination, const umessage& description) {
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

void describeGroups(BJobFile& job, const umessage& description) {
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

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_sample_job description.json output.job5\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    umessage description;
    if (!in || !description.read(in)) {
        std::cerr << "cannot read the description " << argv[1] << '\n';
        return 1;
    }

    BJobFile job;
    describeJob(job, *child(description, "job"));
    describeGroups(job, description);
    job.ComputeBoxes();

    OutsideElements extra{child(description, "defaults"), child(description, "ticket"), {}, {}};
    if (description.contains("forbidPDF"))
        extra.forbidPDF = description.value<bool>("forbidPDF");
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    writeOutsideJob(out, job, extra);
    out.close();
    if (!out) {
        std::cerr << "cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
