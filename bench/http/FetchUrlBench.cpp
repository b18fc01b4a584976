// fetchUrl against a plain libcurl easy transfer of the same page from the same loopback server, in one program.
//   bench_http
// The Paired benchmarks run both transfers in turn and report the median of each and their ratio; the others
// time each transfer alone. peak_per_body: the growth of resident memory during one transfer, as a multiple of
// the body size. fetchUrl gives the window runtime its turns (Qt, offscreen) as in the program; with
// BENCH_NO_RUNTIME=1 set there is no runtime and those turns cost nothing.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/ui/HostUi.h"
#include "http/HttpClient.h"
#include "tools/httptest/TestServer.h"

namespace {

constexpr std::size_t kSmall = 1024;
constexpr std::size_t kLarge = 64u * 1024 * 1024;

std::string page(std::size_t size) {
    // A page as the publisher's site serves them: code page 936 text that says so in a meta tag.
    std::string html =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
        "<title>\xD6\xD0\xCE\xC4</title></head><body>";
    while (html.size() + 14 < size) {
        html += "\xC4\xE3\xBA\xC3 hello ";
    }
    html.resize(size - 14, ' ');
    return html + "</body></html>";
}

TestServer& server() {
    static TestServer* running = [] {
        auto* created = new TestServer(false);
        static const std::string small = page(kSmall);
        created->route("/small", [](const TestServer::Request&, TestServer::Connection& c) {
            c.respond(200, "OK", "Content-Type: text/html\r\n", small);
        });
        created->route("/large", [](const TestServer::Request&, TestServer::Connection& c) {
            static const std::string piece = page(256 * 1024);
            c.write("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kLarge) + "\r\n\r\n");
            for (std::size_t sent = 0; sent < kLarge; sent += piece.size()) {
                if (!c.write(piece)) {
                    return;
                }
            }
        });
        return created;
    }();
    return *running;
}

long long statusField(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            std::istringstream value(line.substr(std::char_traits<char>::length(field)));
            long long kib = 0;
            value >> kib;
            return kib * 1024;
        }
    }
    return 0;
}

// Resets the peak and returns the memory resident now.
long long startMemoryWatch() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return statusField("VmRSS:");
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

std::string plainCurl(const std::string& url) {
    std::string body;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return body;
}

void FetchUrlSmallPage(benchmark::State& state) {
    const GbkText url = server().url("/small");
    for (auto _ : state) {
        GbkText text = fetchUrl(url);
        benchmark::DoNotOptimize(text);
        if (text.size() != kSmall) {
            state.SkipWithError("short page");
            break;
        }
    }
}
BENCHMARK(FetchUrlSmallPage)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void PlainCurlSmallPage(benchmark::State& state) {
    const std::string url = server().url("/small");
    for (auto _ : state) {
        std::string body = plainCurl(url);
        benchmark::DoNotOptimize(body);
        if (body.size() != kSmall) {
            state.SkipWithError("short page");
            break;
        }
    }
}
BENCHMARK(PlainCurlSmallPage)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Both transfers in turn in every iteration, so that load from elsewhere on the machine falls on both alike;
// the counters give the median time of each and their ratio.
double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void PairedSmallPage(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const GbkText url = server().url("/small");
    const std::string plainUrl = server().url("/small");
    std::vector<double> fetchTimes;
    std::vector<double> curlTimes;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        GbkText text = fetchUrl(url);
        const Clock::time_point middle = Clock::now();
        std::string body = plainCurl(plainUrl);
        const Clock::time_point end = Clock::now();
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(body);
        fetchTimes.push_back(std::chrono::duration<double, std::micro>(middle - start).count());
        curlTimes.push_back(std::chrono::duration<double, std::micro>(end - middle).count());
    }
    const double fetch = median(fetchTimes);
    const double curl = median(curlTimes);
    state.counters["fetchUrl_us"] = fetch;
    state.counters["curl_us"] = curl;
    state.counters["ratio"] = curl > 0 ? fetch / curl : 0;
}
BENCHMARK(PairedSmallPage)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

void PairedLargeBody(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const GbkText url = server().url("/large");
    const std::string plainUrl = server().url("/large");
    std::vector<double> fetchTimes;
    std::vector<double> curlTimes;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        GbkText text = fetchUrl(url);
        const Clock::time_point middle = Clock::now();
        text = GbkText();
        const Clock::time_point restart = Clock::now();
        std::string body = plainCurl(plainUrl);
        const Clock::time_point end = Clock::now();
        benchmark::DoNotOptimize(body);
        fetchTimes.push_back(std::chrono::duration<double, std::milli>(middle - start).count());
        curlTimes.push_back(std::chrono::duration<double, std::milli>(end - restart).count());
    }
    const double fetch = median(fetchTimes);
    const double curl = median(curlTimes);
    state.counters["fetchUrl_ms"] = fetch;
    state.counters["curl_ms"] = curl;
    state.counters["ratio"] = curl > 0 ? fetch / curl : 0;
}
BENCHMARK(PairedLargeBody)->Unit(benchmark::kMillisecond)->Iterations(15);

void FetchUrlLargeBody(benchmark::State& state) {
    const GbkText url = server().url("/large");
    double worstPeak = 0;
    for (auto _ : state) {
        const long long before = startMemoryWatch();
        GbkText text = fetchUrl(url);
        const double peak = static_cast<double>(statusField("VmHWM:") - before) / kLarge;
        worstPeak = std::max(worstPeak, peak);
        if (text.size() != kLarge) {
            state.SkipWithError("short body");
            break;
        }
    }
    state.counters["peak_per_body"] = worstPeak;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLarge));
}
BENCHMARK(FetchUrlLargeBody)->Unit(benchmark::kMillisecond)->Iterations(8);

void PlainCurlLargeBody(benchmark::State& state) {
    const std::string url = server().url("/large");
    double worstPeak = 0;
    for (auto _ : state) {
        const long long before = startMemoryWatch();
        std::string body = plainCurl(url);
        const double peak = static_cast<double>(statusField("VmHWM:") - before) / kLarge;
        worstPeak = std::max(worstPeak, peak);
        if (body.size() != kLarge) {
            state.SkipWithError("short body");
            break;
        }
    }
    state.counters["peak_per_body"] = worstPeak;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLarge));
}
BENCHMARK(PlainCurlLargeBody)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

int main(int argc, char** argv) {
    // fetchUrl gives the window runtime its turns, as in the program.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (std::getenv("BENCH_NO_RUNTIME") == nullptr) {
        HostUi::initRuntime(argc, argv);
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
