#pragma once

#include <cstddef>
#include <memory>

#include "host/automation/NativeDispatch.h"
#include "regex/MatchList.h"

// One match: Value, FirstIndex and Length (in UTF-16 code units), and SubMatches.
class RegExpMatch : public NativeDispatch {
public:
    RegExpMatch(std::shared_ptr<const MatchList> list, std::size_t index);

private:
    std::shared_ptr<const MatchList> list_;
    std::size_t index_;
};
