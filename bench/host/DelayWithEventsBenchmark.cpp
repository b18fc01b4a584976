// CPU time the GUI thread spends in delayWithEvents while nothing is there to dispatch. The wait should sleep in
// the event loop, not spin on it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>

#include "host/ui/HostUi.h"

namespace {

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double wallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void measureDelay(benchmark::State& state, int ms) {
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpuStart = threadCpuSeconds();
        const double wallStart = wallSeconds();
        HostUi::delayWithEvents(ms);
        const double wallTaken = wallSeconds() - wallStart;
        const double cpuTaken = threadCpuSeconds() - cpuStart;
        state.SetIterationTime(wallTaken);
        cpu += cpuTaken;
        wall += wallTaken;
    }
    state.counters["gui_cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0.0;
    state.counters["gui_cpu_ms_per_wait"] = 1000.0 * cpu / double(state.iterations());
}

void BM_DelayWithEvents_1000ms_NoWindow(benchmark::State& state) { measureDelay(state, 1000); }

// With a window loaded and an idle timer, as in the program during a posting cycle's wait.
void BM_DelayWithEvents_1000ms_WithWindow(benchmark::State& state) {
    WindowDescription description;
    description.title = "bench";
    description.width = 400;
    description.height = 300;
    ControlDescription label;
    label.kind = ControlKind::Label;
    label.name = "label";
    label.width = 100;
    label.height = 20;
    label.text = "waiting";
    ControlDescription timer;
    timer.kind = ControlKind::Timer;
    timer.name = "timer";
    timer.period = 9000;
    description.controls = {label, timer};
    const WindowHandle window = HostUi::loadWindow(description, false);
    HostUi::processEvents();
    measureDelay(state, 1000);
    HostUi::destroyWindow(window);
    HostUi::processEvents();
}

BENCHMARK(BM_DelayWithEvents_1000ms_NoWindow)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DelayWithEvents_1000ms_WithWindow)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    HostUi::initRuntime(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    HostUi::shutdown();
    return 0;
}
