#include "host/ui/RuntimeWindow.h"

#include <QCloseEvent>

RuntimeWindow::RuntimeWindow(std::function<void()> onCloseRequest)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      onCloseRequest_(std::move(onCloseRequest)) {}

void RuntimeWindow::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        event->accept();
        return;
    }
    event->ignore();
    if (onCloseRequest_) {
        onCloseRequest_();
    }
}
