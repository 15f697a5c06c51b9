// Names of the data units, and the frame record.
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

bool Is_defined_duid(unsigned value) {
    for (const Duid_entry& e : duid_names)
        if (static_cast<unsigned>(e.duid) == value) return true;
    return false;
}

bool Sent_by_base_station(const Frame& frame) {
    for (std::uint8_t s : frame.status)
        if (s == 1 || s == 3) return true;
    return false;
}

Frame::Frame() { std::memset(&record, 0, sizeof record); }

}  // namespace tessel_air
