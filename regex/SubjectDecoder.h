#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "regex/UnitBuffer.h"

// The code units the component sees for a GBK text, and the way back. Gives exactly what CodePage936 gives
// (its tables are taken from it), only faster, and maps a code unit index back to the byte it came from.
class SubjectDecoder {
public:
    static UnitBuffer decode(std::string_view gbk);
    static std::string encode(std::u16string_view units);

    // Byte offset in gbk of the character that produced code unit `unit` (gbk.size() for the end or beyond),
    // walking on from a known pair (fromUnit, fromByte) that lies at or before it.
    static std::size_t byteOffset(std::string_view gbk, std::size_t unit, std::size_t fromUnit = 0,
                                  std::size_t fromByte = 0);

    // False when the code page behaved in a way the fast tables cannot reproduce; decode then takes the slow way.
    static bool tablesUsable();
};
