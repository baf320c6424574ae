// libFuzzer target for the job list's stored record: ZEPJobList::ReadWrite on arbitrary bytes
// through the host stream must end in a read job or a refused record (the job as it was, an
// ERROR record), never in an exception, a crash, a hang, a huge allocation or a sanitizer report;
// the job then writes and reads back again.
#include "AttachedPlugin.h"
#include "Plugin/ZEPJobList.h"
#include "QuietLog.h"
#include "host/standin/Stream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();
    AttachPluginOnce();

    InterfacePtr<IZEPJobList> held(
        static_cast<IZEPJobList*>(CreateObject(kZEPJobBoss, IID_IZEPJOBLIST)));
    auto& job = static_cast<ZEPJobList&>(*held);
    auto in = MemoryStream::Reader(std::vector<std::uint8_t>(data, data + size));
    job.ReadWrite(in.get(), kZEPJobListImpl);
    auto out = MemoryStream::Writer();
    job.ReadWrite(out.get(), kZEPJobListImpl);
    auto again = MemoryStream::Reader(out->Bytes());
    job.ReadWrite(again.get(), kZEPJobListImpl);
    return 0;
}
