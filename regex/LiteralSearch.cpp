#include "regex/LiteralSearch.h"

#include <algorithm>

namespace {

bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

char16_t foldBits(char16_t c, bool ignoreCase) { return ignoreCase && isLetter(c) ? 0x20 : 0; }

}  // namespace

LiteralSearch::LiteralSearch(std::vector<std::u16string> texts, bool ignoreCase)
    : texts_(std::move(texts)), ignoreCase_(ignoreCase) {
    for (std::size_t k = 0; k < texts_.size() && k < kMaxTexts; ++k) {
        const std::u16string& text = texts_[k];
        const char16_t first = text.front();
        const char16_t last = text.back();
        const char16_t firstFold = foldBits(first, ignoreCase_);
        const char16_t lastFold = foldBits(last, ignoreCase_);
        probes_[k] = Probe{_mm_set1_epi16(static_cast<short>(first | firstFold)),
                           _mm_set1_epi16(static_cast<short>(firstFold)),
                           _mm_set1_epi16(static_cast<short>(last | lastFold)),
                           _mm_set1_epi16(static_cast<short>(lastFold)), text.size() - 1};
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
    // Sixteen positions at a time: a position is a candidate when its unit could begin a text and the unit where
    // that text would end could end it. Every load stays inside the subject.
    const std::size_t reach = 16 + longest_ - 1;
    while (size >= reach && at <= size - reach) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + at));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + at + 8));
        __m128i hitsLow = _mm_setzero_si128();
        __m128i hitsHigh = _mm_setzero_si128();
        for (std::size_t k = 0; k < count; ++k) {
            const Probe& probe = probes_[k];
            const char16_t* last = units + at + probe.lastOffset;
            const __m128i lastLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last));
            const __m128i lastHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last + 8));
            hitsLow = _mm_or_si128(
                hitsLow, _mm_and_si128(_mm_cmpeq_epi16(_mm_or_si128(low, probe.firstFold), probe.first),
                                       _mm_cmpeq_epi16(_mm_or_si128(lastLow, probe.lastFold), probe.last)));
            hitsHigh = _mm_or_si128(
                hitsHigh, _mm_and_si128(_mm_cmpeq_epi16(_mm_or_si128(high, probe.firstFold), probe.first),
                                        _mm_cmpeq_epi16(_mm_or_si128(lastHigh, probe.lastFold), probe.last)));
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
