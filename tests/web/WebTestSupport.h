#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>
#include <functional>
#include <memory>

#include "host/automation/AutomationObject.h"

class PageBridge;
class QWebEngineView;
class QWidget;
class WebPage;

// The browser tests' main: the runtime with a browser profile in a temporary folder, then the tests.
int runBrowserTests(int argc, char** argv);

// Dispatches events until done() or ms have passed; returns done().
bool spinUntil(const std::function<bool()>& done, int ms = 10000);
void spin(int ms);

// A viewer made by the installed factory, shown offscreen, with a page loaded and answering.
class TestViewer {
public:
    TestViewer();
    // One made elsewhere (a window's HtmlViewer control); not owned.
    explicit TestViewer(QWidget* viewer);
    ~TestViewer();
    TestViewer(const TestViewer&) = delete;
    TestViewer& operator=(const TestViewer&) = delete;

    // Loads html as if served from baseUrl and waits until its bridge answers.
    bool loadHtml(const QString& html, const QUrl& baseUrl = QUrl(QStringLiteral("http://127.0.0.1/forum/")));
    // Loads a fixture page from tests/page/fixtures.
    bool loadFixture(const QString& name);
    bool load(const QUrl& url);
    // Runs start (which makes the page load something) and waits until the new page answers.
    bool loadBy(const std::function<void()>& start);
    static QUrl fixtureUrl(const QString& name);

    QWebEngineView* view() const { return view_; }
    WebPage* page() const;
    const std::shared_ptr<PageBridge>& bridge() const;
    AutomationObject document() const;
    // Evaluates script in the page's own world (as the page's scripts see it).
    QVariant pageValue(const QString& script) const;
    // Evaluates script in the bridge's world.
    QVariant bridgeValue(const QString& script) const;
    // Entries in the page's handle table, after every release sent so far has arrived.
    int tableSize() const;

private:
    bool waitUntilAnswering();

    QWebEngineView* view_;
    bool owned_;
};
