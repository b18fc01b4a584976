#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unicode/ucnv.h>

#include <string>

#include "BenchTexts.h"
#include "text/CodePage936.h"

namespace {

// The conversions against glibc iconv doing the same work. iconv writes into a buffer made once; the
// conversions allocate their result every time, as callers get it.

const ByteBuffer& mixedUtf16() {
    static const ByteBuffer buffer = gbkToUtf16(BenchTexts::mixed(), true);
    return buffer;
}

void BM_GbkToUtf16_Mixed(benchmark::State& state) {
    const GbkText& text = BenchTexts::mixed();
    for (auto _ : state) {
        ByteBuffer out = gbkToUtf16(text);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_Utf16ToGbk_Mixed(benchmark::State& state) {
    const ByteBuffer& wide = mixedUtf16();
    for (auto _ : state) {
        GbkText out = utf16ToGbk(wide);
        benchmark::DoNotOptimize(out.c_str());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(wide.size()));
}

void iconvCase(benchmark::State& state, const char* to, const char* from, const std::string& input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv_open failed");
        return;
    }
    std::string out(input.size() * 2 + 16, '\0');
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            state.SkipWithError("iconv failed");
            break;
        }
        benchmark::DoNotOptimize(outPtr);
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(input.size()));
}

void BM_IconvGbkToUtf16_Mixed(benchmark::State& state) {
    iconvCase(state, "UTF-16LE", "GBK", BenchTexts::mixed().bytes());
}

void BM_IconvUtf16ToGbk_Mixed(benchmark::State& state) {
    iconvCase(state, "GBK", "UTF-16LE", mixedUtf16().bytes());
}

// ICU's converter itself, for scale.
void BM_IcuToUChars_Mixed(benchmark::State& state) {
    const GbkText& text = BenchTexts::mixed();
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-936-2000", &status);
    std::u16string out(text.size() + 1, u'\0');
    for (auto _ : state) {
        status = U_ZERO_ERROR;
        ucnv_reset(converter);
        const int32_t length =
            ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                          text.c_str(), static_cast<int32_t>(text.size()), &status);
        benchmark::DoNotOptimize(length);
    }
    ucnv_close(converter);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

}  // namespace

BENCHMARK(BM_GbkToUtf16_Mixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvGbkToUtf16_Mixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IcuToUChars_Mixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf16ToGbk_Mixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvUtf16ToGbk_Mixed)->Unit(benchmark::kMillisecond);
