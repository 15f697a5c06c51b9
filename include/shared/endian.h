// Big-endian integers as they stand in air-interface octets.
//
// Trunking blocks, link-control words and SmartZone words carry their
// multi-octet fields most significant octet first; the host's own record
// fields are little-endian.  These types are plain octet arrays, so they can
// be overlaid on message octets at any offset with no padding.
#ifndef TESSEL_SHARED_ENDIAN_H
#define TESSEL_SHARED_ENDIAN_H

#include <cstddef>
#include <cstdint>

namespace Endian_detail {
template <std::size_t N>
constexpr std::uint32_t Load(const std::uint8_t (&b)[N]) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < N; ++i) v = (v << 8) | b[i];
    return v;
}
template <std::size_t N>
constexpr void Store(std::uint8_t (&b)[N], std::uint32_t v) {
    for (std::size_t i = N; i-- > 0;) {
        b[i] = static_cast<std::uint8_t>(v);
        v >>= 8;
    }
}
}  // namespace Endian_detail

struct BE_ushort {
    std::uint8_t bytes[2];
    operator unsigned short() const { return static_cast<unsigned short>(Endian_detail::Load(bytes)); }
    BE_ushort& operator=(unsigned short v) { Endian_detail::Store(bytes, v); return *this; }
    unsigned Value() const { return Endian_detail::Load(bytes); }
};

struct BE_short {
    std::uint8_t bytes[2];
    operator short() const { return static_cast<short>(static_cast<std::uint16_t>(Endian_detail::Load(bytes))); }
    BE_short& operator=(short v) { Endian_detail::Store(bytes, static_cast<std::uint16_t>(v)); return *this; }
};

// 24-bit addresses: no conversion operator of its own; the runtime prints and
// scans it, and code that needs the number uses Value()/Set().
struct BE_24bit {
    std::uint8_t bytes[3];
    unsigned Value() const { return Endian_detail::Load(bytes); }
    void Set(unsigned v) { Endian_detail::Store(bytes, v & 0xFFFFFFu); }
};

struct BE_ulong {
    std::uint8_t bytes[4];
    operator unsigned long() const { return Endian_detail::Load(bytes); }
    BE_ulong& operator=(unsigned long v) { Endian_detail::Store(bytes, static_cast<std::uint32_t>(v)); return *this; }
    unsigned Value() const { return Endian_detail::Load(bytes); }
};

struct BE_long {
    std::uint8_t bytes[4];
    operator long() const { return static_cast<std::int32_t>(Endian_detail::Load(bytes)); }
    BE_long& operator=(long v) { Endian_detail::Store(bytes, static_cast<std::uint32_t>(v)); return *this; }
};

static_assert(sizeof(BE_ushort) == 2 && alignof(BE_ushort) == 1, "BE_ushort is two octets");
static_assert(sizeof(BE_short) == 2 && alignof(BE_short) == 1, "BE_short is two octets");
static_assert(sizeof(BE_24bit) == 3 && alignof(BE_24bit) == 1, "BE_24bit is three octets");
static_assert(sizeof(BE_ulong) == 4 && alignof(BE_ulong) == 1, "BE_ulong is four octets");
static_assert(sizeof(BE_long) == 4 && alignof(BE_long) == 1, "BE_long is four octets");

#endif
