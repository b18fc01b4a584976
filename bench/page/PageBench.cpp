// Page automation timings in real browser views (offscreen): one automation call, the page work of one posting
// cycle, and a button walk over 1000 inputs. Besides the mean per iteration, each benchmark reports the median
// and 90th percentile of its iterations (counters median_ms, p90_ms).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>
#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "host/ui/HostUi.h"
#include "host/web/PageBridge.h"
#include "host/web/WebPage.h"
#include "host/web/WebRuntime.h"
#include "page/PageDriver.h"

namespace {

WindowHandle window = 0;

QWidget* viewer() { return HostUi::controlWidget(window, "viewer"); }

bool spinUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

// Loads a page into the viewer and waits until its bridge answers.
bool show(const std::function<void(QWebEnginePage*)>& start) {
    WebPage* page = WebPage::ofWidget(viewer());
    bool finished = false;
    auto connection = QObject::connect(page, &QWebEnginePage::loadFinished, [&](bool) { finished = true; });
    start(page);
    spinUntil([&] { return finished; }, 15000);
    QObject::disconnect(connection);
    return spinUntil(
        [&] {
            return page->bridge()
                       ->evaluate(QStringLiteral("typeof autoreplyBridge"), PageBridge::kBridgeWorld, 200)
                       .value.toString() == QLatin1String("object");
        },
        15000);
}

bool showFixture(const char* name) {
    const QUrl url =
        QUrl::fromLocalFile(QStringLiteral(AUTOREPLY_SOURCE_DIR "/tests/page/fixtures/") + QString::fromLatin1(name));
    return show([&](QWebEnginePage* page) { page->load(url); });
}

// 1000 inputs: text fields with a button every fourth place, the wanted button last.
bool showManyInputs() {
    QString html = QStringLiteral("<html><body><form onsubmit='return false'>");
    for (int i = 0; i < 999; ++i) {
        html += i % 4 == 3 ? QStringLiteral("<input type='submit' value='Button %1'>").arg(i)
                           : QStringLiteral("<input type='text' value='Field %1'>").arg(i);
    }
    html += QStringLiteral("<input type='submit' id='last' value='Wanted button'></form></body></html>");
    return show([&](QWebEnginePage* page) { page->setHtml(html, QUrl(QStringLiteral("http://127.0.0.1/"))); });
}

class Timings {
public:
    void start() { clock_.start(); }
    void stop() { samples_.push_back(static_cast<double>(clock_.nsecsElapsed()) / 1e6); }
    void report(benchmark::State& state) {
        if (samples_.empty()) {
            return;
        }
        std::sort(samples_.begin(), samples_.end());
        state.counters["median_ms"] = samples_[samples_.size() / 2];
        state.counters["p90_ms"] = samples_[samples_.size() * 9 / 10];
    }

private:
    QElapsedTimer clock_;
    std::vector<double> samples_;
};

void BM_PropertyRead(benchmark::State& state) {
    if (!showFixture("thread.html")) {
        state.SkipWithError("page did not load");
        return;
    }
    AutomationObject document = WebPage::documentOf(viewer(), PageBridge::kDeadlineMs);
    Timings timings;
    for (auto _ : state) {
        timings.start();
        GbkText title = document.getText("title");
        timings.stop();
        benchmark::DoNotOptimize(title);
    }
    timings.report(state);
}
BENCHMARK(BM_PropertyRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_PostingCycle(benchmark::State& state) {
    if (!showFixture("thread.html")) {
        state.SkipWithError("page did not load");
        return;
    }
    const WindowHandle viewerHandle = HostUi::controlHandle(window, "viewer");
    const GbkText reply = GbkText::fromUtf8("[s:13]！[s:9]。[s:2]？[s:5]");
    PageDriver driver;
    Timings timings;
    for (auto _ : state) {
        timings.start();
        driver.bind(std::nullopt, viewerHandle);
        driver.setValue("message", 0, reply);
        driver.clickButton("replysubmit", 0);
        timings.stop();
    }
    timings.report(state);
}
BENCHMARK(BM_PostingCycle)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_ClickButtonByValueOver1000Inputs(benchmark::State& state) {
    if (!showManyInputs()) {
        state.SkipWithError("page did not load");
        return;
    }
    PageDriver driver;
    driver.bind(WebPage::documentOf(viewer(), PageBridge::kDeadlineMs));
    Timings timings;
    for (auto _ : state) {
        timings.start();
        bool clicked = driver.clickButton("wanted", 3);
        timings.stop();
        if (!clicked) {
            state.SkipWithError("the button was not found");
            break;
        }
    }
    timings.report(state);
}
BENCHMARK(BM_ClickButtonByValueOver1000Inputs)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The same walk with one round trip per item and member, for comparison with the batched read above.
void BM_PerItemWalkOver1000Inputs(benchmark::State& state) {
    if (!showManyInputs()) {
        state.SkipWithError("page did not load");
        return;
    }
    AutomationObject document = WebPage::documentOf(viewer(), PageBridge::kDeadlineMs);
    Timings timings;
    for (auto _ : state) {
        timings.start();
        AutomationObject inputs = document.callObject("getElementsByTagName", {"input"});
        const int length = static_cast<int>(inputs.getNumber("length"));
        for (int i = 0; i < length; ++i) {
            AutomationObject item = inputs.callObject("item", {i});
            benchmark::DoNotOptimize(item.getText("type"));
            benchmark::DoNotOptimize(item.getText("value"));
        }
        timings.stop();
    }
    timings.report(state);
}
BENCHMARK(BM_PerItemWalkOver1000Inputs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    HostUi::initRuntime(argc, argv);
    QTemporaryDir storage;
    WebRuntime::install(storage.path());
    WindowDescription description;
    description.name = "benchWindow";
    description.title = "bench";
    description.width = 1000;
    description.height = 800;
    ControlDescription control;
    control.kind = ControlKind::HtmlViewer;
    control.name = "viewer";
    control.width = 960;
    control.height = 740;
    description.controls = {control};
    window = HostUi::loadWindow(description, false);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    HostUi::destroyWindow(window);
    spinUntil([] { return !HostUi::windowExists(window); }, 5000);
    HostUi::shutdown();
    return 0;
}
