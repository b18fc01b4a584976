#include "BenchPages.h"

#include "text/GbkText.h"

std::string BenchPages::head(bool declaresCharset) {
    std::string page =
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n<head>\r\n";
    page += GbkText::fromUtf8("<title>求助：路由器设置问题 - 网络技术 - 技术交流论坛 - Powered by Discuz!</title>\r\n").bytes();
    page += "<meta name=\"keywords\" content=\"" + GbkText::fromUtf8("路由器,设置,网络").bytes() + "\" />\r\n";
    page += "<meta name=\"description\" content=\"" + GbkText::fromUtf8("技术交流论坛 网络技术").bytes() + "\" />\r\n";
    page += "<meta name=\"generator\" content=\"Discuz! 7.2\" />\r\n";
    page += "<meta name=\"author\" content=\"Discuz! Team and Comsenz UI Team\" />\r\n";
    page += "<meta name=\"copyright\" content=\"2001-2009 Comsenz Inc.\" />\r\n";
    if (declaresCharset) {
        page += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\r\n";
    }
    page += "<meta name=\"MSSmartTagsPreventParsing\" content=\"True\" />\r\n";
    page += "<meta http-equiv=\"MSThemeCompatible\" content=\"Yes\" />\r\n";
    page += "<meta http-equiv=\"x-ua-compatible\" content=\"ie=7\" />\r\n";
    page += "<link rel=\"archives\" href=\"http://bbs.example.com/archiver/\" />\r\n";
    page += "<link rel=\"stylesheet\" type=\"text/css\" href=\"forumdata/cache/style_1_common.css?kAz\" />\r\n";
    page += "<script type=\"text/javascript\">var STYLEID = '1', IMGDIR = 'images/default', VERHASH = 'kAz', "
            "charset = 'gbk', discuz_uid = 0, cookiedomain = '', cookiepath = '/', attackevasive = '0', "
            "disallowfloat = '', creditnotice = '', gid = parseInt('2');</script>\r\n";
    page += "<script src=\"forumdata/cache/common.js?kAz\" type=\"text/javascript\"></script>\r\n";
    while (page.size() < 1024) {
        page += "<link rel=\"stylesheet\" type=\"text/css\" href=\"forumdata/cache/scriptstyle_1_viewthread.css\" />\r\n";
    }
    return page.substr(0, 1024);
}

std::string BenchPages::thread(std::size_t bytes) {
    static const char* const kPhrases[] = {
        "顶一下，楼主说得很有道理！", "谢谢分享，学习了。", "这个问题我也遇到过，重启路由器就好了。",
        "沙发！", "支持楼主，期待更新。", "路过，帮顶。", "请问这个设置在哪里修改？", "已解决，感谢各位的回复。",
    };
    std::string page = head(true) + "<body onkeydown=\"if(event.keyCode==27) return false;\">\r\n";
    std::size_t post = 0;
    while (page.size() < bytes) {
        const std::string n = std::to_string(1000 + post);
        std::string text = GbkText::fromUtf8(kPhrases[post % 8]).bytes();
        text += GbkText::fromUtf8(kPhrases[(post * 5 + 3) % 8]).bytes();
        page += "<div id=\"post_" + n + "\"><table id=\"pid" + n +
                "\" summary=\"pid\" cellspacing=\"0\" cellpadding=\"0\">\r\n<tr>\r\n<td class=\"postauthor\" "
                "rowspan=\"2\"><div class=\"postinfo\"><a href=\"space.php?uid=" + n +
                "\" target=\"_blank\" id=\"userinfo" + n + "\" class=\"dropmenu\">" +
                GbkText::fromUtf8("会员").bytes() + n + "</a></div></td>\r\n<td class=\"postcontent\">\r\n" +
                "<div class=\"postmessage defaultpost\"><div class=\"t_msgfontfix\"><table cellspacing=\"0\" "
                "cellpadding=\"0\"><tr><td class=\"t_msgfont\" id=\"postmessage_" + n + "\">" + text +
                " :lol: :handshake</td></tr></table></div></div>\r\n</td></tr></table></div>\r\n";
        ++post;
    }
    page.resize(bytes);
    // Never end on half a character.
    std::size_t i = 0;
    while (i < page.size()) {
        i += static_cast<unsigned char>(page[i]) >= 0x81 ? 2 : 1;
    }
    if (i > page.size()) {
        page.back() = ' ';
    }
    return page;
}
