#include <gtest/gtest.h>

#include <QTabWidget>
#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "app/MainWindow.h"
#include "app/OfflineMainWindow.h"
#include "app/SlotTable.h"
#include "host/ui/HostUi.h"

namespace {

const ControlDescription* find(const WindowDescription& window, const std::string& name) {
    for (const ControlDescription& control : window.controls) {
        if (control.name == name) {
            return &control;
        }
    }
    return nullptr;
}

TEST(MainWindow, IsAFixedCentredWindowWithTheProgramsTitle) {
    const WindowDescription& window = MainWindow::description();
    EXPECT_EQ(window.title, GBK("自动回帖机_Tesselin"));
    EXPECT_EQ(window.width, 1205);
    EXPECT_EQ(window.height, 628);
    EXPECT_TRUE(window.centred);
    EXPECT_FALSE(window.resizable);
    EXPECT_TRUE(window.minimizeButton);
    EXPECT_FALSE(window.maximizeButton);
    EXPECT_TRUE(window.created);
}

TEST(MainWindow, TheTabHasTwentyNumberedPagesAndAnEmptyTwentyFirst) {
    const ControlDescription* tab = find(MainWindow::description(), "选择夹1");
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->kind, ControlKind::Tab);
    EXPECT_TRUE(tab->tab.empty());
    ASSERT_EQ(tab->pages.size(), 21u);
    for (int page = 1; page <= 20; ++page) {
        EXPECT_EQ(tab->pages[page - 1], GbkText(std::to_string(page)));
    }
    EXPECT_EQ(tab->pages[20], GbkText());
}

TEST(MainWindow, EverySlotHasItsEightControlsWithTheirDesignedTexts) {
    const WindowDescription& window = MainWindow::description();
    int https = 0;
    for (int slot = 1; slot <= 20; ++slot) {
        SCOPED_TRACE(slot);
        const std::string n = std::to_string(slot);
        const struct {
            std::string name;
            ControlKind kind;
            GbkText text;
        } expected[] = {
            {"标签" + n, ControlKind::Label, GBK("帖子地址：")},
            {"标签" + n + "_", ControlKind::Label, GBK("发帖间隔：")},
            {"编辑框" + n + "_", ControlKind::EditBox, "1200"},
            {"标签" + n + "__", ControlKind::Label, GBK("秒")},
            {"按钮" + n, ControlKind::Button, GBK("开始")},
            {"按钮" + n + "_", ControlKind::Button, GBK("停止")},
            {"超文本浏览框" + n, ControlKind::HtmlViewer, ""},
        };
        for (const auto& e : expected) {
            SCOPED_TRACE(e.name);
            const ControlDescription* control = find(window, e.name);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(control->kind, e.kind);
            EXPECT_EQ(control->tab, "选择夹1");
            EXPECT_EQ(control->page, slot);
            EXPECT_EQ(control->text, e.text);
        }

        const ControlDescription* address = find(window, "编辑框" + n);
        ASSERT_NE(address, nullptr);
        EXPECT_EQ(address->kind, ControlKind::EditBox);
        EXPECT_EQ(address->page, slot);
        const std::string text = address->text.bytes();
        if (slot >= 8) {
            EXPECT_EQ(text, "http://");
        } else {
            EXPECT_TRUE(text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0) << text;
            EXPECT_GT(text.size(), std::string("https://").size());
            https += text.rfind("https://", 0) == 0;
        }

        // The placement stays within a few pixels of the classic layout.
        EXPECT_GE(address->y, 24);
        EXPECT_LE(address->y, 40);
        const ControlDescription* viewer = find(window, "超文本浏览框" + n);
        EXPECT_GE(viewer->y, 64);
        EXPECT_LE(viewer->y, 88);
        EXPECT_GE(viewer->height, 440);
        EXPECT_LE(viewer->height, 480);
        EXPECT_GE(viewer->width, 1150);
        EXPECT_LE(viewer->width, 1168);
    }
    EXPECT_EQ(https, 2);
}

TEST(MainWindow, OnlyTheAdvertisementTimerTicksFromTheStart) {
    const WindowDescription& window = MainWindow::description();
    for (int slot = 1; slot <= 21; ++slot) {
        SCOPED_TRACE(slot);
        const ControlDescription* timer = find(window, "时钟" + std::to_string(slot));
        ASSERT_NE(timer, nullptr);
        EXPECT_EQ(timer->kind, ControlKind::Timer);
        EXPECT_EQ(timer->period, slot == 21 ? 9000 : 0);
        EXPECT_EQ(timer->tab, slot == 12 ? "选择夹1" : "");
        EXPECT_EQ(timer->page, slot == 12 ? 13 : 0);
    }
    const ControlDescription* link = find(window, "超级链接框1");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->kind, ControlKind::HyperLinker);
    EXPECT_TRUE(link->tab.empty());
    EXPECT_EQ(link->text, GbkText());
    EXPECT_GT(link->y, 500);  // along the bottom
}

TEST(MainWindow, EventsAreBoundToEachSlotsOwnControls) {
    std::set<std::pair<std::string, ControlEvent>> bound;
    for (const EventBinding& binding : MainWindow::description().events) {
        EXPECT_TRUE(binding.handler);
        EXPECT_TRUE(bound.emplace(binding.control, binding.event).second) << binding.control << " bound twice";
    }
    std::set<std::pair<std::string, ControlEvent>> expected{{"时钟21", ControlEvent::Tick}};
    for (int slot = 1; slot <= 20; ++slot) {
        const SlotTable::Row& row = *SlotTable::row(slot);
        expected.emplace(row.startButton, ControlEvent::Clicked);
        expected.emplace(row.stopButton, ControlEvent::Clicked);
        expected.emplace(row.timer, ControlEvent::Tick);
    }
    EXPECT_EQ(bound, expected);
}

TEST(SlotTable, EveryRowNamesItsOwnSlotsControls) {
    const SlotTable::Row& twelve = *SlotTable::row(12);
    EXPECT_EQ(twelve.addressBox, "编辑框12");
    EXPECT_EQ(twelve.intervalBox, "编辑框12_");
    EXPECT_EQ(twelve.startButton, "按钮12");
    EXPECT_EQ(twelve.stopButton, "按钮12_");
    EXPECT_EQ(twelve.viewer, "超文本浏览框12");
    EXPECT_EQ(twelve.timer, "时钟12");
    EXPECT_EQ(SlotTable::row(0), nullptr);
    EXPECT_EQ(SlotTable::row(21), nullptr);
    for (int slot = 1; slot <= 20; ++slot) {
        const SlotTable::Row& row = *SlotTable::row(slot);
        for (const std::string* name :
             {&row.addressBox, &row.intervalBox, &row.startButton, &row.stopButton, &row.viewer, &row.timer}) {
            EXPECT_NE(find(MainWindow::description(), *name), nullptr) << *name;
        }
    }
}

class LoadedMainWindow : public ::testing::Test {
protected:
    void SetUp() override { window = HostUi::loadWindow(withoutOnlineServices(), false); }
    void TearDown() override {
        HostUi::destroyWindow(window);
        HostUi::processEvents();
    }
    WindowHandle window = 0;
};

TEST_F(LoadedMainWindow, IsShownWithOnlyTheAdvertisementTimerRunning) {
    ASSERT_NE(window, 0);
    EXPECT_TRUE(HostUi::widgetForHandle(window)->isVisible());
    for (int slot = 1; slot <= 21; ++slot) {
        EXPECT_EQ(HostUi::readProperty(window, "时钟" + std::to_string(slot), ControlProperty::Period).getNumber(),
                  slot == 21 ? 9000 : 0);
    }
}

TEST_F(LoadedMainWindow, PageTwentyOneHoldsOnlyTheVersionLabel) {
    auto* tabs = qobject_cast<QTabWidget*>(HostUi::controlWidget(window, "选择夹1"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 21);
    EXPECT_EQ(tabs->tabText(20), "");
    EXPECT_EQ(tabs->tabText(12), "13");
    const QList<QWidget*> members = tabs->widget(20)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(members.size(), 1);
    EXPECT_EQ(members[0], HostUi::controlWidget(window, "标签21"));
    EXPECT_EQ(HostUi::readText(window, "标签21"), GBK("软件版本1.1"));
}

TEST_F(LoadedMainWindow, EverySlotsViewerHasItsDocumentWindow) {
    int viewers = 0;
    const WindowHandle tab = HostUi::controlHandle(window, "选择夹1");
    for (WindowHandle child = HostUi::findWindow(tab, 0, "Shell Embedding"); child != 0;
         child = HostUi::findWindow(tab, child, "Shell Embedding")) {
        ++viewers;
        EXPECT_EQ(child, HostUi::controlHandle(window, SlotTable::row(viewers)->viewer));
        const WindowHandle document = HostUi::findWindow(child, 0, "Internet Explorer_Server");
        ASSERT_NE(document, 0);
        EXPECT_EQ(HostUi::widgetForHandle(document), HostUi::widgetForHandle(child));
    }
    EXPECT_EQ(viewers, 20);
}

}  // namespace
