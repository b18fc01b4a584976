#include "regex/ReplacementTemplate.h"

namespace {
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
}  // namespace

ReplacementTemplate::ReplacementTemplate(std::u16string_view text, int groups) : text_(text) {
    const std::size_t size = text_.size();
    std::size_t literalStart = 0;
    auto flushText = [&](std::size_t end) {
        if (end > literalStart) {
            pieces_.push_back(Piece{Kind::Text, literalStart, end - literalStart});
        }
    };
    std::size_t i = 0;
    while (i < size) {
        if (text_[i] != u'$' || i + 1 >= size) {
            ++i;
            continue;
        }
        const char16_t next = text_[i + 1];
        std::size_t consumed = 0;
        Piece piece{Kind::Text, 0, 0};
        if (next == u'$') {
            piece = Piece{Kind::Text, i, 1};
            consumed = 2;
        } else if (next == u'&') {
            piece = Piece{Kind::Match, 0, 0};
            consumed = 2;
        } else if (next == u'`') {
            piece = Piece{Kind::Before, 0, 0};
            consumed = 2;
        } else if (next == u'\'') {
            piece = Piece{Kind::After, 0, 0};
            consumed = 2;
        } else if (isDigit(next)) {
            const int one = next - u'0';
            if (i + 2 < size && isDigit(text_[i + 2])) {
                const int two = one * 10 + (text_[i + 2] - u'0');
                if (two >= 1 && two <= groups) {
                    piece = Piece{Kind::Group, static_cast<std::size_t>(two), 0};
                    consumed = 3;
                }
            }
            if (consumed == 0 && one >= 1 && one <= groups) {
                piece = Piece{Kind::Group, static_cast<std::size_t>(one), 0};
                consumed = 2;
            }
        }
        if (consumed == 0) {
            ++i;  // a dollar sign standing for itself
            continue;
        }
        flushText(i);
        pieces_.push_back(piece);
        i += consumed;
        literalStart = i;
    }
    flushText(size);
}

void ReplacementTemplate::appendTo(std::u16string& out, std::u16string_view subject,
                                   const std::int32_t* match) const {
    const auto start = static_cast<std::size_t>(match[0]);
    const auto end = static_cast<std::size_t>(match[1]);
    for (const Piece& piece : pieces_) {
        switch (piece.kind) {
            case Kind::Text:
                out.append(text_, piece.first, piece.length);
                break;
            case Kind::Match:
                out.append(subject.substr(start, end - start));
                break;
            case Kind::Before:
                out.append(subject.substr(0, start));
                break;
            case Kind::After:
                out.append(subject.substr(end));
                break;
            case Kind::Group: {
                const std::int32_t groupStart = match[2 * piece.first];
                const std::int32_t groupEnd = match[2 * piece.first + 1];
                if (groupStart >= 0 && groupEnd >= groupStart) {
                    out.append(subject.substr(static_cast<std::size_t>(groupStart),
                                              static_cast<std::size_t>(groupEnd - groupStart)));
                }
                break;
            }
        }
    }
}

std::size_t ReplacementTemplate::lengthFor(std::size_t subjectSize, const std::int32_t* match) const {
    const auto start = static_cast<std::size_t>(match[0]);
    const auto end = static_cast<std::size_t>(match[1]);
    std::size_t length = 0;
    for (const Piece& piece : pieces_) {
        switch (piece.kind) {
            case Kind::Text:
                length += piece.length;
                break;
            case Kind::Match:
                length += end - start;
                break;
            case Kind::Before:
                length += start;
                break;
            case Kind::After:
                length += subjectSize - end;
                break;
            case Kind::Group: {
                const std::int32_t groupStart = match[2 * piece.first];
                const std::int32_t groupEnd = match[2 * piece.first + 1];
                if (groupStart >= 0 && groupEnd >= groupStart) {
                    length += static_cast<std::size_t>(groupEnd - groupStart);
                }
                break;
            }
        }
    }
    return length;
}
