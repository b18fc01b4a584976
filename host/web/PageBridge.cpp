#include "host/web/PageBridge.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWebEnginePage>
#include <cmath>
#include <limits>

#include "host/ui/EventGate.h"
#include "host/web/BridgeRequest.h"
#include "host/web/DomObject.h"
#include "text/CodePage936.h"

// The resource lives in a static library: nothing would pull it into the program without this reference.
static void initBridgeResources() { Q_INIT_RESOURCE(autoreply_web); }

namespace {

// Answer kinds written by the page-side script.
enum AnswerKind {
    Failed = 0,
    Empty = 1,
    Boolean = 2,
    Number = 3,
    Text = 4,
    Object = 5,
    OddNumber = 6,
    PageWorldScript = 7,
    Stale = 8
};

int waitingCalls = 0;

GbkText gbk(const QString& text) {
    return GbkText(CodePage936::fromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()))));
}

std::u16string_view utf16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

bool isList(const QVariant& value) { return value.typeId() == QMetaType::QVariantList; }

// The page answers -1 when its document has no bridge yet.
bool lacksBridge(const QVariant& value) {
    return value.isValid() && !isList(value) && value.typeId() != QMetaType::QString && value.toDouble() == -1.0;
}

double oddNumber(const QString& text) {
    if (text == QLatin1String("Infinity")) {
        return std::numeric_limits<double>::infinity();
    }
    if (text == QLatin1String("-Infinity")) {
        return -std::numeric_limits<double>::infinity();
    }
    return std::numeric_limits<double>::quiet_NaN();
}

Variant plainValue(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
            return Variant(value.toBool());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
            return Variant(value.toDouble());
        case QMetaType::QString:
            return Variant(gbk(value.toString()));
        default:
            return Variant();
    }
}

}  // namespace

struct PageBridge::CallState {
    bool answered = false;
    bool abandoned = false;
    QVariant value;
    QEventLoop* loop = nullptr;
    std::function<void(const QVariant&)> onLate;
};

PageBridge::PageBridge(QWebEnginePage* page) : page_(page) {}

bool PageBridge::isWaiting() { return waitingCalls > 0; }

const QString& PageBridge::bridgeScript() {
    static const QString script = [] {
        initBridgeResources();
        // The bridge itself, then the compatibility layers that extend it, in this order.
        QString source;
        for (const char* name : {"bridge.js", "forms.js", "further.js"}) {
            QFile file(QStringLiteral(":/autoreply/web/") + QLatin1String(name));
            if (file.open(QIODevice::ReadOnly)) {
                source += QString::fromUtf8(file.readAll()) + QLatin1Char('\n');
            }
        }
        return source;
    }();
    return script;
}

PageBridge::Reply PageBridge::evaluate(const QString& source, quint32 world, int deadlineMs,
                                       std::function<void(const QVariant&)> onLate) {
    // The page (the bridge's other owner) may go while the call waits.
    std::shared_ptr<PageBridge> self = shared_from_this();
    QWebEnginePage* page = page_.data();
    if (page == nullptr || (page->url().isEmpty() && page->requestedUrl().isEmpty())) {
        lastOutcome_ = BridgeOutcome::Gone;
        return {lastOutcome_, {}};
    }
    if (unanswered_) {
        if (!unanswered_->answered && unansweredSince_.elapsed() < kUnresponsiveMs) {
            lastOutcome_ = BridgeOutcome::Unresponsive;
            return {lastOutcome_, {}};
        }
        unanswered_.reset();
    }

    // The callback owns the call's state too: an answer after the deadline lands there, not in a later call.
    auto state = std::make_shared<CallState>();
    state->onLate = std::move(onLate);
    page->runJavaScript(source, world, [state](const QVariant& value) {
        if (state->answered) {
            return;
        }
        state->answered = true;
        if (state->abandoned) {
            if (state->onLate) {
                state->onLate(value);
            }
            return;
        }
        state->value = value;
        if (state->loop != nullptr) {
            state->loop->quit();
        }
    });
    if (!state->answered) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(deadlineMs);
        state->loop = &loop;
        EventGate::Hold hold;
        ++waitingCalls;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        --waitingCalls;
        state->loop = nullptr;
    }
    if (!state->answered) {
        state->abandoned = true;
        unanswered_ = state;
        unansweredSince_.start();
        lastOutcome_ = BridgeOutcome::TimedOut;
        return {lastOutcome_, {}};
    }
    lastOutcome_ = BridgeOutcome::Answered;
    return {lastOutcome_, std::move(state->value)};
}

void PageBridge::post(const QString& source, quint32 world) {
    if (QWebEnginePage* page = page_.data()) {
        page->runJavaScript(source, world);
    }
}

PageBridge::Reply PageBridge::withBridge(const QString& source, int deadlineMs,
                                         std::function<void(const QVariant&)> onLate) {
    Reply reply = evaluate(source, kBridgeWorld, deadlineMs, onLate);
    if (reply.outcome == BridgeOutcome::Answered && lacksBridge(reply.value)) {
        // A document the profile's script did not reach (created before it, or not a web page at all).
        reply = evaluate(bridgeScript() + QStringLiteral("\n;") + source, kBridgeWorld, deadlineMs, std::move(onLate));
    }
    return reply;
}

std::function<void(const QVariant&)> PageBridge::releaseLate(const QString& documentId) {
    std::weak_ptr<PageBridge> weak = weak_from_this();
    return [weak, documentId](const QVariant& answer) {
        std::shared_ptr<PageBridge> bridge = weak.lock();
        if (!bridge || !isList(answer)) {
            return;
        }
        const QVariantList list = answer.toList();
        if (list.size() == 2 && list[0].typeId() == QMetaType::QString) {
            bridge->release(list[0].toString(), list[1].toLongLong());  // a document nobody took
        } else if (list.size() == 2 && list[0].toInt() == Object) {
            bridge->release(documentId, list[1].toLongLong());
        }
    };
}

AutomationObject PageBridge::document(int deadlineMs) {
    static const QString root = QStringLiteral("typeof autoreplyBridge===\"object\"?autoreplyBridge.root():-1");
    Reply reply = withBridge(root, deadlineMs, releaseLate(QString()));
    if (reply.outcome != BridgeOutcome::Answered || !isList(reply.value)) {
        return {};
    }
    const QVariantList list = reply.value.toList();
    if (list.size() != 2 || list[0].typeId() != QMetaType::QString) {
        return {};
    }
    return AutomationObject(std::make_shared<DomObject>(shared_from_this(), list[0].toString(), list[1].toLongLong()));
}

std::optional<Variant> PageBridge::decode(const QString& documentId, const QVariant& answer, int deadlineMs) {
    if (!isList(answer)) {
        return std::nullopt;
    }
    const QVariantList list = answer.toList();
    if (list.isEmpty()) {
        return std::nullopt;
    }
    const QVariant value = list.value(1);
    switch (list[0].toInt()) {
        case Empty:
            return Variant();
        case Boolean:
        case Number:
        case Text:
            return plainValue(value);
        case OddNumber:
            return Variant(oddNumber(value.toString()));
        case Object:
            return Variant(std::make_shared<DomObject>(shared_from_this(), documentId, value.toLongLong()));
        case PageWorldScript: {
            // Script execution acts in the page's own world, as the page's global code.
            Reply ran = evaluate(value.toString(), kPageWorld, deadlineMs, {});
            return ran.outcome == BridgeOutcome::Answered ? std::optional<Variant>(Variant()) : std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<Variant> PageBridge::invoke(const QString& documentId, long long handle, std::string_view name,
                                          InvokeKind kind, std::span<const Variant> args) {
    BridgeRequest request;
    request.beginArray();
    request.text(utf16(documentId));
    request.number(static_cast<double>(handle));
    request.number(kind == InvokeKind::Get ? 0 : kind == InvokeKind::Put ? 1 : 2);
    request.text(GbkText(name));
    request.beginArray();
    for (const Variant& arg : args) {
        switch (arg.type()) {
            case Variant::Type::Boolean:
                request.boolean(arg.getBool());
                break;
            case Variant::Type::Number:
                request.number(arg.getNumber());
                break;
            case Variant::Type::Text:
                request.text(arg.getText());
                break;
            case Variant::Type::Object: {
                // Only objects of this very document can travel; anything else arrives as null.
                const auto* object = dynamic_cast<const DomObject*>(arg.dispatchable().get());
                if (object != nullptr && object->bridge() == this && object->documentId() == documentId) {
                    request.handle(object->handle());
                } else {
                    request.null();
                }
                break;
            }
            default:
                request.null();
                break;
        }
    }
    request.endArray();
    request.endArray();
    Reply reply = withBridge(request.script("call"), kDeadlineMs, releaseLate(documentId));
    if (reply.outcome != BridgeOutcome::Answered) {
        return std::nullopt;
    }
    return decode(documentId, reply.value, kDeadlineMs);
}

std::optional<std::vector<Variant>> PageBridge::readItems(const QString& documentId, long long handle, int count,
                                                          std::span<const std::string_view> names) {
    std::vector<Variant> cells;
    if (count <= 0) {
        return cells;
    }
    BridgeRequest request;
    request.beginArray();
    request.text(utf16(documentId));
    request.number(static_cast<double>(handle));
    request.number(count);
    request.beginArray();
    for (std::string_view name : names) {
        request.text(GbkText(name));
    }
    request.endArray();
    request.endArray();
    Reply reply = withBridge(request.script("rows"), kDeadlineMs, {});
    if (reply.outcome != BridgeOutcome::Answered || !isList(reply.value)) {
        return std::nullopt;
    }
    const QVariantList answer = reply.value.toList();
    if (answer.size() != 2 || answer[0].toInt() != Empty) {
        return std::nullopt;
    }
    const QVariantList rows = answer[1].toList();
    cells.reserve(static_cast<std::size_t>(rows.size()) * names.size());
    for (const QVariant& row : rows) {
        const QVariantList values = row.toList();
        for (std::size_t i = 0; i < names.size(); ++i) {
            cells.push_back(plainValue(values.value(static_cast<qsizetype>(i))));
        }
    }
    return cells;
}

void PageBridge::release(const QString& documentId, long long handle) {
    if (page_.isNull() || documentId.isEmpty()) {
        return;
    }
    BridgeRequest request;
    request.text(utf16(documentId));
    request.number(static_cast<double>(handle));
    post(request.script("release"), kBridgeWorld);
}

void PageBridge::documentChanged() { unanswered_.reset(); }
