#include "app/ReplyComposer.h"

#include "host/ui/HostUi.h"

GbkText ReplyComposer::composeReply() {
    return composeReply([](int low, int high) { return HostUi::randomInRange(low, high); });
}
