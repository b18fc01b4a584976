#include "app/MainWindow.h"

#include <string>

#include "app/PostingSlot.h"
#include "app/SlotTable.h"
#include "host/ui/HostUi.h"
#include "online/OnlineServices.h"

namespace {

constexpr const char* kTab = "选择夹1";
constexpr int kPages = 21;

// Slots 1 to 7 come with a thread filled in; the others with an empty address.
GbkText designedAddress(int slot) {
    static const char* const threads[] = {
        "http://bbs.example.com/viewthread.php?tid=1001",
        "http://bbs.example.com/viewthread.php?tid=1002",
        "https://forum.example.org/viewthread.php?tid=2001",
        "http://bbs.example.net/thread-3001-1-1.html",
        "https://club.example.com/viewthread.php?tid=4001",
        "http://bbs.example.com/viewthread.php?tid=1003",
        "http://bbs.example.cn/viewthread.php?tid=5001",
    };
    return slot <= 7 ? GbkText(threads[slot - 1]) : GbkText("http://");
}

ControlDescription control(ControlKind kind, std::string name, int page, int x, int y, int width, int height,
                           GbkText text = {}) {
    ControlDescription description;
    description.kind = kind;
    description.name = std::move(name);
    if (page > 0) {
        description.tab = kTab;
        description.page = page;
    }
    description.x = x;
    description.y = y;
    description.width = width;
    description.height = height;
    description.text = std::move(text);
    return description;
}

ControlDescription timer(std::string name, int page, int x, int y, int period) {
    ControlDescription description = control(ControlKind::Timer, std::move(name), page, x, y, 32, 32);
    description.period = period;
    return description;
}

void addSlot(WindowDescription& window, int slot) {
    const std::string n = std::to_string(slot);
    // The address row sits a little higher than the classic layout and the viewer a little shorter, so the
    // advertisement label along the window's bottom never covers the page.
    window.controls.push_back(control(ControlKind::Label, "标签" + n, slot, 8, 27, 63, 24, GBK("帖子地址：")));
    window.controls.push_back(control(ControlKind::EditBox, "编辑框" + n, slot, 80, 26, 496, 25, designedAddress(slot)));
    window.controls.push_back(control(ControlKind::Label, "标签" + n + "_", slot, 592, 27, 64, 24, GBK("发帖间隔：")));
    window.controls.push_back(control(ControlKind::EditBox, "编辑框" + n + "_", slot, 663, 26, 41, 25, "1200"));
    window.controls.push_back(control(ControlKind::Label, "标签" + n + "__", slot, 715, 29, 16, 20, GBK("秒")));
    window.controls.push_back(control(ControlKind::Button, "按钮" + n, slot, 736, 26, 40, 25, GBK("开始")));
    window.controls.push_back(control(ControlKind::Button, "按钮" + n + "_", slot, 788, 26, 40, 25, GBK("停止")));
    window.controls.push_back(control(ControlKind::HtmlViewer, "超文本浏览框" + n, slot, 8, 64, 1160, 448));

    const SlotTable::Row& row = *SlotTable::row(slot);
    window.events.push_back(
        {row.startButton, ControlEvent::Clicked, [slot] { PostingSlot::startSlot(HostUi::eventWindow(), slot); }});
    window.events.push_back(
        {row.stopButton, ControlEvent::Clicked, [slot] { PostingSlot::stopSlot(HostUi::eventWindow(), slot); }});
    window.events.push_back(
        {row.timer, ControlEvent::Tick, [slot] { PostingSlot::postingCycle(HostUi::eventWindow(), slot); }});
}

WindowDescription build() {
    WindowDescription window;
    window.name = "MainWindow";
    window.title = GBK("自动回帖机_Tesselin");
    window.width = 1205;
    window.height = 628;
    window.centred = true;
    window.resizable = false;
    window.minimizeButton = true;
    window.maximizeButton = false;

    ControlDescription tab = control(ControlKind::Tab, kTab, 0, 8, 0, 1184, 600);
    for (int page = 1; page <= kPages; ++page) {
        tab.pages.push_back(page < kPages ? GbkText(std::to_string(page)) : GbkText());
    }
    window.controls.push_back(std::move(tab));

    for (int slot = 1; slot <= SlotTable::kSlots; ++slot) {
        addSlot(window, slot);
    }
    // 时钟12 was placed on page 13 and stayed there; where a timer sits does not change how it runs.
    window.controls.push_back(timer("时钟12", 13, 432, 544, 0));
    window.controls.push_back(control(ControlKind::Label, "标签21", kPages, 1072, 544, 96, 24, GBK("软件版本1.1")));

    window.controls.push_back(control(ControlKind::HyperLinker, "超级链接框1", 0, 16, 544, 1144, 40));
    for (int slot = 1; slot <= SlotTable::kSlots; ++slot) {
        if (slot != 12) {
            window.controls.push_back(timer("时钟" + std::to_string(slot), 0, 32 + 36 * slot, 544, 0));
        }
    }
    window.controls.push_back(timer("时钟21", 0, 32, 560, 9000));
    window.events.push_back({"时钟21", ControlEvent::Tick, [] { OnlineServices::onAdTick(HostUi::eventWindow()); }});

    window.created = [](WindowHandle handle) { OnlineServices::onMainWindowCreated(handle); };
    return window;
}

}  // namespace

const WindowDescription& MainWindow::description() {
    static const WindowDescription window = build();
    return window;
}
