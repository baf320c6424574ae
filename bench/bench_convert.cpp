// The UTF converters alone, into a ready buffer: UTF-8 to UTF-16 (behind every ustring handed to
// a UTF-16 call) beside ICU's u_strFromUTF8, and UTF-16 to UTF-8 beside u_strToUTF8, on plain
// ASCII text and on mixed-script text. Rates count the bytes of the input.
#include "encoding/ConvertUTF.h"
#include "samples.h"

#include <benchmark/benchmark.h>
#include <unicode/ustring.h>

#include <string>
#include <vector>

namespace {

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

std::u16string utf16Of(const std::string& text) {
    std::u16string units(text.size(), u'\0');
    UErrorCode error = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(units.data(), static_cast<int32_t>(units.size()), &length, text.data(),
                  static_cast<int32_t>(text.size()), &error);
    units.resize(static_cast<std::size_t>(length));
    return units;
}

void convertUtf16WithZep(benchmark::State& state, const std::string& text) {
    const std::u16string units = utf16Of(text);
    std::vector<UTF8> target(3 * units.size());
    for (auto _ : state) {
        const auto* source = reinterpret_cast<const UTF16*>(units.data());
        UTF8* out = target.data();
        const ConversionResult result = ConvertUTF16toUTF8(
            &source, source + units.size(), &out, target.data() + target.size(), strictConversion);
        if (result != conversionOK) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * units.size() * sizeof(char16_t)));
}

void convertUtf16WithIcu(benchmark::State& state, const std::string& text) {
    const std::u16string units = utf16Of(text);
    std::vector<char> target(3 * units.size());
    for (auto _ : state) {
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strToUTF8(target.data(), static_cast<int32_t>(target.size()), &length, units.data(),
                    static_cast<int32_t>(units.size()), &error);
        if (U_FAILURE(error)) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(length);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * units.size() * sizeof(char16_t)));
}

void BM_Utf8ToUtf16Ascii_zep(benchmark::State& state) {
    convertWithZep(state, bench::asciiSample());
}
void BM_Utf8ToUtf16Ascii_icu(benchmark::State& state) {
    convertWithIcu(state, bench::asciiSample());
}
void BM_Utf8ToUtf16Mixed_zep(benchmark::State& state) {
    convertWithZep(state, bench::mixedSample());
}
void BM_Utf8ToUtf16Mixed_icu(benchmark::State& state) {
    convertWithIcu(state, bench::mixedSample());
}

void BM_Utf16ToUtf8Ascii_zep(benchmark::State& state) {
    convertUtf16WithZep(state, bench::asciiSample());
}
void BM_Utf16ToUtf8Ascii_icu(benchmark::State& state) {
    convertUtf16WithIcu(state, bench::asciiSample());
}
void BM_Utf16ToUtf8Mixed_zep(benchmark::State& state) {
    convertUtf16WithZep(state, bench::mixedSample());
}
void BM_Utf16ToUtf8Mixed_icu(benchmark::State& state) {
    convertUtf16WithIcu(state, bench::mixedSample());
}

BENCHMARK(BM_Utf8ToUtf16Ascii_zep);
BENCHMARK(BM_Utf8ToUtf16Ascii_icu);
BENCHMARK(BM_Utf8ToUtf16Mixed_zep);
BENCHMARK(BM_Utf8ToUtf16Mixed_icu);
BENCHMARK(BM_Utf16ToUtf8Ascii_zep);
BENCHMARK(BM_Utf16ToUtf8Ascii_icu);
BENCHMARK(BM_Utf16ToUtf8Mixed_zep);
BENCHMARK(BM_Utf16ToUtf8Mixed_icu);

} // namespace
