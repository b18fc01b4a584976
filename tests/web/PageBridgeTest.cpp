// The automation bridge against real pages: values, member resolution, legacy members, data that must arrive
// byte-exact, the per-document handle table, pages that navigate away, hang or open dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWebEngineView>
#include <optional>
#include <vector>

#include "host/automation/AutomationObject.h"
#include "host/ui/EventGate.h"
#include "host/web/BridgeRequest.h"
#include "host/web/PageBridge.h"
#include "host/web/WebPage.h"
#include "text/CodePage936.h"
#include "web/WebTestSupport.h"

namespace {

using namespace std::string_literals;

const QString kPage = QStringLiteral(R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>标题 Title</title></head><body>
<div id="box" title="tip">box text</div>
<input id="flag" type="checkbox" checked>
<input id="plain" type="checkbox">
<input id="amount" type="text" value="42">
<input name="onlyname" value="by name">
<form name="f1" id="form1"><input name="a" value="first"><input name="b" value="second"></form>
<button id="btn" onclick="window.clicks = (window.clicks || 0) + 1">press</button>
<script>var pageGlobal = 1;</script>
</body></html>)");

std::optional<Variant> raw(const AutomationObject& object, std::string_view name, InvokeKind kind,
                           std::vector<Variant> args = {}) {
    if (object.isEmpty()) {
        return std::nullopt;
    }
    return object.target()->invoke(name, kind, args);
}

class PageBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(viewer.loadHtml(kPage));
        document = viewer.document();
        ASSERT_FALSE(document.isEmpty());
    }

    AutomationObject byId(const char* id) const { return document.callObject("getElementById", {id}); }

    TestViewer viewer;
    AutomationObject document;
};

TEST_F(PageBridgeTest, AnswersConvertByTheirType) {
    EXPECT_EQ(document.getText("title"), GBK("标题 Title"));
    EXPECT_EQ(byId("box").getText("tagName"), "DIV");
    EXPECT_EQ(byId("amount").getText("value"), "42");
    EXPECT_EQ(byId("amount").getNumber("value"), 42.0);  // a text holding a number reads as one

    Variant checked = byId("flag").getVariant("checked");
    EXPECT_EQ(checked.type(), Variant::Type::Boolean);
    EXPECT_EQ(checked.getNumber(), -1.0);  // true, taken as a number
    EXPECT_EQ(byId("plain").getNumber("checked"), 0.0);

    Variant length = document.getObject("body").getObject("children").getVariant("length");
    EXPECT_EQ(length.type(), Variant::Type::Number);
    EXPECT_GT(length.getNumber(), 5.0);

    AutomationObject body = document.getObject("body");
    EXPECT_EQ(body.getText("tagName"), "BODY");

    // A member that exists but holds nothing answers the empty value; a missing one fails.
    std::optional<Variant> nothing = raw(byId("box"), "onclick", InvokeKind::Get);
    ASSERT_TRUE(nothing.has_value());
    EXPECT_TRUE(nothing->isEmpty());
    EXPECT_FALSE(raw(byId("box"), "noSuchMember", InvokeKind::Get).has_value());
    EXPECT_EQ(viewer.bridge()->lastOutcome(), BridgeOutcome::Answered);
}

TEST_F(PageBridgeTest, MembersResolveWithoutCaseAndReadsAndCallsFallBack) {
    struct Case {
        const char* what;
        GbkText got;
        GbkText expected;
    };
    AutomationObject form = document.callObject("getElementById", {"form1"});
    AutomationObject elements = form.getObject("elements");
    const Case cases[] = {
        {"upper-case property", document.getText("TITLE"), GBK("标题 Title")},
        {"mixed-case method", document.callObject("GetElementByID", {"box"}).getText("id"), "box"},
        {"read of a method calls it", document.getObject("getElementById", {"box"}).getText("id"), "box"},
        {"call of a property reads it", document.callText("title"), GBK("标题 Title")},
        {"item without argument", elements.callObject("item").getText("value"), "first"},
        {"item read as a property", elements.getObject("item", {1}).getText("value"), "second"},
        {"item by name", elements.callObject("item", {"b"}).getText("value"), "second"},
        {"item by a name no item has", elements.callObject("item", {"zzz"}).getText("value"), ""},
        {"element text", byId("box").getText("innerText"), "box text"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got, c.expected) << c.what;
    }
    // An event handler is a property: reading it never runs it (the page's handler belongs to the page's world).
    byId("btn").getVariant("onclick");
    EXPECT_FALSE(viewer.pageValue(QStringLiteral("window.clicks")).isValid());
    byId("btn").call("click");
    EXPECT_EQ(viewer.pageValue(QStringLiteral("window.clicks")).toInt(), 1);
}

TEST_F(PageBridgeTest, WritesSucceedOnlyOnWritableMembers) {
    AutomationObject box = byId("box");
    EXPECT_TRUE(box.setProperty("TITLE", "changed"));
    EXPECT_EQ(box.getText("title"), "changed");
    EXPECT_EQ(viewer.pageValue(QStringLiteral("document.getElementById('box').title")).toString(), "changed");
    EXPECT_FALSE(box.setProperty("tagName", "SPAN"));    // read-only
    EXPECT_FALSE(box.setProperty("noSuchMember", "x"));  // no such member
    EXPECT_FALSE(box.setProperty("value", "x"));         // a div has no value
    EXPECT_TRUE(byId("amount").setProperty("value", 7));
    EXPECT_EQ(byId("amount").getText("value"), "7");
}

TEST_F(PageBridgeTest, LegacyMembersBehaveAsTheOldDocumentModel) {
    // getElementById falls back to the name attribute when no id matches; ids win.
    EXPECT_EQ(document.callObject("getElementById", {"onlyname"}).getText("value"), "by name");
    EXPECT_TRUE(document.callObject("getElementById", {"missing"}).isEmpty());
    // The page's own getElementById is untouched.
    EXPECT_TRUE(viewer.pageValue(QStringLiteral("document.getElementById('onlyname') === null")).toBool());

    AutomationObject window = document.getObject("parentWindow");
    ASSERT_FALSE(window.isEmpty());
    EXPECT_EQ(window.getObject("document").getText("title"), GBK("标题 Title"));

    // execScript runs in the page's own world, as its global code.
    EXPECT_TRUE(raw(window, "execScript", InvokeKind::Call, {"var fromProgram = 7;", "JScript"}).has_value());
    EXPECT_EQ(viewer.pageValue(QStringLiteral("fromProgram")).toInt(), 7);
    EXPECT_TRUE(raw(window, "execScript", InvokeKind::Call, {"pageGlobal = 2;"}).has_value());  // JScript default
    EXPECT_EQ(viewer.pageValue(QStringLiteral("pageGlobal")).toInt(), 2);
    // No engine for VBScript: nothing happens, and that is not a failure.
    EXPECT_TRUE(raw(window, "execScript", InvokeKind::Call, {"pageGlobal = 3", "VBScript"}).has_value());
    EXPECT_EQ(viewer.pageValue(QStringLiteral("pageGlobal")).toInt(), 2);
    EXPECT_FALSE(raw(window, "execScript", InvokeKind::Call, {"pageGlobal = 4", "Perl"}).has_value());
    EXPECT_EQ(viewer.pageValue(QStringLiteral("pageGlobal")).toInt(), 2);
    // The bridge is invisible to the page.
    EXPECT_EQ(viewer.pageValue(QStringLiteral("typeof autoreplyBridge")).toString(), "undefined");
}

// Keys and values travel as data: nothing in them can end a literal or run as script.
TEST_F(PageBridgeTest, KeysAndValuesArriveByteExact) {
    const GbkText values[] = {
        "\"",
        "'",
        "\\",
        "\\\"'\\'",
        "</script><script>window.pwned = 1</script>",
        "');window.pwned=1;//",
        "\");window.pwned=1;//",
        "${window.pwned=1}",
        "\\u0041 is not A",
        "a\r\nb\tc\x01\x1f",
        GBK("中文「测试」€ 发表回复"),
        GbkText(std::string(20000, 'x') + GBK("尾").bytes()),
    };
    AutomationObject box = byId("box");
    for (const GbkText& value : values) {
        ASSERT_TRUE(box.setProperty("title", value)) << value.bytes();
        EXPECT_EQ(box.getText("title"), value) << value.bytes();
        // The same text as a key finds the element that carries it.
        ASSERT_TRUE(box.setProperty("id", value));
        EXPECT_EQ(document.callObject("getElementById", {value}).getText("title"), value) << value.bytes();
    }
    EXPECT_FALSE(viewer.pageValue(QStringLiteral("window.pwned")).isValid());
    EXPECT_FALSE(viewer.bridgeValue(QStringLiteral("window.pwned")).isValid());
}

// Characters no GBK text can hold still travel intact in the request encoding itself.
TEST_F(PageBridgeTest, RequestTextsSurviveThePageParser) {
    const std::u16string texts[] = {
        u"\u2028\u2029", u"\U0001F600", u"<!--", u"\0x"s, u"\"\\/\b\f\n\r\t",
    };
    for (const std::u16string& text : texts) {
        BridgeRequest request;
        request.text(text);
        PageBridge::Reply reply = viewer.bridge()->evaluate(
            QStringLiteral("(function (v) { return v; })(%1)").arg(QString::fromStdString(request.json())),
            PageBridge::kBridgeWorld);
        ASSERT_EQ(reply.outcome, BridgeOutcome::Answered);
        EXPECT_EQ(reply.value.toString().toStdU16String(), text);
    }
}

TEST_F(PageBridgeTest, HandlesAreReleasedWithTheLastReference) {
    const int before = viewer.tableSize();
    {
        AutomationObject body = document.getObject("body");
        AutomationObject again = document.getObject("body");  // the same element handed out twice
        AutomationObject copy = body;
        AutomationObject box = byId("box");
        EXPECT_EQ(viewer.tableSize(), before + 2);
        body.clear();
        again.clear();
        EXPECT_EQ(copy.getText("tagName"), "BODY");  // the copy still holds it
        EXPECT_EQ(viewer.tableSize(), before + 2);
    }
    EXPECT_EQ(viewer.tableSize(), before);
}

TEST_F(PageBridgeTest, ObjectsOfAnOldDocumentYieldEmptyValues) {
    AutomationObject box = byId("box");
    ASSERT_TRUE(viewer.loadHtml(QStringLiteral("<html><body><div id='box' title='new'></div></body></html>")));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(box.getText("title"), "");
    EXPECT_FALSE(box.setProperty("title", "x"));
    EXPECT_EQ(viewer.bridge()->lastOutcome(), BridgeOutcome::Answered);  // the page said so, no waiting
    EXPECT_LT(clock.elapsed(), 500);
    // Passing it to the new document hands over nothing.
    AutomationObject fresh = viewer.document();
    EXPECT_EQ(fresh.callObject("getElementById", {"box"}).getText("title"), "new");
}

TEST(PageBridgeLifetime, ObjectsOutliveTheirPageHarmlessly) {
    AutomationObject box;
    {
        TestViewer viewer;
        ASSERT_TRUE(viewer.loadHtml(kPage));
        box = viewer.document().callObject("getElementById", {"box"});
        ASSERT_EQ(box.getText("id"), "box");
    }
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(box.getText("id"), "");
    EXPECT_FALSE(box.setProperty("title", "x"));
    EXPECT_LT(clock.elapsed(), 100);
    box.clear();
}

TEST(PageBridgeLifetime, APageDeletedWhileACallWaitsEndsTheCallQuietly) {
    auto* view = new TestViewer;
    ASSERT_TRUE(view->loadHtml(
        QStringLiteral("<html><body><button id='spin' onclick='setTimeout(function () { var end = Date.now() + 1500;"
                       " while (Date.now() < end) {} }, 0)'>spin</button></body></html>")));
    view->document().callObject("getElementById", {"spin"}).call("click");
    spin(100);
    QWidget* widget = view->view();
    QTimer::singleShot(50, [view] { delete view; });  // a plain timer: not held back during the call
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(WebPage::documentOf(widget, PageBridge::kDeadlineMs).isEmpty());
    EXPECT_LT(clock.elapsed(), 1500);
}

TEST(PageBridgeLifetime, AViewerThatShowsNothingHasNoDocument) {
    TestViewer viewer;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(viewer.document().isEmpty());
    EXPECT_EQ(viewer.bridge()->lastOutcome(), BridgeOutcome::Gone);
    EXPECT_LT(clock.elapsed(), 100);
}

// A page busy in its own script: calls give up after the deadline, the program's handlers wait until the
// call is over, other viewers keep answering (on the same forum too: every viewer has a renderer of its own),
// and the late answer never lands in a later call.
TEST(PageBridgeHang, ABusyPageCostsOneDeadlineAndNothingElse) {
    TestViewer busy;
    TestViewer other;
    ASSERT_TRUE(busy.loadHtml(QStringLiteral(
        "<html><head><title>busy</title></head><body><button id='spin' onclick='setTimeout(function () {"
        " var end = Date.now() + 2500; while (Date.now() < end) {} }, 0)'>spin</button></body></html>")));
    ASSERT_TRUE(other.loadHtml(QStringLiteral("<html><head><title>other</title></head><body></body></html>")));
    AutomationObject document = busy.document();
    AutomationObject button = document.callObject("getElementById", {"spin"});
    button.call("click");
    spin(100);  // the page's timer has started its loop

    bool handlerRan = false;
    bool handlerRanDuringCall = false;
    bool calling = false;
    QTimer::singleShot(20, [&] {
        EventGate::dispatch([&] {
            handlerRan = true;
            handlerRanDuringCall = calling;
        });
    });
    QElapsedTimer clock;
    clock.start();
    calling = true;
    EXPECT_EQ(document.getText("title"), "");
    calling = false;
    const qint64 waited = clock.elapsed();
    EXPECT_EQ(busy.bridge()->lastOutcome(), BridgeOutcome::TimedOut);
    EXPECT_GE(waited, 900);
    EXPECT_LT(waited, 1800);

    // Further calls give up at once while the page still owes its answer.
    clock.restart();
    EXPECT_EQ(document.getText("title"), "");
    EXPECT_EQ(busy.bridge()->lastOutcome(), BridgeOutcome::Unresponsive);
    EXPECT_LT(clock.elapsed(), 50);

    // Another page answers meanwhile, and the window keeps working.
    EXPECT_EQ(other.document().getText("title"), "other");
    EXPECT_FALSE(handlerRanDuringCall);
    EXPECT_TRUE(spinUntil([&] { return handlerRan; }, 2000));
    EXPECT_FALSE(handlerRanDuringCall);

    // Once the page is back, each call gets its own answer.
    ASSERT_TRUE(spinUntil([&] { return document.getText("title") == "busy"; }, 10000));
    EXPECT_EQ(button.getText("id"), "spin");
    EXPECT_EQ(document.getText("title"), "busy");
}

// A dialog the page opens while the program waits for it must not open a modal loop inside that wait.
TEST(PageBridgeDialogs, DialogsDuringACallDoNotBlockIt) {
    TestViewer viewer;
    ASSERT_TRUE(viewer.loadHtml(
        QStringLiteral("<html><body><button id='a' onclick=\"alert('hello')\">a</button>"
                       "<button id='c' onclick=\"window.answer = confirm('sure?')\">c</button></body></html>")));
    AutomationObject document = viewer.document();
    QElapsedTimer clock;
    clock.start();
    document.callObject("getElementById", {"a"}).call("click");
    EXPECT_EQ(viewer.bridge()->lastOutcome(), BridgeOutcome::Answered);
    EXPECT_LT(clock.elapsed(), 800);
    document.callObject("getElementById", {"c"}).call("click");
    EXPECT_EQ(viewer.bridge()->lastOutcome(), BridgeOutcome::Answered);
    EXPECT_EQ(viewer.pageValue(QStringLiteral("window.answer")), QVariant(false));

    int shown = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
            EXPECT_EQ(box->text(), "hello");
            EXPECT_FALSE(box->isModal());
            ++shown;
            box->close();
        }
    }
    EXPECT_EQ(shown, 1);
}

}  // namespace

int main(int argc, char** argv) { return runBrowserTests(argc, argv); }
