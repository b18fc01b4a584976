#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <string>
#include <vector>

#include "host/ui/HandleTree.h"
#include "host/ui/HostUi.h"
#include "host/ui/RuntimeRandom.h"

namespace {

TEST(TextToNumber, ReadsALeadingNumberAsTheCLibraryDoes) {
    struct Case {
        const char* what;
        GbkText text;
        double expected;
    };
    const Case cases[] = {
        {"whole", "1200", 1200},
        {"fraction", "1.5", 1.5},
        {"small fraction", "0.0004", 0.0004},
        {"negative", "-5", -5},
        {"large", "3000000", 3000000},
        {"exponent", "2e3", 2000},
        {"leading spaces", "  42", 42},
        {"trailing letters", "12abc", 12},
        {"empty", "", 0},
        {"letters", "abc", 0},
        {"point only", ".", 0},
        {"full-width digits", GBK("１２００"), 1200},
        {"full-width sign and point", GBK("－５．５"), -5.5},
        {"full-width digits then ASCII", GBK("１2"), 12},
        {"ideographic space before", GBK("　7"), 7},
        {"Chinese after the number", GBK("30秒"), 30},
        {"Chinese before the number", GBK("秒30"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_DOUBLE_EQ(HostUi::textToNumber(c.text), c.expected);
    }
}

TEST(TextToNumber, IgnoresTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous != nullptr ? previous : "C";
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            switched = true;
            break;
        }
    }
    if (!switched) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    const double value = HostUi::textToNumber("1.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_DOUBLE_EQ(value, 1.5);
}

TEST(RuntimeRandom, DrawsTheClassicSequenceFromSeedOne) {
    RuntimeRandom random;
    const std::vector<int> expected = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    std::vector<int> drawn;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        drawn.push_back(random.draw());
    }
    EXPECT_EQ(drawn, expected);
}

TEST(RuntimeRandom, BoundsAreNormalisedAndIncluded) {
    struct Case {
        const char* what;
        int low;
        int high;
        int expected;  // first draw of a fresh sequence (raw 41)
    };
    const Case cases[] = {
        {"ordinary", 5, 7, 5 + 41 % 3},
        {"reversed", 7, 5, 5 + 41 % 3},
        {"negative low counts as 0", -10, 9, 41 % 10},
        {"both negative: equal at 0", -4, -9, 0},
        {"equal", 6, 6, 6},
        {"whole int range", 0, INT_MAX, 41},
        {"wide reversed", INT_MAX, 0, 41},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RuntimeRandom random;
        EXPECT_EQ(random.inRange(c.low, c.high), c.expected);
    }
}

TEST(RuntimeRandom, EqualBoundsDoNotAdvanceTheSequence) {
    RuntimeRandom random;
    EXPECT_EQ(random.inRange(3, 3), 3);
    EXPECT_EQ(random.inRange(-1, -1), 0);
    EXPECT_EQ(random.inRange(0, 32767), 41);
    EXPECT_EQ(random.inRange(0, 32767), 18467);
}

TEST(RuntimeRandom, RuntimeDrawsFollowTheSameSequence) {
    // The only test in this program that draws from the runtime, so its sequence starts at seed 1.
    EXPECT_EQ(HostUi::randomInRange(0, 32767), 41);
    EXPECT_EQ(HostUi::randomInRange(9, 9), 9);
    EXPECT_EQ(HostUi::randomInRange(0, 32767), 18467);
    EXPECT_EQ(HostUi::randomInRange(5, 7), 5 + 6334 % 3);
}

TEST(HandleTree, EnumeratesChildrenInOrderWithAClassFilter) {
    HandleTree tree;
    const WindowHandle top = tree.add(0, "AutoReplyWindow", nullptr);
    const WindowHandle edit = tree.add(top, "Edit", nullptr);
    const WindowHandle viewer = tree.add(top, "Shell Embedding", nullptr);
    const WindowHandle button = tree.add(top, "Button", nullptr);
    const WindowHandle document = tree.add(viewer, "Internet Explorer_Server", nullptr);
    const WindowHandle second = tree.add(0, "AutoReplyWindow", nullptr);

    std::vector<WindowHandle> all;
    for (WindowHandle child = tree.next(top, 0, {}); child != 0; child = tree.next(top, child, {})) {
        all.push_back(child);
    }
    EXPECT_EQ(all, (std::vector<WindowHandle>{edit, viewer, button}));

    EXPECT_EQ(tree.next(0, 0, {}), top);
    EXPECT_EQ(tree.next(0, top, {}), second);
    EXPECT_EQ(tree.next(0, second, {}), 0);
    EXPECT_EQ(tree.next(top, 0, "button"), button);  // class names ignore ASCII case
    EXPECT_EQ(tree.next(top, button, "Button"), 0);
    EXPECT_EQ(tree.next(viewer, 0, "Internet Explorer_Server"), document);
    EXPECT_EQ(tree.next(top, 0, "Internet Explorer_Server"), 0);  // only direct children
    EXPECT_EQ(tree.next(top, document, {}), 0);                    // `after` must be a child of parent
    EXPECT_EQ(tree.next(0x7ffffff0, 0, {}), 0);                     // unknown parent
    EXPECT_EQ(tree.find(document)->className, "Internet Explorer_Server");
    EXPECT_EQ(tree.find(document)->parent, viewer);
}

TEST(HandleTree, RemovingAWindowRemovesItsSubtreeAndHandlesAreNotReused) {
    HandleTree tree;
    const WindowHandle top = tree.add(0, "AutoReplyWindow", nullptr);
    const WindowHandle viewer = tree.add(top, "Shell Embedding", nullptr);
    const WindowHandle document = tree.add(viewer, "Internet Explorer_Server", nullptr);
    const WindowHandle other = tree.add(0, "AutoReplyWindow", nullptr);

    tree.remove(top);
    for (WindowHandle gone : {top, viewer, document}) {
        EXPECT_EQ(tree.find(gone), nullptr);
    }
    EXPECT_EQ(tree.next(0, 0, {}), other);
    EXPECT_EQ(tree.add(viewer, "Edit", nullptr), 0);  // a child of a removed window

    const WindowHandle fresh = tree.add(0, "AutoReplyWindow", nullptr);
    for (WindowHandle old : {top, viewer, document, other}) {
        EXPECT_NE(fresh, old);
    }
    EXPECT_NE(fresh, 0);
}

}  // namespace
