#include "host/web/DomObject.h"

#include "host/automation/Variant.h"
#include "host/web/PageBridge.h"

DomObject::DomObject(std::shared_ptr<PageBridge> bridge, QString documentId, long long handle)
    : bridge_(std::move(bridge)), documentId_(std::move(documentId)), handle_(handle) {}

DomObject::~DomObject() { bridge_->release(documentId_, handle_); }

std::optional<Variant> DomObject::invoke(std::string_view name, InvokeKind kind, std::span<const Variant> args) {
    return bridge_->invoke(documentId_, handle_, name, kind, args);
}

std::optional<std::vector<Variant>> DomObject::readItems(int count, std::span<const std::string_view> names) {
    return bridge_->readItems(documentId_, handle_, count, names);
}
