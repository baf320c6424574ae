// Flattener records: their fields under decimal keys, alone or inside a record.
#include "model/BTransparencyFlattener.h"

#include "utils/UKeyStream.h"

namespace {

constexpr std::uint16_t kKeyEnabled = 3201;
// Keys of `values` and `options`, in field order.
constexpr std::uint16_t kValueKeys[] = {3202, 3220, 3221, 3222, 3223};
constexpr std::uint16_t kOptionKeys[] = {3210, 3211, 3212, 3213, 3214, 3215, 3216, 3217};

} // namespace

void BTransparencyFlattener::WriteFields(UKeyOutStream& out) const {
    out.select_key(kKeyEnabled).write_bool(enabled);
    for (std::size_t i = 0; i < values.size(); ++i)
        out.select_key(kValueKeys[i]).write_double(values[i]);
    for (std::size_t i = 0; i < options.size(); ++i)
        out.select_key(kOptionKeys[i]).write_bool(options[i]);
}

void BTransparencyFlattener::ReadFields(UKeyInStream& in) {
    in.select_key(kKeyEnabled).read_bool(enabled);
    for (std::size_t i = 0; i < values.size(); ++i)
        in.select_key(kValueKeys[i]).read_double(values[i]);
    for (std::size_t i = 0; i < options.size(); ++i)
        in.select_key(kOptionKeys[i]).read_bool(options[i]);
}

void BTransparencyFlattener::Write(UKeyOutStream& out, std::uint16_t key) const {
    out.begin_record(key);
    WriteFields(out);
    out.end();
}

void BTransparencyFlattener::Read(UKeyInStream& in, std::uint16_t key) {
    in.enter_record(key);
    ReadFields(in);
    in.leave();
}
