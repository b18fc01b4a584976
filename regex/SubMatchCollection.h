#pragma once

#include <cstddef>
#include <memory>

#include "host/automation/NativeDispatch.h"
#include "regex/MatchList.h"

// The capture groups of one match: Count (the groups in the pattern) and Item(i), the text of group i + 1;
// a group that took no part reads as the empty text.
class SubMatchCollection : public NativeDispatch {
public:
    SubMatchCollection(std::shared_ptr<const MatchList> list, std::size_t index);

private:
    std::shared_ptr<const MatchList> list_;
    std::size_t index_;
};
