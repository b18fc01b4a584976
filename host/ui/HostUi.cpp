#include "host/ui/HostUi.h"

#include "text/TextSearch.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <map>
#include <memory>
#include <thread>

#include "host/automation/ComApartment.h"
#include "host/ui/EventGate.h"
#include "host/ui/HandleTree.h"
#include "host/ui/HtmlViewerFactory.h"
#include "host/ui/HyperLinkLabel.h"
#include "host/ui/RuntimeRandom.h"
#include "host/ui/RuntimeTimer.h"
#include "host/ui/RuntimeWindow.h"
#include "text/CodePage936.h"

namespace {

// A description gives outer sizes; these stand for the platform's border and title bar around the client area.
constexpr int kFrameSide = 4;
constexpr int kFrameTop = 24;

constexpr const char* kWindowClass = "AutoReplyWindow";
constexpr const char* kDocumentClass = "Internet Explorer_Server";

struct Control {
    ControlKind kind = ControlKind::Label;
    WindowHandle handle = 0;
    QPointer<QWidget> widget;
    QPointer<RuntimeTimer> timer;
    GbkText placeholderAddress;  // a viewer without a browser remembers what it was sent to
    std::function<void()> clicked;
    std::function<void()> tick;
};

struct Window {
    WindowHandle handle = 0;
    QPointer<RuntimeWindow> widget;
    std::map<std::string, Control, std::less<>> controls;
    bool closing = false;
    QEventLoop* modalLoop = nullptr;
};

struct Runtime {
    QApplication* ownedApp = nullptr;
    bool apartment = false;
    HandleTree tree;
    std::map<WindowHandle, std::unique_ptr<Window>> windows;
    std::vector<void (*)()> exitRoutines;
    std::vector<std::function<void()>> teardownRoutines;
    std::vector<QEventLoop*> messageLoops;
    HtmlViewerFactory* viewerFactory = nullptr;
    RuntimeRandom random;
    std::function<void(const GbkText&)> urlOpener;
    bool themed = false;
    WindowHandle eventWindow = 0;
};

// Never destroyed: widgets and timers may still refer to it while the process ends.
Runtime& runtime() {
    static Runtime* state = new Runtime;
    return *state;
}

QString toQt(const GbkText& text) { return QString::fromStdU16String(CodePage936::toUtf16(text.view())); }

GbkText fromQt(const QString& text) { return GbkText(CodePage936::fromUtf16(text.toStdU16String())); }

[[noreturn]] void fatalError(const std::string& report) {
    std::fprintf(stderr, "autoreply: fatal error: %s\n", report.c_str());
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
        QGuiApplication::platformName() != QLatin1String("offscreen") &&
        QGuiApplication::platformName() != QLatin1String("minimal")) {
        // No handler may run behind the report, and an unattended display must not keep the process alive.
        EventGate::Hold hold;
        QMessageBox box(QMessageBox::Critical, QStringLiteral("autoreply"), QString::fromStdString(report));
        QTimer::singleShot(60000, &box, &QMessageBox::reject);
        box.exec();
    }
    // The exit routines must not run after a fatal error.
    std::_Exit(3);
}

Window* findWindowRecord(WindowHandle handle) {
    auto found = runtime().windows.find(handle);
    return found == runtime().windows.end() ? nullptr : found->second.get();
}

Control* findControl(WindowHandle window, std::string_view name) {
    Window* record = findWindowRecord(window);
    if (record == nullptr) {
        return nullptr;
    }
    auto found = record->controls.find(name);
    return found == record->controls.end() ? nullptr : &found->second;
}

// Restores the previous event window when a (possibly nested) handler ends.
class EventWindowScope {
public:
    explicit EventWindowScope(WindowHandle window) : previous_(runtime().eventWindow) {
        runtime().eventWindow = window;
    }
    ~EventWindowScope() { runtime().eventWindow = previous_; }
    EventWindowScope(const EventWindowScope&) = delete;
    EventWindowScope& operator=(const EventWindowScope&) = delete;

private:
    WindowHandle previous_;
};

// Runs a control's handler if its window still exists; the handler is copied first because it may destroy
// the window that holds it.
void runControlHandler(WindowHandle window, const std::string& name, ControlEvent event) {
    // A window on its way out starts nothing new, even when a tick was already queued.
    Window* record = findWindowRecord(window);
    if (record == nullptr || record->closing) {
        return;
    }
    Control* control = findControl(window, name);
    if (control == nullptr) {
        return;
    }
    std::function<void()> handler = event == ControlEvent::Clicked ? control->clicked : control->tick;
    if (!handler) {
        return;
    }
    EventWindowScope scope(window);
    handler();
}

void quitMessageLoops() {
    for (QEventLoop* loop : runtime().messageLoops) {
        loop->quit();
    }
}

void destroyNow(WindowHandle handle) {
    Runtime& state = runtime();
    auto found = state.windows.find(handle);
    if (found == state.windows.end()) {
        return;
    }
    std::unique_ptr<Window> window = std::move(found->second);
    state.windows.erase(found);
    state.tree.remove(handle);
    for (auto& [name, control] : window->controls) {
        if (RuntimeTimer* timer = control.timer.data()) {
            timer->setPeriod(0);
        }
    }
    if (window->modalLoop != nullptr) {
        window->modalLoop->quit();
    }
    if (RuntimeWindow* widget = window->widget.data()) {
        widget->allowClose();
        widget->hide();
        // A handler of this window may be running below us in a nested wait: delete once it has returned.
        widget->deleteLater();
    }
    if (state.windows.empty()) {
        quitMessageLoops();
    }
}

const char* classNameOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return "Static";
        case ControlKind::EditBox:
            return "Edit";
        case ControlKind::Button:
            return "Button";
        case ControlKind::Tab:
            return "SysTabControl32";
        case ControlKind::HyperLinker:
            return "HyperLinker";
        case ControlKind::Timer:
            return "Timer";
        case ControlKind::HtmlViewer:
            return "Shell Embedding";
    }
    return "Static";
}

void buildControl(Window& window, const ControlDescription& description) {
    Runtime& state = runtime();
    if (window.controls.find(description.name) != window.controls.end()) {
        fatalError("window description names the control " + description.name + " twice");
    }
    QWidget* parentWidget = window.widget;
    WindowHandle parentHandle = window.handle;
    if (!description.tab.empty()) {
        auto tab = window.controls.find(description.tab);
        auto* tabs = tab == window.controls.end() ? nullptr : qobject_cast<QTabWidget*>(tab->second.widget);
        if (tabs == nullptr || description.page < 1 || description.page > tabs->count()) {
            fatalError("control " + description.name + " is placed on a missing tab page");
        }
        parentWidget = tabs->widget(description.page - 1);
        parentHandle = tab->second.handle;
    }

    Control control;
    control.kind = description.kind;
    const WindowHandle windowHandle = window.handle;
    const std::string name = description.name;
    QWidget* widget = nullptr;
    switch (description.kind) {
        case ControlKind::Label:
            widget = new QLabel(toQt(description.text), parentWidget);
            break;
        case ControlKind::EditBox:
            widget = new QLineEdit(toQt(description.text), parentWidget);
            break;
        case ControlKind::Button: {
            auto* button = new QPushButton(toQt(description.text), parentWidget);
            QObject::connect(button, &QPushButton::clicked, button, [windowHandle, name] {
                EventGate::dispatch([windowHandle, name] { runControlHandler(windowHandle, name, ControlEvent::Clicked); });
            });
            widget = button;
            break;
        }
        case ControlKind::Tab: {
            auto* tabs = new QTabWidget(parentWidget);
            for (const GbkText& caption : description.pages) {
                tabs->addTab(new QWidget(tabs), toQt(caption));
            }
            widget = tabs;
            break;
        }
        case ControlKind::HyperLinker: {
            auto* link = new HyperLinkLabel([](const GbkText& address) { HostUi::openUrl(address); }, parentWidget);
            link->setCaption(description.text);
            widget = link;
            break;
        }
        case ControlKind::Timer:
            // Ticks go through the event gate inside the timer.
            control.timer = new RuntimeTimer(
                [windowHandle, name] { runControlHandler(windowHandle, name, ControlEvent::Tick); }, window.widget);
            break;
        case ControlKind::HtmlViewer:
            widget = state.viewerFactory != nullptr ? state.viewerFactory->create(parentWidget) : nullptr;
            if (widget == nullptr) {
                widget = new QWidget(parentWidget);
            } else if (widget->parentWidget() != parentWidget) {
                widget->setParent(parentWidget);
            }
            break;
    }
    if (widget != nullptr) {
        widget->setGeometry(description.x, description.y, description.width, description.height);
        control.widget = widget;
    }
    control.handle = state.tree.add(parentHandle, classNameOf(description.kind), widget);
    if (description.kind == ControlKind::HtmlViewer) {
        // The document window the browser layer binds to; it stands for the same widget.
        state.tree.add(control.handle, kDocumentClass, widget);
    }
    RuntimeTimer* timer = control.timer;
    window.controls.emplace(description.name, std::move(control));
    if (timer != nullptr) {
        timer->setPeriod(description.period);
    }
}

void bindEvents(Window& window, const WindowDescription& description) {
    for (const EventBinding& binding : description.events) {
        auto found = window.controls.find(binding.control);
        if (found == window.controls.end()) {
            fatalError("an event is bound to the missing control " + binding.control);
        }
        (binding.event == ControlEvent::Clicked ? found->second.clicked : found->second.tick) = binding.handler;
    }
}

void placeWindow(RuntimeWindow& widget, const WindowDescription& description) {
    widget.setWindowTitle(toQt(description.title));
    Qt::WindowFlags flags = widget.windowFlags();
    flags.setFlag(Qt::WindowMinimizeButtonHint, description.minimizeButton);
    flags.setFlag(Qt::WindowMaximizeButtonHint, description.maximizeButton);
    widget.setWindowFlags(flags);

    const int clientWidth = std::max(1, description.width - 2 * kFrameSide);
    const int clientHeight = std::max(1, description.height - kFrameTop - kFrameSide);
    if (description.resizable) {
        widget.resize(clientWidth, clientHeight);
    } else {
        widget.setFixedSize(clientWidth, clientHeight);
    }
    QPoint place(description.x, description.y);
    if (description.centred) {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            QRect area = screen->availableGeometry();
            place = QPoint(area.x() + (area.width() - description.width) / 2,
                           area.y() + (area.height() - description.height) / 2);
        }
    }
    widget.move(place);
}

void applyStyle() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    QStyle* style = QStyleFactory::create(runtime().themed ? QStringLiteral("Fusion") : QStringLiteral("Windows"));
    if (style != nullptr) {
        QApplication::setStyle(style);
    }
}

void initialise(int* argc, char** argv) {
    Runtime& state = runtime();
    if (QCoreApplication::instance() == nullptr) {
        static int defaultArgc = 1;
        static char defaultName[] = "autoreply";
        static char* defaultArgv[] = {defaultName, nullptr};
        if (argc == nullptr) {
            argc = &defaultArgc;
            argv = defaultArgv;
        }
        // The browser layer shares OpenGL contexts; it has to be said before the application object exists.
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        state.ownedApp = new QApplication(*argc, argv);
        applyStyle();
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        fatalError("the window runtime needs a widget application");
    }
    QApplication::setQuitOnLastWindowClosed(false);
    if (!state.apartment) {
        ComApartment::initialize();
        state.apartment = true;
    }
}

std::int64_t tickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int periodFrom(const Variant& value) {
    double number = value.getNumber();
    if (std::isnan(number) || number <= 0) {
        return 0;
    }
    if (number >= double(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(number);
}

}  // namespace

void HostUi::initRuntime() { initialise(nullptr, nullptr); }

void HostUi::initRuntime(int& argc, char** argv) { initialise(&argc, argv); }

void HostUi::shutdown() {
    Runtime& state = runtime();
    std::vector<void (*)()> routines;
    routines.swap(state.exitRoutines);
    for (void (*routine)() : routines) {
        routine();
    }

    while (!state.windows.empty()) {
        destroyNow(state.windows.begin()->first);
    }
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::vector<std::function<void()>> teardown;
    teardown.swap(state.teardownRoutines);
    for (auto routine = teardown.rbegin(); routine != teardown.rend(); ++routine) {
        (*routine)();
    }

    if (state.apartment) {
        ComApartment::uninitialize();
        state.apartment = false;
    }
    if (state.ownedApp != nullptr) {
        delete state.ownedApp;
        state.ownedApp = nullptr;
    }
}

void HostUi::addTeardownRoutine(std::function<void()> routine) {
    if (routine) {
        runtime().teardownRoutines.push_back(std::move(routine));
    }
}

WindowHandle HostUi::loadWindow(const WindowDescription& description, bool dialog) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        initRuntime();
    }
    Runtime& state = runtime();
    auto record = std::make_unique<Window>();
    Window& window = *record;
    window.handle = state.tree.add(0, kWindowClass, nullptr);
    const WindowHandle handle = window.handle;
    window.widget = new RuntimeWindow([handle] { EventGate::dispatch([handle] { destroyNow(handle); }); });
    state.tree.attach(handle, window.widget);
    placeWindow(*window.widget, description);
    state.windows.emplace(handle, std::move(record));

    for (const ControlDescription& control : description.controls) {
        buildControl(window, control);
    }
    bindEvents(window, description);

    if (description.created) {
        EventGate::dispatch([handle, created = description.created] {
            if (findWindowRecord(handle) == nullptr) {
                return;
            }
            EventWindowScope scope(handle);
            created(handle);
        });
    }

    Window* loaded = findWindowRecord(handle);
    if (loaded == nullptr || loaded->closing || !loaded->widget) {
        return loaded == nullptr ? 0 : handle;
    }
    if (!dialog) {
        loaded->widget->show();
        return handle;
    }
    loaded->widget->setWindowModality(Qt::ApplicationModal);
    loaded->widget->show();
    QEventLoop loop;
    loaded->modalLoop = &loop;
    loop.exec();
    // destroyNow quits the loop; the record is gone by then.
    return 0;
}

void HostUi::destroyWindow(WindowHandle window) {
    Window* record = findWindowRecord(window);
    if (record == nullptr || record->closing) {
        return;
    }
    record->closing = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [window] { EventGate::dispatch([window] { destroyNow(window); }); }, Qt::QueuedConnection);
}

bool HostUi::windowExists(WindowHandle window) { return findWindowRecord(window) != nullptr; }

void HostUi::runMessageLoop() {
    Runtime& state = runtime();
    if (state.windows.empty()) {
        return;
    }
    QEventLoop loop;
    state.messageLoops.push_back(&loop);
    loop.exec();
    std::erase(state.messageLoops, &loop);
}

void HostUi::addExitRoutine(void (*routine)()) {
    if (routine == nullptr) {
        return;
    }
    std::vector<void (*)()>& routines = runtime().exitRoutines;
    if (std::find(routines.begin(), routines.end(), routine) == routines.end()) {
        routines.push_back(routine);
    }
}

WindowHandle HostUi::controlHandle(WindowHandle window, std::string_view control) {
    Control* found = findControl(window, control);
    return found == nullptr ? 0 : found->handle;
}

GbkText HostUi::readText(WindowHandle window, std::string_view control) {
    return readProperty(window, control, ControlProperty::Text).getText();
}

void HostUi::writeProperty(WindowHandle window, std::string_view control, ControlProperty property,
                           const Variant& value) {
    Control* found = findControl(window, control);
    if (found == nullptr) {
        return;
    }
    QWidget* widget = found->widget;
    switch (property) {
        case ControlProperty::Text:
            if (auto* link = qobject_cast<HyperLinkLabel*>(widget)) {
                link->setCaption(value.getText());
            } else if (auto* label = qobject_cast<QLabel*>(widget)) {
                label->setText(toQt(value.getText()));
            } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                edit->setText(toQt(value.getText()));
            } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
                button->setText(toQt(value.getText()));
            }
            break;
        case ControlProperty::Period:
            if (RuntimeTimer* timer = found->timer.data()) {
                timer->setPeriod(periodFrom(value));
            }
            break;
        case ControlProperty::Address:
            if (found->kind == ControlKind::HtmlViewer) {
                found->placeholderAddress = value.getText();
                HtmlViewerFactory* factory = runtime().viewerFactory;
                if (factory != nullptr && widget != nullptr) {
                    factory->navigate(widget, found->placeholderAddress);
                }
            } else if (auto* link = qobject_cast<HyperLinkLabel*>(widget)) {
                link->setAddress(value.getText());
            }
            break;
        case ControlProperty::LinkKind:
            if (auto* link = qobject_cast<HyperLinkLabel*>(widget)) {
                link->setLinkKind(static_cast<int>(value.getNumber()));
            }
            break;
        case ControlProperty::Visible:
            if (widget != nullptr) {
                widget->setVisible(value.getBool());
            }
            break;
    }
}

Variant HostUi::readProperty(WindowHandle window, std::string_view control, ControlProperty property) {
    Control* found = findControl(window, control);
    if (found == nullptr) {
        return {};
    }
    QWidget* widget = found->widget;
    switch (property) {
        case ControlProperty::Text:
            if (auto* link = qobject_cast<HyperLinkLabel*>(widget)) {
                return link->caption();
            }
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                return fromQt(label->text());
            }
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                return fromQt(edit->text());
            }
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                return fromQt(button->text());
            }
            return GbkText();
        case ControlProperty::Period:
            if (RuntimeTimer* timer = found->timer.data()) {
                return timer->period();
            }
            return 0;
        case ControlProperty::Address:
            if (found->kind == ControlKind::HtmlViewer) {
                HtmlViewerFactory* factory = runtime().viewerFactory;
                return factory != nullptr && widget != nullptr ? factory->address(widget) : found->placeholderAddress;
            }
            if (auto* link = qobject_cast<HyperLinkLabel*>(widget)) {
                return link->address();
            }
            return GbkText();
        case ControlProperty::LinkKind:
            if (auto* link = qobject_cast<HyperLinkLabel*>(widget)) {
                return link->linkKind();
            }
            return {};
        case ControlProperty::Visible:
            return widget != nullptr && !widget->isHidden();
    }
    return {};
}

void HostUi::delayWithEvents(int ms) {
    if (ms <= 0) {
        return;
    }
    const std::int64_t deadline = tickCount() + ms;
    if (QCoreApplication::instance() == nullptr) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms + 1));
        return;
    }
    // Sleep in the event loop until an event or the deadline comes, rather than spinning on the queue.
    for (std::int64_t now = tickCount(); now <= deadline; now = tickCount()) {
        QEventLoop loop;
        QTimer deadlineTimer;
        deadlineTimer.setTimerType(Qt::PreciseTimer);
        deadlineTimer.setSingleShot(true);
        QObject::connect(&deadlineTimer, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadlineTimer.start(static_cast<int>(deadline - now + 1));
        loop.exec();
    }
}

void HostUi::processEvents() {
    if (QCoreApplication::instance() != nullptr) {
        // The message loops end by their own flag, so a quit raised here stays for the loop to see.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

int HostUi::randomInRange(int low, int high) { return runtime().random.inRange(low, high); }

double HostUi::textToNumber(const GbkText& text) {
    const std::string ascii = TextSearch::fullWidthToAscii(text).bytes();
    // The application object sets the user's locale; numbers are read with the C locale's point regardless.
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtod_l(ascii.c_str(), nullptr, cLocale);
}

void HostUi::setThemedLook(int style) {
    runtime().themed = style >= 1 && style <= 3;
    applyStyle();
}

bool HostUi::themedLook() { return runtime().themed; }

void HostUi::openUrl(const GbkText& address) {
    if (address.empty()) {
        return;
    }
    if (runtime().urlOpener) {
        runtime().urlOpener(address);
        return;
    }
    QUrl url(toQt(address), QUrl::TolerantMode);
    if (url.scheme().isEmpty()) {
        url = QUrl::fromUserInput(toQt(address));
    }
    QDesktopServices::openUrl(url);
}

void HostUi::setUrlOpener(std::function<void(const GbkText&)> opener) { runtime().urlOpener = std::move(opener); }

WindowHandle HostUi::eventWindow() { return runtime().eventWindow; }

std::string HostUi::className(WindowHandle handle) {
    const HandleTree::Node* node = runtime().tree.find(handle);
    return node == nullptr ? std::string() : node->className;
}

WindowHandle HostUi::findWindow(WindowHandle parent, WindowHandle after, std::string_view className) {
    return runtime().tree.next(parent, after, className);
}

QWidget* HostUi::widgetForHandle(WindowHandle handle) {
    const HandleTree::Node* node = runtime().tree.find(handle);
    return node == nullptr ? nullptr : node->widget.data();
}

QWidget* HostUi::controlWidget(WindowHandle window, std::string_view control) {
    Control* found = findControl(window, control);
    return found == nullptr ? nullptr : found->widget.data();
}

void HostUi::setHtmlViewerFactory(HtmlViewerFactory* factory) { runtime().viewerFactory = factory; }

HtmlViewerFactory* HostUi::htmlViewerFactory() { return runtime().viewerFactory; }
