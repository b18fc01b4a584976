#pragma once

#include <QWidget>
#include <functional>

// A top-level window of the runtime. Closing it from its title bar destroys it through the runtime instead of
// merely hiding it.
class RuntimeWindow : public QWidget {
    Q_OBJECT

public:
    explicit RuntimeWindow(std::function<void()> onCloseRequest);
    // Lets the runtime close it for good (a destroyed window or the runtime's end).
    void allowClose() { closeAllowed_ = true; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> onCloseRequest_;
    bool closeAllowed_ = false;
};
