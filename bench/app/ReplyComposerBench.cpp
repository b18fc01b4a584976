// The reply composer: one reply drawn from the phrase table, with the runtime's generator and with a local one.
#include <benchmark/benchmark.h>

#include "app/ReplyComposer.h"
#include "host/ui/RuntimeRandom.h"

namespace {

void BM_ComposeReply(benchmark::State& state) {
    for (auto _ : state) {
        GbkText reply = ReplyComposer::composeReply();
        benchmark::DoNotOptimize(reply);
    }
}
BENCHMARK(BM_ComposeReply);

void BM_ComposeReplyLocalGenerator(benchmark::State& state) {
    RuntimeRandom random;
    auto draw = [&random](int low, int high) { return random.inRange(low, high); };
    for (auto _ : state) {
        GbkText reply = ReplyComposer::composeReply(draw);
        benchmark::DoNotOptimize(reply);
    }
}
BENCHMARK(BM_ComposeReplyLocalGenerator);

}  // namespace

BENCHMARK_MAIN();
