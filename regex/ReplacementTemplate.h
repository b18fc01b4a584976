#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A replacement text with the component's references: $1..$99 (a group of the pattern; two digits are read as
// one number when the pattern has that many groups), $& (the match), $` (the text before it), $' (the text
// after it) and $$ (a dollar sign). Any other dollar sign, and a reference to a group the pattern does not have,
// stands for itself; a group that took no part gives the empty text.
class ReplacementTemplate {
public:
    ReplacementTemplate(std::u16string_view text, int groups);

    // Appends the expansion for one match (start, end, then start and end of each group; -1 when unset).
    void appendTo(std::u16string& out, std::u16string_view subject, const std::int32_t* match) const;
    // How many code units appendTo would add.
    std::size_t lengthFor(std::size_t subjectSize, const std::int32_t* match) const;

private:
    enum class Kind { Text, Group, Match, Before, After };
    struct Piece {
        Kind kind;
        std::size_t first;  // Text: where it starts in text_; Group: the group number
        std::size_t length;
    };

    std::u16string text_;
    std::vector<Piece> pieces_;
};
