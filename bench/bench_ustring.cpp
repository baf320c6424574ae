// ustring's UTF-16 conversions, whole strings in and out as callers use them: toWString (UTF-8
// to UTF-16) and assignUtf16 (UTF-16 to UTF-8) beside ICU's u_strFromUTF8 / u_strToUTF8 filling
// the same kind of result string, on plain ASCII text and on mixed-script text.
#include "samples.h"
#include "utils/ustring.h"

#include <benchmark/benchmark.h>
#include <unicode/ustring.h>

#include <string>

namespace {

const ustring& asciiText() {
    static const ustring text(bench::asciiSample());
    return text;
}

const ustring& mixedText() {
    static const ustring text(bench::mixedSample());
    return text;
}

void toUtf16WithZep(benchmark::State& state, const ustring& text) {
    for (auto _ : state) {
        std::u16string units = text.toWString();
        benchmark::DoNotOptimize(units.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void toUtf16WithIcu(benchmark::State& state, const ustring& text) {
    for (auto _ : state) {
        std::u16string units(text.size(), u'\0');
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strFromUTF8(units.data(), static_cast<int32_t>(units.size()), &length, text.data(),
                      static_cast<int32_t>(text.size()), &error);
        if (U_FAILURE(error)) {
            state.SkipWithError("conversion failed");
            break;
        }
        units.resize(static_cast<std::size_t>(length));
        benchmark::DoNotOptimize(units.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void fromUtf16WithZep(benchmark::State& state, const ustring& text) {
    const std::u16string units = text.toWString();
    for (auto _ : state) {
        ustring result;
        result.assignUtf16(units.data(), units.size());
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * units.size() * sizeof(char16_t)));
}

void fromUtf16WithIcu(benchmark::State& state, const ustring& text) {
    const std::u16string units = text.toWString();
    for (auto _ : state) {
        std::string result(3 * units.size(), '\0');
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strToUTF8(result.data(), static_cast<int32_t>(result.size()), &length, units.data(),
                    static_cast<int32_t>(units.size()), &error);
        if (U_FAILURE(error)) {
            state.SkipWithError("conversion failed");
            break;
        }
        result.resize(static_cast<std::size_t>(length));
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * units.size() * sizeof(char16_t)));
}

void BM_UstringToUtf16Ascii_zep(benchmark::State& state) {
    toUtf16WithZep(state, asciiText());
}
void BM_UstringToUtf16Ascii_icu(benchmark::State& state) {
    toUtf16WithIcu(state, asciiText());
}
void BM_UstringToUtf16Mixed_zep(benchmark::State& state) {
    toUtf16WithZep(state, mixedText());
}
void BM_UstringToUtf16Mixed_icu(benchmark::State& state) {
    toUtf16WithIcu(state, mixedText());
}
void BM_UstringFromUtf16Ascii_zep(benchmark::State& state) {
    fromUtf16WithZep(state, asciiText());
}
void BM_UstringFromUtf16Ascii_icu(benchmark::State& state) {
    fromUtf16WithIcu(state, asciiText());
}
void BM_UstringFromUtf16Mixed_zep(benchmark::State& state) {
    fromUtf16WithZep(state, mixedText());
}
void BM_UstringFromUtf16Mixed_icu(benchmark::State& state) {
    fromUtf16WithIcu(state, mixedText());
}

BENCHMARK(BM_UstringToUtf16Ascii_zep);
BENCHMARK(BM_UstringToUtf16Ascii_icu);
BENCHMARK(BM_UstringToUtf16Mixed_zep);
BENCHMARK(BM_UstringToUtf16Mixed_icu);
BENCHMARK(BM_UstringFromUtf16Ascii_zep);
BENCHMARK(BM_UstringFromUtf16Ascii_icu);
BENCHMARK(BM_UstringFromUtf16Mixed_zep);
BENCHMARK(BM_UstringFromUtf16Mixed_icu);

} // namespace
