// The job text: the form in which the companion application hands job-file bytes to the script
// methods ('Zemp'), either the raw keyed-stream bytes or their hex pairs, and the hex pairs of the
// 'DisT' payload. The readers keep the system's own digit rules, faults included: a text the
// companion never writes decodes to whatever bytes those rules give, and it is the job reader's
// part to refuse them.
#pragma once

#include <string>
#include <string_view>

// How the digits of a hex pair are valued. Both take v(c) = c - 48 below 'A', else c - 55, so
// '0'-'9' and 'A'-'F' give their values under either rule.
enum class HexDigitRule {
    // v(c) as it is, the pair's byte (v(high) * 16 + v(low)) kept to 8 bits: 'a'-'f' and other
    // characters give wrong bytes. The job text's rule.
    kWholeValue,
    // Each digit's v(c) kept to its low 4 bits: 'a'-'f' count as 'A'-'F'. The 'DisT' rule.
    kLowNibble,
};

// The bytes of consecutive hex pairs from the first character, valued by `rule`; an odd last
// character is ignored.
[[nodiscard]] std::string DecodeHexPairs(std::string_view text, HexDigitRule rule);

// The job-file bytes of a job text: the text as it stands when its first two bytes are the keyed
// stream's root key ('K' 'S'), else its hex pairs under HexDigitRule::kWholeValue.
[[nodiscard]] std::string DecodeJobText(std::string_view text);

// The hex job text of job-file bytes, as the companion application writes it: two upper-case
// digits per byte, high half first.
[[nodiscard]] std::string EncodeJobText(std::string_view bytes);
