// Messages to the host's dispatcher, and the dispatcher itself.
//
// Every message starts with a DispatcherHdr whose length counts the whole
// message, header included, in 32-bit words.  The dispatcher is the host's:
// Dispatcher::create() yields it and Send delivers one message, which the
// dispatcher copies before Send returns.
#ifndef TESSEL_SHARED_DISPATCHER_H
#define TESSEL_SHARED_DISPATCHER_H

#include <cstddef>
#include <cstdint>
#include <functional>

#pragma pack(push, 1)
// One 32-bit word: command in bits 0-23, system in bits 24-31.
struct DispatcherCmd {
    std::uint32_t word = 0;
    std::uint32_t cmd() const { return word & 0xFFFFFFu; }
    std::uint32_t sys() const { return word >> 24; }
    void Set(std::uint32_t sys, std::uint32_t cmd) { word = (sys << 24) | (cmd & 0xFFFFFFu); }
};

struct DispatcherHdr {
    std::uint16_t length = 0;  // whole message, in 32-bit words
    std::uint8_t dst = 0;
    std::uint8_t src = 0;  // always 0
    std::uint32_t reserved1 = 0;
    std::uint32_t reserved2 = 0;
    DispatcherCmd cmd;
};
#pragma pack(pop)

static_assert(sizeof(DispatcherCmd) == 4, "DispatcherCmd is one word");
static_assert(sizeof(DispatcherHdr) == 16, "DispatcherHdr is 16 octets");
static_assert(offsetof(DispatcherHdr, dst) == 2 && offsetof(DispatcherHdr, src) == 3 &&
                  offsetof(DispatcherHdr, reserved1) == 4 && offsetof(DispatcherHdr, reserved2) == 8 &&
                  offsetof(DispatcherHdr, cmd) == 12,
              "DispatcherHdr layout");

class Dispatcher {
public:
    // Receives each delivered message: its octets, length words * 4 of them.
    using Listener = std::function<void(const std::uint8_t* message, std::size_t size)>;

    static Dispatcher* create();
    virtual ~Dispatcher();
    // Delivers a message whose header gives its length; the second argument
    // selects nothing in this runtime.  Returns 0, or -1 for a message whose
    // length is below the header's own.
    virtual int Send(const void* message, int flags);

    void Set_listener(Listener listener);
    unsigned long Sent() const { return sent_; }

private:
    Dispatcher() = default;
    Listener listener_;
    unsigned long sent_ = 0;
};

#endif
