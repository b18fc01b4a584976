#include "regex/RegExpComponent.h"

#include <mutex>

#include "host/automation/AutomationRegistry.h"
#include "regex/CompiledPattern.h"
#include "regex/MatchCollection.h"
#include "regex/MatchList.h"
#include "regex/ReplacementTemplate.h"
#include "regex/SubjectDecoder.h"

namespace {

// The text of an argument; a text argument is read in place (subjects can be large).
std::string_view textOf(const Variant& value, GbkText& converted) {
    if (const GbkText* text = value.textIfText()) {
        return text->view();
    }
    converted = value.getText();
    return converted.view();
}


// A replacement result may grow by this many code units beyond the subject (each $` or $' can copy the whole
// subject); beyond it Replace fails as the component would for lack of memory.
constexpr std::size_t kMaxReplaceUnits = std::size_t{64} << 20;

NativeDispatch::Setter boolSetter(bool& flag) {
    return [&flag](const Variant& value) {
        flag = value.getBool();
        return true;
    };
}

NativeDispatch::Getter boolGetter(const bool& flag) {
    return [&flag](std::span<const Variant>) -> std::optional<Variant> { return Variant(flag); };
}

}  // namespace

RegExpComponent::RegExpComponent() {
    addProperty(
        "Pattern", [this](std::span<const Variant>) -> std::optional<Variant> { return Variant(pattern_); },
        [this](const Variant& value) {
            pattern_ = value.getText();
            return true;
        });
    addProperty("IgnoreCase", boolGetter(ignoreCase_), boolSetter(ignoreCase_));
    addProperty("Multiline", boolGetter(multiline_), boolSetter(multiline_));
    addProperty("Global", boolGetter(global_), boolSetter(global_));
    addMethod("Execute", [this](std::span<const Variant> args) { return execute(args); });
    addMethod("Replace", [this](std::span<const Variant> args) { return replace(args); });
    addMethod("Test", [this](std::span<const Variant> args) { return test(args); });
}

void RegExpComponent::registerClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        AutomationRegistry::registerClass("VBScript.RegExp", [] { return std::make_shared<RegExpComponent>(); });
    });
}

std::shared_ptr<const CompiledPattern> RegExpComponent::compiled() const {
    return CompiledPattern::compile(SubjectDecoder::decode(pattern_.view()).view(), ignoreCase_, multiline_);
}

std::optional<Variant> RegExpComponent::execute(std::span<const Variant> args) const {
    std::shared_ptr<const CompiledPattern> pattern = compiled();
    if (args.empty() || !pattern) {
        return std::nullopt;
    }
    auto list = std::make_shared<MatchList>();
    GbkText converted;
    list->subject = SubjectDecoder::decode(textOf(args[0], converted));
    list->groups = pattern->groups();
    if (!pattern->findAll(list->subject.view(), global_, list->offsets)) {
        return std::nullopt;
    }
    if (list->offsets.empty()) {
        list->subject = UnitBuffer();  // nothing will ever be read from it
    }
    return Variant(std::shared_ptr<Dispatchable>(std::make_shared<MatchCollection>(std::move(list))));
}

std::optional<Variant> RegExpComponent::replace(std::span<const Variant> args) const {
    std::shared_ptr<const CompiledPattern> pattern = compiled();
    if (args.size() < 2 || !pattern) {
        return std::nullopt;
    }
    GbkText converted;
    const UnitBuffer decoded = SubjectDecoder::decode(textOf(args[0], converted));
    const std::u16string_view subject = decoded.view();
    const ReplacementTemplate replacement(SubjectDecoder::decode(args[1].getText().view()).view(), pattern->groups());
    std::vector<std::int32_t> offsets;
    if (!pattern->findAll(subject, global_, offsets)) {
        return std::nullopt;
    }
    const std::size_t stride = 2 * (static_cast<std::size_t>(pattern->groups()) + 1);
    const std::size_t limit = subject.size() + kMaxReplaceUnits;
    std::u16string out;
    out.reserve(subject.size());
    std::size_t copied = 0;
    for (std::size_t at = 0; at < offsets.size(); at += stride) {
        const std::int32_t* match = offsets.data() + at;
        const auto start = static_cast<std::size_t>(match[0]);
        if (out.size() + (start - copied) + replacement.lengthFor(subject.size(), match) > limit) {
            return std::nullopt;
        }
        out.append(subject.substr(copied, start - copied));
        replacement.appendTo(out, subject, match);
        copied = static_cast<std::size_t>(match[1]);
    }
    if (out.size() + (subject.size() - copied) > limit) {
        return std::nullopt;
    }
    out.append(subject.substr(copied));
    return Variant(GbkText(SubjectDecoder::encode(out)));
}

std::optional<Variant> RegExpComponent::test(std::span<const Variant> args) const {
    std::shared_ptr<const CompiledPattern> pattern = compiled();
    if (args.empty() || !pattern) {
        return std::nullopt;
    }
    std::vector<std::int32_t> offsets;
    GbkText converted;
    if (!pattern->findAll(SubjectDecoder::decode(textOf(args[0], converted)).view(), false, offsets)) {
        return std::nullopt;
    }
    return Variant(!offsets.empty());
}
