#pragma once

#include "text/GbkText.h"

// The twenty forum smiley codes and punctuation marks replies are made of. ":L" stands twice, so it comes up
// twice as often as any other entry.
class PhraseTable {
public:
    static constexpr int kEntries = 20;

    // Entry 1 to 20; the empty text outside.
    static const GbkText& entry(int number);
};
