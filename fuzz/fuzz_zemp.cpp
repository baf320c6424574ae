// libFuzzer target for the job text of the script methods ('Zemp'), read as 'savY', 'sanY' and
// 'expY' read it: ZEPJobList::SetFromString of the full job on arbitrary text (raw job-file bytes
// after 'K' 'S', else hex pairs) must end in a read job or a std::runtime_error of the job
// reader, never in a crash, a hang, a huge allocation or a sanitizer report. A refused text
// leaves the job as it was; a job that was read gives bytes that read back to the same bytes.
#include "AttachedPlugin.h"
#include "Plugin/ZEPJobList.h"
#include "QuietLog.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

// A new transient job object, as the script provider makes for each call.
InterfacePtr<IZEPJobList> NewJob() {
    InterfacePtr<IZEPJobList> job(
        static_cast<IZEPJobList*>(CreateObject(kZEPJobBoss, IID_IZEPJOBLIST)));
    if (!job)
        std::abort();
    return job;
}

std::string Full(IZEPJobList& job) {
    std::string bytes;
    job.GetAsString(bytes, false);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();
    AttachPluginOnce();

    const InterfacePtr<IZEPJobList> job = NewJob();
    const std::string before = Full(*job);
    try {
        job->SetFromString(std::string(reinterpret_cast<const char*>(data), size), false);
    } catch (const std::runtime_error&) {
        if (Full(*job) != before)
            std::abort();
        return 0;
    }
    const std::string read = Full(*job);
    const InterfacePtr<IZEPJobList> again = NewJob();
    again->SetFromString(read, false);
    if (Full(*again) != read)
        std::abort();
    return 0;
}
