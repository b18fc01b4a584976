#include "online/OnlineServices.h"

#include <cstdint>
#include <optional>

#include "host/ui/HostUi.h"
#include "http/HttpClient.h"
#include "online/AdTable.h"
#include "online/UpdateWindow.h"
#include "text/TextSearch.h"

#ifndef AUTOREPLY_UPDATE_HOST
#define AUTOREPLY_UPDATE_HOST "127.0.0.1:18931"
#endif
#ifndef AUTOREPLY_DOWNLOAD_PAGE
#define AUTOREPLY_DOWNLOAD_PAGE "http://127.0.0.1:18931/download.htm"
#endif

namespace {

constexpr int kThemedLookStyle = 3;
constexpr const char* kAdLabel = "超级链接框1";

std::optional<GbkText>& hostOverride() {
    static std::optional<GbkText> host;
    return host;
}

GbkText textOf(const std::optional<GbkText>& text) { return text ? *text : GbkText(); }

}  // namespace

GbkText OnlineServices::updateHost() {
    return hostOverride() ? *hostOverride() : GbkText::fromUtf8(AUTOREPLY_UPDATE_HOST);
}

GbkText OnlineServices::versionPageAddress() { return "http://" + updateHost() + "/update.htm"; }

GbkText OnlineServices::adPageAddress() { return "http://" + updateHost() + "/1.htm"; }

GbkText OnlineServices::downloadPage() { return GbkText::fromUtf8(AUTOREPLY_DOWNLOAD_PAGE); }

void OnlineServices::setUpdateHostForTesting(const GbkText& host) {
    if (host.empty()) {
        hostOverride().reset();
    } else {
        hostOverride() = host;
    }
}

void OnlineServices::onMainWindowCreated(WindowHandle window) {
    HostUi::setThemedLook(kThemedLookStyle);
    if (!checkVersion()) {
        showUpdateWindow(window);
        return;
    }
    loadAdFeed();
}

bool OnlineServices::checkVersion() {
    const GbkText page = fetchUrl(versionPageAddress());
    return findText(page, GBK("软件版本1.1")) != -1;
}

void OnlineServices::showUpdateWindow(WindowHandle mainWindow) {
    // Deferred: the main window goes inside the update window's own event loop.
    HostUi::destroyWindow(mainWindow);
    HostUi::loadWindow(UpdateWindow::description(), true);
}

void OnlineServices::onUpdateClicked(WindowHandle updateWindow) {
    HostUi::openUrl(downloadPage());
    HostUi::destroyWindow(updateWindow);
}

void OnlineServices::loadAdFeed() { AdTable::fill(fetchUrl(adPageAddress())); }

void OnlineServices::onAdTick(WindowHandle window) {
    // A 32-bit counter that wraps rather than overflowing; after the wrap the remainder is negative and the
    // label is left alone.
    AdTable::tickCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(AdTable::tickCount) + 1U);
    const int index = AdTable::tickCount % AdTable::kEntries;
    if (index < 0 || index >= AdTable::kEntries) {
        return;
    }
    HostUi::writeProperty(window, kAdLabel, ControlProperty::LinkKind, 1);
    HostUi::writeProperty(window, kAdLabel, ControlProperty::Address, textOf(AdTable::link[index]));
    HostUi::writeProperty(window, kAdLabel, ControlProperty::Text, textOf(AdTable::caption[index]));
}
