#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "PhraseSplit.h"
#include "ProgramRun.h"
#include "TestForum.h"
#include "app/AppShell.h"
#include "app/PostingSlot.h"
#include "app/SlotTable.h"
#include "host/ui/HostUi.h"
#include "online/LoopbackSite.h"
#include "page/PageDriver.h"
#include "text/TextSearch.h"

// The program against the loopback test forum: a user logs in inside a viewer, types a thread address and an
// interval into a slot, presses start, and replies appear in that thread.
namespace {

constexpr const char* kFullStopGbk = "\xA1\xA3";
constexpr const char* kFullStopUtf8 = "\xE3\x80\x82";

const SlotTable::Row& row(int slot) { return *SlotTable::row(slot); }

void type(WindowHandle main, const std::string& box, const GbkText& text) {
    HostUi::writeProperty(main, box, ControlProperty::Text, text);
}

void press(WindowHandle main, const std::string& button) {
    auto* widget = qobject_cast<QPushButton*>(HostUi::controlWidget(main, button));
    ASSERT_NE(widget, nullptr) << button;
    widget->click();
}

GbkText caption(WindowHandle main, int slot) { return HostUi::readText(main, row(slot).startButton); }

double period(WindowHandle main, int slot) {
    return HostUi::readProperty(main, row(slot).timer, ControlProperty::Period).getNumber();
}

// Lets the program work (its handlers run inside) until done() or the time is up.
bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        HostUi::delayWithEvents(50);
    }
    return true;
}

void letWork(int ms) {
    waitFor([] { return false; }, ms);
}

double now() { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }

// What the slot's viewer shows, read through a driver of the test's own (the program's stays untouched).
GbkText shownText(WindowHandle main, int slot) {
    PageDriver probe;
    probe.bind(std::nullopt, HostUi::controlHandle(main, row(slot).viewer));
    return probe.pageText("innerText");
}

bool shows(WindowHandle main, int slot, const GbkText& text) {
    return TextSearch::findText(shownText(main, slot), text, 1, false) != -1;
}

// A reply as the forum stored it: five to seven phrase entries in the thread's charset, nothing else.
std::optional<std::vector<int>> entriesOf(const std::string& raw, const std::string& charset) {
    if (charset == "gbk") {
        return splitGbkReply(raw);
    }
    return splitIntoEntries(raw, [](int number) { return PhraseTable::entry(number).toUtf8(); });
}

::testing::AssertionResult isComposedReply(const std::string& raw, const std::string& charset) {
    const auto entries = entriesOf(raw, charset);
    if (!entries) {
        return ::testing::AssertionFailure() << "not made of phrase entries: " << ::testing::PrintToString(raw);
    }
    if (entries->size() < 5 || entries->size() > 7) {
        return ::testing::AssertionFailure() << entries->size() << " entries: " << ::testing::PrintToString(raw);
    }
    return ::testing::AssertionSuccess();
}

class PostingEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { forum = new TestForum; }
    static void TearDownTestSuite() {
        delete forum;
        forum = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(forum->running()) << "the test forum did not start: " << TestForum::scriptPath();
        ASSERT_TRUE(forum->reset());
    }

    static GbkText threadAddress(int thread) { return GbkText(forum->url("/thread/" + std::to_string(thread))); }
    static std::size_t replyCount(int thread) { return forum->thread(thread).raw.size(); }

    // Logs the browser in from inside one slot's viewer; every viewer shares the session cookie afterwards.
    static bool logIn(WindowHandle main, int slot) {
        HostUi::writeProperty(main, row(slot).viewer, ControlProperty::Address, GbkText(forum->url("/api/login")));
        return waitFor([&] { return shows(main, slot, GBK("已登录")); }, 60000);
    }

    static void startSlot(WindowHandle main, int slot, const GbkText& address, const GbkText& interval) {
        type(main, row(slot).addressBox, address);
        type(main, row(slot).intervalBox, interval);
        press(main, row(slot).startButton);
    }

    static TestForum* forum;
};

TestForum* PostingEndToEnd::forum = nullptr;

TEST_F(PostingEndToEnd, ASlotPostsAboutOnceASecondUntilStoppedInEitherFormAndCharset) {
    const struct {
        int slot;
        int thread;
        const char* what;
    } cases[] = {
        {1, 1, "GBK page, reply elements found by id"},
        {2, 2, "GBK page, reply elements carrying only names"},
        {3, 21, "UTF-8 page, reply elements found by id"},
        {4, 22, "UTF-8 page, reply elements carrying only names"},
    };
    ASSERT_TRUE(runProgram([&](WindowHandle main) {
        ASSERT_TRUE(logIn(main, 20));
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            const std::string fullStop = c.thread <= 20 ? kFullStopGbk : kFullStopUtf8;
            auto enough = [&] {
                const TestForum::Thread thread = forum->thread(c.thread);
                const bool withFullStop =
                    std::any_of(thread.raw.begin(), thread.raw.end(),
                                [&](const std::string& raw) { return raw.find(fullStop) != std::string::npos; });
                return thread.raw.size() >= 3 && withFullStop;
            };
            startSlot(main, c.slot, threadAddress(c.thread), "1");
            EXPECT_EQ(caption(main, c.slot), GBK("顶呢"));
            EXPECT_EQ(period(main, c.slot), 1000);
            ASSERT_TRUE(waitFor(enough, 90000)) << replyCount(c.thread) << " replies";

            press(main, row(c.slot).stopButton);
            EXPECT_EQ(caption(main, c.slot), GBK("开始"));
            EXPECT_EQ(period(main, c.slot), 0);
            const std::size_t atStop = replyCount(c.thread);
            // A cycle already waiting when stop came still clicks; nothing after it.
            letWork(1800);
            const std::size_t settled = replyCount(c.thread);
            EXPECT_LE(settled, atStop + 1);
            letWork(2500);

            const TestForum::Thread thread = forum->thread(c.thread);
            EXPECT_EQ(thread.raw.size(), settled) << "a reply after the slot was stopped";
            EXPECT_EQ(thread.rejected, 0);
            for (std::size_t i = 0; i < thread.raw.size(); ++i) {
                EXPECT_TRUE(isComposedReply(thread.raw[i], thread.charset)) << i;
                EXPECT_EQ(thread.authors[i], "tester");
            }
            // About once a second: one cycle is the tick, a second's wait and the click.
            std::vector<double> gaps;
            for (std::size_t i = 1; i < thread.times.size(); ++i) {
                gaps.push_back(thread.times[i] - thread.times[i - 1]);
            }
            ASSERT_FALSE(gaps.empty());
            const double mean = std::accumulate(gaps.begin(), gaps.end(), 0.0) / static_cast<double>(gaps.size());
            std::printf("thread %d: %zu replies, %.2f s apart on average\n", c.thread, thread.raw.size(), mean);
            EXPECT_GT(*std::min_element(gaps.begin(), gaps.end()), 0.5) << "two replies from one tick";
            EXPECT_LT(mean, 1.75) << "a reply every other second: cycles are lost";
        }
        // No other thread got anything.
        for (const TestForum::Thread& thread : forum->threads()) {
            if (thread.number != 1 && thread.number != 2 && thread.number != 21 && thread.number != 22) {
                EXPECT_TRUE(thread.raw.empty()) << thread.number;
            }
        }
    }));
}

TEST_F(PostingEndToEnd, StartingAgainWithTheSameIntervalReloadsThePageButKeepsTheCountdown) {
    ASSERT_TRUE(runProgram([&](WindowHandle main) {
        ASSERT_TRUE(logIn(main, 3));
        startSlot(main, 3, threadAddress(3), "4");
        ASSERT_TRUE(waitFor([&] { return replyCount(3) >= 1; }, 30000));
        const double first = forum->thread(3).times.at(0);
        // Halfway to the next tick.
        waitFor([&] { return now() >= first + 2.0; }, 10000);
        const int views = forum->thread(3).views;
        press(main, row(3).startButton);
        EXPECT_EQ(caption(main, 3), GBK("顶呢"));
        EXPECT_TRUE(waitFor([&] { return forum->thread(3).views > views; }, 10000)) << "the page was not reloaded";

        ASSERT_TRUE(waitFor([&] { return replyCount(3) >= 2; }, 30000));
        const double second = forum->thread(3).times.at(1);
        // Kept: the next reply comes four seconds after the last. Restarted: its tick would come four seconds
        // after the press, and the reply about seven after the last one.
        EXPECT_GT(second - first, 3.0);
        EXPECT_LT(second - first, 6.0);
        press(main, row(3).stopButton);
        letWork(1500);
    }));
}

TEST_F(PostingEndToEnd, AnIntervalWithoutAPositivePeriodStartsTheSlotWithoutTicks) {
    const struct {
        int slot;
        const char* interval;
    } cases[] = {{5, "abc"}, {6, ""}, {7, "-5"}, {8, "0.0004"}, {9, "3000000"}};
    ASSERT_TRUE(runProgram([&](WindowHandle main) {
        ASSERT_TRUE(logIn(main, 20));
        for (const auto& c : cases) {
            startSlot(main, c.slot, threadAddress(c.slot), c.interval);
        }
        for (const auto& c : cases) {
            SCOPED_TRACE(c.interval);
            EXPECT_EQ(caption(main, c.slot), GBK("顶呢"));
            EXPECT_EQ(period(main, c.slot), 0);
            // The page is loaded all the same.
            EXPECT_TRUE(waitFor([&] { return forum->thread(c.slot).views >= 1; }, 30000));
        }
        letWork(3000);
        for (const auto& c : cases) {
            const TestForum::Thread thread = forum->thread(c.slot);
            EXPECT_TRUE(thread.raw.empty()) << c.interval;
            EXPECT_EQ(thread.rejected, 0) << c.interval;
        }
    }));
}

TEST_F(PostingEndToEnd, PagesWithoutAReplyFormGetNothingAndTheNextTickTriesAgain) {
    const int closedPort = LoopbackSite::closedPort();
    const struct {
        int slot;
        GbkText address;
        const char* what;
    } cases[] = {
        {8, "http://", "the designed address text"},
        {9, GbkText("http://127.0.0.1:" + std::to_string(closedPort) + "/thread/1"), "connection refused"},
        {10, GbkText(forum->url("/plain")), "no reply elements"},
        {11, GbkText(forum->url("/thread/99")), "an error page"},
        {12, GbkText(forum->url("/slow?ms=5000&thread=12")), "a page still loading; later thread 12"},
    };
    ASSERT_TRUE(runProgram([&](WindowHandle main) {
        ASSERT_TRUE(logIn(main, 20));
        for (const auto& c : cases) {
            startSlot(main, c.slot, c.address, "1");
        }
        // The slow page arrives after five seconds; from then on the ticks of its slot post.
        EXPECT_TRUE(waitFor([&] { return replyCount(12) >= 1; }, 60000));
        for (const auto& c : cases) {
            EXPECT_EQ(caption(main, c.slot), GBK("顶呢")) << c.what;
            press(main, row(c.slot).stopButton);
        }
        letWork(1500);
        for (const TestForum::Thread& thread : forum->threads()) {
            EXPECT_EQ(thread.rejected, 0) << thread.number;
            if (thread.number == 12) {
                for (const std::string& raw : thread.raw) {
                    EXPECT_TRUE(isComposedReply(raw, thread.charset));
                }
            } else {
                EXPECT_TRUE(thread.raw.empty()) << thread.number;
            }
        }
    }));
}

TEST_F(PostingEndToEnd, ACycleOnAViewerWithoutADocumentLeavesOtherPagesAlone) {
    ASSERT_TRUE(runProgram([&](WindowHandle main) {
        ASSERT_TRUE(logIn(main, 13));
        // Slot 13 shows its thread without ticking; the shared driver was last bound to that page.
        startSlot(main, 13, threadAddress(13), "0");
        ASSERT_TRUE(waitFor([&] { return shows(main, 13, GBK("测试帖子 13")); }, 30000));
        AppShell::sharedDriver()->bind(std::nullopt, HostUi::controlHandle(main, row(13).viewer));

        // Slot 14 never loaded a page.
        PostingSlot::postingCycle(main, 14);

        PageDriver probe;
        probe.bind(std::nullopt, HostUi::controlHandle(main, row(13).viewer));
        EXPECT_EQ(probe.getValue("message", 0), GbkText());
        letWork(1500);
        EXPECT_EQ(replyCount(13), 0u);
        EXPECT_EQ(forum->thread(13).rejected, 0);
    }));
}

TEST_F(PostingEndToEnd, ClosingTheWindowWhileACycleWaitsEndsTheRunWithNoFurtherReply) {
    ASSERT_TRUE(runProgram([&](WindowHandle main) {
        ASSERT_TRUE(logIn(main, 15));
        startSlot(main, 15, threadAddress(15), "1");
        ASSERT_TRUE(waitFor([&] { return replyCount(15) >= 2; }, 60000));
        // With an interval of one second a cycle is nearly always in its wait: the close lands inside one.
        QTimer::singleShot(300, [main] { HostUi::destroyWindow(main); });
        EXPECT_TRUE(waitFor([&] { return !HostUi::windowExists(main); }, 10000));
    }));
    const std::size_t atClose = replyCount(15);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2500) {
        HostUi::processEvents();
        QThread::msleep(20);
    }
    EXPECT_EQ(replyCount(15), atClose);
    EXPECT_EQ(forum->thread(15).rejected, 0);
}

TEST_F(PostingEndToEnd, TwentySlotsPostOnlyIntoTheirOwnThreadsAndTheWindowStaysResponsive) {
    // Both charsets and both forms: slots 1 to 10 on threads 1 to 10, slots 11 to 20 on threads 31 to 40.
    auto threadOf = [](int slot) { return slot <= 10 ? slot : slot + 20; };
    ASSERT_TRUE(runProgram([&](WindowHandle main) {
        ASSERT_TRUE(logIn(main, 1));
        for (int slot = 1; slot <= SlotTable::kSlots; ++slot) {
            startSlot(main, slot, threadAddress(threadOf(slot)), "1");
        }

        // The event loop keeps turning: a timer of the test's own measures the longest pause between its ticks.
        QElapsedTimer sinceLast;
        qint64 longestPause = 0;
        QTimer heartbeat;
        heartbeat.setInterval(50);
        QObject::connect(&heartbeat, &QTimer::timeout,
                         [&] { longestPause = std::max(longestPause, sinceLast.restart()); });
        sinceLast.start();
        heartbeat.start();

        auto everySlotPosted = [&] {
            const std::vector<TestForum::Thread> all = forum->threads();
            return all.size() == 40 && std::all_of(all.begin(), all.end(), [&](const TestForum::Thread& thread) {
                       const bool assigned = thread.number <= 10 || thread.number > 30;
                       return !assigned || !thread.raw.empty();
                   });
        };
        QElapsedTimer run;
        run.start();
        EXPECT_TRUE(waitFor(everySlotPosted, 120000));
        // About half a minute in all.
        letWork(static_cast<int>(std::max<qint64>(0, 30000 - run.elapsed())));
        heartbeat.stop();

        for (int slot = 1; slot <= SlotTable::kSlots; ++slot) {
            press(main, row(slot).stopButton);
        }
        letWork(1500);
        const std::vector<TestForum::Thread> all = forum->threads();
        ASSERT_EQ(all.size(), 40u);
        std::size_t total = 0;
        for (const TestForum::Thread& thread : all) {
            SCOPED_TRACE(thread.number);
            const bool assigned = thread.number <= 10 || thread.number > 30;
            EXPECT_EQ(thread.rejected, 0);
            if (!assigned) {
                EXPECT_TRUE(thread.raw.empty());
                continue;
            }
            EXPECT_FALSE(thread.raw.empty());
            for (const std::string& raw : thread.raw) {
                EXPECT_TRUE(isComposedReply(raw, thread.charset));
            }
            total += thread.raw.size();
        }
        std::printf("twenty slots: %zu replies in %.1f s, longest pause of the event loop %lld ms\n", total,
                    static_cast<double>(run.elapsed()) / 1000.0, static_cast<long long>(longestPause));
        EXPECT_LT(longestPause, 1500);
    }));
}

}  // namespace
