// UTF-8 to UTF-16, the conversion behind every ustring handed to a UTF-16 call: the system's
// converter beside ICU's u_strFromUTF8, on plain ASCII text and on mixed-script text.
#include "ConvertUTF.h"

#include <benchmark/benchmark.h>
#include <unicode/ustring.h>

#include <string>
#include <vector>

namespace {

constexpr std::size_t kTextBytes = 64 * 1024;

std::string repeatTo(const std::string& piece, std::size_t bytes) {
    std::string text;
    while (text.size() + piece.size() <= bytes) {
        text += piece;
    }
    return text;
}

const std::string& asciiText() {
    static const std::string text =
        repeatTo("The quick brown fox jumps over the lazy dog, 0123456789. ", kTextBytes);
    return text;
}

// Latin with accents, Greek, Cyrillic, CJK and emoji: every UTF-8 length.
const std::string& mixedText() {
    static const std::string text =
        repeatTo("Gr\xC3\xBC\xC3\x9F"
                 "e aus K\xC3\xB6ln, \xCE\xBA\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC"
                 "\xCE\xAD\xCF\x81\xCE\xB1, \xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
                 "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x98\x80 \xE2\x82\xAC"
                 "12. ",
                 kTextBytes);
    return text;
}

void convertWithZep(benchmark::State& state, const std::string& text) {
    std::vector<UTF16> target(text.size());
    for (auto _ : state) {
        const auto* source = reinterpret_cast<const UTF8*>(text.data());
        UTF16* out = target.data();
        const ConversionResult result = ConvertUTF8toUTF16(
            &source, source + text.size(), &out, target.data() + target.size(), strictConversion);
        if (result != conversionOK) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void convertWithIcu(benchmark::State& state, const std::string& text) {
    std::vector<UChar> target(text.size());
    for (auto _ : state) {
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strFromUTF8(target.data(), static_cast<int32_t>(target.size()), &length, text.data(),
                      static_cast<int32_t>(text.size()), &error);
        if (U_FAILURE(error)) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(length);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_Utf8ToUtf16Ascii_zep(benchmark::State& state) {
    convertWithZep(state, asciiText());
}
void BM_Utf8ToUtf16Ascii_icu(benchmark::State& state) {
    convertWithIcu(state, asciiText());
}
void BM_Utf8ToUtf16Mixed_zep(benchmark::State& state) {
    convertWithZep(state, mixedText());
}
void BM_Utf8ToUtf16Mixed_icu(benchmark::State& state) {
    convertWithIcu(state, mixedText());
}

BENCHMARK(BM_Utf8ToUtf16Ascii_zep);
BENCHMARK(BM_Utf8ToUtf16Ascii_icu);
BENCHMARK(BM_Utf8ToUtf16Mixed_zep);
BENCHMARK(BM_Utf8ToUtf16Mixed_icu);

} // namespace
