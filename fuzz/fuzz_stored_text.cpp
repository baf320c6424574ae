// libFuzzer target for the stored texts that come back from outside: a "PATH:" block read from
// saved data, relative to a base folder or on its own, and a byte buffer decoded by its byte-order
// mark, whose UTF-16 conversions must agree with the plain converter loops. Both must end in a
// result, never in a crash, a hang or a sanitizer report.
#include "QuietLog.h"
#include "UstringReference.h"
#include "utils/FilePath.h"
#include "utils/ustring.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();

    UByteBuffer block;
    block.assign(data, size);
    static const UFileSpecCore base("Z:/tmp/zephrin-fuzz/base");
    // A block that is refused leaves the path empty.
    UFileSpecCore relative;
    if (!relative.from_blob(block, &base) && !relative.path().empty())
        std::abort();
    UFileSpecCore whole;
    if (!whole.from_blob(block, nullptr) && !whole.path().empty())
        std::abort();

    // The string type's conversions, with their ASCII shortcuts, give what the plain loops give.
    const ustring decoded = ustring::fromBytes(data, size);
    const std::u16string units = decoded.toWString();
    if (units != referenceToUtf16(decoded.toStdString()) ||
        ustring::fromWString(units) != referenceFromUtf16(units))
        std::abort();
    return 0;
}
