// The sample texts of the conversion benchmarks, shared so that every conversion is measured
// on the same bytes: plain ASCII and mixed-script text, about 64 KiB each.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

constexpr std::size_t kSampleBytes = 64 * 1024;

// `piece` repeated as often as it fits whole in `bytes`.
inline std::string repeatTo(const std::string& piece, std::size_t bytes) {
    std::string text;
    while (text.size() + piece.size() <= bytes) {
        text += piece;
    }
    return text;
}

inline const std::string& asciiSample() {
    static const std::string text =
        repeatTo("The quick brown fox jumps over the lazy dog, 0123456789. ", kSampleBytes);
    return text;
}

// Latin with accents, Greek, Cyrillic, CJK and emoji: every UTF-8 length.
inline const std::string& mixedSample() {
    static const std::string text =
        repeatTo("Gr\xC3\xBC\xC3\x9F"
                 "e aus K\xC3\xB6ln, \xCE\xBA\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC"
                 "\xCE\xAD\xCF\x81\xCE\xB1, \xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
                 "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x98\x80 \xE2\x82\xAC"
                 "12. ",
                 kSampleBytes);
    return text;
}

} // namespace bench
