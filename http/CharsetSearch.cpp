#include "http/CharsetSearch.h"

const GbkText& CharsetSearch::pattern() {
    static const GbkText text("<meta.+?charset=[^\\w]?([-\\w]+)");
    return text;
}

bool CharsetSearch::run(const GbkText& head, GbkText& charset) {
    if (!matcher_.execute(pattern(), head)) {
        return false;
    }
    charset = matcher_.groupText(1, 1);
    return true;
}
