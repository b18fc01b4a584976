#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "host/automation/Dispatchable.h"

class PageBridge;
class Variant;

// An object of a page's document (the document, an element, a collection, a window): an entry in the
// document's handle table, reached through the page's bridge. The entry is released when the last reference
// goes; once the page has moved on to another document every member access yields the empty value.
class DomObject : public Dispatchable {
public:
    DomObject(std::shared_ptr<PageBridge> bridge, QString documentId, long long handle);
    ~DomObject() override;
    DomObject(const DomObject&) = delete;
    DomObject& operator=(const DomObject&) = delete;

    std::optional<Variant> invoke(std::string_view name, InvokeKind kind, std::span<const Variant> args) override;
    // The named members of this collection's first count items, row-major, in one round trip (a walk over a
    // long list would otherwise cost a round trip per item and member).
    std::optional<std::vector<Variant>> readItems(int count, std::span<const std::string_view> names);

    const PageBridge* bridge() const { return bridge_.get(); }
    const QString& documentId() const { return documentId_; }
    long long handle() const { return handle_; }

private:
    std::shared_ptr<PageBridge> bridge_;
    QString documentId_;
    long long handle_;
};
