// The C4FM symbols of the Phase 1 air interface, for the modem and the frame
// layer alike: the symbol rate, the nominal level of each dibit and the
// slicer that takes a soft symbol back to its dibit.
#ifndef TESSEL_AIR_SYMBOLS_H
#define TESSEL_AIR_SYMBOLS_H

#include <array>
#include <cstdint>

namespace tessel_air {

// Symbols a second on the channel.
constexpr double symbol_rate = 4800.0;

// Dibit -> nominal symbol level: 01 -> +3, 00 -> +1, 10 -> -1, 11 -> -3.
constexpr std::array<float, 4> dibit_level = {+1.0f, +3.0f, -1.0f, -3.0f};

// The nearest dibit to a soft symbol at nominal levels: the thresholds lie
// halfway between them, at 0 and +-2.
constexpr std::uint8_t Slice(float symbol) {
    return symbol >= 2.0f ? 1 : symbol >= 0.0f ? 0 : symbol >= -2.0f ? 2 : 3;
}

}  // namespace tessel_air

#endif
