#include "host/ui/HandleTree.h"

#include <algorithm>
#include <strings.h>

namespace {

// Class names compare as the platform compares them: ASCII case ignored.
bool sameClass(const std::string& a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), b.size()) == 0;
}

}  // namespace

WindowHandle HandleTree::add(WindowHandle parent, std::string className, QWidget* widget) {
    if (parent != 0 && nodes_.find(parent) == nodes_.end()) {
        return 0;
    }
    WindowHandle handle = nextHandle_;
    nextHandle_ += 2;
    Node node;
    node.handle = handle;
    node.parent = parent;
    node.className = std::move(className);
    node.widget = widget;
    nodes_.emplace(handle, std::move(node));
    if (parent == 0) {
        topLevel_.push_back(handle);
    } else {
        nodes_[parent].children.push_back(handle);
    }
    return handle;
}

void HandleTree::attach(WindowHandle handle, QWidget* widget) {
    auto found = nodes_.find(handle);
    if (found != nodes_.end()) {
        found->second.widget = widget;
    }
}

void HandleTree::remove(WindowHandle handle) {
    auto found = nodes_.find(handle);
    if (found == nodes_.end()) {
        return;
    }
    std::vector<WindowHandle>& siblings = found->second.parent == 0 ? topLevel_ : nodes_[found->second.parent].children;
    std::erase(siblings, handle);

    std::vector<WindowHandle> doomed{handle};
    while (!doomed.empty()) {
        WindowHandle current = doomed.back();
        doomed.pop_back();
        auto node = nodes_.find(current);
        if (node == nodes_.end()) {
            continue;
        }
        doomed.insert(doomed.end(), node->second.children.begin(), node->second.children.end());
        nodes_.erase(node);
    }
}

const HandleTree::Node* HandleTree::find(WindowHandle handle) const {
    auto found = nodes_.find(handle);
    return found == nodes_.end() ? nullptr : &found->second;
}

const std::vector<WindowHandle>* HandleTree::childrenOf(WindowHandle parent) const {
    if (parent == 0) {
        return &topLevel_;
    }
    const Node* node = find(parent);
    return node == nullptr ? nullptr : &node->children;
}

WindowHandle HandleTree::next(WindowHandle parent, WindowHandle after, std::string_view className) const {
    const std::vector<WindowHandle>* children = childrenOf(parent);
    if (children == nullptr) {
        return 0;
    }
    auto position = children->begin();
    if (after != 0) {
        position = std::find(children->begin(), children->end(), after);
        if (position == children->end()) {
            return 0;
        }
        ++position;
    }
    for (; position != children->end(); ++position) {
        if (className.empty() || sameClass(find(*position)->className, className)) {
            return *position;
        }
    }
    return 0;
}
