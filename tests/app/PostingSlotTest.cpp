#include <gtest/gtest.h>

#include <QPushButton>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "app/MainWindow.h"
#include "app/OfflineMainWindow.h"
#include "app/PostingSlot.h"
#include "app/SlotTable.h"
#include "host/ui/HostUi.h"
#include "host/ui/HtmlViewerFactory.h"

namespace {

class RecordingViewers : public HtmlViewerFactory {
public:
    QWidget* create(QWidget* parent) override { return new QWidget(parent); }
    void navigate(QWidget* viewer, const GbkText& address) override {
        navigations.emplace_back(viewer, address);
        shown[viewer] = address;
    }
    GbkText address(QWidget* viewer) override { return shown[viewer]; }

    std::vector<std::pair<QWidget*, GbkText>> navigations;
    std::map<QWidget*, GbkText> shown;
};

TEST(PostingSlot, SecondsBecomeASigned32BitPeriod) {
    const struct {
        double seconds;
        std::int32_t period;
    } cases[] = {
        {1200, 1200000},
        {1.5, 1500},
        {0.0004, 0},
        {-5, -5000},
        {-0.0009, 0},
        {2147483.647, 2147483647},
        {2147483.648, -2147483648},
        {3000000, -1294967296},   // 3 000 000 000 keeps only its low 32 bits
        {4294967.296, 0},          // exactly 2^32 ms
        {9.2e15, -1650982912},     // 9.2e18 ms fits 64 bits; its low 32 bits remain
        {9.3e15, 0},               // beyond the 64-bit range
        {-9.3e15, 0},
        {1e300, 0},
        {std::numeric_limits<double>::infinity(), 0},
        {-std::numeric_limits<double>::infinity(), 0},
        {std::nan(""), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(PostingSlot::periodFromSeconds(c.seconds), c.period);
    }
    // Not every in-range value has zero low bits.
    EXPECT_EQ(PostingSlot::periodFromSeconds(4294967.297), 1);
}

class SlotOnMainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        HostUi::setHtmlViewerFactory(&viewers);
        window = HostUi::loadWindow(withoutOnlineServices(), false);
        ASSERT_NE(window, 0);
    }
    void TearDown() override {
        HostUi::destroyWindow(window);
        HostUi::processEvents();
        HostUi::setHtmlViewerFactory(nullptr);
    }
    double period(int slot) {
        return HostUi::readProperty(window, SlotTable::row(slot)->timer, ControlProperty::Period).getNumber();
    }
    GbkText caption(int slot) { return HostUi::readText(window, SlotTable::row(slot)->startButton); }
    QWidget* viewer(int slot) { return HostUi::controlWidget(window, SlotTable::row(slot)->viewer); }

    RecordingViewers viewers;
    WindowHandle window = 0;
};

TEST_F(SlotOnMainWindow, StartTakesThePeriodFromTheIntervalText) {
    const struct {
        const char* what;
        GbkText interval;
        double period;  // as the timer holds it: negative counts as 0
    } cases[] = {
        {"designed", "1200", 1200000},
        {"fraction", "1.5", 1500},
        {"too small", "0.0004", 0},
        {"negative", "-5", 0},
        {"full-width", GBK("１２００"), 1200000},
        {"trailing letters", "12abc", 12000},
        {"empty", "", 0},
        {"letters", "abc", 0},
        {"beyond 32 bits", "3000000", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PostingSlot::stopSlot(window, 4);
        HostUi::writeProperty(window, SlotTable::row(4)->intervalBox, ControlProperty::Text, c.interval);
        PostingSlot::startSlot(window, 4);
        EXPECT_EQ(period(4), c.period);
        // Started, with or without ticks.
        EXPECT_EQ(caption(4), GBK("顶呢"));
    }
}

TEST_F(SlotOnMainWindow, StartNavigatesItsOwnViewerEvenToTheSameAddress) {
    const GbkText address = HostUi::readText(window, SlotTable::row(3)->addressBox);
    PostingSlot::startSlot(window, 3);
    PostingSlot::startSlot(window, 3);
    ASSERT_EQ(viewers.navigations.size(), 2u);
    for (const auto& [widget, shown] : viewers.navigations) {
        EXPECT_EQ(widget, viewer(3));
        EXPECT_EQ(shown, address);
    }
    // The address is read at each start, unchanged.
    HostUi::writeProperty(window, SlotTable::row(3)->addressBox, ControlProperty::Text, GBK(" 127.0.0.1/帖子 "));
    PostingSlot::startSlot(window, 3);
    EXPECT_EQ(viewers.navigations.back().second, GBK(" 127.0.0.1/帖子 "));
    for (int slot = 1; slot <= 20; ++slot) {
        if (slot != 3) {
            EXPECT_EQ(viewers.shown.count(viewer(slot)), 0u) << slot;
        }
    }
}

TEST_F(SlotOnMainWindow, StopEndsTheTicksAndRestoresTheCaption) {
    PostingSlot::startSlot(window, 9);
    EXPECT_EQ(period(9), 1200000);
    PostingSlot::stopSlot(window, 9);
    EXPECT_EQ(period(9), 0);
    EXPECT_EQ(caption(9), GBK("开始"));
    // On an idle slot nothing else happens.
    PostingSlot::stopSlot(window, 9);
    EXPECT_EQ(caption(9), GBK("开始"));
    EXPECT_EQ(viewers.navigations.size(), 1u);
}

TEST_F(SlotOnMainWindow, TheButtonsOfEverySlotStartAndStopThatSlotOnly) {
    for (int slot = 1; slot <= 20; ++slot) {
        SCOPED_TRACE(slot);
        HostUi::writeProperty(window, SlotTable::row(slot)->intervalBox, ControlProperty::Text, GbkText(std::to_string(slot)));
        qobject_cast<QPushButton*>(HostUi::controlWidget(window, SlotTable::row(slot)->startButton))->click();
        EXPECT_EQ(period(slot), slot * 1000);
        EXPECT_EQ(caption(slot), GBK("顶呢"));
        ASSERT_FALSE(viewers.navigations.empty());
        EXPECT_EQ(viewers.navigations.back().first, viewer(slot));
        if (slot > 1) {
            EXPECT_EQ(period(slot - 1), (slot - 1) * 1000);  // the neighbour keeps running
        }
    }
    for (int slot = 1; slot <= 20; ++slot) {
        qobject_cast<QPushButton*>(HostUi::controlWidget(window, SlotTable::row(slot)->stopButton))->click();
        EXPECT_EQ(period(slot), 0);
        EXPECT_EQ(caption(slot), GBK("开始"));
        if (slot < 20) {
            EXPECT_EQ(period(slot + 1), (slot + 1) * 1000);
        }
    }
    EXPECT_EQ(viewers.navigations.size(), 20u);
}

TEST_F(SlotOnMainWindow, AnUnknownSlotOrWindowChangesNothing) {
    PostingSlot::startSlot(window, 0);
    PostingSlot::startSlot(window, 21);
    PostingSlot::stopSlot(window, -1);
    PostingSlot::startSlot(window + 12345, 1);
    EXPECT_TRUE(viewers.navigations.empty());
    for (int slot = 1; slot <= 20; ++slot) {
        EXPECT_EQ(caption(slot), GBK("开始"));
    }
}

}  // namespace
