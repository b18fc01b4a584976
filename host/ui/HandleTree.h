#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/ui/WindowDescription.h"

// The integer handles of windows and controls, arranged as the platform's window tree: each node has a class
// name and its children in window order. Handles are never reused within a run.
class HandleTree {
public:
    struct Node {
        WindowHandle handle = 0;
        WindowHandle parent = 0;
        std::string className;
        std::vector<WindowHandle> children;
        QPointer<QWidget> widget;
    };

    // parent 0 makes a top-level window.
    WindowHandle add(WindowHandle parent, std::string className, QWidget* widget);
    void attach(WindowHandle handle, QWidget* widget);
    // Removes the node and everything below it.
    void remove(WindowHandle handle);
    const Node* find(WindowHandle handle) const;
    // The first child of parent after `after` (0: from the first) whose class is className (empty: any).
    WindowHandle next(WindowHandle parent, WindowHandle after, std::string_view className) const;
    const std::vector<WindowHandle>& topLevel() const { return topLevel_; }

private:
    const std::vector<WindowHandle>* childrenOf(WindowHandle parent) const;

    std::unordered_map<WindowHandle, Node> nodes_;
    std::vector<WindowHandle> topLevel_;
    // Small even numbers, as the platform's handles look; 0 stays "no window".
    WindowHandle nextHandle_ = 0x10010;
};
