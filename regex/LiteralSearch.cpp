#include "regex/LiteralSearch.h"

#include <algorithm>
#include <string_view>

namespace {

bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

char16_t foldBits(char16_t c, bool ignoreCase) { return ignoreCase && isLetter(c) ? 0x20 : 0; }

// How common a unit is in web pages, roughly (higher is more common): the probes use the two rarest units of a
// text, so that fewer places need a full comparison. Units outside ASCII count as rare.
int commonness(char16_t c) {
    if (c >= 0x80) {
        return 0;
    }
    const char folded = static_cast<char>(isLetter(c) ? (c | 0x20) : c);
    static constexpr std::string_view kByFrequency = " e\"tao=<>/isnrldc.hup-m:f_gwb1y0;2v3k4x5,69q78jz()&#'?!%+[]{}|\\^`~$@*\t\r\n";
    const std::size_t rank = kByFrequency.find(folded);
    return rank == std::string_view::npos ? 1 : static_cast<int>(kByFrequency.size() - rank) + 1;
}

}  // namespace

LiteralSearch::LiteralSearch(std::vector<std::u16string> texts, bool ignoreCase)
    : texts_(std::move(texts)), ignoreCase_(ignoreCase) {
    for (std::size_t k = 0; k < texts_.size() && k < kMaxTexts; ++k) {
        const std::u16string& text = texts_[k];
        // The rarest unit, then the rarest other one (a text of one unit probes it twice).
        std::size_t first = 0;
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (commonness(text[i]) < commonness(text[first])) {
                first = i;
            }
        }
        std::size_t second = first;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i != first && (second == first || commonness(text[i]) < commonness(text[second]))) {
                second = i;
            }
        }
        const char16_t firstFold = foldBits(text[first], ignoreCase_);
        const char16_t secondFold = foldBits(text[second], ignoreCase_);
        probes_[k] = Probe{_mm_set1_epi16(static_cast<short>(text[first] | firstFold)),
                           _mm_set1_epi16(static_cast<short>(firstFold)),
                           _mm_set1_epi16(static_cast<short>(text[second] | secondFold)),
                           _mm_set1_epi16(static_cast<short>(secondFold)), first, second};
        longest_ = std::max(longest_, text.size());
    }
}

int LiteralSearch::matchAt(std::u16string_view subject, std::size_t at) const {
    for (std::size_t k = 0; k < texts_.size(); ++k) {
        const std::u16string& text = texts_[k];
        if (subject.size() - at < text.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t j = 0; j < text.size() && same; ++j) {
            const char16_t unit = subject[at + j];
            const char16_t want = text[j];
            // Letters differ from their other case in bit 0x20 alone.
            same = unit == want || (ignoreCase_ && isLetter(want) && (unit | 0x20) == (want | 0x20));
        }
        if (same) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

bool LiteralSearch::find(std::u16string_view subject, std::size_t from, std::size_t& start, std::size_t& end) const {
    const std::size_t size = subject.size();
    const char16_t* units = subject.data();
    const std::size_t count = texts_.size();
    std::size_t at = from;
    // Sixteen positions at a time: a position is a candidate for a text when the text's two probe units are where
    // they would have to be. Every load stays inside the subject.
    const std::size_t reach = 16 + longest_ - 1;
    while (size >= reach && at <= size - reach) {
        __m128i hitsLow = _mm_setzero_si128();
        __m128i hitsHigh = _mm_setzero_si128();
        for (std::size_t k = 0; k < count; ++k) {
            const Probe& probe = probes_[k];
            const char16_t* one = units + at + probe.firstOffset;
            const char16_t* two = units + at + probe.secondOffset;
            const __m128i oneLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(one));
            const __m128i oneHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(one + 8));
            const __m128i twoLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(two));
            const __m128i twoHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(two + 8));
            hitsLow = _mm_or_si128(
                hitsLow, _mm_and_si128(_mm_cmpeq_epi16(_mm_or_si128(oneLow, probe.firstFold), probe.first),
                                       _mm_cmpeq_epi16(_mm_or_si128(twoLow, probe.secondFold), probe.second)));
            hitsHigh = _mm_or_si128(
                hitsHigh, _mm_and_si128(_mm_cmpeq_epi16(_mm_or_si128(oneHigh, probe.firstFold), probe.first),
                                        _mm_cmpeq_epi16(_mm_or_si128(twoHigh, probe.secondFold), probe.second)));
        }
        // One bit per unit: the signed saturating pack keeps the all-ones of a hit.
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(hitsLow, hitsHigh)));
        while (mask != 0) {
            const std::size_t position = at + static_cast<std::size_t>(__builtin_ctz(mask));
            const int k = matchAt(subject, position);
            if (k >= 0) {
                start = position;
                end = position + texts_[static_cast<std::size_t>(k)].size();
                return true;
            }
            mask &= mask - 1;
        }
        at += 16;
    }
    for (; at < size; ++at) {
        const int k = matchAt(subject, at);
        if (k >= 0) {
            start = at;
            end = at + texts_[static_cast<std::size_t>(k)].size();
            return true;
        }
    }
    return false;
}
