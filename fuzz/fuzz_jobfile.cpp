// libFuzzer target for the job-file reader: BJobFile::Read on arbitrary bytes must end in a read
// job or a std::runtime_error, never in a crash, a hang, a huge allocation or a sanitizer
// report; a job that was read writes and reads back again.
#include "QuietLog.h"
#include "model/BJobFile.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const std::int32_t mask : {kJobFilePartSummary, kJobFilePartFull}) {
        BJobFile job;
        std::istringstream in(bytes);
        try {
            job.Read(in, mask);
        } catch (const std::runtime_error&) {
            continue;
        }
        std::stringstream copy;
        job.Write(copy, mask);
        BJobFile again;
        again.Read(copy, mask);
    }
    return 0;
}
