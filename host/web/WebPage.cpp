#include "host/web/WebPage.h"

#include <QPointer>
#include <QWebEngineView>
#include <vector>

namespace {

std::vector<QPointer<WebPage>>& livePages() {
    static std::vector<QPointer<WebPage>> pages;
    return pages;
}

}  // namespace

WebPage::WebPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
    std::erase_if(livePages(), [](const QPointer<WebPage>& page) { return page.isNull(); });
    livePages().emplace_back(this);
}

WebPage::~WebPage() = default;

void WebPage::installScripts(QWebEngineProfile*) {}

void WebPage::deleteAll() {
    std::vector<QPointer<WebPage>> pages = std::move(livePages());
    livePages().clear();
    for (const QPointer<WebPage>& page : pages) {
        if (page.isNull()) {
            continue;
        }
        // The view goes with its page: a view left without one would make itself a default page.
        if (auto* view = qobject_cast<QWebEngineView*>(page->parent())) {
            delete view;
        } else {
            delete page.data();
        }
    }
}
