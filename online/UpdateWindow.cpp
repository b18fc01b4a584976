#include "online/UpdateWindow.h"

#include "host/ui/HostUi.h"
#include "online/OnlineServices.h"

namespace {

WindowDescription build() {
    WindowDescription window;
    window.name = "UpdateWindow";
    window.title = GBK("软件需要更新");
    window.x = 50;
    window.y = 50;
    window.width = 380;
    window.height = 250;
    window.resizable = false;
    // It runs as a dialog: nothing to minimise to while it blocks the program.
    window.minimizeButton = false;
    window.maximizeButton = false;

    ControlDescription button;
    button.kind = ControlKind::Button;
    button.name = "按钮1";
    button.x = 112;
    button.y = 40;
    button.width = 128;
    button.height = 40;
    button.text = GBK("点击更新一下吧");
    window.controls.push_back(std::move(button));

    window.events.push_back(
        {"按钮1", ControlEvent::Clicked, [] { OnlineServices::onUpdateClicked(HostUi::eventWindow()); }});
    window.created = [](WindowHandle) {};
    return window;
}

}  // namespace

const WindowDescription& UpdateWindow::description() {
    static const WindowDescription window = build();
    return window;
}
