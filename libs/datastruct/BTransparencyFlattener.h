// The transparency-flattener settings the analysis finds for one page or for the document, and
// their record in the page-item file.
#pragma once

#include "utils/ustring.h"

#include <array>
#include <cstdint>

class UKeyInStream;
class UKeyOutStream;

struct BTransparencyFlattener {
    // The page-item file carries each page's record under 180.
    static constexpr std::uint16_t kPageRecord = 180;
    static constexpr std::uint16_t kAlternateRecord = 2031;

    // 3201 enabled; 3202, 3220, 3221, 3222, 3223 the values; 3210 to 3217 the options.
    void WriteFields(UKeyOutStream& out) const;
    // The same keys; absent keys keep their values.
    void ReadFields(UKeyInStream& in);
    // The fields inside a record `key`.
    void Write(UKeyOutStream& out, std::uint16_t key = kPageRecord) const;
    void Read(UKeyInStream& in, std::uint16_t key = kPageRecord);

    std::int32_t page = 0; // set by the analysis; not stored
    bool enabled = false;  // 3201
    ustring name;          // not stored
    std::array<double, 5> values{};
    std::array<bool, 8> options{};
};

// The document-level settings of a page set.
struct BDocumentTransparencyFlattener : BTransparencyFlattener {};
