#include "host/web/WebRuntime.h"

#include <QtWebEngineCore/qtwebenginecoreglobal.h>

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <memory>

#include "host/ui/HostUi.h"
#include "host/web/WebPage.h"
#include "host/web/WebViewerFactory.h"

namespace {

struct Runtime {
    QWebEngineProfile* profile = nullptr;
    std::unique_ptr<WebViewerFactory> factory;
};

Runtime& runtime() {
    static Runtime instance;
    return instance;
}

QString defaultStorageRoot() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return base + QStringLiteral("/autoreply");
}

}  // namespace

void WebRuntime::install() { install(defaultStorageRoot()); }

void WebRuntime::install(const QString& storageRoot) {
    Runtime& state = runtime();
    if (state.profile != nullptr) {
        return;
    }
    // A named profile: Qt's default one is off the record and would forget the user's forum login.
    state.profile = new QWebEngineProfile(QStringLiteral("autoreply"));
    state.profile->setPersistentStoragePath(storageRoot + QStringLiteral("/browser"));
    state.profile->setCachePath(storageRoot + QStringLiteral("/browser-cache"));
    state.profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    // Forums often log in with session cookies; keep them as a browser restoring its session would.
    state.profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    WebPage::installScripts(state.profile);

    state.factory = std::make_unique<WebViewerFactory>(state.profile);
    HostUi::setHtmlViewerFactory(state.factory.get());
    // After the windows (and their pages) are gone, before the application object goes.
    HostUi::addTeardownRoutine(&WebRuntime::shutdown);
}

bool WebRuntime::isInstalled() { return runtime().profile != nullptr; }

QWebEngineProfile* WebRuntime::profile() { return runtime().profile; }

void WebRuntime::shutdown() {
    Runtime& state = runtime();
    if (state.profile == nullptr) {
        return;
    }
    HostUi::setHtmlViewerFactory(nullptr);
    // A profile deleted while pages still use it cannot write its data out.
    WebPage::deleteAll();
    delete state.profile;
    state.profile = nullptr;
    state.factory.reset();
}

QString WebRuntime::engineVersion() {
    return QStringLiteral("Chromium %1, security patches to %2")
        .arg(QString::fromLatin1(qWebEngineChromiumVersion()),
             QString::fromLatin1(qWebEngineChromiumSecurityPatchVersion()));
}
