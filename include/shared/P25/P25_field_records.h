// The field records shared by P25 trunking messages and link-control words:
// unit and group addresses, system identifiers, channels, service options,
// reason and response codes, system-service bit maps, the frequency-plan
// (channel identifier) fields, site status, time and date layouts and
// dialled digits.
//
// Each record is the octets it occupies on the air, in air order, overlaid on
// a message at the offset the message gives.  Sub-octet fields are reached
// through Field_bits views and Get_<field>/Set_<field> member functions
// here, and through the global bit-field classes GetSet_bf_<field><Record,
// Value> of the descriptors (P25_message_parts.h).  Setters keep only the
// bits of their field and leave every other bit of the record alone.
#ifndef TESSEL_P25_FIELD_RECORDS_H
#define TESSEL_P25_FIELD_RECORDS_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <type_traits>

#include "shared/P25/P25_block_records.h"
#include "shared/endian.h"

namespace P25 {

// Bits Hi..Lo of the big-endian window of Octets octets that starts at octet
// First of a record (bit 0 is the least significant bit of the window's last
// octet): the positions of one field, for the records' member accessors.
template <std::size_t First, std::size_t Octets, unsigned Hi, unsigned Lo>
struct Field_bits {
    static_assert(Octets >= 1 && Octets <= 4 && Lo <= Hi && Hi < 8 * Octets && Hi - Lo < 31,
                  "a field lies inside its window");
    static constexpr unsigned max = (1u << (Hi - Lo + 1)) - 1;
    template <class R>
    static unsigned Get(const R& r) { return (Window(r) >> Lo) & max; }
    // Stores the low bits of v; the window's other bits stay.
    template <class R>
    static void Set(R& r, unsigned v) {
        std::uint32_t w = (Window(r) & ~(max << Lo)) | (v & max) << Lo;
        auto* p = reinterpret_cast<unsigned char*>(&r) + First;
        for (std::size_t i = Octets; i-- > 0; w >>= 8) p[i] = static_cast<unsigned char>(w);
    }

private:
    template <class R>
    static std::uint32_t Window(const R& r) {
        static_assert(First + Octets <= sizeof(R), "a field lies inside its record");
        const auto* p = reinterpret_cast<const unsigned char*>(&r) + First;
        std::uint32_t w = 0;
        for (std::size_t i = 0; i < Octets; ++i) w = w << 8 | p[i];
        return w;
    }
};

// The low 32 bits of a number truncated toward zero; 0 for NaN and infinities.
inline std::uint32_t Low_32_bits(double v) {
    const double t = std::trunc(v);
    if (!std::isfinite(t)) return 0;
    double low = std::fmod(t, 4294967296.0);
    if (low < 0) low += 4294967296.0;
    return static_cast<std::uint32_t>(low);
}

// ---- frequency-plan values ----------------------------------------------------------
//
// Values the channel-identifier records convert their packed bits to and from.
// Each says which frequencies it holds exactly (Holds): a frequency read
// from a document is stored only when it is one of them, never cut to a
// step or wrapped to the bits of its field; otherwise the nearest values it
// holds below and above are given (NaN where there is none).

// Whether Hz is a whole number of steps from lo_steps to hi_steps.
inline bool Held_in_steps(double Hz, double step, double lo_steps, double hi_steps, double& below,
                          double& above) {
    const double steps = Hz / step;
    if (steps >= lo_steps && steps <= hi_steps && std::fmod(Hz, step) == 0) return true;
    below = steps < lo_steps ? NAN : std::min(std::floor(steps), hi_steps) * step;
    above = steps > hi_steps ? NAN : std::max(std::ceil(steps), lo_steps) * step + 0.0;  // never -0
    return false;
}

// Channel identifier 0-15: the IDEN_UP entry that defines a channel's frequency plan.
struct CHAN_ID {
    CHAN_ID() = default;
    CHAN_ID(unsigned v) : id(v) {}
    operator unsigned() const { return id; }
    CHAN_ID& operator=(unsigned v) {
        id = v;
        return *this;
    }

    std::uint32_t id;
};
// Attributes print it as a 4-octet number, which needs a trivial 4-octet type
// with a public member.
static_assert(sizeof(CHAN_ID) == 4 && std::is_trivial_v<CHAN_ID>, "CHAN_ID is printed as a 4-octet number");

// Bandwidth in steps of 125 Hz (9 bits in the record).
class BANDWIDTH {
public:
    static constexpr double step_Hz = 125.0;
    static constexpr unsigned max_steps = 511;
    bool Holds(double Hz, double& below, double& above) const {
        return Held_in_steps(Hz, step_Hz, 0, max_steps, below, above);
    }
    BANDWIDTH() = default;
    BANDWIDTH(unsigned raw) : raw_(raw) {}
    BANDWIDTH(double Hz) : raw_(Low_32_bits(Hz / step_Hz)) {}
    operator double() const { return raw_ * step_Hz; }
    operator unsigned() const { return raw_; }
    BANDWIDTH& operator=(double Hz) {
        raw_ = Low_32_bits(Hz / step_Hz);
        return *this;
    }

private:
    unsigned raw_ = 0;
};

// Bandwidth code of the VHF/UHF and TDMA plans (4 bits): only 6.25 and 12.5 kHz have codes.
class BANDWIDTH_VU {
public:
    enum : unsigned { none = 0, code_6250_Hz = 4, code_12500_Hz = 5 };
    BANDWIDTH_VU(unsigned code = none) : code_(code) {}
    operator double() const {
        return code_ == code_6250_Hz ? 6250.0 : code_ == code_12500_Hz ? 12500.0 : 0.0;
    }
    operator unsigned() const { return code_; }
    // 0 Hz (code 0, which also stands for the codes that name no bandwidth),
    // 6.25 and 12.5 kHz.
    bool Holds(double Hz, double& below, double& above) const {
        if (Hz == 0.0 || Hz == 6250.0 || Hz == 12500.0) return true;
        below = Hz < 0.0 ? NAN : Hz < 6250.0 ? 0.0 : Hz < 12500.0 ? 6250.0 : 12500.0;
        above = Hz < 0.0 ? 0.0 : Hz < 6250.0 ? 6250.0 : Hz < 12500.0 ? 12500.0 : NAN;
        return false;
    }
    // The frequency truncated to whole Hz selects the code; anything else is code 0.
    BANDWIDTH_VU& operator=(double Hz) {
        const double whole = std::trunc(Hz);
        code_ = whole == 6250.0 ? code_6250_Hz : whole == 12500.0 ? code_12500_Hz : none;
        return *this;
    }
    BANDWIDTH_VU& operator=(unsigned code) {
        code_ = code;
        return *this;
    }
    bool Is_valid() const { return code_ == code_6250_Hz || code_ == code_12500_Hz; }

private:
    unsigned code_;
};

// Channel spacing in steps of 125 Hz (10 bits in the record).
class CHAN_SPACING {
public:
    static constexpr double step_Hz = 125.0;
    static constexpr unsigned max_steps = 1023;
    bool Holds(double Hz, double& below, double& above) const {
        return Held_in_steps(Hz, step_Hz, 0, max_steps, below, above);
    }
    CHAN_SPACING() = default;
    CHAN_SPACING(unsigned raw) : raw_(raw) {}
    operator double() const { return raw_ * step_Hz; }
    operator unsigned() const { return raw_; }
    CHAN_SPACING& operator=(double Hz) {
        raw_ = Low_32_bits(Hz / step_Hz);
        return *this;
    }

private:
    unsigned raw_ = 0;
};

// A sign flag and a magnitude, as the transmit offset is packed.
struct SIGN_PLUS_VALUE {
    SIGN_PLUS_VALUE(bool sign_bit, unsigned magnitude_bits) : sign(sign_bit), magnitude(magnitude_bits) {}
    SIGN_PLUS_VALUE(int v = 0) { *this = v; }
    operator int() const { return sign ? -static_cast<int>(magnitude) : static_cast<int>(magnitude); }
    SIGN_PLUS_VALUE& operator=(int v) {
        sign = v < 0;
        magnitude = sign ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
        return *this;
    }

    bool sign;
    unsigned magnitude;
};

// Transmit offset in Hz and the unit its packed magnitude counts.  A packed
// sign bit of 1 is an offset above the receive frequency:
// Hz = -(sign ? -magnitude : magnitude) * unit.
class TX_OFFSET {
public:
    TX_OFFSET() = default;
    TX_OFFSET(bool sign, unsigned magnitude, double unit_Hz, unsigned max_units = 0)
        : unit_(unit_Hz), max_units_(max_units) {
        *this = SIGN_PLUS_VALUE(sign, magnitude);
    }
    operator double() const { return Hz_; }
    // A whole number of units, up to the magnitude the record packs, either
    // way; without a unit (no channel spacing) only 0.
    bool Holds(double Hz, double& below, double& above) const {
        if (unit_ == 0.0) {
            if (Hz == 0.0) return true;
            below = Hz > 0.0 ? 0.0 : NAN;
            above = Hz < 0.0 ? 0.0 : NAN;
            return false;
        }
        return Held_in_steps(Hz, unit_, -static_cast<double>(max_units_), max_units_, below, above);
    }
    // Sets the offset; the unit stays.
    TX_OFFSET& operator=(double Hz) {
        Hz_ = Hz;
        return *this;
    }
    // The packed form: Hz / -unit truncated toward zero (0 when there is no unit).
    operator SIGN_PLUS_VALUE() const {
        const double units = unit_ == 0.0 ? 0.0 : std::trunc(Hz_ / -unit_);
        return SIGN_PLUS_VALUE(units < 0, Low_32_bits(std::fabs(units)));
    }
    // No offset, or none the unit can count: 0 Hz (never -0, which would
    // show a sign the packed form cannot read back).
    TX_OFFSET& operator=(SIGN_PLUS_VALUE packed) {
        const int units = packed;
        Hz_ = units == 0 || unit_ == 0.0 ? 0.0 : units * -unit_;
        return *this;
    }
    double Unit() const { return unit_; }

private:
    double Hz_ = 0.0;
    double unit_ = 0.0;
    unsigned max_units_ = 0;
};

// Channel type of the TDMA frequency plan (4 bits in the record); a leaf
// "TDMA_chan_type" with the value name as text.
enum TDMA_CHTYPE : int {
    FDMA_12_5_KHZ_FULL_RATE = -1,
    TDMA_12_5_KHZ_HALF_RATE = 0,
};

// ---- response values ------------------------------------------------------------------

enum Response_codes : unsigned {
    RSP_ACCEPT = 0,
    RSP_FAIL = 1,
    RSP_DENY = 2,
    RSP_REFUSED = 3,
};

enum ANSWER_RESP_CODES : std::uint8_t {
    PROCEED = 0x20,
    DENY = 0x21,
    WAIT = 0x22,
};

#pragma pack(push, 1)

// ---- addresses and identifiers --------------------------------------------------------
//
// The _ADDRESS and _ID forms are laid out alike and differ only in their
// element names.

struct SOURCE_ADDRESS : BE_24bit {};
struct SOURCE_ID : BE_24bit {};
struct TARGET_ADDRESS : BE_24bit {};
struct TARGET_ID : BE_24bit {};
struct UNIT_ADDRESS : BE_24bit {};
struct UNIT_ID : BE_24bit {};
struct GROUP_ADDRESS : BE_ushort {
    using BE_ushort::operator=;
};
struct GROUP_ID : BE_ushort {
    using BE_ushort::operator=;
};
struct ANN_GROUP_ADDRESS : BE_ushort {
    using BE_ushort::operator=;
};
struct ANN_GROUP_ID : BE_ushort {
    using BE_ushort::operator=;
};
struct CALL_TIMER : BE_ushort {
    using BE_ushort::operator=;
};

// Location registration area.
struct LRA {
    std::uint8_t value;
};

// ---- channel ----------------------------------------------------------------------------

// Octet 0 bits 7-4 channel identifier; bits 3-0 + octet 1 channel number.
struct CHANNEL {
    using Id = Field_bits<0, 1, 7, 4>;
    using Number = Field_bits<0, 2, 11, 0>;

    std::uint8_t octets[2];

    CHAN_ID Get_id() const { return CHAN_ID(Id::Get(*this)); }
    void Set_id(CHAN_ID id) { Id::Set(*this, id); }
    unsigned Get_ch() const { return Number::Get(*this); }
    void Set_ch(unsigned ch) { Number::Set(*this, ch); }
};

struct ChanGroup {
    CHANNEL channel;
    GROUP_ADDRESS group;
};

// Transmit and receive channels of an explicit group update.
struct Group_update {
    CHANNEL channel_t;
    CHANNEL channel_r;
    GROUP_ADDRESS group;
};

// ---- system identifiers ------------------------------------------------------------------

// WACN (20 bits) = octets 0-1 + octet 2 bits 7-4; system ID (12 bits) = octet 2 bits 3-0 + octet 3.
struct WACN_SysID {
    using WACN = Field_bits<0, 3, 23, 4>;
    using SysID = Field_bits<2, 2, 11, 0>;

    std::uint8_t octets[4];

    unsigned Get_WACN() const { return WACN::Get(*this); }
    void Set_WACN(unsigned v) { WACN::Set(*this, v); }
    unsigned Get_SysID() const { return SysID::Get(*this); }
    void Set_SysID(unsigned v) { SysID::Set(*this, v); }
};

// The pair split around a block's header CRC (placed at message octet 9):
// WACN bits 19-12 = octet 0; WACN bits 11-0 = octet 3 + octet 4 bits 7-4;
// system ID = octet 4 bits 3-0 + octet 5.  Octets 1-2 are not part of it.
struct WACN_SysID_split1 {
    using WACN_high = Field_bits<0, 1, 7, 0>;
    using WACN_low = Field_bits<3, 2, 15, 4>;
    using SysID = Field_bits<4, 2, 11, 0>;

    std::uint8_t wacn_high;
    std::uint8_t skipped[2];
    std::uint8_t wacn_low_sysid[3];

    unsigned Get_WACN() const { return WACN_high::Get(*this) << 12 | WACN_low::Get(*this); }
    void Set_WACN(unsigned v) {
        WACN_high::Set(*this, v >> 12);
        WACN_low::Set(*this, v);
    }
    unsigned Get_SysID() const { return SysID::Get(*this); }
    void Set_SysID(unsigned v) { SysID::Set(*this, v); }
};

// The pair split around a block's header CRC (placed at message octet 8):
// WACN bits 19-4 = octets 0-1; WACN bits 3-0 = octet 4 bits 7-4;
// system ID = octet 4 bits 3-0 + octet 5.  Octets 2-3 are not part of it.
struct WACN_SysID_split2 {
    using WACN_high = Field_bits<0, 2, 15, 0>;
    using WACN_low = Field_bits<4, 1, 7, 4>;
    using SysID = Field_bits<4, 2, 11, 0>;

    std::uint8_t wacn_high[2];
    std::uint8_t skipped[2];
    std::uint8_t wacn_low_sysid[2];

    unsigned Get_WACN() const { return WACN_high::Get(*this) << 4 | WACN_low::Get(*this); }
    void Set_WACN(unsigned v) {
        WACN_high::Set(*this, v >> 4);
        WACN_low::Set(*this, v);
    }
    unsigned Get_SysID() const { return SysID::Get(*this); }
    void Set_SysID(unsigned v) { SysID::Set(*this, v); }
};

// WACN = octets 0-1 + octet 2 bits 7-4; octet 2 bits 3-0 reserved.
struct WACN_only {
    using WACN = Field_bits<0, 3, 23, 4>;
    using Reserved = Field_bits<2, 1, 3, 0>;

    std::uint8_t octets[3];

    unsigned Get_WACN() const { return WACN::Get(*this); }
    void Set_WACN(unsigned v) { WACN::Set(*this, v); }
    unsigned Get_reserved() const { return Reserved::Get(*this); }
    void Set_reserved(unsigned v) { Reserved::Set(*this, v); }
};

// System ID = octet 0 bits 3-0 + octet 1.  Messages give the upper nibble of
// octet 0 their own meanings, through the named views below.
struct System_ID_only {
    using SysID = Field_bits<0, 2, 11, 0>;
    using Res4 = Field_bits<0, 1, 7, 4>;
    using Res2 = Field_bits<0, 1, 7, 6>;
    using Conv_channel = Field_bits<0, 1, 7, 7>;
    using Failure = Field_bits<0, 1, 6, 6>;
    using Valid = Field_bits<0, 1, 5, 5>;
    using Roamer = Field_bits<0, 1, 5, 5>;
    using Network_active = Field_bits<0, 1, 4, 4>;

    std::uint8_t octets[2];

    unsigned Get_SysID() const { return SysID::Get(*this); }
    void Set_SysID(unsigned v) { SysID::Set(*this, v); }
    unsigned Get_res4() const { return Res4::Get(*this); }
    void Set_res4(unsigned v) { Res4::Set(*this, v); }
    unsigned Get_res2() const { return Res2::Get(*this); }
    void Set_res2(unsigned v) { Res2::Set(*this, v); }
    bool Get_conv_channel() const { return Conv_channel::Get(*this); }
    void Set_conv_channel(bool v) { Conv_channel::Set(*this, v); }
    bool Get_failure() const { return Failure::Get(*this); }
    void Set_failure(bool v) { Failure::Set(*this, v); }
    bool Get_valid() const { return Valid::Get(*this); }
    void Set_valid(bool v) { Valid::Set(*this, v); }
    bool Get_roamer() const { return Roamer::Get(*this); }
    void Set_roamer(bool v) { Roamer::Set(*this, v); }
    bool Get_network_active() const { return Network_active::Get(*this); }
    void Set_network_active(bool v) { Network_active::Set(*this, v); }
};

struct SYSID_LRA {
    LRA lra;
    System_ID_only system_id;
};

// Octet 0 bits 7-6 reserved, bits 5-4 registration value; system ID = bits 3-0 + octet 1.
struct System_ID_registration {
    using Reserved = Field_bits<0, 1, 7, 6>;
    using Registration = Field_bits<0, 1, 5, 4>;
    using SysID = Field_bits<0, 2, 11, 0>;

    std::uint8_t octets[2];

    unsigned Get_SysID() const { return SysID::Get(*this); }
    void Set_SysID(unsigned v) { SysID::Set(*this, v); }
    Response_codes Get_registration_value() const { return static_cast<Response_codes>(Registration::Get(*this)); }
    void Set_registration_value(Response_codes v) { Registration::Set(*this, v); }
    unsigned Get_reserved() const { return Reserved::Get(*this); }
    void Set_reserved(unsigned v) { Reserved::Set(*this, v); }
};

// ---- service options, priority, type, reason ------------------------------------------------

// Bit 7 emergency, 6 protected, 5 full duplex, 4 packet mode, 3 reserved, 2-0 priority.
struct Service_options {
    std::uint8_t octet;
};

// The TSBK header of the implicit grants and requests, followed by their service options.
struct P25_TSBK_SO_header {
    P25_TSBK_header header;
    Service_options service_options;
};

// Bits 7-4 reserved, 3-0 priority.
struct Request_priority {
    std::uint8_t octet;
};

// Bits 7-6 reserved, 5-0 service type (a trunking opcode).
struct Service_type {
    std::uint8_t octet;
};

// Bit 7 additional information valid, bit 6 reserved, 5-0 service type.
struct Service_type_aiv {
    std::uint8_t octet;
};

struct Additional_info {
    std::uint8_t octets[3];
};

struct Service_additional_info {
    Service_type_aiv service_type;
    std::uint8_t reason;
    Additional_info additional_info;
};

// ---- response values ------------------------------------------------------------------------

// Bits 7-2 reserved, 1-0 response.
struct Registration_value {
    std::uint8_t octet;
};
struct Affiliate_value {
    std::uint8_t octet;
};
// Bit 7 global affiliation, 6-2 reserved, 1-0 response.
struct Group_Affiliate_value {
    std::uint8_t octet;
};

struct ANSWER_RESP {
    ANSWER_RESP_CODES code;
};

// Bit 7 last message, 6-4 reserved, 3-0 sequence number.
struct Message_seq_num {
    std::uint8_t octet;
};

// Octet 0 + octet 1 bits 7-2 reserved (14 bits); octet 1 bits 1-0 multiplier.
struct TX_mult {
    using Reserved = Field_bits<0, 2, 15, 2>;

    std::uint8_t octets[2];

    unsigned Get_reserved() const { return Reserved::Get(*this); }
    void Set_reserved(unsigned v) { Reserved::Set(*this, v); }
};

// ---- system services ------------------------------------------------------------------------

// Bit 7 authentication, 6 registration, 5 voice, 4 data, 3 reserved,
// 2 backup control channel, 1 update-only control channel, 0 composite control channel.
struct System_service_class {
    std::uint8_t octet;
};

// The three octets of System_Services read with octet 0 bit 7 clear: a map of
// 24 service flags.
struct Normal_System_Sevices {
    std::uint8_t octets[3];
};

// The same octets with octet 0 bit 7 set: bit 6 extension flag, bit 5 unused,
// bits 4-0 + octets 1-2 reserved.
struct Extended_System_Sevices {
    using Reserved_bits = Field_bits<0, 3, 20, 0>;

    std::uint8_t octets[3];

    unsigned long Reserved() const { return Reserved_bits::Get(*this); }
    void Set_reserved(unsigned long v) { Reserved_bits::Set(*this, static_cast<unsigned>(v)); }
};

struct System_Services {
    using Extended = Field_bits<0, 1, 7, 7>;

    std::uint8_t octets[3];

    bool Get_extended() const { return Extended::Get(*this); }
    void Set_extended(bool v) { Extended::Set(*this, v); }

    // Either interpretation of the same three octets.
    operator Normal_System_Sevices() const {
        Normal_System_Sevices n;
        std::memcpy(n.octets, octets, sizeof octets);
        return n;
    }
    System_Services& operator=(const Normal_System_Sevices& n) {
        std::memcpy(octets, n.octets, sizeof octets);
        return *this;
    }
    operator Extended_System_Sevices() const {
        Extended_System_Sevices e;
        std::memcpy(e.octets, octets, sizeof octets);
        return e;
    }
    System_Services& operator=(const Extended_System_Sevices& e) {
        std::memcpy(octets, e.octets, sizeof octets);
        return *this;
    }
};

// ---- site status ---------------------------------------------------------------------------

// A site of the adjacent-site or RFSS status broadcast: its location area,
// system, RF subsystem and site, control channel and services.  The upper
// nibble of the system ID's first octet holds the broadcast's own flags.
struct ADJ_STS_BCST_data {
    LRA lra;                             // 0
    System_ID_only system;               // 1-2
    std::uint8_t rfss_id;                // 3
    std::uint8_t site_id;                // 4
    CHANNEL channel;                     // 5-6
    System_service_class service_class;  // 7
};
using RFSS_STS_BCST_data = ADJ_STS_BCST_data;

// The secondary control channels of a site, each with its services.
struct SCCB_data {
    std::uint8_t rfss_id;                  // 0
    std::uint8_t site_id;                  // 1
    CHANNEL channel_1;                     // 2-3
    System_service_class service_class_1;  // 4
    CHANNEL channel_2;                     // 5-6
    System_service_class service_class_2;  // 7
};

// ---- channel identifier (frequency plan) records ----------------------------------------------

// Base frequency in steps of 5 Hz; a frequency of 1 Hz or less stores 0.
struct BASE_FREQ : BE_ulong {
    static constexpr double step_Hz = 5.0;
    bool Holds(double Hz, double& below, double& above) const {
        return Held_in_steps(Hz, step_Hz, 0, 4294967295.0, below, above);
    }
    operator double() const { return Value() * step_Hz; }
    BASE_FREQ& operator=(const double& Hz) {
        BE_ulong::operator=(Hz > 1.0 ? Low_32_bits(Hz / step_Hz) : 0ul);
        return *this;
    }
};

// A transmit offset packed as a sign bit (field Sign) and a magnitude (field
// Magnitude) counted in a unit of Hz.
template <class Sign, class Magnitude>
struct Tx_offset_bits {
    template <class R>
    static TX_OFFSET Get(const R& r, double unit_Hz) {
        return TX_OFFSET(Sign::Get(r), Magnitude::Get(r), unit_Hz, Magnitude::max);
    }
    template <class R>
    static void Set(R& r, double Hz, double unit_Hz) {
        TX_OFFSET offset(false, 0, unit_Hz);
        offset = Hz;
        const SIGN_PLUS_VALUE packed = offset;
        Sign::Set(r, packed.sign);
        Magnitude::Set(r, packed.magnitude);
    }
};

// TSBK IDEN_UP: the transmit offset counts 250 kHz.
struct IDEN_UP_packet {
    using Ident = Field_bits<2, 1, 7, 4>;
    using Bandwidth = Field_bits<2, 2, 11, 3>;
    using Tx_offset = Tx_offset_bits<Field_bits<3, 1, 2, 2>, Field_bits<3, 2, 9, 2>>;
    using Spacing = Field_bits<4, 2, 9, 0>;
    static constexpr double tx_unit_Hz = 250000.0;

    P25_TSBK_header header;
    std::uint8_t plan[4];
    BASE_FREQ base_freq;
    CRC_short crc;

    CHAN_ID Get_ident() const { return CHAN_ID(Ident::Get(*this)); }
    void Set_ident(CHAN_ID id) { Ident::Set(*this, id); }
    BANDWIDTH Get_bw() const { return BANDWIDTH(Bandwidth::Get(*this)); }
    void Set_bw(BANDWIDTH bw) { Bandwidth::Set(*this, static_cast<unsigned>(bw)); }
    CHAN_SPACING Get_chan_spacing() const { return CHAN_SPACING(Spacing::Get(*this)); }
    void Set_chan_spacing(CHAN_SPACING s) { Spacing::Set(*this, static_cast<unsigned>(s)); }
    TX_OFFSET Get_tx_offset() const { return Tx_offset::Get(*this, tx_unit_Hz); }
    void Set_tx_offset(const TX_OFFSET& t) { Tx_offset::Set(*this, static_cast<double>(t), tx_unit_Hz); }
};

// TSBK IDEN_UP_VU: VHF/UHF plans; the transmit offset counts channel spacings.
struct IDEN_UP_VU_packet {
    using Ident = Field_bits<2, 1, 7, 4>;
    using Bandwidth = Field_bits<2, 1, 3, 0>;
    using Tx_offset = Tx_offset_bits<Field_bits<3, 1, 7, 7>, Field_bits<3, 2, 14, 2>>;
    using Spacing = Field_bits<4, 2, 9, 0>;

    P25_TSBK_header header;
    std::uint8_t plan[4];
    BASE_FREQ base_freq;
    CRC_short crc;

    CHAN_ID Get_ident() const { return CHAN_ID(Ident::Get(*this)); }
    void Set_ident(CHAN_ID id) { Ident::Set(*this, id); }
    BANDWIDTH_VU Get_bw() const { return BANDWIDTH_VU(Bandwidth::Get(*this)); }
    void Set_bw(BANDWIDTH_VU bw) { Bandwidth::Set(*this, static_cast<unsigned>(bw)); }
    CHAN_SPACING Get_chan_spacing() const { return CHAN_SPACING(Spacing::Get(*this)); }
    void Set_chan_spacing(CHAN_SPACING s) { Spacing::Set(*this, static_cast<unsigned>(s)); }
    TX_OFFSET Get_tx_offset() const { return Tx_offset::Get(*this, Get_chan_spacing()); }
    void Set_tx_offset(const TX_OFFSET& t) { Tx_offset::Set(*this, static_cast<double>(t), Get_chan_spacing()); }
};

// TSBK IDEN_UP_TDMA: octet 2 bits 3-0 hold the channel type; the bandwidth is
// not stored (it reads as 12.5 kHz and setting it changes nothing).
struct IDEN_UP_TDMA_packet {
    using Ident = Field_bits<2, 1, 7, 4>;
    using Chtype = Field_bits<2, 1, 3, 0>;
    using Tx_offset = Tx_offset_bits<Field_bits<3, 1, 7, 7>, Field_bits<3, 2, 14, 2>>;
    using Spacing = Field_bits<4, 2, 9, 0>;

    P25_TSBK_header header;
    std::uint8_t plan[4];
    BASE_FREQ base_freq;
    CRC_short crc;

    CHAN_ID Get_ident() const { return CHAN_ID(Ident::Get(*this)); }
    void Set_ident(CHAN_ID id) { Ident::Set(*this, id); }
    BANDWIDTH Get_bw() const { return BANDWIDTH(12500.0); }
    void Set_bw(BANDWIDTH) {}
    TDMA_CHTYPE Get_chtype() const { return static_cast<TDMA_CHTYPE>(Chtype::Get(*this)); }
    void Set_chtype(TDMA_CHTYPE t) { Chtype::Set(*this, static_cast<unsigned>(t)); }
    CHAN_SPACING Get_chan_spacing() const { return CHAN_SPACING(Spacing::Get(*this)); }
    void Set_chan_spacing(CHAN_SPACING s) { Spacing::Set(*this, static_cast<unsigned>(s)); }
    TX_OFFSET Get_tx_offset() const { return Tx_offset::Get(*this, Get_chan_spacing()); }
    void Set_tx_offset(const TX_OFFSET& t) { Tx_offset::Set(*this, static_cast<double>(t), Get_chan_spacing()); }
};

// Link control channel identifier (at LC octet 1); the base frequency follows
// it in the LC word.  The transmit offset counts channel spacings.
struct LC_chan_id {
    using Ident = Field_bits<0, 1, 7, 4>;
    using Bandwidth = Field_bits<0, 2, 11, 3>;
    using Tx_offset = Tx_offset_bits<Field_bits<1, 1, 2, 2>, Field_bits<1, 2, 9, 2>>;
    using Spacing = Field_bits<2, 2, 9, 0>;

    std::uint8_t octets[4];

    CHAN_ID Get_chid() const { return CHAN_ID(Ident::Get(*this)); }
    void Set_chid(CHAN_ID id) { Ident::Set(*this, id); }
    BANDWIDTH Get_bw() const { return BANDWIDTH(Bandwidth::Get(*this)); }
    void Set_bw(BANDWIDTH bw) { Bandwidth::Set(*this, static_cast<unsigned>(bw)); }
    CHAN_SPACING Get_ch_spacing() const { return CHAN_SPACING(Spacing::Get(*this)); }
    void Set_ch_spacing(CHAN_SPACING s) { Spacing::Set(*this, static_cast<unsigned>(s)); }
    TX_OFFSET Get_tx_offset() const { return Tx_offset::Get(*this, Get_ch_spacing()); }
    void Set_tx_offset(const TX_OFFSET& t) { Tx_offset::Set(*this, static_cast<double>(t), Get_ch_spacing()); }
};

// Link control channel identifier update (at LC octet 1): octet 0 bits 3-0
// are a VHF/UHF bandwidth code or a TDMA channel type.
struct CH_ID_UP_data {
    using Ident = Field_bits<0, 1, 7, 4>;
    using Bandwidth = Field_bits<0, 1, 3, 0>;
    using Chtype = Field_bits<0, 1, 3, 0>;
    using Tx_offset = Tx_offset_bits<Field_bits<1, 1, 7, 7>, Field_bits<1, 2, 14, 2>>;
    using Spacing = Field_bits<2, 2, 9, 0>;

    std::uint8_t plan[4];
    BASE_FREQ base_freq;

    CHAN_ID Get_ident() const { return CHAN_ID(Ident::Get(*this)); }
    void Set_ident(CHAN_ID id) { Ident::Set(*this, id); }
    BANDWIDTH_VU Get_bw() const { return BANDWIDTH_VU(Bandwidth::Get(*this)); }
    void Set_bw(BANDWIDTH_VU bw) { Bandwidth::Set(*this, static_cast<unsigned>(bw)); }
    TDMA_CHTYPE Get_chtype() const { return static_cast<TDMA_CHTYPE>(Chtype::Get(*this)); }
    void Set_chtype(TDMA_CHTYPE t) { Chtype::Set(*this, static_cast<unsigned>(t)); }
    CHAN_SPACING Get_chan_spacing() const { return CHAN_SPACING(Spacing::Get(*this)); }
    void Set_chan_spacing(CHAN_SPACING s) { Spacing::Set(*this, static_cast<unsigned>(s)); }
    TX_OFFSET Get_tx_offset() const { return Tx_offset::Get(*this, Get_chan_spacing()); }
    void Set_tx_offset(const TX_OFFSET& t) { Tx_offset::Set(*this, static_cast<double>(t), Get_chan_spacing()); }
};

// ---- time and date ------------------------------------------------------------------------------

// Octet 0: bit 7 date valid, 6 time valid, 5 local offset valid, 4 reserved,
// 3 sign of the local offset (1 = west of UTC); bits 2-0 + octet 1 the
// offset's magnitude in minutes.
struct Time_flags {
    using Sign = Field_bits<0, 1, 3, 3>;
    using Magnitude = Field_bits<0, 2, 10, 0>;

    std::uint8_t octets[2];

    int Get_minutes_from_UTC() const { return SIGN_PLUS_VALUE(Sign::Get(*this), Magnitude::Get(*this)); }
    void Set_minutes_from_utc(int minutes) {
        const SIGN_PLUS_VALUE v = minutes;
        Sign::Set(*this, v.sign);
        Magnitude::Set(*this, v.magnitude);
    }
};

// Month = octet 0 bits 7-4; day = octet 0 bits 3-0 + octet 1 bit 7; year - 2000
// = octet 1 bits 6-0 + octet 2 bits 7-2; octet 2 bits 1-0 reserved.
struct Date_layout {
    using Month = Field_bits<0, 1, 7, 4>;
    using Day = Field_bits<0, 2, 11, 7>;
    using Year = Field_bits<1, 2, 14, 2>;

    std::uint8_t octets[3];

    unsigned Get_month() const { return Month::Get(*this); }
    void Set_month(unsigned v) { Month::Set(*this, v); }
    unsigned Get_day() const { return Day::Get(*this); }
    void Set_day(unsigned v) { Day::Set(*this, v); }
    unsigned Get_year() const { return Year::Get(*this) + 2000; }
    void Set_year(unsigned v) { Year::Set(*this, v - 2000); }

    operator std::tm() const {
        std::tm t{};
        t.tm_mday = static_cast<int>(Get_day());
        t.tm_mon = static_cast<int>(Get_month()) - 1;
        t.tm_year = static_cast<int>(Get_year()) - 1900;
        return t;
    }
    Date_layout& operator=(const std::tm& t) {
        Set_day(static_cast<unsigned>(t.tm_mday));
        Set_month(static_cast<unsigned>(t.tm_mon + 1));
        Set_year(static_cast<unsigned>(t.tm_year + 1900));
        return *this;
    }
};

// Hours = octet 0 bits 7-3; minutes = octet 0 bits 2-0 + octet 1 bits 7-5;
// seconds = octet 1 bits 4-0 + octet 2 bit 7; octet 2 bits 6-0 reserved.
struct Time_layout {
    using Hours = Field_bits<0, 1, 7, 3>;
    using Minutes = Field_bits<0, 2, 10, 5>;
    using Seconds = Field_bits<1, 2, 12, 7>;

    std::uint8_t octets[3];

    unsigned Get_hours() const { return Hours::Get(*this); }
    void Set_hours(unsigned v) { Hours::Set(*this, v); }
    unsigned Get_minutes() const { return Minutes::Get(*this); }
    void Set_minutes(unsigned v) { Minutes::Set(*this, v); }
    unsigned Get_seconds() const { return Seconds::Get(*this); }
    void Set_seconds(unsigned v) { Seconds::Set(*this, v); }

    operator std::tm() const {
        std::tm t{};
        t.tm_sec = static_cast<int>(Get_seconds());
        t.tm_min = static_cast<int>(Get_minutes());
        t.tm_hour = static_cast<int>(Get_hours());
        return t;
    }
    Time_layout& operator=(const std::tm& t) {
        Set_seconds(static_cast<unsigned>(t.tm_sec));
        Set_minutes(static_cast<unsigned>(t.tm_min));
        Set_hours(static_cast<unsigned>(t.tm_hour));
        return *this;
    }
};

// Body of the synchronisation broadcast.
struct SYNC_BCAST_data {
    using Reserved = Field_bits<0, 2, 15, 1>;
    using Minute_correction = Field_bits<1, 2, 8, 7>;  // units of 2.5 ms
    using Valid = Field_bits<2, 1, 6, 6>;
    using Offset_sign = Field_bits<2, 1, 5, 5>;       // 1 = west of UTC
    using Offset_magnitude = Field_bits<2, 1, 4, 0>;  // units of 30 minutes
    using Year = Field_bits<3, 1, 7, 1>;              // year - 2000
    using Month = Field_bits<3, 2, 8, 5>;
    using Day = Field_bits<4, 1, 4, 0>;
    using Hours = Field_bits<5, 1, 7, 3>;
    using Minutes = Field_bits<5, 2, 10, 5>;
    using Microslots = Field_bits<6, 2, 12, 0>;
    static constexpr double minute_correction_ms = 2.5;
    static constexpr int local_offset_minutes = 30;

    std::uint8_t octets[8];

    unsigned Get_reserved() const { return Reserved::Get(*this); }
    void Set_reserved(unsigned v) { Reserved::Set(*this, v); }
    unsigned Get_minute_correction() const { return Minute_correction::Get(*this); }
    void Set_minute_correction(unsigned v) { Minute_correction::Set(*this, v); }
    double Get_minute_correction_ms() const { return Get_minute_correction() * minute_correction_ms; }
    void Set_minute_correction_ms(double ms) { Set_minute_correction(Low_32_bits(ms / minute_correction_ms)); }
    bool Get_valid() const { return Valid::Get(*this); }
    void Set_valid(bool v) { Valid::Set(*this, v); }
    // Signed minutes from UTC, a multiple of 30.
    int Get_local_offset() const {
        return SIGN_PLUS_VALUE(Offset_sign::Get(*this), Offset_magnitude::Get(*this)) * local_offset_minutes;
    }
    void Set_local_offset(int minutes) {
        const SIGN_PLUS_VALUE v = minutes;
        Offset_sign::Set(*this, v.sign);
        Offset_magnitude::Set(*this, v.magnitude / local_offset_minutes);
    }
    unsigned Get_year() const { return Year::Get(*this) + 2000; }
    void Set_year(unsigned v) { Year::Set(*this, v - 2000); }
    unsigned Get_month() const { return Month::Get(*this); }
    void Set_month(unsigned v) { Month::Set(*this, v); }
    unsigned Get_day() const { return Day::Get(*this); }
    void Set_day(unsigned v) { Day::Set(*this, v); }
    unsigned Get_hours() const { return Hours::Get(*this); }
    void Set_hours(unsigned v) { Hours::Set(*this, v); }
    unsigned Get_minutes() const { return Minutes::Get(*this); }
    void Set_minutes(unsigned v) { Minutes::Set(*this, v); }
    unsigned Get_microslots() const { return Microslots::Get(*this); }
    void Set_microslots(unsigned v) { Microslots::Set(*this, v); }

    operator std::tm() const {
        std::tm t{};
        t.tm_min = static_cast<int>(Get_minutes());
        t.tm_hour = static_cast<int>(Get_hours());
        t.tm_mday = static_cast<int>(Get_day());
        t.tm_mon = static_cast<int>(Get_month()) - 1;
        t.tm_year = static_cast<int>(Get_year()) - 1900;
        return t;
    }
    SYNC_BCAST_data& operator=(const std::tm& t) {
        Set_minutes(static_cast<unsigned>(t.tm_min));
        Set_hours(static_cast<unsigned>(t.tm_hour));
        Set_day(static_cast<unsigned>(t.tm_mday));
        Set_month(static_cast<unsigned>(t.tm_mon + 1));
        Set_year(static_cast<unsigned>(t.tm_year + 1900));
        return *this;
    }
};

// ---- dialled digits -----------------------------------------------------------------------------

// Two digits: the first in bits 7-4, the second in bits 3-0.
struct DTMF_byte {
    std::uint8_t digits;
};

#pragma pack(pop)

static_assert(sizeof(SOURCE_ADDRESS) == 3 && sizeof(SOURCE_ID) == 3 && sizeof(TARGET_ADDRESS) == 3 &&
                  sizeof(TARGET_ID) == 3 && sizeof(UNIT_ADDRESS) == 3 && sizeof(UNIT_ID) == 3,
              "24-bit addresses");
static_assert(sizeof(GROUP_ADDRESS) == 2 && sizeof(GROUP_ID) == 2 && sizeof(ANN_GROUP_ADDRESS) == 2 &&
                  sizeof(ANN_GROUP_ID) == 2 && sizeof(CALL_TIMER) == 2,
              "16-bit identifiers");
static_assert(sizeof(LRA) == 1 && offsetof(LRA, value) == 0, "LRA");
static_assert(sizeof(CHANNEL) == 2 && offsetof(CHANNEL, octets) == 0, "CHANNEL");
static_assert(sizeof(ChanGroup) == 4 && offsetof(ChanGroup, channel) == 0 && offsetof(ChanGroup, group) == 2,
              "ChanGroup");
static_assert(sizeof(Group_update) == 6 && offsetof(Group_update, channel_t) == 0 &&
                  offsetof(Group_update, channel_r) == 2 && offsetof(Group_update, group) == 4,
              "Group_update");
static_assert(sizeof(WACN_SysID) == 4 && offsetof(WACN_SysID, octets) == 0, "WACN_SysID");
static_assert(sizeof(WACN_SysID_split1) == 6 && offsetof(WACN_SysID_split1, wacn_high) == 0 &&
                  offsetof(WACN_SysID_split1, skipped) == 1 && offsetof(WACN_SysID_split1, wacn_low_sysid) == 3,
              "WACN_SysID_split1");
static_assert(sizeof(WACN_SysID_split2) == 6 && offsetof(WACN_SysID_split2, wacn_high) == 0 &&
                  offsetof(WACN_SysID_split2, skipped) == 2 && offsetof(WACN_SysID_split2, wacn_low_sysid) == 4,
              "WACN_SysID_split2");
static_assert(sizeof(WACN_only) == 3 && offsetof(WACN_only, octets) == 0, "WACN_only");
static_assert(sizeof(System_ID_only) == 2 && offsetof(System_ID_only, octets) == 0, "System_ID_only");
static_assert(sizeof(SYSID_LRA) == 3 && offsetof(SYSID_LRA, lra) == 0 && offsetof(SYSID_LRA, system_id) == 1,
              "SYSID_LRA");
static_assert(sizeof(System_ID_registration) == 2 && offsetof(System_ID_registration, octets) == 0,
              "System_ID_registration");
static_assert(sizeof(Service_options) == 1 && offsetof(Service_options, octet) == 0, "Service_options");
static_assert(sizeof(P25_TSBK_SO_header) == 3 && offsetof(P25_TSBK_SO_header, header) == 0 &&
                  offsetof(P25_TSBK_SO_header, service_options) == 2,
              "P25_TSBK_SO_header");
static_assert(sizeof(Request_priority) == 1 && offsetof(Request_priority, octet) == 0, "Request_priority");
static_assert(sizeof(Service_type) == 1 && offsetof(Service_type, octet) == 0, "Service_type");
static_assert(sizeof(Service_type_aiv) == 1 && offsetof(Service_type_aiv, octet) == 0, "Service_type_aiv");
static_assert(sizeof(Additional_info) == 3 && offsetof(Additional_info, octets) == 0, "Additional_info");
static_assert(sizeof(Service_additional_info) == 5 && offsetof(Service_additional_info, service_type) == 0 &&
                  offsetof(Service_additional_info, reason) == 1 &&
                  offsetof(Service_additional_info, additional_info) == 2,
              "Service_additional_info");
static_assert(sizeof(Registration_value) == 1 && offsetof(Registration_value, octet) == 0, "Registration_value");
static_assert(sizeof(Affiliate_value) == 1 && offsetof(Affiliate_value, octet) == 0, "Affiliate_value");
static_assert(sizeof(Group_Affiliate_value) == 1 && offsetof(Group_Affiliate_value, octet) == 0,
              "Group_Affiliate_value");
static_assert(sizeof(ANSWER_RESP) == 1 && offsetof(ANSWER_RESP, code) == 0, "ANSWER_RESP");
static_assert(sizeof(Message_seq_num) == 1 && offsetof(Message_seq_num, octet) == 0, "Message_seq_num");
static_assert(sizeof(TX_mult) == 2 && offsetof(TX_mult, octets) == 0, "TX_mult");
static_assert(sizeof(System_service_class) == 1 && offsetof(System_service_class, octet) == 0,
              "System_service_class");
static_assert(sizeof(Normal_System_Sevices) == 3 && offsetof(Normal_System_Sevices, octets) == 0,
              "Normal_System_Sevices");
static_assert(sizeof(Extended_System_Sevices) == 3 && offsetof(Extended_System_Sevices, octets) == 0,
              "Extended_System_Sevices");
static_assert(sizeof(System_Services) == 3 && offsetof(System_Services, octets) == 0, "System_Services");
static_assert(sizeof(ADJ_STS_BCST_data) == 8 && offsetof(ADJ_STS_BCST_data, system) == 1 &&
                  offsetof(ADJ_STS_BCST_data, rfss_id) == 3 && offsetof(ADJ_STS_BCST_data, site_id) == 4 &&
                  offsetof(ADJ_STS_BCST_data, channel) == 5 && offsetof(ADJ_STS_BCST_data, service_class) == 7,
              "ADJ_STS_BCST_data");
static_assert(sizeof(SCCB_data) == 8 && offsetof(SCCB_data, site_id) == 1 && offsetof(SCCB_data, channel_1) == 2 &&
                  offsetof(SCCB_data, service_class_1) == 4 && offsetof(SCCB_data, channel_2) == 5 &&
                  offsetof(SCCB_data, service_class_2) == 7,
              "SCCB_data");
static_assert(sizeof(BASE_FREQ) == 4, "BASE_FREQ");
static_assert(sizeof(IDEN_UP_packet) == 12 && offsetof(IDEN_UP_packet, header) == 0 &&
                  offsetof(IDEN_UP_packet, plan) == 2 && offsetof(IDEN_UP_packet, base_freq) == 6 &&
                  offsetof(IDEN_UP_packet, crc) == 10,
              "IDEN_UP_packet");
static_assert(sizeof(IDEN_UP_VU_packet) == 12 && offsetof(IDEN_UP_VU_packet, header) == 0 &&
                  offsetof(IDEN_UP_VU_packet, plan) == 2 && offsetof(IDEN_UP_VU_packet, base_freq) == 6 &&
                  offsetof(IDEN_UP_VU_packet, crc) == 10,
              "IDEN_UP_VU_packet");
static_assert(sizeof(IDEN_UP_TDMA_packet) == 12 && offsetof(IDEN_UP_TDMA_packet, header) == 0 &&
                  offsetof(IDEN_UP_TDMA_packet, plan) == 2 && offsetof(IDEN_UP_TDMA_packet, base_freq) == 6 &&
                  offsetof(IDEN_UP_TDMA_packet, crc) == 10,
              "IDEN_UP_TDMA_packet");
static_assert(sizeof(LC_chan_id) == 4 && offsetof(LC_chan_id, octets) == 0, "LC_chan_id");
static_assert(sizeof(CH_ID_UP_data) == 8 && offsetof(CH_ID_UP_data, plan) == 0 &&
                  offsetof(CH_ID_UP_data, base_freq) == 4,
              "CH_ID_UP_data");
static_assert(sizeof(Time_flags) == 2 && offsetof(Time_flags, octets) == 0, "Time_flags");
static_assert(sizeof(Date_layout) == 3 && offsetof(Date_layout, octets) == 0, "Date_layout");
static_assert(sizeof(Time_layout) == 3 && offsetof(Time_layout, octets) == 0, "Time_layout");
static_assert(sizeof(SYNC_BCAST_data) == 8 && offsetof(SYNC_BCAST_data, octets) == 0, "SYNC_BCAST_data");
static_assert(sizeof(DTMF_byte) == 1 && offsetof(DTMF_byte, digits) == 0, "DTMF_byte");

}  // namespace P25

#endif
