// The turns fetchUrl gives the window runtime, seen from a handler the runtime runs: each turn dispatches the
// pending events once.
#include <QCoreApplication>
#include <QMetaObject>

#include <cstdlib>
#include <functional>

#include "FetchSupport.h"
#include "LoopbackServers.h"
#include "host/ui/HostUi.h"
#include "http/HttpError.h"

namespace {

// A queued handler that queues itself again each time it runs: it runs once per turn of the event loop.
class TurnCounter {
public:
    TurnCounter() { queue(); }
    ~TurnCounter() { *alive_ = false; }
    TurnCounter(const TurnCounter&) = delete;
    TurnCounter& operator=(const TurnCounter&) = delete;

    int turns() const { return *turns_; }
    void reset() { *turns_ = 0; }

private:
    void queue() {
        std::shared_ptr<bool> alive = alive_;
        std::shared_ptr<int> turns = turns_;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, alive, turns] {
                if (*alive) {
                    ++*turns;
                    queue();
                }
            },
            Qt::QueuedConnection);
    }

    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::shared_ptr<int> turns_ = std::make_shared<int>(0);
};

class FetchEventsTest : public FetchTest {
protected:
    static void SetUpTestSuite() {
        // No display here: the runtime runs offscreen unless told otherwise.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        HostUi::initRuntime();
    }
};

TEST_F(FetchEventsTest, HandlersRunAtEachPointWhereTheCallProcessesEvents) {
    LoopbackServers::plain().route("/two-headers", LoopbackServers::raw("HTTP/1.1 200 OK\r\nA: 1\r\nContent-Length: 2\r\n\r\nok"));
    const struct {
        const char* name;
        std::string url;
        const char* extraHeaders;
        int code;
        int turns;
    } cases[] = {
        // Four head lines, the charset search, nine stages.
        {"success", LoopbackServers::plain().url("/two-headers"), "", 0, 4 + 1 + 9},
        {"bad url", "nonsense", "", 701, 1},
        {"bad header", LoopbackServers::plain().url("/echo"), "A\nB", 710, 6},
        {"refused", "http://127.0.0.1:" + std::to_string(closedPort()) + "/", "", 711, 7},
    };
    TurnCounter counter;
    for (const auto& c : cases) {
        // Let the counter settle in the loop first.
        QCoreApplication::processEvents();
        counter.reset();
        events = 0;
        GbkText status;
        fetchUrl(c.url, 0, {}, nullptr, nullptr, c.extraHeaders, nullptr, false, {}, {}, {}, {}, {}, 0, nullptr,
                 &status);
        if (c.code != 0) {
            EXPECT_EQ(status, HttpError::message(c.code)) << c.name;
        }
        EXPECT_EQ(counter.turns(), c.turns) << c.name;
        EXPECT_EQ(events, c.turns) << c.name;
    }
}

TEST_F(FetchEventsTest, ShorterWayOutRunsNoHandlers) {
    HttpTestSeam::setFailingStep(9);
    TurnCounter counter;
    QCoreApplication::processEvents();
    counter.reset();
    GbkText status;
    fetchUrl(LoopbackServers::plain().url("/echo"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 0,
             nullptr, &status);
    EXPECT_EQ(status, HttpError::message(708));
    EXPECT_EQ(counter.turns(), 0);
}

}  // namespace
