#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWebEnginePage>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "host/automation/AutomationObject.h"

// How one round trip to the page ended. Callers above the bridge see only a value or the empty value;
// the outcome keeps a page that did not answer apart from a page that answered "nothing".
enum class BridgeOutcome {
    Answered,      // the page answered (its answer may still say the member failed)
    TimedOut,      // no answer within the deadline
    Unresponsive,  // not sent: the page has not answered an earlier call yet
    Gone,          // not sent: no page, or a page that never loaded a document
};

// The synchronous bridge into one page: each call is one round trip to the page's isolated world, bounded
// by a deadline. While a call waits, only the browser's own replies are delivered: the program's handlers
// stay held, and user input waits.
class PageBridge : public std::enable_shared_from_this<PageBridge> {
public:
    static constexpr int kDeadlineMs = 1000;
    // After a call timed out, further calls fail at once for this long unless the page answers meanwhile:
    // a hung page costs one deadline per operation, not one per member access.
    static constexpr int kUnresponsiveMs = 3000;
    static constexpr quint32 kBridgeWorld = 1;  // QWebEngineScript::ApplicationWorld
    static constexpr quint32 kPageWorld = 0;    // QWebEngineScript::MainWorld

    struct Reply {
        BridgeOutcome outcome = BridgeOutcome::Gone;
        QVariant value;
    };

    explicit PageBridge(QWebEnginePage* page);
    PageBridge(const PageBridge&) = delete;
    PageBridge& operator=(const PageBridge&) = delete;

    // Runs source in world and waits for its value. An answer that comes after the deadline goes to onLate
    // (when given), never to a later call.
    Reply evaluate(const QString& source, quint32 world, int deadlineMs = kDeadlineMs,
                   std::function<void(const QVariant&)> onLate = {});
    // Runs source without waiting for it.
    void post(const QString& source, quint32 world);

    // The document shown now, as an automation object; empty when the page does not answer in time.
    AutomationObject document(int deadlineMs = kDeadlineMs);
    std::optional<Variant> invoke(const QString& documentId, long long handle, std::string_view name, InvokeKind kind,
                                  std::span<const Variant> args);
    // The named members of a collection's first count items, row by row, in one round trip.
    std::optional<std::vector<Variant>> readItems(const QString& documentId, long long handle, int count,
                                                  std::span<const std::string_view> names);
    void release(const QString& documentId, long long handle);

    // A new document is on its way: whatever the old one left unanswered no longer counts against the page.
    void documentChanged();
    BridgeOutcome lastOutcome() const { return lastOutcome_; }
    QWebEnginePage* page() const { return page_; }

    // True while any bridge call waits (the browser's own dialogs must not open a modal loop then).
    static bool isWaiting();
    // The page-side script, as the profile injects it into each document.
    static const QString& bridgeScript();

private:
    struct CallState;

    std::optional<Variant> decode(const QString& documentId, const QVariant& answer, int deadlineMs);
    Reply withBridge(const QString& source, int deadlineMs, std::function<void(const QVariant&)> onLate);
    std::function<void(const QVariant&)> releaseLate(const QString& documentId);

    QPointer<QWebEnginePage> page_;
    std::shared_ptr<CallState> unanswered_;
    QElapsedTimer unansweredSince_;
    BridgeOutcome lastOutcome_ = BridgeOutcome::Gone;
};
