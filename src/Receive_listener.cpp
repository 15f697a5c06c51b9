// The host's receive listener.
#include <utility>

#include "shared/P25/P25_receive.h"

namespace P25 {

namespace {
Receive_listener& Listener() {
    static Receive_listener listener;
    return listener;
}
}  // namespace

void Set_receive_listener(Receive_listener listener) { Listener() = std::move(listener); }

bool Has_receive_listener() { return static_cast<bool>(Listener()); }

void Tell_receive_listener(Received what, const void* record) {
    if (const Receive_listener& listener = Listener()) listener(what, record);
}

}  // namespace P25
