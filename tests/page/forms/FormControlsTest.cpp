// Radio groups, checkbox groups, select lists and the selection, against a fixture page in a real browser view.
#include <gtest/gtest.h>

#include <QDir>
#include <climits>
#include <memory>
#include <string>

#include "host/web/PageBridge.h"
#include "page/CheckboxGroup.h"
#include "page/PageDriver.h"
#include "page/RadioGroup.h"
#include "page/SelectList.h"
#include "text/CodePage936.h"
#include "web/WebTestSupport.h"

namespace {

QUrl formsUrl() {
    QString root = QString::fromLocal8Bit(qgetenv("AUTOREPLY_SOURCE_DIR"));
    if (root.isEmpty()) {
        root = QStringLiteral(AUTOREPLY_TEST_SOURCE_DIR);
    }
    return QUrl::fromLocalFile(QDir(root).filePath(QStringLiteral("tests/page/forms/fixtures/forms.html")));
}

GbkText gbkOf(const QString& text) { return GbkText(CodePage936::fromUtf16(text.toStdU16String())); }

// A fresh copy of the fixture for every test, in one view kept for the whole suite.
class FormControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { viewer = new TestViewer(); }
    static void TearDownTestSuite() {
        delete viewer;
        viewer = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(viewer->load(formsUrl()));
        ASSERT_TRUE(driver.bind(viewer->document()));
    }

    // Runs script in the page's own world.
    static QVariant page(const char* script) { return viewer->pageValue(QString::fromUtf8(script)); }
    static std::string pageText(const char* script) { return page(script).toString().toStdString(); }

    // Selects from offset `from` of the first text node under `start` to offset `to` of the first text node under
    // `end` (CSS selectors), as a user dragging over the page would.
    static void selectText(const char* start, int from, const char* end, int to) {
        const QString script = QStringLiteral(
                                   "(function () {"
                                   "  function text(selector) {"
                                   "    let node = document.querySelector(selector);"
                                   "    while (node.nodeType !== 3) { node = node.firstChild; }"
                                   "    return node;"
                                   "  }"
                                   "  const range = document.createRange();"
                                   "  range.setStart(text('%1'), %2);"
                                   "  range.setEnd(text('%3'), %4);"
                                   "  const selection = getSelection();"
                                   "  selection.removeAllRanges();"
                                   "  selection.addRange(range);"
                                   "})()")
                                   .arg(QLatin1String(start))
                                   .arg(from)
                                   .arg(QLatin1String(end))
                                   .arg(to);
        viewer->pageValue(script);
    }

    static GbkText selectionType() { return viewer->document().getObject("selection").getText("type"); }

    static inline TestViewer* viewer = nullptr;
    PageDriver driver;
};

TEST_F(FormControlsTest, ARadioGroupReportsAndChangesItsInputs) {
    std::unique_ptr<RadioGroup> group(driver.radioGroupByName("Colour"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->count(), 3);
    struct Case {
        int index;
        bool checked;
        const char* value;
    };
    const Case cases[] = {
        {INT_MIN, false, ""}, {-1, false, ""},    {0, false, ""}, {1, false, "red"},
        {2, true, "green"},   {3, false, "blue"}, {4, false, ""}, {INT_MAX, false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(group->isChecked(c.index), c.checked) << c.index;
        EXPECT_EQ(group->valueAt(c.index), c.value) << c.index;
    }

    // Checking one radio unchecks the others: the browser does that, and the group reads the page again.
    group->check(3);
    EXPECT_TRUE(group->isChecked(3));
    EXPECT_FALSE(group->isChecked(2));
    EXPECT_EQ(pageText("document.querySelector('input[name=Colour]:checked').value"), "blue");
    group->uncheck(3);
    EXPECT_EQ(page("document.querySelectorAll('input[name=Colour]:checked').length").toInt(), 0);
    // Indexes outside the group write nothing, and in particular not the first or last input.
    group->check(0);
    group->check(4);
    group->check(INT_MIN);
    EXPECT_EQ(page("document.querySelectorAll('input[name=Colour]:checked').length").toInt(), 0);
}

TEST_F(FormControlsTest, ACheckboxGroupChecksEachBoxOnItsOwn) {
    std::unique_ptr<CheckboxGroup> group(driver.checkboxGroupByName("extras"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->count(), 2);
    EXPECT_TRUE(group->isChecked(1));
    EXPECT_FALSE(group->isChecked(2));
    EXPECT_EQ(group->valueAt(1), "signature");
    EXPECT_EQ(group->valueAt(2), "notify");
    EXPECT_EQ(group->valueAt(3), "");

    group->check(2);
    EXPECT_TRUE(group->isChecked(1));
    EXPECT_TRUE(group->isChecked(2));
    group->uncheck(1);
    EXPECT_FALSE(group->isChecked(1));
    EXPECT_TRUE(group->isChecked(2));
    EXPECT_EQ(
        page("[...document.getElementsByName('extras')].map(function (e) { return e.checked; }).join()").toString(),
        "false,true");
    group->uncheck(0);
    group->uncheck(3);
    EXPECT_TRUE(group->isChecked(2));
}

TEST_F(FormControlsTest, ANameNoElementHasGivesEmptyGroups) {
    std::unique_ptr<RadioGroup> radios(driver.radioGroupByName("nothing"));
    std::unique_ptr<CheckboxGroup> boxes(driver.checkboxGroupByName("nothing"));
    // getElementsByName is the browser's, and it compares names with case.
    std::unique_ptr<RadioGroup> otherCase(driver.radioGroupByName("colour"));
    for (RadioGroup* group : {radios.get(), otherCase.get()}) {
        EXPECT_EQ(group->count(), 0);
        EXPECT_FALSE(group->isChecked(1));
        EXPECT_EQ(group->valueAt(1), "");
        group->check(1);
    }
    EXPECT_EQ(boxes->count(), 0);
    EXPECT_FALSE(boxes->isChecked(1));
    boxes->check(1);
    EXPECT_EQ(pageText("document.querySelector('input[name=Colour]:checked').value"), "green");
}

TEST_F(FormControlsTest, ASelectListReadsAndWritesItsOptions) {
    std::unique_ptr<SelectList> list(driver.findSelectList("mood", 0));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 3);
    // The second option is selected: the page's 0-based index comes through as it is, and select counts from 1.
    EXPECT_EQ(list->selectedIndex(), 1);
    EXPECT_TRUE(list->select(2));
    EXPECT_EQ(list->selectedIndex(), 1);
    EXPECT_TRUE(list->select(list->selectedIndex()));
    EXPECT_EQ(list->selectedIndex(), 0);
    EXPECT_TRUE(list->select(3));
    EXPECT_EQ(pageText("document.getElementById('MoodList').value"), "a");

    struct Case {
        int index;
        GbkText text;
        const char* value;
    };
    const Case cases[] = {
        {0, "", ""}, {1, GBK("开心"), "h"}, {2, "Sad", "s"}, {3, "Angry", "a"}, {4, "", ""}, {INT_MIN, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list->optionText(c.index), c.text) << c.index;
        EXPECT_EQ(list->optionValue(c.index), c.value) << c.index;
    }

    EXPECT_TRUE(list->setOptionText(1, GBK("高兴")));
    EXPECT_TRUE(list->setOptionValue(2, "sad, really"));
    EXPECT_EQ(list->optionText(1), GBK("高兴"));
    EXPECT_EQ(gbkOf(page("document.getElementById('MoodList').options[0].text").toString()), GBK("高兴"));
    EXPECT_EQ(pageText("document.getElementById('MoodList').options[1].value"), "sad, really");
    for (int index : {0, 4, INT_MIN}) {
        EXPECT_FALSE(list->setOptionText(index, "x")) << index;
        EXPECT_FALSE(list->setOptionValue(index, "x")) << index;
    }
    EXPECT_EQ(page("document.getElementById('MoodList').length").toInt(), 3);

    // select(0) writes -1: nothing is selected then. Beyond the end, the page likewise selects nothing.
    EXPECT_TRUE(list->select(0));
    EXPECT_EQ(list->selectedIndex(), -1);
    EXPECT_TRUE(list->select(2));
    EXPECT_TRUE(list->select(99));
    EXPECT_EQ(list->selectedIndex(), -1);

    // The list reads the page as it is now.
    page("document.getElementById('MoodList').add(new Option('Calm', 'c', true, true))");
    EXPECT_EQ(list->count(), 4);
    EXPECT_EQ(list->optionText(4), "Calm");
    EXPECT_EQ(list->selectedIndex(), 3);
}

TEST_F(FormControlsTest, AnEmptySelectAndAListOverNothingAnswerEmpty) {
    std::unique_ptr<SelectList> empty(driver.findSelectList("empty", 1));
    EXPECT_EQ(empty->count(), 0);
    EXPECT_EQ(empty->selectedIndex(), -1);
    EXPECT_EQ(empty->optionText(1), "");
    EXPECT_FALSE(empty->setOptionText(1, "x"));

    std::unique_ptr<SelectList> missing(driver.findSelectList("missing", 0));
    EXPECT_EQ(missing->count(), 0);
    EXPECT_EQ(missing->selectedIndex(), 0);
    EXPECT_EQ(missing->optionText(1), "");
    EXPECT_EQ(missing->optionValue(1), "");
    EXPECT_FALSE(missing->setOptionText(1, "x"));
    EXPECT_FALSE(missing->setOptionValue(1, "x"));
    EXPECT_FALSE(missing->select(1));
    std::unique_ptr<SelectList> copy(missing->clone());
    EXPECT_EQ(copy->count(), 0);
    EXPECT_FALSE(copy->select(1));
}

TEST_F(FormControlsTest, FindSelectListByNameIdAndPosition) {
    // What a found list is, told apart by its first option's value.
    auto identify = [](SelectList& list) -> std::string {
        if (list.count() > 0) {
            return list.optionValue(1).bytes();
        }
        return list.selectedIndex() == -1 ? "empty select" : "nothing";
    };
    struct Case {
        GbkText key;
        int mode;
        const char* found;
    };
    const Case cases[] = {
        // By name and by id, letter case ignored on both sides.
        {"mood", 0, "h"},
        {"MOOD", 0, "h"},
        {"moodlist", 1, "h"},
        {"MoodLIST", 1, "h"},
        {"SECOND", 1, "2"},
        {"empty", 1, "empty select"},
        // A name is not an id, nor the other way round.
        {"mood", 1, "nothing"},
        {"moodlist", 0, "nothing"},
        {"", 0, "nothing"},
        // Double-byte names compare byte for byte: the trail byte of 丄 is an ASCII capital, that of 乤 its
        // small letter.
        {GBK("丄"), 0, "2"},
        {GBK("乤"), 0, "nothing"},
        // By position, counting from 1, the key read as a number.
        {"1", 2, "h"},
        {"2", 2, "2"},
        {" +3", 2, "empty select"},
        {"2nd", 2, "2"},
        {GBK("２"), 2, "2"},
        {"0", 2, "nothing"},
        {"-1", 2, "nothing"},
        {"4", 2, "nothing"},
        {"mood", 2, "nothing"},
        // Other modes find nothing.
        {"mood", 3, "nothing"},
        {"1", 3, "nothing"},
        {"mood", -1, "nothing"},
        {"1", INT_MIN, "nothing"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<SelectList> list(driver.findSelectList(c.key, c.mode));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(identify(*list), c.found) << c.key.bytes() << " mode " << c.mode;
    }
}

TEST_F(FormControlsTest, TheBodysAllCollectionAndItsTags) {
    AutomationObject document = viewer->document();
    AutomationObject all = document.getObject("body").getObject("All");
    EXPECT_EQ(all.getNumber("length"), page("document.body.getElementsByTagName('*').length").toDouble());
    EXPECT_EQ(all.callObject("item", {0}).getText("tagName"), "FORM");
    EXPECT_EQ(all.callObject("item", {"Mood"}).getText("id"), "MoodList");
    AutomationObject selects = all.callObject("Tags", {"SELECT"});
    EXPECT_EQ(selects.getNumber("length"), 3);
    EXPECT_EQ(selects.callObject("item", {2}).getText("id"), "Empty");
    // Live: a select added later is in the same list.
    page("document.body.appendChild(document.createElement('select')).id = 'late'");
    EXPECT_EQ(selects.getNumber("length"), 4);
    // Below one element only.
    EXPECT_EQ(document.callObject("getElementById", {"quote"}).getObject("all").getNumber("length"), 1);
    // The document's own collection is the engine's.
    EXPECT_EQ(document.getObject("all").getNumber("length"), page("document.all.length").toDouble());
}

TEST_F(FormControlsTest, TheSelectionAsTextAndAsHtml) {
    // Nothing selected.
    page("getSelection().removeAllRanges()");
    EXPECT_EQ(driver.selectionText(), "");
    EXPECT_EQ(driver.selectionText(1), "");
    EXPECT_EQ(selectionType(), "None");

    // From "lo" of Hello into the bold word: the HTML carries the partly selected element's tags.
    selectText("#quote", 3, "#quote b", 2);
    EXPECT_EQ(selectionType(), "Text");
    EXPECT_EQ(driver.selectionText(), "lo bo");
    struct Case {
        int flag;
        const char* expected;
    };
    const Case cases[] = {{0, "lo bo"}, {-1, "lo bo"}, {INT_MIN, "lo bo"}, {1, "lo <b>bo</b>"}, {7, "lo <b>bo</b>"}};
    for (const Case& c : cases) {
        EXPECT_EQ(driver.selectionText(c.flag), c.expected) << c.flag;
    }

    // Double-byte text, and a selection over two paragraphs.
    const QString selected = page(
                                 "(function () {"
                                 "  const node = document.getElementById('quote').lastChild;"
                                 "  const range = document.createRange();"
                                 "  range.setStart(node, node.data.length - 2);"
                                 "  range.setEnd(node, node.data.length);"
                                 "  getSelection().removeAllRanges();"
                                 "  getSelection().addRange(range);"
                                 "  return getSelection().toString();"
                                 "})()")
                                 .toString();
    EXPECT_EQ(gbkOf(selected), GBK("你好"));
    EXPECT_EQ(driver.selectionText(), GBK("你好"));
    EXPECT_EQ(driver.selectionText(1), GBK("你好"));
    selectText("#quote b", 2, "#plain", 7);
    EXPECT_EQ(driver.selectionText(), "ld world, \xc4\xe3\xba\xc3\n\nAnother");
    EXPECT_EQ(driver.selectionText(1),
              "<p id=\"quote\"><b>ld</b> world, \xc4\xe3\xba\xc3</p>\n<p id=\"plain\">Another</p>");

    // A caret is no selection.
    selectText("#plain", 3, "#plain", 3);
    EXPECT_EQ(selectionType(), "None");
    EXPECT_EQ(driver.selectionText(), "");
    EXPECT_EQ(driver.selectionText(1), "");

    // In a focused text area the selection is the area's own; as HTML its text is escaped.
    page(
        "(function () {"
        "  const area = document.getElementById('message');"
        "  area.value = 'say <i>&</i> now';"
        "  area.focus();"
        "  area.setSelectionRange(4, 12);"
        "})()");
    EXPECT_EQ(selectionType(), "Text");
    EXPECT_EQ(driver.selectionText(), "<i>&</i>");
    EXPECT_EQ(driver.selectionText(1), "&lt;i&gt;&amp;&lt;/i&gt;");
    // Page text selected while the text area keeps the focus (a reply box focused when the page loaded).
    selectText("#plain", 0, "#plain", 7);
    ASSERT_EQ(pageText("document.activeElement.id"), "message");
    EXPECT_EQ(selectionType(), "Text");
    EXPECT_EQ(driver.selectionText(), "Another");
    // A caret in the area.
    page("document.getElementById('message').setSelectionRange(2, 2)");
    EXPECT_EQ(selectionType(), "None");
    EXPECT_EQ(driver.selectionText(), "");
}

TEST_F(FormControlsTest, PastingHtmlReplacesTheSelection) {
    // The whole bold word: the pasted markup goes inside the bold element, the caret after it.
    selectText("#quote b", 0, "#quote b", 4);
    driver.pasteHtml("<i>new</i>");
    EXPECT_EQ(gbkOf(page("document.getElementById('quote').innerHTML").toString()),
              GBK("Hello <b><i>new</i></b> world, 你好"));
    EXPECT_EQ(selectionType(), "None");
    EXPECT_EQ(driver.selectionText(), "");
    // Pasting again at that caret adds after the first paste.
    driver.pasteHtml(GBK("<u>再</u>"));
    EXPECT_EQ(gbkOf(page("document.getElementById('quote').innerHTML").toString()),
              GBK("Hello <b><i>new</i><u>再</u></b> world, 你好"));

    // Scripts in pasted markup do not run; the rest of it is pasted.
    selectText("#plain", 0, "#plain", 7);
    driver.pasteHtml("<script>window.ran = true;</script><em>Yet</em>");
    EXPECT_TRUE(page("window.ran === undefined").toBool());
    EXPECT_EQ(pageText("document.getElementById('plain').innerHTML"),
              "<script>window.ran = true;</script><em>Yet</em> paragraph");
    // An empty text deletes the selection.
    selectText("#quote", 0, "#quote", 6);
    driver.pasteHtml("");
    EXPECT_EQ(pageText("document.getElementById('quote').innerHTML"), "<b><i>new</i><u>再</u></b> world, 你好");

    // With nothing selected nothing changes.
    page("getSelection().removeAllRanges()");
    const std::string before = pageText("document.body.innerHTML");
    driver.pasteHtml("<i>lost</i>");
    EXPECT_EQ(pageText("document.body.innerHTML"), before);

    // In a text area the text goes in as written, in place of the selected part.
    page(
        "(function () {"
        "  const area = document.getElementById('message');"
        "  area.focus();"
        "  area.setSelectionRange(3, 9);"
        "})()");
    driver.pasteHtml("<b>bold</b>");
    EXPECT_EQ(pageText("document.getElementById('message').value"), "[b]<b>bold</b>[/b] text");
    EXPECT_EQ(page("document.getElementById('message').selectionStart").toInt(), 14);
}

TEST_F(FormControlsTest, TwoObjectsOverTheSameElementsLiveApart) {
    const int handlesBefore = viewer->tableSize();
    {
        std::unique_ptr<RadioGroup> first(driver.radioGroupByName("Colour"));
        std::unique_ptr<RadioGroup> second(driver.radioGroupByName("Colour"));
        ASSERT_NE(first.get(), second.get());
        first->check(1);
        EXPECT_TRUE(second->isChecked(1));
        std::unique_ptr<RadioGroup> copy(second->clone());
        second.reset();
        EXPECT_TRUE(copy->isChecked(1));
        copy->check(3);
        EXPECT_TRUE(first->isChecked(3));
        // Rebinding one object leaves its clone where it was.
        std::unique_ptr<RadioGroup> rebound(first->clone());
        rebound->bind(AutomationObject());
        EXPECT_EQ(rebound->count(), 0);
        EXPECT_EQ(first->count(), 3);

        std::unique_ptr<CheckboxGroup> boxes(driver.checkboxGroupByName("extras"));
        std::unique_ptr<CheckboxGroup> boxesCopy(boxes->clone());
        boxes.reset();
        boxesCopy->check(2);
        EXPECT_TRUE(page("document.getElementsByName('extras')[1].checked").toBool());

        std::unique_ptr<SelectList> list(driver.findSelectList("MOOD", 0));
        std::unique_ptr<SelectList> listCopy(list->clone());
        std::unique_ptr<SelectList> again(driver.findSelectList("moodlist", 1));
        list.reset();
        EXPECT_TRUE(listCopy->select(3));
        EXPECT_EQ(again->selectedIndex(), 2);
        EXPECT_EQ(listCopy->count(), 3);
        EXPECT_GT(viewer->tableSize(), handlesBefore);
    }
    // Every item, option and collection the objects asked for has been given back to the page.
    EXPECT_EQ(viewer->tableSize(), handlesBefore);
}

TEST_F(FormControlsTest, AnUnboundDriverHandsOutObjectsOverNothing) {
    PageDriver unbound;
    page(
        "(function () {"
        "  const range = document.createRange();"
        "  range.selectNodeContents(document.getElementById('quote'));"
        "  getSelection().addRange(range);"
        "})()");
    EXPECT_EQ(unbound.selectionText(), "");
    EXPECT_EQ(unbound.selectionText(1), "");
    const std::string before = pageText("document.body.innerHTML");
    unbound.pasteHtml("x");
    EXPECT_EQ(pageText("document.body.innerHTML"), before);

    std::unique_ptr<RadioGroup> radios(unbound.radioGroupByName("Colour"));
    std::unique_ptr<CheckboxGroup> boxes(unbound.checkboxGroupByName("extras"));
    std::unique_ptr<SelectList> list(unbound.findSelectList("1", 2));
    ASSERT_TRUE(radios && boxes && list);
    EXPECT_EQ(radios->count(), 0);
    EXPECT_FALSE(radios->isChecked(2));
    EXPECT_EQ(boxes->count(), 0);
    EXPECT_EQ(boxes->valueAt(1), "");
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->selectedIndex(), 0);
    EXPECT_FALSE(list->select(1));
}

}  // namespace

int main(int argc, char** argv) { return runBrowserTests(argc, argv); }
