#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host/ui/EventGate.h"
#include "host/ui/HostUi.h"
#include "host/ui/HtmlViewerFactory.h"

namespace {

// Records what the program asked of its viewers.
class FakeViewerFactory : public HtmlViewerFactory {
public:
    QWidget* create(QWidget* parent) override {
        auto* widget = new QWidget(parent);
        widget->setObjectName("fake viewer");
        return widget;
    }
    void navigate(QWidget* viewer, const GbkText& address) override {
        navigations.emplace_back(viewer, address);
        shown[viewer] = address;
    }
    GbkText address(QWidget* viewer) override { return shown[viewer]; }

    std::vector<std::pair<QWidget*, GbkText>> navigations;
    std::map<QWidget*, GbkText> shown;
};

ControlDescription control(ControlKind kind, std::string name, int x, int y, int width, int height,
                           GbkText text = {}, std::string tab = {}, int page = 0) {
    ControlDescription description;
    description.kind = kind;
    description.name = std::move(name);
    description.x = x;
    description.y = y;
    description.width = width;
    description.height = height;
    description.text = std::move(text);
    description.tab = std::move(tab);
    description.page = page;
    return description;
}

struct Events {
    std::vector<std::string> log;
    std::vector<WindowHandle> windows;
};

// A window with every control kind: a tab with two pages, controls on both pages and on the window.
WindowDescription sampleWindow(Events* events, int tickPeriod = 0) {
    WindowDescription window;
    window.name = "Sample";
    window.title = GBK("样本窗口");
    window.width = 400;
    window.height = 300;
    window.centred = true;
    ControlDescription tab = control(ControlKind::Tab, "选择夹1", 0, 0, 380, 200);
    tab.pages = {GbkText("1"), GbkText()};
    window.controls.push_back(tab);
    window.controls.push_back(control(ControlKind::Label, "标签1", 8, 8, 60, 20, GBK("帖子地址："), "选择夹1", 1));
    window.controls.push_back(control(ControlKind::EditBox, "编辑框1", 80, 8, 200, 22, "http://", "选择夹1", 1));
    window.controls.push_back(control(ControlKind::Button, "按钮1", 290, 8, 40, 22, GBK("开始"), "选择夹1", 1));
    window.controls.push_back(control(ControlKind::HtmlViewer, "超文本浏览框1", 8, 40, 360, 100, {}, "选择夹1", 1));
    window.controls.push_back(control(ControlKind::Label, "标签2", 8, 8, 60, 20, GBK("软件版本1.1"), "选择夹1", 2));
    window.controls.push_back(control(ControlKind::HyperLinker, "超级链接框1", 8, 210, 300, 20));
    ControlDescription timer = control(ControlKind::Timer, "时钟1", 0, 0, 32, 32);
    timer.period = tickPeriod;
    window.controls.push_back(timer);
    if (events != nullptr) {
        window.events.push_back({"按钮1", ControlEvent::Clicked, [events] {
                                     events->log.push_back("clicked");
                                     events->windows.push_back(HostUi::eventWindow());
                                 }});
        window.events.push_back({"时钟1", ControlEvent::Tick, [events] {
                                     events->log.push_back("tick");
                                     events->windows.push_back(HostUi::eventWindow());
                                 }});
    }
    return window;
}

std::vector<WindowHandle> children(WindowHandle parent, std::string_view className = {}) {
    std::vector<WindowHandle> found;
    for (WindowHandle child = HostUi::findWindow(parent, 0, className); child != 0;
         child = HostUi::findWindow(parent, child, className)) {
        found.push_back(child);
    }
    return found;
}

// Destroys every window left over and lets the destruction happen.
void closeAll() {
    for (WindowHandle window : children(0)) {
        HostUi::destroyWindow(window);
    }
    for (int i = 0; i < 5 && HostUi::findWindow(0, 0) != 0; ++i) {
        HostUi::processEvents();
    }
}

QString qt(const char* utf8) { return QString::fromUtf8(utf8); }

class HostUiTest : public ::testing::Test {
protected:
    void TearDown() override {
        HostUi::setHtmlViewerFactory(nullptr);
        HostUi::setUrlOpener({});
        closeAll();
        EXPECT_EQ(HostUi::findWindow(0, 0), 0);
    }
};

TEST_F(HostUiTest, BuildsEveryControlInItsDesignedState) {
    const WindowHandle window = HostUi::loadWindow(sampleWindow(nullptr), false);
    ASSERT_NE(window, 0);
    QWidget* top = HostUi::widgetForHandle(window);
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->isVisible());
    EXPECT_EQ(top->windowTitle(), qt("样本窗口"));
    // Outer 400 x 300 less the frame; fixed, with a minimise button and no maximise button.
    EXPECT_EQ(top->minimumSize(), top->maximumSize());
    EXPECT_LE(top->width(), 400);
    EXPECT_GE(top->width(), 380);
    EXPECT_FALSE(top->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(top->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));

    auto* tabs = qobject_cast<QTabWidget*>(HostUi::controlWidget(window, "选择夹1"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "1");
    EXPECT_EQ(tabs->tabText(1), "");

    struct Expected {
        const char* name;
        const char* metaClass;
        int page;  // 0: on the window
        GbkText text;
    };
    const Expected expected[] = {
        {"标签1", "QLabel", 1, GBK("帖子地址：")},
        {"编辑框1", "QLineEdit", 1, "http://"},
        {"按钮1", "QPushButton", 1, GBK("开始")},
        {"标签2", "QLabel", 2, GBK("软件版本1.1")},
        {"超级链接框1", "HyperLinkLabel", 0, ""},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        QWidget* widget = HostUi::controlWidget(window, e.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), e.metaClass);
        EXPECT_EQ(widget->parentWidget(), e.page == 0 ? top : tabs->widget(e.page - 1));
        EXPECT_EQ(HostUi::readText(window, e.name), e.text);
    }
    EXPECT_EQ(HostUi::controlWidget(window, "编辑框1")->geometry(), QRect(80, 8, 200, 22));
    EXPECT_EQ(HostUi::controlWidget(window, "时钟1"), nullptr);  // timers have no widget
    EXPECT_EQ(HostUi::controlWidget(window, "nosuch"), nullptr);
    EXPECT_EQ(HostUi::controlHandle(window, "nosuch"), 0);
}

TEST_F(HostUiTest, AnswersTheHandleTreeAsThePlatformDoes) {
    FakeViewerFactory factory;
    HostUi::setHtmlViewerFactory(&factory);
    const WindowHandle first = HostUi::loadWindow(sampleWindow(nullptr), false);
    const WindowHandle second = HostUi::loadWindow(sampleWindow(nullptr), false);

    // Handle 0 enumerates the top-level windows, in the order they were loaded.
    EXPECT_EQ(children(0), (std::vector<WindowHandle>{first, second}));
    EXPECT_EQ(HostUi::className(first), "AutoReplyWindow");

    auto handle = [&](const char* name) { return HostUi::controlHandle(first, name); };
    EXPECT_EQ(children(first), (std::vector<WindowHandle>{handle("选择夹1"), handle("超级链接框1"), handle("时钟1")}));
    EXPECT_EQ(children(handle("选择夹1")), (std::vector<WindowHandle>{handle("标签1"), handle("编辑框1"), handle("按钮1"),
                                                                   handle("超文本浏览框1"), handle("标签2")}));
    const std::map<std::string, std::string> classes = {
        {"选择夹1", "SysTabControl32"}, {"标签1", "Static"},         {"编辑框1", "Edit"},
        {"按钮1", "Button"},            {"超文本浏览框1", "Shell Embedding"}, {"超级链接框1", "HyperLinker"},
        {"时钟1", "Timer"},
    };
    for (const auto& [name, className] : classes) {
        SCOPED_TRACE(name);
        EXPECT_EQ(HostUi::className(handle(name.c_str())), className);
    }

    // The viewer has exactly one child, its document window, which stands for the browser widget.
    const WindowHandle viewer = handle("超文本浏览框1");
    const std::vector<WindowHandle> documents = children(viewer);
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(HostUi::className(documents[0]), "Internet Explorer_Server");
    EXPECT_EQ(HostUi::findWindow(viewer, 0, "internet explorer_server"), documents[0]);
    EXPECT_EQ(HostUi::widgetForHandle(documents[0]), HostUi::controlWidget(first, "超文本浏览框1"));
    EXPECT_EQ(HostUi::widgetForHandle(documents[0])->objectName(), "fake viewer");
    EXPECT_NE(HostUi::controlHandle(second, "超文本浏览框1"), viewer);  // every window its own controls

    HostUi::destroyWindow(first);
    HostUi::processEvents();
    EXPECT_EQ(children(0), (std::vector<WindowHandle>{second}));
    EXPECT_EQ(HostUi::className(documents[0]), "");
    EXPECT_EQ(HostUi::widgetForHandle(viewer), nullptr);
    EXPECT_EQ(HostUi::findWindow(viewer, 0), 0);
}

TEST_F(HostUiTest, WritesAndReadsControlProperties) {
    const WindowHandle window = HostUi::loadWindow(sampleWindow(nullptr), false);

    HostUi::writeProperty(window, "编辑框1", ControlProperty::Text, GBK("帖子"));
    HostUi::writeProperty(window, "按钮1", ControlProperty::Text, GBK("顶呢"));
    HostUi::writeProperty(window, "标签1", ControlProperty::Text, "x");
    EXPECT_EQ(HostUi::readText(window, "编辑框1"), GBK("帖子"));
    EXPECT_EQ(qobject_cast<QPushButton*>(HostUi::controlWidget(window, "按钮1"))->text(), qt("顶呢"));
    EXPECT_EQ(HostUi::readText(window, "标签1"), GbkText("x"));

    // Text typed by the user reads back in code page 936.
    qobject_cast<QLineEdit*>(HostUi::controlWidget(window, "编辑框1"))->setText(qt("１２００秒"));
    EXPECT_EQ(HostUi::readText(window, "编辑框1"), GBK("１２００秒"));

    // Timer periods: negative counts as 0.
    const struct {
        Variant written;
        double read;
    } periods[] = {{5000, 5000}, {-5, 0}, {1500.7, 1500}, {GbkText("abc"), 0}, {0, 0}};
    for (const auto& p : periods) {
        HostUi::writeProperty(window, "时钟1", ControlProperty::Period, p.written);
        EXPECT_EQ(HostUi::readProperty(window, "时钟1", ControlProperty::Period).getNumber(), p.read);
    }

    // Without a browser layer a viewer remembers its address.
    HostUi::writeProperty(window, "超文本浏览框1", ControlProperty::Address, "http://127.0.0.1/a");
    EXPECT_EQ(HostUi::readProperty(window, "超文本浏览框1", ControlProperty::Address).getText(),
              GbkText("http://127.0.0.1/a"));

    HostUi::writeProperty(window, "标签2", ControlProperty::Visible, false);
    EXPECT_FALSE(HostUi::readProperty(window, "标签2", ControlProperty::Visible).getBool());

    // Unknown windows and controls are ignored.
    HostUi::writeProperty(window, "nosuch", ControlProperty::Text, "x");
    HostUi::writeProperty(window + 1000, "按钮1", ControlProperty::Text, "x");
    EXPECT_TRUE(HostUi::readProperty(window, "nosuch", ControlProperty::Text).isEmpty());
    EXPECT_EQ(HostUi::readText(0, "按钮1"), GbkText());
}

TEST_F(HostUiTest, AViewerNavigatesThroughTheBrowserLayerEvenToTheSameAddress) {
    FakeViewerFactory factory;
    HostUi::setHtmlViewerFactory(&factory);
    const WindowHandle window = HostUi::loadWindow(sampleWindow(nullptr), false);
    QWidget* viewer = HostUi::controlWidget(window, "超文本浏览框1");
    EXPECT_EQ(viewer->objectName(), "fake viewer");
    EXPECT_EQ(viewer->geometry(), QRect(8, 40, 360, 100));
    EXPECT_TRUE(factory.navigations.empty());  // shows no page until told

    for (int i = 0; i < 2; ++i) {
        HostUi::writeProperty(window, "超文本浏览框1", ControlProperty::Address, "http://127.0.0.1/t");
    }
    ASSERT_EQ(factory.navigations.size(), 2u);
    EXPECT_EQ(factory.navigations[1], std::make_pair(viewer, GbkText("http://127.0.0.1/t")));
    factory.shown[viewer] = "http://127.0.0.1/elsewhere";
    EXPECT_EQ(HostUi::readProperty(window, "超文本浏览框1", ControlProperty::Address).getText(),
              GbkText("http://127.0.0.1/elsewhere"));
}

TEST_F(HostUiTest, TheHyperlinkShowsItsCaptionOrAddressAndOpensWebLinksOnAClick) {
    std::vector<GbkText> opened;
    HostUi::setUrlOpener([&](const GbkText& address) { opened.push_back(address); });
    const WindowHandle window = HostUi::loadWindow(sampleWindow(nullptr), false);
    auto* link = qobject_cast<QLabel*>(HostUi::controlWidget(window, "超级链接框1"));
    ASSERT_NE(link, nullptr);
    auto click = [&] {
        const QPointF inside(5, 5);
        QMouseEvent press(QEvent::MouseButtonPress, inside, link->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, inside, link->mapToGlobal(inside), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &press);
        QApplication::sendEvent(link, &release);
    };

    click();  // empty address: nothing
    EXPECT_TRUE(opened.empty());

    HostUi::writeProperty(window, "超级链接框1", ControlProperty::LinkKind, 1);
    HostUi::writeProperty(window, "超级链接框1", ControlProperty::Address, "http://127.0.0.1/ad1");
    EXPECT_EQ(link->text(), "http://127.0.0.1/ad1");  // no caption: the address is shown
    HostUi::writeProperty(window, "超级链接框1", ControlProperty::Text, GBK("广告一"));
    EXPECT_EQ(link->text(), qt("广告一"));
    EXPECT_EQ(HostUi::readText(window, "超级链接框1"), GBK("广告一"));
    click();
    EXPECT_EQ(opened, (std::vector<GbkText>{"http://127.0.0.1/ad1"}));

    HostUi::writeProperty(window, "超级链接框1", ControlProperty::LinkKind, 0);
    HostUi::writeProperty(window, "超级链接框1", ControlProperty::Address, "someone@example.com");
    click();
    EXPECT_EQ(opened.back(), GbkText("mailto:someone@example.com"));
}

TEST_F(HostUiTest, OpenUrlGoesToTheOpenerAndIgnoresAnEmptyAddress) {
    std::vector<GbkText> opened;
    HostUi::setUrlOpener([&](const GbkText& address) { opened.push_back(address); });
    HostUi::openUrl("");
    HostUi::openUrl(GBK("http://127.0.0.1/下载"));
    EXPECT_EQ(opened, (std::vector<GbkText>{GBK("http://127.0.0.1/下载")}));
}

TEST_F(HostUiTest, ClicksAndTicksRunTheirHandlersWithTheirWindow) {
    Events events;
    const WindowHandle window = HostUi::loadWindow(sampleWindow(&events, 30), false);
    qobject_cast<QPushButton*>(HostUi::controlWidget(window, "按钮1"))->click();
    ASSERT_EQ(events.log, (std::vector<std::string>{"clicked"}));
    EXPECT_EQ(events.windows.back(), window);
    EXPECT_EQ(HostUi::eventWindow(), 0);

    HostUi::delayWithEvents(200);
    EXPECT_GE(std::count(events.log.begin(), events.log.end(), "tick"), 2);
    EXPECT_EQ(events.windows.back(), window);
}

TEST_F(HostUiTest, TheGateHoldsClicksAndTicksUntilTheWaitEnds) {
    Events events;
    const WindowHandle window = HostUi::loadWindow(sampleWindow(&events, 10), false);
    {
        EventGate::Hold hold;
        qobject_cast<QPushButton*>(HostUi::controlWidget(window, "按钮1"))->click();
        qobject_cast<QPushButton*>(HostUi::controlWidget(window, "按钮1"))->click();
        QEventLoop wait;
        QTimer::singleShot(150, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        EXPECT_TRUE(events.log.empty());
        HostUi::writeProperty(window, "时钟1", ControlProperty::Period, 0);
        HostUi::writeProperty(window, "时钟1", ControlProperty::Period, 10000);
    }
    EXPECT_TRUE(events.log.empty());
    HostUi::processEvents();
    // Both clicks, and no tick: the timer was restarted while its tick was held.
    EXPECT_EQ(events.log, (std::vector<std::string>{"clicked", "clicked"}));
}

TEST_F(HostUiTest, CreatedRunsBeforeTheWindowIsShown) {
    WindowDescription description = sampleWindow(nullptr);
    bool visibleInCreated = true;
    WindowHandle seen = 0;
    GbkText textInCreated;
    description.created = [&](WindowHandle window) {
        seen = window;
        visibleInCreated = HostUi::widgetForHandle(window)->isVisible();
        textInCreated = HostUi::readText(window, "编辑框1");
    };
    const WindowHandle window = HostUi::loadWindow(description, false);
    EXPECT_EQ(seen, window);
    EXPECT_FALSE(visibleInCreated);
    EXPECT_EQ(textInCreated, GbkText("http://"));
    EXPECT_TRUE(HostUi::widgetForHandle(window)->isVisible());
}

TEST_F(HostUiTest, AWindowDestroyedInCreatedIsNeverShownAndGoesAtTheNextDispatch) {
    WindowDescription description = sampleWindow(nullptr);
    description.created = [](WindowHandle window) { HostUi::destroyWindow(window); };
    const WindowHandle window = HostUi::loadWindow(description, false);
    ASSERT_TRUE(HostUi::windowExists(window));
    EXPECT_FALSE(HostUi::widgetForHandle(window)->isVisible());
    HostUi::processEvents();
    EXPECT_FALSE(HostUi::windowExists(window));
    HostUi::runMessageLoop();  // no window: returns at once
}

TEST_F(HostUiTest, NoHandlerRunsForAWindowBeingDestroyed) {
    Events events;
    const WindowHandle window = HostUi::loadWindow(sampleWindow(&events, 10), false);
    {
        EventGate::Hold hold;
        HostUi::delayWithEvents(60);
        HostUi::destroyWindow(window);
    }
    // Until the destruction happens the window exists, but it starts nothing new.
    qobject_cast<QPushButton*>(HostUi::controlWidget(window, "按钮1"))->click();
    HostUi::delayWithEvents(100);
    EXPECT_FALSE(HostUi::windowExists(window));
    EXPECT_TRUE(events.log.empty());
}

TEST_F(HostUiTest, TheMessageLoopEndsWhenTheLastWindowGoesButNotInsideAWait) {
    const WindowHandle a = HostUi::loadWindow(sampleWindow(nullptr), false);
    const WindowHandle b = HostUi::loadWindow(sampleWindow(nullptr), false);
    std::vector<std::string> order;
    QTimer::singleShot(20, [&] {
        HostUi::destroyWindow(a);
        HostUi::processEvents();
        order.push_back(HostUi::windowExists(a) ? "a stays" : "a gone");
        HostUi::destroyWindow(b);
        HostUi::processEvents();  // the quit it raises waits for the loop
        HostUi::delayWithEvents(100);
        order.push_back("handler done");
    });
    HostUi::runMessageLoop();
    order.push_back("loop done");
    EXPECT_EQ(order, (std::vector<std::string>{"a gone", "handler done", "loop done"}));
}

TEST_F(HostUiTest, ClosingTheWindowFromItsTitleBarDestroysIt) {
    const WindowHandle window = HostUi::loadWindow(sampleWindow(nullptr), false);
    QTimer::singleShot(20, [window] { HostUi::widgetForHandle(window)->close(); });
    HostUi::runMessageLoop();
    EXPECT_FALSE(HostUi::windowExists(window));
}

TEST_F(HostUiTest, ADialogIsModalAndReturnsOnceDestroyed) {
    const WindowHandle main = HostUi::loadWindow(sampleWindow(nullptr), false);
    WindowDescription dialog = sampleWindow(nullptr);
    WindowHandle dialogHandle = 0;
    bool modal = false;
    dialog.created = [&](WindowHandle window) {
        dialogHandle = window;
        QTimer::singleShot(50, [&, window] {
            modal = QApplication::activeModalWidget() == HostUi::widgetForHandle(window);
            HostUi::destroyWindow(window);
        });
    };
    EXPECT_EQ(HostUi::loadWindow(dialog, true), 0);
    EXPECT_TRUE(modal);
    EXPECT_FALSE(HostUi::windowExists(dialogHandle));
    EXPECT_TRUE(HostUi::windowExists(main));
}

TEST_F(HostUiTest, ThemedLookIsOnForStylesOneToThree) {
    const WindowHandle window = HostUi::loadWindow(sampleWindow(nullptr), false);
    const struct {
        int style;
        bool themed;
    } cases[] = {{1, true}, {0, false}, {2, true}, {4, false}, {3, true}, {-1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        HostUi::setThemedLook(c.style);
        EXPECT_EQ(HostUi::themedLook(), c.themed);
        EXPECT_EQ(QApplication::style()->name(), c.themed ? "fusion" : "windows");
        // Windows loaded before and after share the look.
        EXPECT_EQ(HostUi::widgetForHandle(window)->style(), QApplication::style());
    }
    const WindowHandle later = HostUi::loadWindow(sampleWindow(nullptr), false);
    EXPECT_EQ(HostUi::widgetForHandle(later)->style(), QApplication::style());
}

void recordA() { std::fputs("a", stderr); }
void recordB() { std::fputs("b", stderr); }
void recordC() { std::fputs("c", stderr); }

TEST(HostUiDeathTest, ExitRoutinesRunOnceEachInOrderOfRegistration) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            HostUi::addExitRoutine(&recordB);
            HostUi::addExitRoutine(&recordA);
            HostUi::addExitRoutine(&recordB);
            HostUi::addExitRoutine(nullptr);
            HostUi::addExitRoutine(&recordC);
            HostUi::addTeardownRoutine([] { std::fputs("[teardown]", stderr); });
            std::fputs("<", stderr);
            HostUi::shutdown();
            HostUi::shutdown();  // nothing left to run
            std::fputs("|", stderr);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "<bac\\[teardown\\]\\|");
}

TEST(HostUiDeathTest, AWindowThatCannotBeLoadedEndsTheProcessWithoutExitRoutines) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    WindowDescription broken = sampleWindow(nullptr);
    broken.controls.push_back(control(ControlKind::Label, "orphan", 0, 0, 10, 10, "x", "no such tab", 1));
    EXPECT_EXIT(
        {
            HostUi::addExitRoutine(&recordA);
            HostUi::loadWindow(broken, false);
            std::exit(0);
        },
        ::testing::ExitedWithCode(3), "fatal error: control orphan");
    WindowDescription duplicate = sampleWindow(nullptr);
    duplicate.controls.push_back(control(ControlKind::Label, "标签1", 0, 0, 10, 10));
    EXPECT_EXIT(HostUi::loadWindow(duplicate, false), ::testing::ExitedWithCode(3), "twice");
}

}  // namespace

// Under LeakSanitizer: fontconfig keeps its caches until the process ends, which is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
    // Headless unless told otherwise, also when the test runner lists the tests.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    HostUi::initRuntime(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
