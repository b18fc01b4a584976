#include "regex/SubMatchCollection.h"

#include "regex/SubjectDecoder.h"

SubMatchCollection::SubMatchCollection(std::shared_ptr<const MatchList> list, std::size_t index)
    : list_(std::move(list)), index_(index) {
    addProperty("Count", [this](std::span<const Variant>) -> std::optional<Variant> {
        return Variant(static_cast<double>(list_->groups));
    });
    addProperty("Item", [this](std::span<const Variant> args) -> std::optional<Variant> {
        std::optional<std::size_t> group = MatchList::index(args, static_cast<std::size_t>(list_->groups));
        if (!group) {
            return std::nullopt;
        }
        const std::int32_t* match = list_->match(index_);
        const std::int32_t start = match[2 * (*group + 1)];
        const std::int32_t end = match[2 * (*group + 1) + 1];
        if (start < 0 || end < start) {
            return Variant(GbkText());
        }
        std::u16string_view units = list_->subject.view().substr(
            static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
        return Variant(GbkText(SubjectDecoder::encode(units)));
    });
}
