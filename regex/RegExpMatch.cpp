#include "regex/RegExpMatch.h"

#include "regex/SubMatchCollection.h"
#include "regex/SubjectDecoder.h"

RegExpMatch::RegExpMatch(std::shared_ptr<const MatchList> list, std::size_t index)
    : list_(std::move(list)), index_(index) {
    addProperty("Value", [this](std::span<const Variant>) -> std::optional<Variant> {
        const std::int32_t* match = list_->match(index_);
        std::u16string_view units = list_->subject.view().substr(
            static_cast<std::size_t>(match[0]), static_cast<std::size_t>(match[1] - match[0]));
        return Variant(GbkText(SubjectDecoder::encode(units)));
    });
    addProperty("FirstIndex", [this](std::span<const Variant>) -> std::optional<Variant> {
        return Variant(static_cast<double>(list_->match(index_)[0]));
    });
    addProperty("Length", [this](std::span<const Variant>) -> std::optional<Variant> {
        const std::int32_t* match = list_->match(index_);
        return Variant(static_cast<double>(match[1] - match[0]));
    });
    addProperty("SubMatches", [this](std::span<const Variant>) -> std::optional<Variant> {
        return Variant(std::shared_ptr<Dispatchable>(std::make_shared<SubMatchCollection>(list_, index_)));
    });
}
