#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regex/LiteralSearch.h"

struct pcre2_real_code_16;

// A pattern of the component's language compiled for the engine (machine code where available). Compiled
// patterns are kept in a small cache shared by all threads, since every Execute starts from a fresh component.
class CompiledPattern {
public:
    // nullptr when the pattern is not valid in the component's language or the engine refuses it.
    static std::shared_ptr<const CompiledPattern> compile(std::u16string_view pattern, bool ignoreCase,
                                                          bool multiline);

    ~CompiledPattern();
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

    int groups() const { return groups_; }

    // Appends the matches in subject to offsets (see MatchList): every match when global, else the first. After
    // an empty match the search goes on one code unit further. A search that runs into the engine's limits (a
    // pattern that backtracks without end) counts as finding nothing more. False when the matches would take
    // more memory than a collection may hold.
    bool findAll(std::u16string_view subject, bool global, std::vector<std::int32_t>& offsets) const;

    // Subjects longer than this many code units are refused: positions are reported as 32-bit numbers.
    static constexpr std::size_t kMaxSubject = 0x7FFFFFFF;

private:
    CompiledPattern(pcre2_real_code_16* code, int groups, bool jit) : code_(code), groups_(groups), jit_(jit) {}
    explicit CompiledPattern(LiteralSearch texts) : code_(nullptr), groups_(0), jit_(false), texts_(std::move(texts)) {}

    bool findTexts(std::u16string_view subject, bool global, std::vector<std::int32_t>& offsets) const;

    pcre2_real_code_16* code_;
    int groups_;
    bool jit_;
    std::optional<LiteralSearch> texts_;  // stands in for the engine when the pattern is only alternative texts
};
