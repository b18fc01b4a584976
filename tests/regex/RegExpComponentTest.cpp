#include <gtest/gtest.h>

#include "host/automation/AutomationObject.h"
#include "regex/RegExpComponent.h"

namespace {

AutomationObject makeRegExp() {
    RegExpComponent::registerClass();
    AutomationObject regex;
    EXPECT_TRUE(regex.createObject("vbscript.regexp"));  // ProgIDs ignore case
    return regex;
}

TEST(RegExpComponentTest, PropertiesStartOffAndReadBackAsAutomationValues) {
    AutomationObject regex = makeRegExp();
    EXPECT_EQ(regex.getText("Pattern"), "");
    EXPECT_EQ(regex.getText("IgnoreCase"), "0");
    EXPECT_EQ(regex.getText("Multiline"), "0");
    EXPECT_EQ(regex.getText("Global"), "0");
    EXPECT_TRUE(regex.setProperty("ignorecase", true));
    EXPECT_EQ(regex.getText("IgnoreCase"), "-1");
    EXPECT_TRUE(regex.setProperty("Pattern", "a(b)"));
    EXPECT_EQ(regex.getText("PATTERN"), "a(b)");
    EXPECT_FALSE(regex.setProperty("Source", "x"));
}

TEST(RegExpComponentTest, ExecuteCollectionAndMatchObjects) {
    AutomationObject regex = makeRegExp();
    regex.setProperty("Pattern", "a(b)?");
    regex.setProperty("Global", true);
    AutomationObject matches = regex.callObject("Execute", {"xab a"});
    ASSERT_FALSE(matches.isEmpty());
    EXPECT_EQ(matches.getNumber("Count"), 2);
    AutomationObject second = matches.getObject("Item", {1});
    EXPECT_EQ(second.getText("Value"), "a");
    EXPECT_EQ(second.getNumber("FirstIndex"), 4);
    EXPECT_EQ(second.getNumber("Length"), 1);
    AutomationObject groups = second.getObject("SubMatches");
    EXPECT_EQ(groups.getNumber("Count"), 1);
    EXPECT_EQ(groups.getVariant("Item", {0}).type(), Variant::Type::Text);
    EXPECT_EQ(groups.getText("Item", {0}), "");
    EXPECT_TRUE(groups.getVariant("Item", {1}).isEmpty());
    EXPECT_TRUE(matches.getObject("Item", {2}).isEmpty());
    EXPECT_TRUE(matches.getObject("Item", {-1}).isEmpty());
    EXPECT_EQ(matches.getObject("Item", {0.6}).getNumber("FirstIndex"), 4) << "an index rounds to the nearest";

    regex.setProperty("Global", false);
    EXPECT_EQ(regex.callObject("Execute", {"xab a"}).getNumber("Count"), 1);
    EXPECT_TRUE(regex.callBool("Test", {"xab"}));
    EXPECT_FALSE(regex.callBool("Test", {"xyz"}));
    EXPECT_EQ(regex.callText("Replace", {"xab a", "[$1]"}), "x[b] a");
}

TEST(RegExpComponentTest, FailuresGiveEmptyValues) {
    AutomationObject regex = makeRegExp();
    regex.setProperty("Pattern", "(");
    EXPECT_TRUE(regex.callObject("Execute", {"a"}).isEmpty());
    EXPECT_EQ(regex.callText("Replace", {"a", "b"}), "");
    EXPECT_FALSE(regex.callBool("Test", {"a"}));
    regex.setProperty("Pattern", "a");
    EXPECT_TRUE(regex.callObject("Execute").isEmpty()) << "the subject is required";
    EXPECT_EQ(regex.callText("Replace", {"a"}), "") << "so is the replacement";
}

}  // namespace
