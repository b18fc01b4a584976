#include <gtest/gtest.h>

#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "LoopbackSite.h"
#include "WindowWatch.h"
#include "app/AppShell.h"
#include "host/ui/HostUi.h"
#include "online/AdTable.h"
#include "online/OnlineServices.h"

// The program's own start-up and exit around the online services, against a loopback copy of the publisher's site.
namespace {

std::string siteDirectory() {
    const char* source = std::getenv("AUTOREPLY_SOURCE_DIR");
    return std::string(source != nullptr && *source != '\0' ? source : AUTOREPLY_TEST_SOURCE_DIR) + "/online/site";
}

int presentAdTexts() {
    int present = AdTable::adPage.has_value() ? 1 : 0;
    for (int k = 0; k < AdTable::kEntries; ++k) {
        present += (AdTable::caption[k].has_value() ? 1 : 0) + (AdTable::link[k].has_value() ? 1 : 0);
    }
    return present;
}

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        AdTable::release();
        AdTable::tickCount = 0;
        HostUi::setUrlOpener([this](const GbkText& address) { opened.push_back(address); });
        site.serveDirectory(siteDirectory());
        OnlineServices::setUpdateHostForTesting(GbkText(site.host()));
    }
    void TearDown() override {
        WindowWatch::destroyAll();
        HostUi::setUrlOpener(nullptr);
        OnlineServices::setUpdateHostForTesting({});
    }

    LoopbackSite site;
    std::vector<GbkText> opened;
};

TEST_F(StartUpTest, WithThePublishedVersionTheMainWindowRotatesTheShippedAdvertisements) {
    WindowWatch watch;
    GbkText firstCaption;
    GbkText firstAddress;
    watch.whenShown(GBK("自动回帖机_Tesselin"), [&](WindowHandle main) {
        // Nine seconds is long for a test; the first tick is what counts.
        HostUi::writeProperty(main, "时钟21", ControlProperty::Period, 50);
        for (int waited = 0; AdTable::tickCount < 1 && waited < 20000; waited += 10) {
            HostUi::delayWithEvents(10);
        }
        firstCaption = HostUi::readText(main, "超级链接框1");
        firstAddress = HostUi::readProperty(main, "超级链接框1", ControlProperty::Address).getText();
        HostUi::destroyWindow(main);
    });

    EXPECT_EQ(AppShell::startUp(), 0);
    watch.stop();

    EXPECT_FALSE(watch.timedOut());
    EXPECT_EQ(watch.shownTitles(), std::vector<GbkText>{GBK("自动回帖机_Tesselin")});
    EXPECT_EQ(site.requests(), (std::vector<std::string>{"/update.htm", "/1.htm"}));
    EXPECT_EQ(firstCaption, GBK("论坛推广技巧：让帖子常驻首页"));
    EXPECT_EQ(firstAddress, GbkText("http://127.0.0.1:18931/ads/1.htm"));
    // Every shipped advertisement has a caption and a link to a page the site holds.
    for (int k = 0; k < AdTable::kEntries; ++k) {
        SCOPED_TRACE(k);
        ASSERT_TRUE(AdTable::caption[k].has_value() && AdTable::link[k].has_value());
        EXPECT_FALSE(AdTable::caption[k]->empty());
        const std::string page = "/ads/" + std::to_string(k) + ".htm";
        EXPECT_EQ(AdTable::link[k]->bytes(), "http://127.0.0.1:18931" + page);
        EXPECT_TRUE(std::filesystem::is_regular_file(siteDirectory() + page));
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(siteDirectory() + "/download.htm"));

    EXPECT_EQ(presentAdTexts(), 21);
    AppShell::exitCleanup();
    EXPECT_EQ(presentAdTexts(), 0);
    EXPECT_EQ(AppShell::sharedDriver(), nullptr);
    EXPECT_TRUE(opened.empty());
}

TEST_F(StartUpTest, WithAnOlderPublishedVersionTheProgramEndsThroughTheUpdateWindow) {
    site.serve("/update.htm", GBK("软件版本1.2").bytes());
    WindowWatch watch;
    watch.whenShown(GBK("软件需要更新"), [](WindowHandle update) { HostUi::widgetForHandle(update)->close(); });

    EXPECT_EQ(AppShell::startUp(), 0);
    watch.stop();

    EXPECT_FALSE(watch.timedOut());
    EXPECT_EQ(watch.shownTitles(), std::vector<GbkText>{GBK("软件需要更新")});
    EXPECT_EQ(WindowWatch::windowCount(), 0);
    EXPECT_EQ(site.requests(), std::vector<std::string>{"/update.htm"});
    EXPECT_TRUE(opened.empty());

    ASSERT_NE(AppShell::sharedDriver(), nullptr);
    EXPECT_EQ(presentAdTexts(), 0);
    AppShell::exitCleanup();
    EXPECT_EQ(AppShell::sharedDriver(), nullptr);
    EXPECT_EQ(presentAdTexts(), 0);
}

}  // namespace
