// UTF-8 to UTF-16, the conversion behind every ustring handed to a UTF-16 call: the system's
// converter beside ICU's u_strFromUTF8, on plain ASCII text and on mixed-script text.
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

BENCHMARK(BM_Utf8ToUtf16Ascii_zep);
BENCHMARK(BM_Utf8ToUtf16Ascii_icu);
BENCHMARK(BM_Utf8ToUtf16Mixed_zep);
BENCHMARK(BM_Utf8ToUtf16Mixed_icu);

} // namespace
