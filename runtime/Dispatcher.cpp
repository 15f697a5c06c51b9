// The host's dispatcher, as this runtime provides it: one process-wide
// object that hands each message to a listener.
#include "shared/dispatcher.h"

#include <utility>

Dispatcher* Dispatcher::create() {
    static Dispatcher dispatcher;
    return &dispatcher;
}

Dispatcher::~Dispatcher() = default;

int Dispatcher::Send(const void* message, int /*flags*/) {
    if (!message) return -1;
    const auto* octets = static_cast<const std::uint8_t*>(message);
    // DispatcherHdr::length, little-endian, in 32-bit words.
    const std::size_t words = static_cast<std::size_t>(octets[0]) | (static_cast<std::size_t>(octets[1]) << 8);
    if (words * 4 < sizeof(DispatcherHdr)) return -1;
    if (listener_) listener_(octets, words * 4);
    ++sent_;
    return 0;
}

void Dispatcher::Set_listener(Listener listener) { listener_ = std::move(listener); }
