// The link-control word: the nine octets that voice frames, terminators and
// TDMA link-control headers carry to say who is talking on which group, or to
// broadcast system information on a traffic channel.
//
// Octet 0 is the header: bit 7 protected, bit 6 implicit format, bits 5-0 the
// link-control opcode (LCO).  An implicit word belongs to manufacturer 0x00
// and its fields start at octet 1; an explicit word names its manufacturer in
// octet 1 and its fields start at octet 2.  Every word definition's packed
// record begins with one of the two header views, which fixes its format.
#ifndef TESSEL_P25_LCO_H
#define TESSEL_P25_LCO_H

#include <cstddef>
#include <cstdint>

namespace P25 {

// Link-control opcodes of manufacturer 0x00.
enum LCO : std::uint8_t {
    LC_GRP_V_CH_USR = 0,
    LC_GRP_V_CH_UPDT = 2,
    LC_UU_V_CH_USR = 3,
    LC_GRP_CH_UPDT_EXP = 4,
    LC_UU_ANS_REQ = 5,
    LC_TELE_INT_V_CH_USR = 6,
    LC_TELE_INT_ANS_REQ = 7,
    LC_CALL_TRM_CAN = 15,
    LC_GRP_AFF_Q = 16,
    LC_U_REG_CMD = 17,
    LC_AUTH_CMD = 18,
    LC_STS_Q = 19,
    LC_STA_UPDT = 20,
    LC_MSG_UPDT = 21,
    LC_CALL_ALRT = 22,
    LC_EXT_FNCT_CMD = 23,
    LC_CH_ID_UPDT = 24,
    LC_CH_ID_UPDT_EXP = 25,
    LC_CH_ID_UPDT_TDMA = 26,
    LC_SYNC_BCAST = 31,
    LC_SYS_SRV_BCST = 32,
    LC_SCCB = 33,
    LC_ADJ_STS_BCST = 34,
    LC_RFSS_STS_BCST = 35,
    LC_NET_STS_BCST = 36,
    LC_P_PARM_BCST = 37,
    LC_SCCB_EXP = 38,
    LC_ADJ_STS_BCST_EXP = 39,
    LC_RFSS_STS_BCST_EXP = 40,
    LC_NET_STS_BCST_EXP = 41,
};

// Link-control opcodes of manufacturer 0x90.
enum LCO_90 : std::uint8_t {
    MOTO_LC_GRP_V_CH_USR = 0,
};

#pragma pack(push, 1)

// Octet 0 of a word: the header of an implicit word.
struct Link_control_header {
    std::uint8_t p_sf_lco;  // bit 7 protected, bit 6 implicit format, bits 5-0 LCO
};

// Octets 0-1 of an explicit word: the header and the manufacturer ID.
struct Explicit_Link_control_header {
    std::uint8_t p_sf_lco;
    std::uint8_t mfid;
};

// One link-control word, octet 0 first.
struct Any_link_control {
    static constexpr std::uint8_t implicit_bit = 0x40;
    static constexpr std::uint8_t lco_bits = 0x3F;

    union {
        std::uint8_t bytes[9];
        Link_control_header header;  // the view of octet 0
    };

    bool Get_implicit() const { return (bytes[0] & implicit_bit) != 0; }
    void Set_implicit(bool on) {
        bytes[0] = static_cast<std::uint8_t>(on ? bytes[0] | implicit_bit : bytes[0] & ~implicit_bit);
    }
    unsigned Get_lco() const { return bytes[0] & lco_bits; }
    // The manufacturer the word belongs to: 0x00 for an implicit word, else octet 1.
    std::uint8_t Mfid() const { return Get_implicit() ? 0x00 : bytes[1]; }
};

#pragma pack(pop)

static_assert(sizeof(Link_control_header) == 1, "Link_control_header is octet 0");
static_assert(sizeof(Explicit_Link_control_header) == 2 && offsetof(Explicit_Link_control_header, mfid) == 1,
              "Explicit_Link_control_header layout");
static_assert(sizeof(Any_link_control) == 9 && alignof(Any_link_control) == 1 &&
                  offsetof(Any_link_control, bytes) == 0 && offsetof(Any_link_control, header) == 0,
              "a link-control word is 9 octets");

}  // namespace P25

#endif
