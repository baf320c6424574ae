// libFuzzer target for the job list's stored record: ZEPJobList::ReadWrite on arbitrary bytes
// through the host stream must end in a read job, a refused record or a std::runtime_error of
// the job reader, never in a crash, a hang, a huge allocation or a sanitizer report; a failed or
// refused read leaves the job as it was, and a job that was read writes and reads back again.
#include "AttachedPlugin.h"
#include "Plugin/ZEPJobList.h"
#include "QuietLog.h"
#include "host/standin/Stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string Stored(ZEPJobList& job) {
    std::string text;
    job.GetAsString(text, true);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();
    AttachPluginOnce();

    InterfacePtr<IZEPJobList> held(
        static_cast<IZEPJobList*>(CreateObject(kZEPJobBoss, IID_IZEPJOBLIST)));
    auto& job = static_cast<ZEPJobList&>(*held);
    const std::string before = Stored(job);
    auto in = MemoryStream::Reader(std::vector<std::uint8_t>(data, data + size));
    try {
        job.ReadWrite(in.get(), kZEPJobListImpl);
    } catch (const std::runtime_error&) {
        if (Stored(job) != before)
            std::abort();
        return 0;
    }
    auto out = MemoryStream::Writer();
    job.ReadWrite(out.get(), kZEPJobListImpl);
    auto again = MemoryStream::Reader(out->Bytes());
    job.ReadWrite(again.get(), kZEPJobListImpl);
    return 0;
}
