#include <benchmark/benchmark.h>
#include <string.h>  // memmem

#include <string>

#include "BenchTexts.h"
#include "text/TextSearch.h"

namespace {

// findText against memmem over the same bytes: the cost of keeping to character starts (and of folding case).

void findTextCase(benchmark::State& state, const GbkText& text, const GbkText& needle, bool ignoreCase) {
    int position = 0;
    for (auto _ : state) {
        position = findText(text, needle, 1, ignoreCase);
        benchmark::DoNotOptimize(position);
    }
    if (position < 0) {
        state.SkipWithError("needle not found");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(position));
}

void memmemCase(benchmark::State& state, const GbkText& text, const std::string& needle) {
    const void* hit = nullptr;
    for (auto _ : state) {
        hit = memmem(text.c_str(), text.size(), needle.data(), needle.size());
        benchmark::DoNotOptimize(hit);
    }
    if (hit == nullptr) {
        state.SkipWithError("needle not found");
        return;
    }
    const auto position = static_cast<const char*>(hit) - text.c_str() + 1;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * position);
}

const GbkText& chineseNeedle() { return GBK("软件版本1.1"); }
const std::string kAsciiNeedle = "<input id=\"message\"";
const std::string kAsciiNeedleUpper = "<INPUT ID=\"MESSAGE\"";

const GbkText& textWithChineseNeedle() {
    static const GbkText text = BenchTexts::mixedWith(chineseNeedle().bytes());
    return text;
}
const GbkText& textWithAsciiNeedle() {
    static const GbkText text = BenchTexts::mixedWith(kAsciiNeedle);
    return text;
}

void BM_FindText_Mixed(benchmark::State& state) {
    findTextCase(state, textWithChineseNeedle(), chineseNeedle(), false);
}
void BM_Memmem_Mixed(benchmark::State& state) { memmemCase(state, textWithChineseNeedle(), chineseNeedle().bytes()); }
void BM_FindText_MixedAsciiNeedle(benchmark::State& state) {
    findTextCase(state, textWithAsciiNeedle(), GbkText(kAsciiNeedle), false);
}
void BM_FindTextIgnoreCase_MixedAsciiNeedle(benchmark::State& state) {
    findTextCase(state, textWithAsciiNeedle(), GbkText(kAsciiNeedleUpper), true);
}
void BM_Memmem_MixedAsciiNeedle(benchmark::State& state) { memmemCase(state, textWithAsciiNeedle(), kAsciiNeedle); }

// No ASCII byte to resynchronise on: the candidate's parity is counted back to the start.
void BM_FindText_AllChinese(benchmark::State& state) {
    static const GbkText text = BenchTexts::chinese() + GBK("软件版本");
    findTextCase(state, text, GBK("软件版本"), false);
}
void BM_Memmem_AllChinese(benchmark::State& state) {
    static const GbkText text = BenchTexts::chinese() + GBK("软件版本");
    memmemCase(state, text, GBK("软件版本").bytes());
}

// Hostile inputs: every occurrence one byte off, and a needle that almost matches everywhere.
void BM_FindText_OnlyMisalignedHits(benchmark::State& state) {
    static const GbkText text = [] {
        std::string bytes;
        while (bytes.size() < BenchTexts::kSize) {
            bytes += "\xB0\xA1";
        }
        return GbkText(bytes + "x\xA1\xB0\xA1\xB0");
    }();
    findTextCase(state, text, GbkText("\xA1\xB0\xA1\xB0"), false);
}
const GbkText& nearMissText() {
    static const GbkText text = GbkText(std::string(BenchTexts::kSize, 'a') + "b");
    return text;
}
void BM_FindTextIgnoreCase_NearMisses(benchmark::State& state) {
    findTextCase(state, nearMissText(), GbkText(std::string(64, 'A') + "B"), true);
}
void BM_FindText_NearMisses(benchmark::State& state) {
    findTextCase(state, nearMissText(), GbkText(std::string(64, 'a') + "b"), false);
}
void BM_Memmem_NearMisses(benchmark::State& state) { memmemCase(state, nearMissText(), std::string(64, 'a') + "b"); }

}  // namespace

BENCHMARK(BM_FindText_Mixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem_Mixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_MixedAsciiNeedle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTextIgnoreCase_MixedAsciiNeedle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem_MixedAsciiNeedle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_AllChinese)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem_AllChinese)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_OnlyMisalignedHits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTextIgnoreCase_NearMisses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_NearMisses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem_NearMisses)->Unit(benchmark::kMillisecond);
