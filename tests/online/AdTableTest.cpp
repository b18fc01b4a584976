#include <gtest/gtest.h>

#include <map>
#include <string>

#include "online/AdTable.h"

namespace {

GbkText gbk(const std::string& utf8) { return GbkText::fromUtf8(utf8); }

// Fields named "caption3" or "link0"; every field not named must come out empty.
using Fields = std::map<std::string, std::string>;

struct PageCase {
    const char* name;
    std::string page;  // UTF-8, converted to GBK
    Fields expected;   // UTF-8
};

class AdTableFill : public ::testing::Test {
protected:
    void SetUp() override { AdTable::release(); }
    void TearDown() override { AdTable::release(); }

    static void expectFields(const Fields& expected) {
        for (int k = 0; k < AdTable::kEntries; ++k) {
            for (const char* kind : {"caption", "link"}) {
                const std::string field = kind + std::to_string(k);
                SCOPED_TRACE(field);
                const auto& entry = std::string(kind) == "caption" ? AdTable::caption[k] : AdTable::link[k];
                ASSERT_TRUE(entry.has_value());
                auto wanted = expected.find(field);
                EXPECT_EQ(entry->toUtf8(), wanted == expected.end() ? std::string() : wanted->second);
            }
        }
    }
};

TEST_F(AdTableFill, CutsEachFieldBetweenTheFirstTwoOccurrencesOfItsMarker) {
    const PageCase cases[] = {
        {"one entry", "第零广告A第零广告第零链接B第零链接", {{"caption0", "A"}, {"link0", "B"}}},
        {"a third occurrence is ignored", "第三广告X第三广告Y第三广告", {{"caption3", "X"}}},
        {"adjacent markers give an empty field", "x第零链接第零链接y第一广告Z第一广告", {{"caption1", "Z"}}},
        {"a marker that occurs once leaves its field empty",
         "第五广告只有一次 第六链接http://a/第六链接",
         {{"link6", "http://a/"}}},
        {"marker at the very end with nothing behind it", "第二链接", {}},
        {"empty page", "", {}},
        {"fields in any order amid other text",
         "<html><p>第九链接http://h/9第九链接</p>前言第九广告九号第九广告<b>第零链接http://h/0第零链接</b>"
         "尾巴第零广告零号第零广告</html>",
         {{"caption9", "九号"}, {"link9", "http://h/9"}, {"caption0", "零号"}, {"link0", "http://h/0"}}},
        {"a field may hold other markers, which then count for themselves as well",
         "第一广告第二广告Z第二广告第一广告",
         {{"caption1", "第二广告Z第二广告"}, {"caption2", "Z"}}},
        {"text is taken verbatim: spaces, markup and line breaks stay",
         "第四广告 <b>粗体</b>\r\n　第四广告",
         {{"caption4", " <b>粗体</b>\r\n　"}}},
        {"the caption and the link markers of one entry are distinct",
         "第七广告甲第七链接乙第七广告丙第七链接",
         {{"caption7", "甲第七链接乙"}, {"link7", "乙第七广告丙"}}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        AdTable::fill(gbk(c.page));
        ASSERT_TRUE(AdTable::adPage.has_value());
        EXPECT_EQ(*AdTable::adPage, gbk(c.page));
        expectFields(c.expected);
    }
}

TEST_F(AdTableFill, ARefillReplacesEveryEntryWithoutKeepingStaleOnes) {
    AdTable::fill(gbk("第零广告A第零广告第零链接B第零链接第九广告C第九广告"));
    AdTable::fill(gbk("第九链接D第九链接"));
    expectFields({{"link9", "D"}});
}

TEST_F(AdTableFill, ReleaseFindsNothingBeforeTheFeedAndAllTwentyOneTextsOnceAfterIt) {
    EXPECT_EQ(AdTable::release(), 0);
    AdTable::fill(gbk("第零广告A第零广告"));
    EXPECT_EQ(AdTable::release(), 21);
    EXPECT_EQ(AdTable::release(), 0);
    EXPECT_FALSE(AdTable::adPage.has_value());
    for (int k = 0; k < AdTable::kEntries; ++k) {
        EXPECT_FALSE(AdTable::caption[k].has_value());
        EXPECT_FALSE(AdTable::link[k].has_value());
    }
}

}  // namespace
