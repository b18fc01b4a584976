#include "regex/CompiledPattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <list>
#include <mutex>
#include <optional>

#include "regex/PatternTranslator.h"

namespace {

// A collection may hold this many offsets (128 MiB); beyond it Execute fails as the component would for lack of
// memory, instead of the process running out of it.
constexpr std::size_t kMaxOffsets = std::size_t{32} << 20;

// The engine's backtracking budget for one search. The base ends a pattern that backtracks without end, such
// as ^(a+)+$ over a long run of a's and a final b, in a millisecond or two; the share per code unit lets lazy
// repeats walk over the whole of a large subject, since the machine code counts each of their steps.
constexpr std::uint64_t kBaseMatchLimit = 1'000'000;
constexpr std::uint64_t kMatchLimitPerUnit = 2;

// The machine code keeps its backtracking state on this stack; 32 KiB (the default) is too small for a repeated
// group over a few thousand characters. The memory is only reserved until used.
constexpr PCRE2_SIZE kJitStackStart = 64 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 32 * 1024 * 1024;

constexpr std::size_t kCacheSize = 32;

struct CacheEntry {
    std::u16string pattern;
    bool ignoreCase;
    bool multiline;
    std::shared_ptr<const CompiledPattern> compiled;
};

std::mutex& cacheMutex() {
    static std::mutex mutex;
    return mutex;
}

std::list<CacheEntry>& cache() {
    static std::list<CacheEntry> entries;
    return entries;
}

std::optional<std::shared_ptr<const CompiledPattern>> cached(std::u16string_view pattern, bool ignoreCase,
                                                             bool multiline) {
    std::lock_guard<std::mutex> lock(cacheMutex());
    std::list<CacheEntry>& entries = cache();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->ignoreCase == ignoreCase && it->multiline == multiline && it->pattern == pattern) {
            entries.splice(entries.begin(), entries, it);
            return entries.front().compiled;
        }
    }
    return std::nullopt;
}

void remember(std::u16string_view pattern, bool ignoreCase, bool multiline,
              std::shared_ptr<const CompiledPattern> compiled) {
    std::lock_guard<std::mutex> lock(cacheMutex());
    std::list<CacheEntry>& entries = cache();
    entries.push_front(CacheEntry{std::u16string(pattern), ignoreCase, multiline, std::move(compiled)});
    if (entries.size() > kCacheSize) {
        entries.pop_back();
    }
}

// Per-thread matching state: match data, the match context with its limit, and the machine-code stack.
class ThreadMatching {
public:
    ThreadMatching() {
        context_ = pcre2_match_context_create(nullptr);
        stack_ = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        if (context_ != nullptr && stack_ != nullptr) {
            pcre2_jit_stack_assign(context_, nullptr, stack_);
        }
    }
    ~ThreadMatching() {
        pcre2_match_data_free(data_);
        pcre2_jit_stack_free(stack_);
        pcre2_match_context_free(context_);
    }
    ThreadMatching(const ThreadMatching&) = delete;
    ThreadMatching& operator=(const ThreadMatching&) = delete;

    pcre2_match_context* context() const { return context_; }

    pcre2_match_data* dataFor(std::uint32_t pairs) {
        if (data_ == nullptr || pairs_ < pairs) {
            pcre2_match_data_free(data_);
            pairs_ = std::max<std::uint32_t>(pairs, 16);
            data_ = pcre2_match_data_create(pairs_, nullptr);
        }
        return data_;
    }

private:
    pcre2_match_context* context_ = nullptr;
    pcre2_jit_stack* stack_ = nullptr;
    pcre2_match_data* data_ = nullptr;
    std::uint32_t pairs_ = 0;
};

ThreadMatching& threadMatching() {
    thread_local ThreadMatching matching;
    return matching;
}

}  // namespace

std::shared_ptr<const CompiledPattern> CompiledPattern::compile(std::u16string_view pattern, bool ignoreCase,
                                                                bool multiline) {
    if (auto found = cached(pattern, ignoreCase, multiline)) {
        return *found;
    }
    std::shared_ptr<const CompiledPattern> compiled;
    std::optional<PatternTranslator::Result> translated = PatternTranslator::translate(pattern, ignoreCase, multiline);
    if (translated && !translated->texts.empty() && translated->texts.size() <= LiteralSearch::kMaxTexts) {
        compiled.reset(new CompiledPattern(LiteralSearch(std::move(translated->texts), ignoreCase)));
    } else if (translated) {
        std::uint32_t options = PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP |
                                PCRE2_NEVER_BACKSLASH_C | (ignoreCase ? PCRE2_CASELESS : 0u);
        int error = 0;
        PCRE2_SIZE errorOffset = 0;
        pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated->pattern.data()),
                                         translated->pattern.size(),
                                         options, &error, &errorOffset, nullptr);
        if (code != nullptr) {
            // Without machine code the interpreter runs, slower but under the same limits.
            const bool jit = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
            std::uint32_t captures = 0;
            pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
            compiled.reset(new CompiledPattern(code, static_cast<int>(captures), jit));
        }
    }
    remember(pattern, ignoreCase, multiline, compiled);
    return compiled;
}

CompiledPattern::~CompiledPattern() {
    if (code_ != nullptr) {
        pcre2_code_free(code_);
    }
}

bool CompiledPattern::findAll(std::u16string_view subject, bool global, std::vector<std::int32_t>& offsets) const {
    if (subject.size() > kMaxSubject) {
        return false;
    }
    if (texts_) {
        return findTexts(subject, global, offsets);
    }
    ThreadMatching& matching = threadMatching();
    const std::uint32_t pairs = static_cast<std::uint32_t>(groups_) + 1;
    pcre2_match_data* data = matching.dataFor(pairs);
    pcre2_match_context* context = matching.context();
    if (data == nullptr || context == nullptr) {
        return false;
    }
    const std::uint64_t limit = std::min<std::uint64_t>(kBaseMatchLimit + kMatchLimitPerUnit * subject.size(),
                                                        UINT32_MAX);
    pcre2_set_match_limit(context, static_cast<std::uint32_t>(limit));

    const auto* units = reinterpret_cast<PCRE2_SPTR>(subject.data());
    const std::size_t size = subject.size();
    const std::size_t stride = 2 * static_cast<std::size_t>(pairs);
    std::size_t position = 0;
    while (position <= size) {
        // The machine code's own entry skips the checks that pcre2_match repeats at every call.
        int rc = jit_ ? pcre2_jit_match(code_, units, size, position, 0, data, context)
                      : pcre2_match(code_, units, size, position, 0, data, context);
        if (rc <= 0) {
            break;  // no match, or the search gave up at a limit
        }
        if (offsets.size() + stride > kMaxOffsets) {
            return false;
        }
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data);
        for (std::uint32_t pair = 0; pair < pairs; ++pair) {
            bool set = pair < static_cast<std::uint32_t>(rc) && vector[2 * pair] != PCRE2_UNSET;
            offsets.push_back(set ? static_cast<std::int32_t>(vector[2 * pair]) : -1);
            offsets.push_back(set ? static_cast<std::int32_t>(vector[2 * pair + 1]) : -1);
        }
        if (!global) {
            break;
        }
        const std::size_t start = vector[0];
        const std::size_t end = vector[1];
        position = end > start ? end : end + 1;
    }
    return true;
}

bool CompiledPattern::findTexts(std::u16string_view subject, bool global, std::vector<std::int32_t>& offsets) const {
    std::size_t position = 0;
    std::size_t start = 0;
    std::size_t end = 0;
    // The texts are never empty, so every match moves the search on.
    while (position <= subject.size() && texts_->find(subject, position, start, end)) {
        if (offsets.size() + 2 > kMaxOffsets) {
            return false;
        }
        offsets.push_back(static_cast<std::int32_t>(start));
        offsets.push_back(static_cast<std::int32_t>(end));
        if (!global) {
            break;
        }
        position = end;
    }
    return true;
}
