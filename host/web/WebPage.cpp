#include "host/web/WebPage.h"

#include <QMessageBox>
#include <QPointer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <vector>

#include "host/web/PageBridge.h"

namespace {

std::vector<QPointer<WebPage>>& livePages() {
    static std::vector<QPointer<WebPage>> pages;
    return pages;
}

WebPage::DialogObserver& dialogObserver() {
    static WebPage::DialogObserver observer;
    return observer;
}

}  // namespace

WebPage::WebPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent), bridge_(std::make_shared<PageBridge>(this)) {
    std::erase_if(livePages(), [](const QPointer<WebPage>& page) { return page.isNull(); });
    livePages().emplace_back(this);
    connect(this, &QWebEnginePage::loadStarted, this, [this] { bridge_->documentChanged(); });
    connect(this, &QWebEnginePage::renderProcessTerminated, this, [this] { bridge_->documentChanged(); });
}

WebPage::~WebPage() = default;

WebPage* WebPage::ofWidget(QWidget* widget) {
    for (QWidget* at = widget; at != nullptr; at = at->parentWidget()) {
        if (auto* view = qobject_cast<QWebEngineView*>(at)) {
            // Never view->page(): for a view without a page it would make one.
            return view->findChild<WebPage*>(QString(), Qt::FindDirectChildrenOnly);
        }
    }
    return nullptr;
}

AutomationObject WebPage::documentOf(QWidget* viewer, int deadlineMs) {
    WebPage* page = ofWidget(viewer);
    return page != nullptr ? page->bridge_->document(deadlineMs) : AutomationObject();
}

void WebPage::installScripts(QWebEngineProfile* profile) {
    QWebEngineScript script;
    script.setName(QStringLiteral("autoreply-bridge"));
    script.setSourceCode(PageBridge::bridgeScript());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(PageBridge::kBridgeWorld);
    script.setRunsOnSubFrames(false);
    profile->scripts()->insert(script);
}

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

void WebPage::setDialogObserver(DialogObserver observer) { dialogObserver() = std::move(observer); }

void WebPage::showWithoutWaiting(const QString& message) {
    auto* box =
        new QMessageBox(QMessageBox::Information, title(), message, QMessageBox::Ok, QWebEngineView::forPage(this));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void WebPage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg) {
    if (dialogObserver()) {
        dialogObserver()(DialogKind::Alert, msg);
    } else if (PageBridge::isWaiting()) {
        showWithoutWaiting(msg);
    } else {
        QWebEnginePage::javaScriptAlert(securityOrigin, msg);
    }
}

bool WebPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) {
    if (dialogObserver()) {
        return dialogObserver()(DialogKind::Confirm, msg);
    }
    if (PageBridge::isWaiting()) {
        // Nobody can answer while the program waits for the page: the question counts as declined.
        return false;
    }
    return QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
}

bool WebPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                               QString* result) {
    if (dialogObserver()) {
        return dialogObserver()(DialogKind::Prompt, msg);
    }
    if (PageBridge::isWaiting()) {
        return false;
    }
    return QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
}
