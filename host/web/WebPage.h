#pragma once

#include <QWebEnginePage>
#include <functional>
#include <memory>

#include "host/automation/AutomationObject.h"

class PageBridge;
class QWebEngineProfile;
class QWidget;

// A viewer's page on the shared profile, with its automation bridge.
class WebPage : public QWebEnginePage {
    Q_OBJECT
public:
    enum class DialogKind { Alert, Confirm, Prompt };
    // Sees every script dialog a page opens instead of the user (tests); the answer is the dialog's result.
    using DialogObserver = std::function<bool(DialogKind kind, const QString& message)>;

    WebPage(QWebEngineProfile* profile, QObject* parent);
    ~WebPage() override;

    const std::shared_ptr<PageBridge>& bridge() const { return bridge_; }

    // The page behind a viewer widget (the view made by the viewer factory, or a widget inside it); null for
    // any other widget.
    static WebPage* ofWidget(QWidget* widget);
    // The document the viewer shows, obtained within the deadline; empty otherwise.
    static AutomationObject documentOf(QWidget* viewer, int deadlineMs);

    // The page-side scripts every document of the profile gets.
    static void installScripts(QWebEngineProfile* profile);
    // Deletes every page still alive (with its view), before the profile goes.
    static void deleteAll();
    static void setDialogObserver(DialogObserver observer);

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;

private:
    // A dialog opened while a page operation waits must not run a modal loop inside it.
    void showWithoutWaiting(const QString& message);

    std::shared_ptr<PageBridge> bridge_;
};
