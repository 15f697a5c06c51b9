// Names of the data units, and the frame record.
#include <algorithm>
#include <cstring>

#include "tessel_air/frames.h"

namespace tessel_air {

namespace {

struct Duid_entry {
    Duid duid;
    const char* name;
};
constexpr Duid_entry duid_names[] = {
    {Duid::HDU, "HDU"},   {Duid::TDU, "TDU"}, {Duid::LDU1, "LDU1"},   {Duid::TSDU, "TSDU"},
    {Duid::LDU2, "LDU2"}, {Duid::PDU, "PDU"}, {Duid::TDULC, "TDULC"},
};

}  // namespace

const char* Duid_name(Duid duid) {
    for (const Duid_entry& e : duid_names)
        if (e.duid == duid) return e.name;
    return "reserved";
}

namespace {

std::size_t Count_status(const Frame& frame, bool (*kind)(std::uint8_t)) {
    return static_cast<std::size_t>(std::count_if(frame.status.begin(), frame.status.end(), kind));
}
bool Base_station_status(std::uint8_t s) { return s == 1 || s == 3; }  // inbound busy, inbound idle
bool Talk_around_status(std::uint8_t s) { return s == 0; }

}  // namespace

bool Sent_by_base_station(const Frame& frame) {
    const std::size_t marks = Count_status(frame, Base_station_status);
    return marks > 0 && 12 * marks >= frame.status.size();
}

bool Direction_finder::Outbound(const Frame& frame) {
    // Directly: where the last frame ended, give or take a symbol the timing slipped.
    const bool follows = last_outbound_ && frame.symbol_index + 1 >= last_end_ && frame.symbol_index <= last_end_ + 1;
    bool outbound;
    if (Sent_by_base_station(frame))
        outbound = true;
    else if (12 * Count_status(frame, Talk_around_status) >= frame.status.size())
        outbound = false;
    else
        outbound = follows;
    last_outbound_ = outbound;
    last_end_ = frame.symbol_index + On_air_symbols(frame);
    return outbound;
}

Frame::Frame() { std::memset(&record, 0, sizeof record); }

}  // namespace tessel_air
