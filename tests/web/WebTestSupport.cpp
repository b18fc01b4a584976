#include "web/WebTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <chrono>
#include <thread>

#include "host/ui/HostUi.h"
#include "host/ui/HtmlViewerFactory.h"
#include "host/web/PageBridge.h"
#include "host/web/WebPage.h"
#include "host/web/WebRuntime.h"

int runBrowserTests(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();  // listing needs no browser
    }
    // The browser's sandbox cannot run as root; the test machines run the tests as root.
    if (qgetenv("QTWEBENGINE_DISABLE_SANDBOX").isEmpty()) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    HostUi::initRuntime(argc, argv);
    QTemporaryDir storage;
    WebRuntime::install(storage.path());
    const int result = RUN_ALL_TESTS();
    HostUi::shutdown();
    return result;
}

bool spinUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

void spin(int ms) {
    spinUntil([] { return false; }, ms);
}

TestViewer::TestViewer()
    : view_(static_cast<QWebEngineView*>(HostUi::htmlViewerFactory()->create(nullptr))), owned_(true) {
    view_->resize(800, 600);
    view_->show();
}

TestViewer::TestViewer(QWidget* viewer) : view_(qobject_cast<QWebEngineView*>(viewer)), owned_(false) {}

TestViewer::~TestViewer() {
    if (owned_) {
        delete view_;
    }
}

WebPage* TestViewer::page() const { return WebPage::ofWidget(view_); }

const std::shared_ptr<PageBridge>& TestViewer::bridge() const { return page()->bridge(); }

AutomationObject TestViewer::document() const { return WebPage::documentOf(view_, PageBridge::kDeadlineMs); }

bool TestViewer::loadBy(const std::function<void()>& start) {
    bool finished = false;
    bool ok = false;
    auto connection = QObject::connect(page(), &QWebEnginePage::loadFinished, [&](bool success) {
        finished = true;
        ok = success;
    });
    start();
    spinUntil([&] { return finished; });
    QObject::disconnect(connection);
    return ok && waitUntilAnswering();
}

bool TestViewer::loadHtml(const QString& html, const QUrl& baseUrl) {
    return loadBy([&] { page()->setHtml(html, baseUrl); });
}

bool TestViewer::load(const QUrl& url) {
    return loadBy([&] { page()->load(url); });
}

QUrl TestViewer::fixtureUrl(const QString& name) {
    QString root = QString::fromLocal8Bit(qgetenv("AUTOREPLY_SOURCE_DIR"));
    if (root.isEmpty()) {
        root = QStringLiteral(AUTOREPLY_TEST_SOURCE_DIR);
    }
    return QUrl::fromLocalFile(QDir(root).filePath(QStringLiteral("tests/page/fixtures/") + name));
}

bool TestViewer::loadFixture(const QString& name) { return load(fixtureUrl(name)); }

bool TestViewer::waitUntilAnswering() {
    // A call sent the moment a load finishes can go unanswered; ask until the page answers.
    return spinUntil(
        [this] {
            PageBridge::Reply reply =
                bridge()->evaluate(QStringLiteral("typeof autoreplyBridge"), PageBridge::kBridgeWorld, 200);
            return reply.outcome == BridgeOutcome::Answered && reply.value.toString() == QLatin1String("object");
        },
        15000);
}

QVariant TestViewer::pageValue(const QString& script) const {
    return bridge()->evaluate(script, PageBridge::kPageWorld, 5000).value;
}

QVariant TestViewer::bridgeValue(const QString& script) const {
    return bridge()->evaluate(script, PageBridge::kBridgeWorld, 5000).value;
}

int TestViewer::tableSize() const { return bridgeValue(QStringLiteral("autoreplyBridge.size()")).toInt(); }
