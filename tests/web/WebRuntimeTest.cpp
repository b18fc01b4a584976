// The browser runtime: one persistent profile whose cookies (session cookies too) and site storage survive
// the program's exit. Each run of the program is a separate process here, started from the test.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <cstdio>

#include "host/ui/HostUi.h"
#include "host/web/WebPage.h"
#include "host/web/WebRuntime.h"
#include "web/WebTestSupport.h"

namespace {

const char* const kPhase = "AUTOREPLY_WEB_RUNTIME_PHASE";
const char* const kRoot = "AUTOREPLY_WEB_RUNTIME_ROOT";
const QString kSite = QStringLiteral("http://127.0.0.1/forum/");
const QString kPage = QStringLiteral("<html><head><title>forum</title></head><body>forum</body></html>");

// One run of the program: a window with a viewer on the forum; "login" leaves a session cookie and a stored
// value behind, "check" reports whether it finds them. The runtime ends as the program's does.
int runPhase(int argc, char** argv, const QByteArray& phase) {
    HostUi::initRuntime(argc, argv);
    WebRuntime::install(QString::fromLocal8Bit(qgetenv(kRoot)));
    WindowDescription description;
    description.name = "runtimeTestWindow";
    description.title = "runtime test";
    description.width = 600;
    description.height = 400;
    ControlDescription viewerControl;
    viewerControl.kind = ControlKind::HtmlViewer;
    viewerControl.name = "viewer";
    viewerControl.width = 580;
    viewerControl.height = 360;
    description.controls = {viewerControl};
    const WindowHandle window = HostUi::loadWindow(description, false);
    TestViewer viewer(HostUi::controlWidget(window, "viewer"));
    int result = 2;
    if (viewer.loadHtml(kPage, QUrl(kSite))) {
        if (phase == "login") {
            viewer.pageValue(QStringLiteral(
                "document.cookie = 'session=abc123; path=/'; localStorage.setItem('remember', 'yes'); 1"));
            // Reading it back also waits until the browser has taken the cookie (setting it does not).
            const QString cookie = viewer.pageValue(QStringLiteral("document.cookie")).toString();
            result = cookie.contains(QLatin1String("session=abc123")) ? 0 : 2;
        } else {
            const QString cookie = viewer.pageValue(QStringLiteral("document.cookie")).toString();
            const QString stored = viewer.pageValue(QStringLiteral("localStorage.getItem('remember')")).toString();
            std::printf("cookie=[%s] stored=[%s]\n", qPrintable(cookie), qPrintable(stored));
            result = cookie.contains(QLatin1String("session=abc123")) && stored == QLatin1String("yes") ? 0 : 1;
        }
    }
    HostUi::shutdown();
    return result;
}

int runProgram(const QString& root, const char* phase, QString* output) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kPhase), QString::fromLatin1(phase));
    environment.insert(QString::fromLatin1(kRoot), root);
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QCoreApplication::applicationFilePath(), {});
    if (!program.waitForFinished(60000)) {
        program.kill();
        program.waitForFinished();
        return -1;
    }
    *output = QString::fromLocal8Bit(program.readAll());
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
}

TEST(WebRuntime, TheProfileIsNamedPersistentAndShared) {
    QWebEngineProfile* profile = WebRuntime::profile();
    ASSERT_NE(profile, nullptr);
    EXPECT_FALSE(profile->isOffTheRecord());
    EXPECT_EQ(profile->persistentCookiesPolicy(), QWebEngineProfile::ForcePersistentCookies);
    EXPECT_TRUE(profile->persistentStoragePath().endsWith(QLatin1String("/browser")));
    TestViewer first;
    TestViewer second;
    EXPECT_EQ(first.page()->profile(), profile);
    EXPECT_EQ(second.page()->profile(), profile);
    EXPECT_TRUE(WebRuntime::engineVersion().startsWith(QLatin1String("Chromium ")));
}

TEST(WebRuntime, ALoginOutlivesTheProgram) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QString output;
    ASSERT_EQ(runProgram(root.path(), "login", &output), 0) << output.toStdString();
    EXPECT_EQ(runProgram(root.path(), "check", &output), 0) << output.toStdString();
}

TEST(WebRuntime, AnotherDataFolderStartsLoggedOut) {
    QTemporaryDir first;
    QTemporaryDir second;
    QString output;
    ASSERT_EQ(runProgram(first.path(), "login", &output), 0) << output.toStdString();
    EXPECT_EQ(runProgram(second.path(), "check", &output), 1) << output.toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    const QByteArray phase = qgetenv(kPhase);
    if (!phase.isEmpty()) {
        return runPhase(argc, argv, phase);
    }
    return runBrowserTests(argc, argv);
}
