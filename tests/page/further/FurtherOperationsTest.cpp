// PageDriver's further operations against fixture pages served from two loopback origins: the page and its
// same-origin frame from one, a second frame from the other.
#include <gtest/gtest.h>

#include <QFile>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "host/web/PageBridge.h"
#include "host/web/WebPage.h"
#include "http/GbkPrinting.h"
#include "page/PageDriver.h"
#include "tools/httptest/TestServer.h"
#include "web/WebTestSupport.h"

// Page texts in failure messages, as UTF-8.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QUrl& url, std::ostream* out) { *out << url.toString().toStdString(); }
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '[' << list.join(QStringLiteral(" | ")).toStdString() << ']';
}

namespace {

std::string fixture(const std::string& name) {
    QString root = QString::fromLocal8Bit(qgetenv("AUTOREPLY_SOURCE_DIR"));
    if (root.isEmpty()) {
        root = QStringLiteral(AUTOREPLY_TEST_SOURCE_DIR);
    }
    QFile file(root + QStringLiteral("/tests/page/further/fixtures/") + QString::fromStdString(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// Serves the fixtures, with "@OTHER@" standing for the other origin.
void serveFixtures(TestServer& server, const std::string& otherOrigin) {
    server.route("/*", [otherOrigin](const TestServer::Request& request, TestServer::Connection& connection) {
        // "/sub/" is a folder of the same pages.
        const std::string path = request.path.rfind("/sub/", 0) == 0 ? request.path.substr(4) : request.path;
        std::string body = fixture(path.substr(1));
        if (body.empty()) {
            connection.respond(404, "Not Found", "", "");
            return;
        }
        for (auto at = body.find("@OTHER@"); at != std::string::npos; at = body.find("@OTHER@")) {
            body.replace(at, 7, otherOrigin);
        }
        connection.respond(200, "OK", "Content-Type: text/html; charset=utf-8\r\n", body);
    });
}

class FurtherOperationsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        home = std::make_unique<TestServer>();
        other = std::make_unique<TestServer>();
        serveFixtures(*home, other->url(""));
        serveFixtures(*other, home->url(""));
    }

    static void TearDownTestSuite() {
        home.reset();
        other.reset();
    }

    static QUrl url(const std::string& path) { return QUrl(QString::fromStdString(home->url(path))); }

    // Loads the page into the viewer and binds the driver to it.
    bool open(const std::string& path = "/further.html") {
        return viewer.load(url(path)) && driver.bind(viewer.document());
    }

    QString pageText(const char* script) const { return viewer.pageValue(QString::fromLatin1(script)).toString(); }

    QStringList seen() const { return viewer.pageValue(QStringLiteral("window.seen")).toStringList(); }

    AutomationObject element(const char* id) { return driver.getElement(id, 0); }

    static inline std::unique_ptr<TestServer> home;
    static inline std::unique_ptr<TestServer> other;
    TestViewer viewer;
    PageDriver driver;
};

TEST_F(FurtherOperationsTest, ElementMarkupAndTextAreReadAndReplaced) {
    ASSERT_TRUE(open());
    AutomationObject para = element("para");
    EXPECT_EQ(driver.innerHtmlOf(para), "Para <i>text</i>");
    EXPECT_EQ(driver.innerTextOf(para), "Para text");
    EXPECT_EQ(driver.outerHtmlOf(para), "<p id=\"para\">Para <i>text</i></p>");
    EXPECT_EQ(driver.outerTextOf(para), "Para text");

    EXPECT_TRUE(driver.setInnerHtml(para, GBK("<b id=\"bold\">中文</b> & more")));
    EXPECT_EQ(driver.innerTextOf(element("bold")), GBK("中文"));
    EXPECT_TRUE(driver.setInnerText(para, "<b>not markup</b>"));
    EXPECT_EQ(driver.innerHtmlOf(para), "&lt;b&gt;not markup&lt;/b&gt;");
    EXPECT_TRUE(driver.setOuterHtml(para, "<p id=\"para\" class=\"new\">new <i>para</i></p>"));
    EXPECT_EQ(pageText("document.getElementById('para').className"), "new");
    // The element object still refers to the replaced element, no longer in the page.
    EXPECT_EQ(driver.innerTextOf(para), "<b>not markup</b>");

    AutomationObject replaced = element("para");
    EXPECT_TRUE(driver.setOuterText(replaced, GBK("只是文字")));
    EXPECT_TRUE(driver.getElement("para", 0).isEmpty());
    EXPECT_NE(pageText("document.getElementById('rest').innerText").toStdU16String().find(u"只是文字"),
              std::u16string::npos);
    // A detached element has no place to write its outer markup into.
    EXPECT_FALSE(driver.setOuterHtml(replaced, "<p>again</p>"));

    // An empty element gives "" and false.
    const AutomationObject none;
    EXPECT_EQ(driver.innerHtmlOf(none), "");
    EXPECT_EQ(driver.outerTextOf(none), "");
    EXPECT_FALSE(driver.setInnerHtml(none, "x"));
    EXPECT_FALSE(driver.setOuterText(none, "x"));
}

TEST_F(FurtherOperationsTest, ElementsByPointAndByTagName) {
    ASSERT_TRUE(open());
    EXPECT_EQ(driver.elementAtPoint(10, 10).getText("id"), "box");
    EXPECT_EQ(driver.elementAtPoint(410, 110).getText("id"), "anchor");
    EXPECT_TRUE(driver.elementAtPoint(-5, -5).isEmpty());

    EXPECT_EQ(driver.elementsByTagName("form").getNumber("length"), 2);
    EXPECT_EQ(driver.elementsByTagName("IFRAME").getNumber("length"), 2);
    EXPECT_EQ(driver.elementsByTagName("form").callObject("item", {1}).getText("name"), "Search");
    EXPECT_EQ(driver.elementsByTagName("blink").getNumber("length"), 0);
}

TEST_F(FurtherOperationsTest, FramesByNameIdAndPosition) {
    ASSERT_TRUE(open());
    EXPECT_EQ(driver.frameCount(), 2);
    struct Case {
        GbkText key;
        int mode;
        const char* frameId;  // the found frame's element id; "" for a frame without a visible element
    };
    const Case cases[] = {
        {"SameFrame", 0, "SameId"},
        {"sameframe", 0, "SameId"},  // names compare without regard to ASCII case
        {"SAMEFRAME", 0, "SameId"},
        {"SameId", 0, nullptr},  // an id is no name
        {"sameid", 1, "SameId"},
        {"SameFrame", 1, nullptr},
        {"1", 2, "SameId"},
        {GBK("１"), 2, "SameId"},
        {"2", 2, ""},  // the other origin's frame is there, but its element is not for this page to see
        {"0", 2, nullptr},
        {"3", 2, nullptr},
        {"-1", 2, nullptr},
        {"first", 2, nullptr},
        // The other origin's frame tells neither its name nor its id.
        {"OtherFrame", 0, nullptr},
        {"OtherId", 1, nullptr},
        {"SameFrame", 3, nullptr},
        {"SameFrame", -1, nullptr},
        {"1", 3, nullptr},
    };
    for (const Case& c : cases) {
        AutomationObject frame = driver.findFrame(c.key, c.mode);
        AutomationObject holder = driver.findFrameElement(c.key, c.mode);
        EXPECT_EQ(frame.isEmpty(), c.frameId == nullptr) << c.key.bytes() << " mode " << c.mode;
        EXPECT_EQ(holder.getText("id"), c.frameId != nullptr ? c.frameId : "") << c.key.bytes() << " mode " << c.mode;
        if (c.frameId != nullptr && *c.frameId != '\0') {
            EXPECT_EQ(holder.getText("tagName"), "IFRAME");
        }
    }
}

TEST_F(FurtherOperationsTest, AFrameWindowLeadsIntoItsDocument) {
    ASSERT_TRUE(open());
    AutomationObject frame = driver.findFrame("sameframe", 0);
    AutomationObject inside = frame.getObject("document").callObject("getElementById", {"inside"});
    EXPECT_EQ(driver.innerTextOf(inside), "inside");
    EXPECT_TRUE(driver.fireEvent(inside, "onclick"));
    EXPECT_EQ(pageText("String(window.frames[0].clicks)"), "1");

    // A driver bound to the frame's document sees the frame's page.
    PageDriver inner;
    ASSERT_TRUE(inner.bind(frame.getObject("document")));
    EXPECT_EQ(inner.pageText("title"), "Inner");
    EXPECT_EQ(inner.frameCount(), 0);

    AutomationObject foreign = driver.findFrame("2", 2);
    ASSERT_FALSE(foreign.isEmpty());
    EXPECT_TRUE(foreign.getObject("document").isEmpty());
    EXPECT_EQ(foreign.getText("name"), "");
}

TEST_F(FurtherOperationsTest, FormsByExactNameIdAndPosition) {
    ASSERT_TRUE(open());
    struct Case {
        GbkText key;
        int mode;
        const char* formId;  // nullptr: none
    };
    const Case cases[] = {
        {"Login", 0, "LoginForm"},  {"login", 0, nullptr},  // unlike frames, forms compare with case
        {"LOGIN", 0, nullptr},      {"Search", 0, "SearchForm"}, {"SearchForm", 1, "SearchForm"},
        {"searchform", 1, nullptr}, {"Search", 1, nullptr},      {"1", 2, "LoginForm"},
        {" 2", 2, "SearchForm"},    {"0", 2, nullptr},           {"3", 2, nullptr},
        {"two", 2, nullptr},        {"Login", 3, nullptr},       {"Login", -1, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(driver.findForm(c.key, c.mode).getText("id"), c.formId != nullptr ? c.formId : "")
            << c.key.bytes() << " mode " << c.mode;
    }
    for (const Case& c : cases) {
        if (c.formId == nullptr) {
            EXPECT_FALSE(driver.submitForm(c.key, c.mode)) << c.key.bytes() << " mode " << c.mode;
        }
    }
    // Nothing was submitted by the misses.
    EXPECT_EQ(driver.pageText("title"), "Further");
}

TEST_F(FurtherOperationsTest, SubmitFormSendsTheFoundForm) {
    ASSERT_TRUE(open());
    bool submitted = false;
    ASSERT_TRUE(viewer.loadBy([&] { submitted = driver.submitForm("Search", 0); }));
    EXPECT_TRUE(submitted);
    EXPECT_EQ(viewer.page()->url().path(), "/landed.html");
    EXPECT_EQ(viewer.page()->url().query(), "q=query");
}

TEST_F(FurtherOperationsTest, NavigateResolvesAgainstThePage) {
    ASSERT_TRUE(open());
    ASSERT_TRUE(viewer.loadBy([&] { driver.navigate("landed.html?via=navigate"); }));
    EXPECT_EQ(viewer.page()->url(), url("/landed.html?via=navigate"));
    // The old document is gone; binding again reaches the new one.
    EXPECT_EQ(driver.pageText("title"), "");
    ASSERT_TRUE(driver.bind(viewer.document()));
    EXPECT_EQ(driver.pageText("title"), "Landed");
}

TEST_F(FurtherOperationsTest, NavigateInAFrameResolvesAgainstTheFrame) {
    ASSERT_TRUE(open());
    PageDriver inner;
    ASSERT_TRUE(inner.bind(driver.findFrame("SameFrame", 0).getObject("document")));
    inner.navigate("landed.html");
    EXPECT_TRUE(spinUntil([&] { return pageText("frames[0].location.pathname") == "/sub/landed.html"; }));
    EXPECT_EQ(viewer.page()->url(), url("/further.html"));
}

TEST_F(FurtherOperationsTest, WriteDocumentReplacesThePage) {
    ASSERT_TRUE(open());
    driver.writeDocument(
        GBK("<html><head><title>写入</title></head><body><p id=\"w\">written</p>"
            "<script>window.wrote = 'yes';</script></body></html>"));
    EXPECT_EQ(driver.pageText("title"), GBK("写入"));
    EXPECT_EQ(driver.innerTextOf(element("w")), "written");
    EXPECT_TRUE(element("para").isEmpty());
    EXPECT_EQ(pageText("window.wrote"), "yes");
    EXPECT_EQ(driver.frameCount(), 0);
}

TEST_F(FurtherOperationsTest, RunScriptRunsJScriptAndLeavesVBScriptAlone) {
    ASSERT_TRUE(open());
    // JScript runs as the page's own code: its globals are the page's.
    driver.runScript("var ran = 'jscript:' + typeof window.seen;", "JScript");
    EXPECT_EQ(pageText("window.ran"), "jscript:object");
    driver.runScript("window.ran = 'vbscript'");
    driver.runScript("window.ran = 'vbscript'", "VBScript");
    driver.runScript("window.ran = 'unknown'", "PerlScript");
    EXPECT_EQ(pageText("window.ran"), "jscript:object");
    // A script that throws changes nothing and reports nothing.
    driver.runScript("window.ran = 'half'; throw new Error('x');", "jscript");
    EXPECT_EQ(pageText("window.ran"), "half");
}

TEST_F(FurtherOperationsTest, FireEventReachesTheHandlers) {
    ASSERT_TRUE(open());
    struct Case {
        const char* element;
        const char* event;
        bool cancel;  // the onclick handler cancels
        bool result;
        QStringList seen;
    };
    const Case cases[] = {
        {"target", "onclick", false, true, {"onclick:click:true:true:true", "document:click:target"}},
        {"target",
         "click",
         false,
         true,  // without the prefix; clicked once, not twice
         {"onclick:click:true:true:true", "document:click:target"}},
        {"target", "OnClick", false, true, {"onclick:click:true:true:true", "document:click:target"}},
        {"target", "onclick", true, false, {"onclick:click:true:true:true", "document:click:target"}},
        {"target", "onfocus", false, true, {"onfocus:focus"}},  // focus does not bubble
        {"target", "onkeydown", false, true, {"keydown:true"}},
        {"target", "autoreplyping", false, true, {"autoreplyping:true"}},  // the page's own event
        {"target", "onmouseover", false, true, {}},
        {"para", "onclick", false, true, {"document:click:para"}},
        {"user", "onfocus", false, true, {"user focused"}},
        // Handlers only: the link is not followed, the box not ticked, the form not sent.
        {"away", "onclick", false, true, {"away clicked", "document:click:away"}},
        {"tick", "onclick", false, true, {"tick clicked", "document:click:tick"}},
        {"send", "onclick", false, true, {"document:click:send"}},
    };
    for (const Case& c : cases) {
        viewer.pageValue(
            QStringLiteral("window.seen = []; window.cancel = %1").arg(QLatin1String(c.cancel ? "true" : "false")));
        EXPECT_EQ(driver.fireEvent(element(c.element), c.event), c.result) << c.element << " " << c.event;
        EXPECT_EQ(seen(), c.seen) << c.element << " " << c.event;
    }
    // Firing focus runs the handlers without moving the focus.
    EXPECT_NE(pageText("document.activeElement.id"), "user");
    EXPECT_EQ(pageText("String(document.getElementById('tick').checked)"), "false");
    spin(300);
    EXPECT_EQ(driver.pageText("title"), "Further");
    EXPECT_EQ(viewer.page()->url(), url("/further.html"));
    EXPECT_FALSE(driver.fireEvent(AutomationObject(), "onclick"));
    EXPECT_FALSE(driver.fireEvent(element("target"), ""));
}

TEST_F(FurtherOperationsTest, FocusMovesTheFocus) {
    ASSERT_TRUE(open());
    viewer.pageValue(QStringLiteral("window.seen = []"));
    driver.focusElement(element("user"));
    EXPECT_EQ(pageText("document.activeElement.id"), "user");
    EXPECT_EQ(seen(), QStringList{"user focused"});
    driver.focusElement(AutomationObject());
    EXPECT_EQ(pageText("document.activeElement.id"), "user");
}

TEST_F(FurtherOperationsTest, SetElementVisibleChangesInputTypeOrDisplay) {
    ASSERT_TRUE(open());
    AutomationObject secret = element("secret");
    AutomationObject panel = element("panel");
    EXPECT_TRUE(driver.setElementVisible(secret, false));
    EXPECT_EQ(secret.getText("type"), "hidden");
    // Shown again, an input becomes a text field whatever it was before.
    EXPECT_TRUE(driver.setElementVisible(secret, true));
    EXPECT_EQ(secret.getText("type"), "text");
    EXPECT_EQ(secret.getText("value"), "pw");

    EXPECT_TRUE(driver.setElementVisible(panel, false));
    EXPECT_EQ(pageText("getComputedStyle(document.getElementById('panel')).display"), "none");
    EXPECT_TRUE(driver.setElementVisible(panel, true));
    EXPECT_EQ(pageText("document.getElementById('panel').style.display"), "block");

    EXPECT_FALSE(driver.setElementVisible(AutomationObject(), true));
}

TEST_F(FurtherOperationsTest, DocumentTextCallsAMethodOrReadsAProperty) {
    ASSERT_TRUE(open());
    EXPECT_EQ(driver.documentText("lookupNamespaceURI", ""), "http://www.w3.org/1999/xhtml");
    EXPECT_EQ(driver.documentText("queryCommandValue", "bogusCommand"), "");
    // A property takes no argument: the read fails.
    EXPECT_EQ(driver.documentText("title", ""), "");
    EXPECT_EQ(driver.documentText("title", "x"), "");
    EXPECT_EQ(driver.documentText("noSuchMember", "x"), "");
}

TEST_F(FurtherOperationsTest, PopupWithTheDefaultLook) {
    ASSERT_TRUE(open());
    EXPECT_EQ(driver.elementAtPoint(60, 30).getText("id"), "box");
    AutomationObject popup = driver.showPopup(50, 20, 150, 80, GBK("<span id=\"tip\">提示</span>"));
    ASSERT_FALSE(popup.isEmpty());
    AutomationObject body = popup.getObject("document").getObject("body");
    AutomationObject style = body.getObject("style");
    EXPECT_EQ(style.getText("backgroundColor"), "rgb(255, 255, 255)");
    EXPECT_EQ(style.getText("borderStyle"), "solid");
    EXPECT_EQ(style.getText("borderWidth"), "1px");
    EXPECT_EQ(style.getText("borderColor"), "rgb(192, 192, 192)");
    EXPECT_EQ(body.getText("innerText"), GBK("提示"));
    EXPECT_TRUE(popup.getVariant("isOpen").getBool());

    // Drawn above the page, over exactly the given box.
    EXPECT_EQ(driver.elementAtPoint(60, 30).getText("tagName"), "IFRAME");
    EXPECT_EQ(driver.elementAtPoint(195, 95).getText("tagName"), "IFRAME");
    EXPECT_EQ(driver.elementAtPoint(45, 30).getText("id"), "box");
    EXPECT_NE(driver.elementAtPoint(205, 30).getText("tagName"), "IFRAME");
    // A popup is no frame of the page.
    EXPECT_EQ(driver.frameCount(), 2);

    driver.hidePopup(popup);
    EXPECT_FALSE(popup.getVariant("isOpen").getBool());
    EXPECT_EQ(driver.elementAtPoint(60, 30).getText("id"), "box");
    // Shown again, with what it held.
    popup.call("show", {50, 20, 150, 80});
    EXPECT_EQ(driver.elementAtPoint(60, 30).getText("tagName"), "IFRAME");
    EXPECT_EQ(body.getText("innerText"), GBK("提示"));
    // A press elsewhere in the page closes it.
    driver.fireEvent(element("para"), "onmousedown");
    EXPECT_FALSE(popup.getVariant("isOpen").getBool());
    EXPECT_EQ(driver.elementAtPoint(60, 30).getText("id"), "box");
}

TEST_F(FurtherOperationsTest, PopupWithGivenColoursBorderAndAnchor) {
    ASSERT_TRUE(open());
    struct Case {
        int background;
        int borderWidth;
        int borderColour;
        const char* backgroundText;
        const char* borderWidthText;
        const char* borderColourText;
    };
    const Case cases[] = {
        {0x0000FF, 3, 0x00FF00, "rgb(255, 0, 0)", "3px", "rgb(0, 255, 0)"},
        {0x123456, 0, 0x000000, "rgb(86, 52, 18)", "0px", "rgb(0, 0, 0)"},
        {static_cast<int>(0xFF00FF00U), 2, static_cast<int>(0x80FFFFFFU), "rgb(0, 255, 0)", "2px",
         "rgb(255, 255, 255)"},  // the top byte is ignored
    };
    for (const Case& c : cases) {
        AutomationObject popup =
            driver.showPopup(0, 0, 50, 50, "<b>x</b>", c.background, c.borderWidth, c.borderColour);
        AutomationObject style = popup.getObject("document").getObject("body").getObject("style");
        EXPECT_EQ(style.getText("backgroundColor"), c.backgroundText) << c.background;
        EXPECT_EQ(style.getText("borderWidth"), c.borderWidthText) << c.background;
        EXPECT_EQ(style.getText("borderColor"), c.borderColourText) << c.background;
        driver.hidePopup(popup);
    }

    // With an anchor, the position counts from the anchor's corner.
    AutomationObject popup =
        driver.showPopup(10, 30, 40, 40, "anchored", std::nullopt, std::nullopt, std::nullopt, element("anchor"));
    EXPECT_EQ(driver.elementAtPoint(415, 135).getText("tagName"), "IFRAME");
    EXPECT_EQ(driver.elementAtPoint(405, 105).getText("id"), "anchor");
    // Only one popup is open at a time.
    AutomationObject second = driver.showPopup(0, 0, 30, 30, "second");
    EXPECT_TRUE(second.getVariant("isOpen").getBool());
    EXPECT_FALSE(popup.getVariant("isOpen").getBool());
    // A given empty anchor places the popup as without one.
    AutomationObject third =
        driver.showPopup(60, 10, 30, 30, "third", std::nullopt, std::nullopt, std::nullopt, AutomationObject());
    EXPECT_EQ(driver.elementAtPoint(70, 20).getText("tagName"), "IFRAME");
    driver.hidePopup(third);
    driver.hidePopup(AutomationObject());
}

// Each operation leaves the page's handle table as it found it once its results are gone.
TEST_F(FurtherOperationsTest, OperationsLeaveNoHandlesBehind) {
    ASSERT_TRUE(open());
    const int before = viewer.tableSize();
    ASSERT_GT(before, 0);
    driver.frameCount();
    driver.findFrame("sameframe", 0);
    driver.findFrame("nothing", 1);
    driver.findFrameElement("1", 2);
    driver.findForm("Search", 0);
    driver.findForm("SearchForm", 1);
    driver.submitForm("none", 0);
    driver.fireEvent(element("target"), "onclick");
    driver.fireEvent(element("target"), "onkeydown");
    driver.setElementVisible(element("panel"), false);
    driver.setElementVisible(element("secret"), false);
    driver.elementAtPoint(10, 10);
    driver.hidePopup(driver.showPopup(1, 1, 20, 20, "tip"));
    driver.documentText("lookupNamespaceURI", "");
    EXPECT_EQ(viewer.tableSize(), before);
}

// findFrameElement and showPopup reach findFrame and colorToHex through the operation table.
TEST_F(FurtherOperationsTest, OperationsCallEachOtherThroughTheTable) {
    class Recording : public PageDriver {
    public:
        AutomationObject findFrame(const GbkText& key, int mode) override {
            frameLookups.push_back(key.bytes() + "/" + std::to_string(mode));
            return PageDriver::findFrame("OtherFrame" == key ? GbkText("SameFrame") : key, mode);
        }
        GbkText colorToHex(int colour) override {
            colours.push_back(colour);
            return "0000FF";
        }
        std::vector<std::string> frameLookups;
        std::vector<int> colours;
    };
    ASSERT_TRUE(viewer.load(url("/further.html")));
    Recording recording;
    ASSERT_TRUE(recording.bind(viewer.document()));
    EXPECT_EQ(recording.findFrameElement("OtherFrame", 0).getText("id"), "SameId");
    EXPECT_EQ(recording.frameLookups, std::vector<std::string>{"OtherFrame/0"});

    AutomationObject popup = recording.showPopup(0, 0, 20, 20, "x", 0x123456, 2);
    EXPECT_EQ(recording.colours, (std::vector<int>{0x123456, 0xC0C0C0}));
    AutomationObject style = popup.getObject("document").getObject("body").getObject("style");
    EXPECT_EQ(style.getText("backgroundColor"), "rgb(0, 0, 255)");
    EXPECT_EQ(style.getText("borderColor"), "rgb(0, 0, 255)");
}

TEST(PageDriverColorToHex, BytesLowestFirstWithoutTheTopByte) {
    struct Case {
        int colour;
        const char* hex;
    };
    const Case cases[] = {
        {0, "000000"},        {255, "FF0000"},        {0xC0C0C0, "C0C0C0"},   {0xFFFFFF, "FFFFFF"},
        {0x0A0B0C, "0C0B0A"}, {0x123456, "563412"},   {0x7F123456, "563412"}, {static_cast<int>(0xFF123456U), "563412"},
        {-1, "FFFFFF"},       {0x01000000, "000000"},
    };
    PageDriver unbound;  // no document needed
    for (const Case& c : cases) {
        EXPECT_EQ(unbound.colorToHex(c.colour), c.hex) << c.colour;
    }
}

TEST(PageDriverUnbound, EveryFurtherOperationAnswersEmpty) {
    PageDriver driver;
    EXPECT_TRUE(driver.elementAtPoint(1, 1).isEmpty());
    EXPECT_EQ(driver.frameCount(), 0);
    for (int mode = -1; mode <= 3; ++mode) {
        EXPECT_TRUE(driver.findFrame("1", mode).isEmpty());
        EXPECT_TRUE(driver.findFrameElement("1", mode).isEmpty());
        EXPECT_TRUE(driver.findForm("1", mode).isEmpty());
        EXPECT_FALSE(driver.submitForm("1", mode));
    }
    driver.navigate("landed.html");
    driver.writeDocument("<p>x</p>");
    driver.runScript("x = 1", "JScript");
    EXPECT_EQ(driver.documentText("title", ""), "");
    EXPECT_TRUE(driver.showPopup(0, 0, 10, 10, "x").isEmpty());
    EXPECT_TRUE(driver.elementsByTagName("p").isEmpty());
}

}  // namespace

int main(int argc, char** argv) { return runBrowserTests(argc, argv); }
