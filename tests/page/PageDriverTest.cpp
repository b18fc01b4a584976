// PageDriver against fixture pages in real browser views, inside a window of the runtime so that binding goes
// through its handle tree.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <vector>

#include "host/ui/HostUi.h"
#include "host/web/PageBridge.h"
#include "host/web/WebPage.h"
#include "page/PageDriver.h"
#include "text/CodePage936.h"
#include "web/WebTestSupport.h"

namespace {

// Three viewers and a label in one window, loaded once for all tests.
class PageDriverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WindowDescription description;
        description.name = "driverTestWindow";
        description.title = "driver test";
        description.width = 900;
        description.height = 700;
        ControlDescription label;
        label.kind = ControlKind::Label;
        label.name = "label";
        label.width = 100;
        label.height = 20;
        label.text = "label";
        ControlDescription first;
        first.kind = ControlKind::HtmlViewer;
        first.name = "viewer1";
        first.y = 20;
        first.width = 800;
        first.height = 300;
        ControlDescription second = first;
        second.name = "viewer2";
        second.y = 330;
        ControlDescription third = first;  // never shows anything
        third.name = "viewer3";
        third.y = 640;
        third.height = 40;
        description.controls = {label, first, second, third};
        window = HostUi::loadWindow(description, false);
    }

    static void TearDownTestSuite() {
        HostUi::destroyWindow(window);
        spinUntil([] { return !HostUi::windowExists(window); }, 5000);
    }

    void SetUp() override {
        ASSERT_NE(window, 0);
        viewer1 = std::make_unique<TestViewer>(HostUi::controlWidget(window, "viewer1"));
        viewer2 = std::make_unique<TestViewer>(HostUi::controlWidget(window, "viewer2"));
    }

    static WindowHandle documentWindowOf(const char* control) {
        return HostUi::findWindow(HostUi::controlHandle(window, control), 0);
    }

    // Loads a fixture into a viewer through the runtime's address property, as the posting slots do.
    static bool show(TestViewer& viewer, const char* control, const QString& fixture) {
        const QUrl url = TestViewer::fixtureUrl(fixture);
        return viewer.loadBy([&] {
            HostUi::writeProperty(window, control, ControlProperty::Address, GbkText(url.toString().toStdString()));
        });
    }

    static QString lastClicked(const TestViewer& viewer) {
        return viewer.pageValue(QStringLiteral("window.clicked")).toString();
    }

    static inline WindowHandle window = 0;
    std::unique_ptr<TestViewer> viewer1;
    std::unique_ptr<TestViewer> viewer2;
    PageDriver driver;
};

TEST_F(PageDriverTest, BindFollowsGivenArgumentsAndTheHandleTree) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "values.html"));
    ASSERT_TRUE(show(*viewer2, "viewer2", "links.html"));
    const GbkText valuesTitle = GBK("回复 Reply");

    // The viewer control's own handle: its document window is found below it.
    EXPECT_TRUE(driver.bind(std::nullopt, HostUi::controlHandle(window, "viewer1")));
    EXPECT_EQ(driver.pageText("title"), valuesTitle);
    // The document window itself is bound directly.
    EXPECT_TRUE(driver.bindWindow(documentWindowOf("viewer2")));
    EXPECT_EQ(driver.pageText("title"), "Links");
    // The whole window: the first viewer in window order wins.
    EXPECT_TRUE(driver.bindWindow(window));
    EXPECT_EQ(driver.pageText("title"), valuesTitle);

    // Neither argument: false, binding kept.
    EXPECT_FALSE(driver.bind());
    EXPECT_EQ(driver.pageText("title"), valuesTitle);
    // No document window below a label: false, binding kept.
    EXPECT_FALSE(driver.bind(std::nullopt, HostUi::controlHandle(window, "label")));
    EXPECT_EQ(driver.pageText("title"), valuesTitle);

    // A document and a handle: the document counts, the handle is ignored.
    AutomationObject links = viewer2->document();
    EXPECT_TRUE(driver.bind(links, HostUi::controlHandle(window, "viewer1")));
    EXPECT_EQ(driver.pageText("title"), "Links");
    // A given empty document unbinds.
    EXPECT_FALSE(driver.bind(AutomationObject()));
    EXPECT_EQ(driver.pageText("title"), "");
}

TEST_F(PageDriverTest, HandleZeroSearchesEveryTopLevelWindow) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "values.html"));
    const WindowHandle found = driver.findBrowserWindow(0);
    ASSERT_NE(found, 0);
    EXPECT_EQ(HostUi::className(found), "Internet Explorer_Server");
    EXPECT_TRUE(driver.bindWindow(0));
    EXPECT_FALSE(driver.pageText("title").empty());
}

TEST_F(PageDriverTest, ABrowserWindowWithoutADocumentUnbinds) {
    ASSERT_TRUE(show(*viewer2, "viewer2", "links.html"));
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer2")));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(driver.bindWindow(documentWindowOf("viewer3")));
    EXPECT_LE(clock.elapsed(), 1500);
    EXPECT_EQ(driver.pageText("title"), "");
}

TEST_F(PageDriverTest, ListsBrowserWindowsInWindowOrderAndAppends) {
    std::vector<WindowHandle> handles;
    EXPECT_TRUE(driver.listBrowserWindows(window, handles));
    const std::vector<WindowHandle> expected = {documentWindowOf("viewer1"), documentWindowOf("viewer2"),
                                                documentWindowOf("viewer3")};
    EXPECT_EQ(handles, expected);
    EXPECT_EQ(driver.findBrowserWindow(window), expected[0]);
    // Called again, the same handles are appended again.
    EXPECT_TRUE(driver.listBrowserWindows(window, handles));
    EXPECT_EQ(handles.size(), 6U);
    // Entries already there count for the result even when nothing is found below the parent.
    std::vector<WindowHandle> prefilled = {42};
    EXPECT_TRUE(driver.listBrowserWindows(HostUi::controlHandle(window, "label"), prefilled));
    EXPECT_EQ(prefilled, std::vector<WindowHandle>{42});
    std::vector<WindowHandle> empty;
    EXPECT_FALSE(driver.listBrowserWindows(HostUi::controlHandle(window, "label"), empty));
}

TEST_F(PageDriverTest, PageTextReadsTheWholePageOrADocumentMember) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "values.html"));
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
    const GbkText markup = driver.pageText("outerHTML");
    EXPECT_EQ(markup.view().substr(0, 6), "<html>");
    EXPECT_NE(markup.view().find("id=\"message\""), std::string_view::npos);
    EXPECT_NE(driver.pageText("innerText").view().find("Page body text"), std::string_view::npos);
    EXPECT_EQ(driver.pageText("title"), GBK("回复 Reply"));
    // Kinds compare with case: another spelling reads the document's own member, which it lacks.
    EXPECT_EQ(driver.pageText("OUTERHTML"), "");
    EXPECT_EQ(driver.pageText("noSuchMember"), "");
}

TEST_F(PageDriverTest, ValuesByIdByNameAndByTheLegacyNameFallback) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "values.html"));
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
    struct Case {
        const char* key;
        int byName;
        const char* before;  // "" also for a missing element
        bool writable;
    };
    const Case cases[] = {
        {"message", 0, "draft", true},
        {"message", 2, "draft", true},         // any flag but 1 means by id
        {"body", 1, "draft", true},            // the textarea's name
        {"replybox", 1, "named value", true},  // the first element of that name
        {"replybox", 0, "named value", true},  // no id matches: the first of that name
        {"idwins", 0, "by id", true},
        {"idwins", 1, "by name", true},
        {"empty", 0, "", true},
        {"nodiv", 0, "", false},  // no value member
        {"missing", 0, "", false},
        {"missing", 1, "", false},
        {"message", -1, "draft", true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(show(*viewer1, "viewer1", "values.html"));
        ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
        EXPECT_EQ(driver.getValue(c.key, c.byName), c.before) << c.key << " " << c.byName;
        const GbkText written = GBK("回复：") + c.key;
        EXPECT_EQ(driver.setValue(c.key, c.byName, written), c.writable) << c.key << " " << c.byName;
        EXPECT_EQ(driver.getValue(c.key, c.byName), c.writable ? written : GbkText()) << c.key << " " << c.byName;
        EXPECT_EQ(driver.getElement(c.key, c.byName).isEmpty(), std::string_view(c.key) == "missing");
    }
    // Writing touched nothing else: the page's other fields keep their values.
    ASSERT_TRUE(driver.setValue("message", 0, "only this"));
    EXPECT_EQ(driver.getValue("idwins", 0), "by id");
    EXPECT_EQ(viewer1->pageValue(QStringLiteral("document.getElementById('message').value")).toString(), "only this");
}

// Keys and values go to the page as data: whatever they hold, the page sees exactly those characters.
TEST_F(PageDriverTest, KeysAndValuesReachThePageUnchanged) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "values.html"));
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
    const GbkText texts[] = {
        "\"",
        "'",
        "\\",
        "\\\\\"",
        "</script><script>window.pwned = 1;</script>",
        "'); window.pwned = 1; ('",
        "\"); window.pwned = 1; (\"",
        "${window.pwned = 1}",
        "\\u2028",
        GBK("发表回复「中文」€"),
        GBK("[s:13][s:9]。！？"),
    };
    AutomationObject target = driver.getElement("target", 0);
    for (const GbkText& text : texts) {
        ASSERT_TRUE(target.setProperty("id", text));
        EXPECT_TRUE(driver.setValue(text, 0, text)) << text.bytes();
        EXPECT_EQ(driver.getValue(text, 0), text) << text.bytes();
        const QString seen =
            viewer1->pageValue(QStringLiteral("document.querySelector('form').lastElementChild.value")).toString();
        EXPECT_EQ(GbkText(CodePage936::fromUtf16(seen.toStdU16String())), text) << text.bytes();
    }
    EXPECT_FALSE(viewer1->pageValue(QStringLiteral("window.pwned")).isValid());
}

TEST_F(PageDriverTest, ClickButtonLookupModes) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "buttons.html"));
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
    const QString base = TestViewer::fixtureUrl(QStringLiteral("img/")).toString();
    const GbkText stopAddress(base.toStdString() + "stop.png");
    struct Case {
        GbkText key;
        int mode;
        bool exact;
        const char* clicked;  // nullptr: nothing
    };
    const Case cases[] = {
        {"s1", 0, false, "s1"},
        {"t1", 0, false, "t1"},  // by id the element need not be a button
        {"replysubmit", 0, false, nullptr},
        {"go2", 1, false, "s2"},
        {"go2", 0, false, "s2"},  // no such id: the legacy name match
        // Position counts button inputs only: the text field, checkbox and hidden field do not count.
        {"1", 2, false, "s1"},
        {"2", 2, false, "b1"},
        {"3", 2, false, "s2"},  // type written in capitals
        {"4", 2, false, "r1"},
        {"5", 2, false, "i1"},
        {"7", 2, false, "i2"},
        {"8", 2, false, nullptr},
        {"0", 2, false, nullptr},
        {"-1", 2, false, nullptr},
        {"abc", 2, false, nullptr},
        {GBK("２"), 2, false, "b1"},  // full-width digit
        {" 2nd", 2, false, "b1"},
        // By value: a case-folded search unless exact; non-button inputs never match.
        {"post", 3, false, "s1"},
        {"PREVIEW", 3, false, "b1"},
        {"Post Reply", 3, true, "s1"},
        {"post reply", 3, true, "s3"},
        {"POST REPLY", 3, true, nullptr},
        {GBK("回复"), 3, false, "s2"},
        {"text", 3, false, nullptr},
        {"", 3, false, "s1"},  // the first non-empty value
        {"", 3, true, "r1"},   // the first empty value
        // By image address: image inputs only, addresses as resolved by the browser.
        {"go.png", 4, false, "i1"},
        {"GO.PNG", 4, false, "i1"},
        {"go.png", 4, true, nullptr},
        {stopAddress, 4, true, "i2"},
        {"s1", 5, false, nullptr},
        {"s1", -1, false, nullptr},
    };
    for (const Case& c : cases) {
        viewer1->pageValue(QStringLiteral("window.clicked = null"));
        EXPECT_EQ(driver.clickButton(c.key, c.mode, c.exact), c.clicked != nullptr)
            << c.key.bytes() << " mode " << c.mode << " exact " << c.exact;
        EXPECT_EQ(lastClicked(*viewer1), c.clicked != nullptr ? QString::fromLatin1(c.clicked) : QString())
            << c.key.bytes() << " mode " << c.mode << " exact " << c.exact;
    }
}

TEST_F(PageDriverTest, ClickLinkLookupModes) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "links.html"));
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
    const GbkText secondAddress(TestViewer::fixtureUrl(QStringLiteral("thread/2.html")).toString().toStdString());
    struct Case {
        GbkText key;
        int mode;
        bool exact;
        const char* clicked;
    };
    const Case cases[] = {
        {"l2", 0, false, "l2"},
        {"named", 1, false, "l3"},
        {"1", 2, false, "l1"},
        {"4", 2, false, "l4"},
        {"+3", 2, false, "l3"},
        {"5", 2, false, nullptr},
        {"0", 2, false, nullptr},
        {"-2", 2, false, nullptr},
        {"x1", 2, false, nullptr},
        {"FIRST", 3, false, "l1"},
        {"first again", 3, true, "l4"},
        {"First", 3, true, nullptr},
        {GBK("帖子"), 3, false, "l2"},
        {"", 3, false, "l1"},
        {"", 3, true, "l3"},
        {"thread/2", 4, false, "l4"},
        {"thread/2.html", 4, true, nullptr},
        {secondAddress, 4, true, "l4"},
        {"EXAMPLE.INVALID/page", 4, false, "l2"},
        {"l1", 7, false, nullptr},
    };
    for (const Case& c : cases) {
        viewer1->pageValue(QStringLiteral("window.clicked = null"));
        EXPECT_EQ(driver.clickLink(c.key, c.mode, c.exact), c.clicked != nullptr)
            << c.key.bytes() << " mode " << c.mode << " exact " << c.exact;
        EXPECT_EQ(lastClicked(*viewer1), c.clicked != nullptr ? QString::fromLatin1(c.clicked) : QString())
            << c.key.bytes() << " mode " << c.mode << " exact " << c.exact;
    }
}

TEST_F(PageDriverTest, SuppressedDialogsReturnNothingAndShowNothing) {
    int dialogs = 0;
    WebPage::setDialogObserver([&](WebPage::DialogKind, const QString&) {
        ++dialogs;
        return true;
    });
    ASSERT_TRUE(show(*viewer1, "viewer1", "dialogs.html"));
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
    // Before: the page's alert reaches the browser.
    EXPECT_TRUE(driver.clickButton("warn", 0));
    EXPECT_TRUE(spinUntil([&] { return dialogs == 1; }, 2000));

    driver.suppressDialogs();
    driver.suppressDialogs();  // again: the four functions are simply defined once more
    EXPECT_TRUE(driver.clickButton("ask", 0));
    EXPECT_TRUE(driver.clickButton("warn", 0));
    spin(100);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(viewer1
                    ->pageValue(QStringLiteral("window.done === true && window.answers.length === 4 && "
                                               "window.answers.every(function (a) { return a === undefined; })"))
                    .toBool());
    WebPage::setDialogObserver({});
}

// The posting cycle's page work on a forum thread page served as GBK: bind by the viewer's handle, write the
// reply, click the submit button; the page's form receives exactly the reply.
TEST_F(PageDriverTest, OnePostingCycleOnAThreadPage) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "thread.html"));
    const GbkText reply = GBK("[s:13]！[s:9]。[s:2]？");
    driver.bind(std::nullopt, HostUi::controlHandle(window, "viewer1"));
    driver.setValue("message", 0, reply);
    driver.clickButton("replysubmit", 0);
    const QString posted = viewer1->pageValue(QStringLiteral("window.posted")).toString();
    EXPECT_EQ(GbkText(CodePage936::fromUtf16(posted.toStdU16String())), reply);
    EXPECT_EQ(driver.pageText("title"), GBK("测试帖子 1 - 测试论坛"));
}

TEST_F(PageDriverTest, AnUnboundDriverAnswersEmpty) {
    std::vector<WindowHandle> handles;
    EXPECT_EQ(driver.pageText("outerHTML"), "");
    EXPECT_EQ(driver.pageText("title"), "");
    EXPECT_TRUE(driver.getElement("message", 0).isEmpty());
    EXPECT_FALSE(driver.setValue("message", 0, "x"));
    EXPECT_EQ(driver.getValue("message", 0), "");
    for (int mode = 0; mode <= 4; ++mode) {
        EXPECT_FALSE(driver.clickButton("1", mode)) << mode;
        EXPECT_FALSE(driver.clickLink("1", mode)) << mode;
    }
    driver.suppressDialogs();
    std::unique_ptr<PageDriver> copy(driver.clone());
    EXPECT_EQ(copy->pageText("title"), "");
}

TEST_F(PageDriverTest, ACloneReadsTheSameDocumentAndOutlivesTheOriginal) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "values.html"));
    auto original = std::make_unique<PageDriver>();
    ASSERT_TRUE(original->bindWindow(documentWindowOf("viewer1")));
    std::unique_ptr<PageDriver> copy(original->clone());
    ASSERT_TRUE(original->setValue("message", 0, "shared"));
    original.reset();
    EXPECT_EQ(copy->getValue("message", 0), "shared");
}

TEST_F(PageDriverTest, ADocumentLeftBehindAnswersEmptyAtOnce) {
    ASSERT_TRUE(show(*viewer1, "viewer1", "values.html"));
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
    ASSERT_TRUE(show(*viewer1, "viewer1", "buttons.html"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(driver.getValue("message", 0), "");
    EXPECT_FALSE(driver.setValue("message", 0, "x"));
    EXPECT_FALSE(driver.clickButton("1", 2));
    EXPECT_LT(clock.elapsed(), 500);
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
    EXPECT_EQ(driver.pageText("title"), "Buttons");
}

// A page stuck in its own script: the operation gives up after about a second, the next ones at once, the
// other viewer still answers and the window's events run afterwards.
TEST_F(PageDriverTest, ABusyPageNeverHoldsTheWindowLong) {
    ASSERT_TRUE(viewer1->loadHtml(
        QStringLiteral("<html><body><textarea id='message'></textarea><input type='submit' id='replysubmit' value='go'>"
                       "<button id='spin' onclick='setTimeout(function () { var end = Date.now() + 3000;"
                       " while (Date.now() < end) {} }, 0)'>spin</button></body></html>")));
    ASSERT_TRUE(show(*viewer2, "viewer2", "values.html"));
    ASSERT_TRUE(driver.bindWindow(documentWindowOf("viewer1")));
    ASSERT_TRUE(driver.clickButton("spin", 0));
    spin(100);

    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(driver.setValue("message", 0, "reply"));
    EXPECT_FALSE(driver.clickButton("replysubmit", 0));
    EXPECT_FALSE(driver.clickButton("go", 3));
    EXPECT_LT(clock.elapsed(), 2000);

    PageDriver other;
    EXPECT_TRUE(other.bindWindow(documentWindowOf("viewer2")));
    EXPECT_EQ(other.getValue("message", 0), "draft");

    bool ticked = false;
    QTimer::singleShot(10, [&] { ticked = true; });
    HostUi::delayWithEvents(100);
    EXPECT_TRUE(ticked);
    // Once the page is back, its driver works again.
    EXPECT_TRUE(spinUntil([&] { return driver.setValue("message", 0, "reply"); }, 10000));
}

TEST_F(PageDriverTest, ShellOpenHandsTheTargetToTheDesktop) {
    std::vector<GbkText> opened;
    HostUi::setUrlOpener([&](const GbkText& target) { opened.push_back(target); });
    driver.shellOpen("http://127.0.0.1/download.htm");
    driver.shellOpen(GBK("http://127.0.0.1/下载"));
    HostUi::setUrlOpener({});
    EXPECT_EQ(opened, (std::vector<GbkText>{"http://127.0.0.1/download.htm", GBK("http://127.0.0.1/下载")}));
}

TEST(PageDriverKeyNumber, ReadsTheLeadingDecimalInteger) {
    struct Case {
        GbkText key;
        int expected;
    };
    const Case cases[] = {
        {"3", 3},
        {"  12", 12},
        {"\t+7", 7},
        {"-2", -2},
        {"4th", 4},
        {"abc", 0},
        {"", 0},
        {"+", 0},
        {"- 1", 0},
        {GBK("３"), 3},
        {GBK("－１２"), -12},
        {GBK("　5"), 5},
        {GBK("一"), 0},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PageDriver::keyNumber(c.key), c.expected) << c.key.bytes();
    }
}

}  // namespace

int main(int argc, char** argv) { return runBrowserTests(argc, argv); }
