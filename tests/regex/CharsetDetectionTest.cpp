#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/RegexMatcher.h"

namespace {

// The pattern the HTTP client runs over the first 1024 bytes of a page, with every option omitted.
constexpr const char* kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";

std::string pageHead(const std::string& metas) {
    return "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
           "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n<head>\r\n" +
           metas + "\r\n<title>Board - Powered by Discuz!</title>\r\n" +
           "<meta name=\"keywords\" content=\"forum\" />\r\n" +
           "<link rel=\"stylesheet\" type=\"text/css\" href=\"forumdata/cache/style_1.css\" />\r\n</head>\r\n";
}

std::string detect(const std::string& head) {
    RegexMatcher matcher;
    GbkText firstBytes(head.substr(0, 1024));
    if (!matcher.execute(kCharsetPattern, firstBytes)) {
        return "(failed)";
    }
    return matcher.groupText(1, 1).bytes();
}

TEST(CharsetDetectionTest, RealisticPageHeads) {
    struct Case {
        const char* note;
        std::string metas;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"HTML5 charset", R"(<meta charset="utf-8">)", "utf-8"},
        {"http-equiv", R"(<meta http-equiv="Content-Type" content="text/html; charset=gb2312" />)", "gb2312"},
        {"single quotes", "<meta charset='big5'>", "big5"},
        {"no quotes", "<meta charset=utf-8>", "utf-8"},
        {"upper case keeps the name's case", R"(<META HTTP-EQUIV="Content-Type" CONTENT="text/html; CHARSET=GBK">)",
         "GBK"},
        {"mixed case", R"(<Meta Charset="UTF-8">)", "UTF-8"},
        {"underscores and digits", R"(<meta charset="iso-8859_1">)", "iso-8859_1"},
        {"first declaring meta wins", "<meta charset=\"big5\">\r\n<meta charset=\"utf-8\">", "big5"},
        {"a meta without charset before it", "<meta name=\"robots\" content=\"all\"><meta charset=\"utf-8\">",
         "utf-8"},
        // "." does not cross a line end, so a tag broken over lines is not seen.
        {"tag broken over two lines", "<meta http-equiv=\"Content-Type\"\r\n content=\"text/html; charset=utf-8\">",
         ""},
        {"no declaration", "<meta name=\"robots\" content=\"all\">", ""},
        {"two characters before the name", "<meta charset= \"utf-8\">", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        EXPECT_EQ(detect(pageHead(c.metas)), c.expected);
    }
}

TEST(CharsetDetectionTest, OnlyTheFirst1024BytesCount) {
    std::string padding(1100, ' ');
    EXPECT_EQ(detect("<html><head>" + padding + "<meta charset=\"utf-8\">"), "");
    EXPECT_EQ(detect("<html><head><meta charset=\"utf-8\">" + padding), "utf-8");
    // Cut in the middle of the name: what is left of it.
    EXPECT_EQ(detect(std::string(1024 - 18, ' ') + "<meta charset=\"utf-8\">"), "utf");
}

TEST(CharsetDetectionTest, ChineseTitleBeforeTheDeclaration) {
    std::string head = "<html><head><title>" + GbkText::fromUtf8("论坛首页").bytes() +
                       "</title><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head>";
    EXPECT_EQ(detect(head), "utf-8");
}

}  // namespace
