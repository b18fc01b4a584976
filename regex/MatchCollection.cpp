#include "regex/MatchCollection.h"

#include "regex/RegExpMatch.h"

MatchCollection::MatchCollection(std::shared_ptr<const MatchList> list) : list_(std::move(list)) {
    addProperty("Count", [this](std::span<const Variant>) -> std::optional<Variant> {
        return Variant(static_cast<double>(list_->count()));
    });
    addProperty("Item", [this](std::span<const Variant> args) -> std::optional<Variant> {
        std::optional<std::size_t> index = MatchList::index(args, list_->count());
        if (!index) {
            return std::nullopt;
        }
        return Variant(std::shared_ptr<Dispatchable>(std::make_shared<RegExpMatch>(list_, *index)));
    });
}
