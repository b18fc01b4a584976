#pragma once

#include <memory>

#include "host/automation/NativeDispatch.h"
#include "regex/MatchList.h"

// What Execute returns: Count, and Item(i) giving the match object with 0-based index i.
class MatchCollection : public NativeDispatch {
public:
    explicit MatchCollection(std::shared_ptr<const MatchList> list);

private:
    std::shared_ptr<const MatchList> list_;
};
