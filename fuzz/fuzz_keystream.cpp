// libFuzzer target for the keyed record stream reader: opening, walking and reading every element
// of arbitrary bytes must end normally or in std::runtime_error, never in a crash, a hang, a huge
// allocation or a sanitizer report.
#include "QuietLog.h"
#include "utils/UKeyStream.h"
#include "utils/umessage.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

void walk(UKeyInStream& reader) {
    std::uint16_t key;
    std::uint8_t type;
    std::uint32_t length;
    std::int32_t depth;
    while (reader.next_element(key, type, length, depth)) {
        switch (type) {
        case UKeyStream::field_string: {
            ustring text;
            reader.read_string(text);
            break;
        }
        case UKeyStream::field_binary: {
            umessage message;
            reader.read_message(message);
            break;
        }
        case UKeyStream::field_float: {
            double value = 0;
            reader.read_double(value);
            break;
        }
        default: {
            std::int32_t value = 0;
            if (length <= 4)
                reader.read_int(value);
            break;
        }
        }
    }
}

// The job reader's idiom: keyed lookups, a list of items, nested records and arrays.
void readLikeAJob(UKeyInStream& reader) {
    std::int32_t number = 0;
    ustring text;
    reader.select_key(0x4944).read_int(number);
    reader.enter_record(0x4A4A);
    while (reader.next_item()) {
        reader.select_key(1).read_int(number).select_key(2).read_string(text);
        reader.enter_array(3);
        while (reader.next_item()) {
            double value = 0;
            reader.read_double(value);
        }
        reader.leave();
    }
    reader.leave();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        std::istringstream in(bytes);
        UKeyInStream reader(in);
        walk(reader);
    } catch (const std::runtime_error&) {
    }
    try {
        std::istringstream in(bytes);
        UKeyInStream reader(in);
        readLikeAJob(reader);
    } catch (const std::runtime_error&) {
    }
    std::istringstream in(bytes);
    std::uint32_t identifier = 0;
    bool ok = false;
    UKeyInStream::probe(in, identifier, ok);
    return 0;
}
