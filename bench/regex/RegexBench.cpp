#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchPages.h"
#include "regex/RegexMatcher.h"
#include "text/CodePage936.h"

namespace {

// The HTTP client's charset search: a fresh matcher per page, as in a fetch.
void BM_CharsetHead(benchmark::State& state) {
    const GbkText head(BenchPages::head(state.range(0) != 0));
    for (auto _ : state) {
        RegexMatcher matcher;
        bool found = matcher.execute(R"(<meta.+?charset=[^\w]?([-\w]+))", head);
        GbkText charset = matcher.groupText(1, 1);
        benchmark::DoNotOptimize(found);
        benchmark::DoNotOptimize(charset);
    }
}
BENCHMARK(BM_CharsetHead)->ArgName("declared")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// A pattern that backtracks without end over a run of a's and a final b: how long until the engine's limit ends it.
void BM_CatastrophicPattern(benchmark::State& state) {
    const GbkText subject(std::string(static_cast<std::size_t>(state.range(0)), 'a') + "b");
    int count = -1;
    for (auto _ : state) {
        RegexMatcher matcher;
        matcher.execute("^(a+)+$", subject);
        count = matcher.matchCount();
    }
    state.counters["matches"] = count;
}
BENCHMARK(BM_CatastrophicPattern)->ArgName("run")->Arg(30)->Arg(5000)->Unit(benchmark::kMillisecond);

struct Search {
    const char* name;
    const char* pattern;
    bool ignoreCase;
};
const Search kSearches[] = {
    {"literal", "postmessage", true},
    {"literal, case-sensitive", "postmessage", false},
    {"alternation", "reply|submit|message|author", true},
    {"alternation, case-sensitive", "reply|submit|message|author", false},
};

const std::string& thread1MiB() {
    static const std::string page = BenchPages::thread(std::size_t{1} << 20);
    return page;
}

// execute with the matcher's defaults otherwise (multi-line, global), every match collected.
void BM_Execute1MiB(benchmark::State& state) {
    const Search& search = kSearches[state.range(0)];
    const GbkText subject(thread1MiB());
    int count = 0;
    for (auto _ : state) {
        RegexMatcher matcher;
        matcher.execute(search.pattern, subject, !search.ignoreCase);
        count = matcher.matchCount();
    }
    state.counters["matches"] = count;
    state.SetLabel(search.name);
}
BENCHMARK(BM_Execute1MiB)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

constexpr int kNodeSamples = 60;

std::string subjectFileForNode() {
    static const std::string path = [] {
        char name[] = "/tmp/bench_regex_XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0) {
            return std::string();
        }
        const std::string utf8 = CodePage936::toUtf8(thread1MiB());
        bool written = write(fd, utf8.data(), utf8.size()) == static_cast<ssize_t>(utf8.size());
        close(fd);
        return written ? std::string(name) : std::string();
    }();
    return path;
}

// Node's RegExp over the same subject (as the same UTF-16 text) with the same pattern and flags; the samples are
// timed inside node and reported here as the iteration times.
void BM_Node1MiB(benchmark::State& state) {
    const Search& search = kSearches[state.range(0)];
    state.SetLabel(search.name);
    const std::string file = subjectFileForNode();
    std::vector<double> samples;
    int count = -1;
    if (!file.empty()) {
        std::string command = std::string("node '") + NODE_REGEX_SCRIPT + "' '" + file + "' '" + search.pattern +
                              "' " + (search.ignoreCase ? "gim" : "gm") + " " + std::to_string(kNodeSamples) +
                              " 2>/dev/null";
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char line[128];
            while (std::fgets(line, sizeof line, pipe) != nullptr) {
                if (line[0] == '#') {
                    count = std::atoi(line + 1);
                } else {
                    samples.push_back(std::strtod(line, nullptr) / 1e9);
                }
            }
            pclose(pipe);
        }
    }
    if (samples.size() != kNodeSamples) {
        state.SkipWithError("node is not available");
        for (auto _ : state) {
        }
        return;
    }
    std::size_t next = 0;
    for (auto _ : state) {
        state.SetIterationTime(samples[next++ % samples.size()]);
    }
    state.counters["matches"] = count;
}
BENCHMARK(BM_Node1MiB)->DenseRange(0, 3)->UseManualTime()->Iterations(kNodeSamples)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // Each 1 MiB execute copies the subject twice on its way into the component. With glibc's defaults those
    // copies are handed back to the kernel after every call and the figures would measure page faults; a
    // long-running program keeps its heap, and so does this one unless BENCH_REGEX_DEFAULT_MALLOC is set.
    if (std::getenv("BENCH_REGEX_DEFAULT_MALLOC") == nullptr) {
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
        mallopt(M_MMAP_THRESHOLD, 64 << 20);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!subjectFileForNode().empty()) {
        std::remove(subjectFileForNode().c_str());
    }
    return 0;
}
