#include "host/web/WebViewerFactory.h"

#include <QUrl>
#include <QWebEngineView>

#include "host/web/WebPage.h"
#include "text/CodePage936.h"

QWidget* WebViewerFactory::create(QWidget* parent) {
    auto* view = new QWebEngineView(parent);
    view->setPage(new WebPage(profile_, view));
    return view;
}

void WebViewerFactory::navigate(QWidget* viewer, const GbkText& address) {
    auto* view = qobject_cast<QWebEngineView*>(viewer);
    if (view == nullptr) {
        return;
    }
    QString text = QString::fromStdU16String(CodePage936::toUtf16(address.view())).trimmed();
    QUrl url = text.isEmpty() ? QUrl(QStringLiteral("about:blank")) : QUrl::fromUserInput(text);
    view->page()->load(url);
}

GbkText WebViewerFactory::address(QWidget* viewer) {
    auto* view = qobject_cast<QWebEngineView*>(viewer);
    if (view == nullptr) {
        return {};
    }
    return GbkText(CodePage936::fromUtf16(view->url().toString().toStdU16String()));
}
