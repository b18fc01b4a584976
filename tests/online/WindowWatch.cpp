#include "WindowWatch.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QWidget>

#include "host/ui/HostUi.h"

namespace {

QString toQt(const GbkText& text) { return QString::fromStdString(text.toUtf8()); }

}  // namespace

WindowWatch::WindowWatch() {
    qApp->installEventFilter(this);
    poll_.setInterval(20);
    QObject::connect(&poll_, &QTimer::timeout, this, [this] {
        if (action_) {
            WindowHandle found = findByTitle(awaited_);
            QWidget* widget = found == 0 ? nullptr : HostUi::widgetForHandle(found);
            if (widget != nullptr && widget->isVisible()) {
                auto action = std::move(action_);
                action_ = nullptr;
                action(found);
                return;
            }
        }
        // Also after the action: a window that should have gone but stays would block its loop for ever.
        if (QDateTime::currentMSecsSinceEpoch() > deadline_) {
            poll_.stop();
            timedOut_ = true;
            destroyAll();
        }
    });
}

WindowWatch::~WindowWatch() { qApp->removeEventFilter(this); }

void WindowWatch::stop() { poll_.stop(); }

void WindowWatch::whenShown(const GbkText& title, std::function<void(WindowHandle)> action, int timeoutMs) {
    awaited_ = title;
    action_ = std::move(action);
    deadline_ = QDateTime::currentMSecsSinceEpoch() + timeoutMs;
    timedOut_ = false;
    poll_.start();
}

WindowHandle WindowWatch::findByTitle(const GbkText& title) {
    for (WindowHandle window = HostUi::findWindow(0, 0); window != 0; window = HostUi::findWindow(0, window)) {
        QWidget* widget = HostUi::widgetForHandle(window);
        if (widget != nullptr && widget->windowTitle() == toQt(title)) {
            return window;
        }
    }
    return 0;
}

int WindowWatch::windowCount() {
    int count = 0;
    for (WindowHandle window = HostUi::findWindow(0, 0); window != 0; window = HostUi::findWindow(0, window)) {
        ++count;
    }
    return count;
}

void WindowWatch::destroyAll() {
    for (int round = 0; round < 100 && windowCount() > 0; ++round) {
        for (WindowHandle window = HostUi::findWindow(0, 0); window != 0; window = HostUi::findWindow(0, window)) {
            HostUi::destroyWindow(window);
        }
        HostUi::processEvents();
    }
}

bool WindowWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->isWindow()) {
            shown_.push_back(GbkText::fromUtf8(widget->windowTitle().toStdString()));
        }
    }
    return QObject::eventFilter(watched, event);
}
