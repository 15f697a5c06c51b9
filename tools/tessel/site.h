// A whole site on the air: the frequency plan a control channel broadcasts
// (its channel identifiers), the channels its messages name (grants, grant
// updates, its own and its secondary control channels), and the wideband
// receive and transmit commands built on them (site_receive.cpp,
// site_transmit.cpp).
#ifndef TESSEL_TOOL_SITE_H
#define TESSEL_TOOL_SITE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "commands.h"
#include "shared/P25/P25_message_parts.h"

namespace tessel {

// One channel identifier: how its channel numbers become frequencies.
struct Channel_identifier {
    bool known = false;
    const char* message = "";   // the broadcast it came from
    double base_hz = 0;
    double spacing_hz = 0;
    double tx_offset_hz = 0;    // the inbound (subscriber's transmit) frequency less the outbound
    double bandwidth_hz = 0;
    bool tdma = false;          // a two- or four-slot carrier: Phase 1 receivers cannot follow it
    unsigned slots = 1;         // channel numbers per carrier
};

// The frequency plan: the sixteen channel identifiers as broadcast.
class Channel_plan {
public:
    // Learns from one trunking block (its CRC already checked): an IDEN_UP,
    // IDEN_UP_VU or IDEN_UP_TDMA.  True when it was one.
    bool Learn(const std::uint8_t* block);
    const Channel_identifier& Identifier(unsigned id) const { return ids_[id & 15u]; }
    // The outbound frequency of a channel; false when its identifier is not known.
    bool Outbound_hz(const P25::CHANNEL& channel, double& hz) const;
    // The channel of the plan nearest an outbound frequency, within tolerance
    // Hz; false when none is.
    bool Nearest(double hz, double tolerance_hz, double& nominal_hz) const;

private:
    std::array<Channel_identifier, 16> ids_{};
};

// What a message says about a channel.
enum class Channel_role : std::uint8_t {
    grant,      // a call or data service goes there: follow it
    own,        // the control channel the message came on
    secondary,  // another control channel of the site
};

struct Named_channel {
    const char* message;
    Channel_role role;
    P25::CHANNEL channel;  // the outbound (subscriber's receive) channel
};

// The channels a trunking message names.  octets: the message's octets from
// block 0 (a TSBK's 12; an alternate multi-block message's header block and
// data blocks, as numbered from its header); blocks: 1 for a TSBK.
std::vector<Named_channel> Channels_named(const std::uint8_t* octets, std::size_t blocks, bool multi_block);

// The wideband paths of receive and transmit: taken when the command line
// gives --center.
int Receive_site(const Arguments& args);
int Transmit_site(const Arguments& args);
extern const char receive_site_usage[];
extern const char transmit_site_usage[];

}  // namespace tessel

#endif
