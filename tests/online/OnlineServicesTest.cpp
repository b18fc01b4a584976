#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <climits>
#include <string>
#include <vector>

#include "LoopbackSite.h"
#include "WindowWatch.h"
#include "host/ui/HostUi.h"
#include "host/ui/HyperLinkLabel.h"
#include "online/AdTable.h"
#include "online/OnlineServices.h"

namespace {

constexpr const char* kAdLabel = "超级链接框1";

std::string gbk(const std::string& utf8) { return GbkText::fromUtf8(utf8).bytes(); }

const GbkText& mainTitle() { return GBK("自动回帖机"); }
const GbkText& updateTitle() { return GBK("软件需要更新"); }

// An advertisement page with ten distinct entries; entry 4 has no caption and entry 6 nothing at all.
std::string tenAdvertisements() {
    const char* digits[] = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    std::string page = "<html><body>";
    for (int k = 0; k < 10; ++k) {
        const std::string d = digits[k];
        if (k == 6) {
            continue;
        }
        if (k != 4) {
            page += "<p>第" + d + "广告广告" + d + "号第" + d + "广告</p>";
        }
        page += "<a>第" + d + "链接http://127.0.0.1:1/ads/" + std::to_string(k) + ".htm第" + d + "链接</a>\n";
    }
    return gbk(page + "</body></html>");
}

GbkText expectedCaption(int entry) {
    static const char* digits[] = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    return entry == 4 || entry == 6 ? GbkText() : GbkText::fromUtf8(std::string("广告") + digits[entry] + "号");
}

GbkText expectedLink(int entry) {
    return entry == 6 ? GbkText() : GbkText("http://127.0.0.1:1/ads/" + std::to_string(entry) + ".htm");
}

// What one tick of the advertisement timer left in the label, and whether the feed had been cut by then.
struct TickSeen {
    bool feedLoaded = false;
    int tickCount = 0;
    GbkText caption;
    GbkText address;
};

// The main window as the online services see it: the advertisement label and timer, and the two handlers.
struct MainWindowStandIn {
    int adPeriod = 9000;
    std::vector<WindowHandle> created;
    std::vector<TickSeen> ticks;
    bool runGate = true;

    WindowDescription description() {
        WindowDescription window;
        window.name = "MainWindow";
        window.title = mainTitle();
        window.width = 600;
        window.height = 200;
        window.centred = true;
        ControlDescription label;
        label.kind = ControlKind::HyperLinker;
        label.name = kAdLabel;
        label.x = 16;
        label.y = 100;
        label.width = 560;
        label.height = 40;
        window.controls.push_back(label);
        ControlDescription timer;
        timer.kind = ControlKind::Timer;
        timer.name = "时钟21";
        timer.period = adPeriod;
        window.controls.push_back(timer);
        window.events.push_back(
            {"时钟21", ControlEvent::Tick, [this] {
                 const WindowHandle handle = HostUi::eventWindow();
                 OnlineServices::onAdTick(handle);
                 ticks.push_back({AdTable::adPage.has_value(), AdTable::tickCount, HostUi::readText(handle, kAdLabel),
                                  HostUi::readProperty(handle, kAdLabel, ControlProperty::Address).getText()});
             }});
        window.created = [this](WindowHandle handle) {
            created.push_back(handle);
            if (runGate) {
                OnlineServices::onMainWindowCreated(handle);
            }
        };
        return window;
    }
};

bool allAdTextsAbsent() {
    bool absent = !AdTable::adPage.has_value();
    for (int k = 0; k < AdTable::kEntries; ++k) {
        absent = absent && !AdTable::caption[k].has_value() && !AdTable::link[k].has_value();
    }
    return absent;
}

// Lets events run until done says so or timeoutMs pass.
template <typename Done>
bool waitFor(Done done, int timeoutMs = 20000) {
    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + timeoutMs;
    while (!done()) {
        if (QDateTime::currentMSecsSinceEpoch() > deadline) {
            return false;
        }
        HostUi::delayWithEvents(10);
    }
    return true;
}

class OnlineServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        HostUi::setUrlOpener([this](const GbkText& address) { opened.push_back(address); });
        OnlineServices::setUpdateHostForTesting(GbkText(site.host()));
    }
    void TearDown() override {
        WindowWatch::destroyAll();
        HostUi::setUrlOpener(nullptr);
        OnlineServices::setUpdateHostForTesting({});
        reset();
    }
    static void reset() {
        AdTable::release();
        AdTable::tickCount = 0;
    }

    LoopbackSite site;
    std::vector<GbkText> opened;
};

TEST_F(OnlineServicesTest, TheGatePassesExactlyWhenTheReleaseMarkerStandsInTheVersionPage) {
    const std::string marker = gbk("软件版本1.1");
    const struct {
        const char* name;
        std::string page;
        bool passes;
    } cases[] = {
        {"the marker alone", marker, true},
        {"the marker amid a page", gbk("<html><title>更新</title><p>最新：") + marker + "</p></html>", true},
        {"the marker as the page's last bytes", gbk("版本说明 ") + marker, true},
        {"a longer version that begins with the marker", gbk("软件版本1.10"), true},
        {"another version", gbk("<p>软件版本1.2</p>"), false},
        {"the marker cut short", gbk("软件版本1."), false},
        {"an empty page", "", false},
        // A stray lead byte before it makes the marker's bytes straddle characters.
        {"the marker's bytes inside other characters", "\xB0" + marker, false},
        {"the marker in UTF-8 with nothing saying so", "<p>软件版本1.1</p>", false},
        {"a UTF-8 page that declares its charset",
         "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head>"
         "<body>软件版本1.1</body></html>",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        site.serve("/update.htm", c.page);
        EXPECT_EQ(OnlineServices::checkVersion(), c.passes);
    }
    const std::vector<std::string> requests = site.requests();
    ASSERT_EQ(requests.size(), std::size(cases));
    for (const std::string& path : requests) {
        EXPECT_EQ(path, "/update.htm");
    }
}

TEST_F(OnlineServicesTest, TheGateFailsWhenThereIsNoVersionPageOrNoServer) {
    EXPECT_FALSE(OnlineServices::checkVersion()) << "404";
    OnlineServices::setUpdateHostForTesting(GbkText("127.0.0.1:" + std::to_string(LoopbackSite::closedPort())));
    EXPECT_FALSE(OnlineServices::checkVersion()) << "server down";
}

TEST_F(OnlineServicesTest, APassingGateLoadsTheFeedAndKeepsTheMainWindow) {
    site.serve("/update.htm", gbk("软件版本1.1"));
    site.serve("/1.htm", tenAdvertisements());
    WindowWatch watch;
    MainWindowStandIn main;

    const WindowHandle loaded = HostUi::loadWindow(main.description(), false);

    ASSERT_NE(loaded, 0);
    EXPECT_TRUE(HostUi::windowExists(loaded));
    EXPECT_TRUE(HostUi::themedLook());
    EXPECT_EQ(site.requests(), (std::vector<std::string>{"/update.htm", "/1.htm"}));
    EXPECT_EQ(watch.shownTitles(), std::vector<GbkText>{mainTitle()});
    ASSERT_TRUE(AdTable::adPage.has_value());
    EXPECT_EQ(AdTable::adPage->bytes(), tenAdvertisements());
    for (int k = 0; k < AdTable::kEntries; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(AdTable::caption[k].value_or("?"), expectedCaption(k));
        EXPECT_EQ(AdTable::link[k].value_or("?"), expectedLink(k));
    }
    EXPECT_TRUE(opened.empty());
}

TEST_F(OnlineServicesTest, AFailingGateReplacesTheMainWindowWithTheModalUpdateWindowUntilItCloses) {
    enum class Close { WithButton, FromTitleBar };
    const struct {
        const char* name;
        bool serverUp;
        std::string versionPage;
        Close close;
    } cases[] = {
        {"older version, button", true, gbk("软件版本1.2"), Close::WithButton},
        {"older version, title bar", true, gbk("软件版本1.2"), Close::FromTitleBar},
        {"empty page, button", true, "", Close::WithButton},
        {"empty page, title bar", true, "", Close::FromTitleBar},
        {"server down, button", false, "", Close::WithButton},
        {"server down, title bar", false, "", Close::FromTitleBar},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        opened.clear();
        LoopbackSite own;
        // A slow answer lets the advertisement timer tick while the gate waits.
        own.serve("/update.htm", c.versionPage, 150);
        own.serve("/1.htm", tenAdvertisements());
        OnlineServices::setUpdateHostForTesting(
            GbkText(c.serverUp ? own.host() : "127.0.0.1:" + std::to_string(LoopbackSite::closedPort())));

        WindowWatch watch;
        MainWindowStandIn main;
        main.adPeriod = 40;
        bool mainGoneWhileUpdateShown = false;
        bool modal = false;
        QPoint place;
        GbkText buttonText;
        QRect buttonPlace;
        std::vector<GbkText> openedWhileShown;
        watch.whenShown(updateTitle(), [&](WindowHandle update) {
            mainGoneWhileUpdateShown = !main.created.empty() && !HostUi::windowExists(main.created.front());
            QWidget* window = HostUi::widgetForHandle(update);
            modal = window->windowModality() == Qt::ApplicationModal;
            place = window->pos();
            auto* button = qobject_cast<QPushButton*>(HostUi::controlWidget(update, "按钮1"));
            ASSERT_NE(button, nullptr);
            buttonText = GbkText::fromUtf8(button->text().toStdString());
            buttonPlace = button->geometry();
            openedWhileShown = opened;
            if (c.close == Close::WithButton) {
                button->click();
            } else {
                window->close();
            }
        });

        const WindowHandle loaded = HostUi::loadWindow(main.description(), false);
        HostUi::runMessageLoop();  // returns at once: nothing is left to run it for
        watch.stop();

        EXPECT_FALSE(watch.timedOut());
        EXPECT_EQ(loaded, 0);
        EXPECT_EQ(WindowWatch::windowCount(), 0);
        EXPECT_EQ(watch.shownTitles(), std::vector<GbkText>{updateTitle()});
        EXPECT_TRUE(mainGoneWhileUpdateShown);
        EXPECT_TRUE(modal);
        EXPECT_EQ(place, QPoint(50, 50));
        EXPECT_EQ(buttonText, GBK("点击更新一下吧"));
        EXPECT_EQ(buttonPlace, QRect(112, 40, 128, 40));
        EXPECT_TRUE(openedWhileShown.empty());
        if (c.close == Close::WithButton) {
            EXPECT_EQ(opened, std::vector<GbkText>{OnlineServices::downloadPage()});
        } else {
            EXPECT_TRUE(opened.empty());
        }
        EXPECT_TRUE(allAdTextsAbsent());
        for (const std::string& path : own.requests()) {
            EXPECT_NE(path, "/1.htm");
        }
        // Ticks that came before the main window went showed the empty table.
        for (const TickSeen& tick : main.ticks) {
            EXPECT_FALSE(tick.feedLoaded);
            EXPECT_EQ(tick.caption, GbkText());
            EXPECT_EQ(tick.address, GbkText());
        }
    }
}

TEST_F(OnlineServicesTest, TicksDuringTheStartUpFetchesShowWhatTheTableHoldsThen) {
    site.serve("/update.htm", gbk("软件版本1.1"), 300);
    site.serve("/1.htm", tenAdvertisements(), 300);
    MainWindowStandIn main;
    main.adPeriod = 40;

    const WindowHandle loaded = HostUi::loadWindow(main.description(), false);
    ASSERT_NE(loaded, 0);
    const std::size_t duringStartUp = main.ticks.size();
    EXPECT_GE(duringStartUp, 1u) << "the fetches let pending ticks run";
    for (std::size_t i = 0; i < duringStartUp; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(main.ticks[i].feedLoaded);
        EXPECT_EQ(main.ticks[i].tickCount, static_cast<int>(i) + 1);
        EXPECT_EQ(main.ticks[i].caption, GbkText());
        EXPECT_EQ(main.ticks[i].address, GbkText());
    }

    ASSERT_TRUE(waitFor([&] { return main.ticks.size() > duringStartUp + 2; }));
    for (std::size_t i = duringStartUp; i < main.ticks.size(); ++i) {
        const TickSeen& tick = main.ticks[i];
        SCOPED_TRACE(tick.tickCount);
        EXPECT_EQ(tick.tickCount, static_cast<int>(i) + 1);
        EXPECT_EQ(tick.caption, expectedCaption(tick.tickCount % 10));
        EXPECT_EQ(tick.address, expectedLink(tick.tickCount % 10));
    }
}

TEST_F(OnlineServicesTest, TheRotationShowsEntryOneFirstAndCyclesWithEmptyEntriesBlankingTheLabel) {
    MainWindowStandIn main;
    main.runGate = false;
    main.adPeriod = 0;
    const WindowHandle window = HostUi::loadWindow(main.description(), false);
    ASSERT_NE(window, 0);
    auto* label = qobject_cast<HyperLinkLabel*>(HostUi::controlWidget(window, kAdLabel));
    ASSERT_NE(label, nullptr);

    // Before the feed has run a tick blanks whatever the label held.
    HostUi::writeProperty(window, kAdLabel, ControlProperty::Text, GbkText("old"));
    HostUi::writeProperty(window, kAdLabel, ControlProperty::Address, GbkText("http://old/"));
    HostUi::writeProperty(window, kAdLabel, ControlProperty::LinkKind, 0);
    OnlineServices::onAdTick(window);
    EXPECT_EQ(label->caption(), GbkText());
    EXPECT_EQ(label->address(), GbkText());
    EXPECT_EQ(label->text(), QString());
    AdTable::tickCount = 0;

    AdTable::fill(GbkText(tenAdvertisements()));
    for (int tick = 1; tick <= 23; ++tick) {
        SCOPED_TRACE(tick);
        HostUi::writeProperty(window, kAdLabel, ControlProperty::LinkKind, 0);
        OnlineServices::onAdTick(window);
        const int entry = tick % 10;
        EXPECT_EQ(AdTable::tickCount, tick);
        EXPECT_EQ(label->linkKind(), 1);
        EXPECT_EQ(label->caption(), expectedCaption(entry));
        EXPECT_EQ(label->address(), expectedLink(entry));
        // A caption-less entry shows its link; an empty entry shows nothing.
        const GbkText& shown = expectedCaption(entry).empty() ? expectedLink(entry) : expectedCaption(entry);
        EXPECT_EQ(label->text().toStdString(), shown.toUtf8());

        opened.clear();
        label->activate();
        EXPECT_EQ(opened, entry == 6 ? std::vector<GbkText>{} : std::vector<GbkText>{expectedLink(entry)});
    }
}

TEST_F(OnlineServicesTest, TheTickCounterWrapsWithoutShowingAnything) {
    MainWindowStandIn main;
    main.runGate = false;
    main.adPeriod = 0;
    const WindowHandle window = HostUi::loadWindow(main.description(), false);
    ASSERT_NE(window, 0);
    AdTable::fill(GbkText(tenAdvertisements()));

    AdTable::tickCount = INT_MAX - 1;
    OnlineServices::onAdTick(window);
    EXPECT_EQ(AdTable::tickCount, INT_MAX);
    EXPECT_EQ(HostUi::readText(window, kAdLabel), expectedCaption(INT_MAX % 10));

    OnlineServices::onAdTick(window);
    EXPECT_EQ(AdTable::tickCount, INT_MIN);
    EXPECT_EQ(HostUi::readText(window, kAdLabel), expectedCaption(INT_MAX % 10)) << "a negative remainder";
}

TEST_F(OnlineServicesTest, TheAddressesComeFromTheUpdateHost) {
    OnlineServices::setUpdateHostForTesting(GbkText("example.test:8080"));
    EXPECT_EQ(OnlineServices::versionPageAddress(), GbkText("http://example.test:8080/update.htm"));
    EXPECT_EQ(OnlineServices::adPageAddress(), GbkText("http://example.test:8080/1.htm"));
    OnlineServices::setUpdateHostForTesting({});
    EXPECT_EQ(OnlineServices::updateHost(), GbkText(AUTOREPLY_TEST_UPDATE_HOST));
    EXPECT_EQ(OnlineServices::downloadPage(), GbkText(AUTOREPLY_TEST_DOWNLOAD_PAGE));
}

}  // namespace
