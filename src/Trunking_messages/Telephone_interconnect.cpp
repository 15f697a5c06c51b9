// Telephone interconnect: calls between a unit and the public telephone
// network.  The unit dials (explicit digits, or a preprogrammed PSTN
// address), the system answers a landline call with a request to the unit,
// and grants the interconnect channel with a call timer.
#include "Trunking_handler.h"

using namespace XML_routines;

namespace P25 {

#pragma pack(push, 1)

// Telephone interconnect voice channel grant and its update (TSBK).
struct TELE_INT_CH_GRANT_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    CHANNEL channel;                  // 3-4
    CALL_TIMER call_timer;            // 5-6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// The same, explicit (two blocks): transmit and receive channels; the
// unit's address is the link ID.
struct TELE_INT_CH_GRANT_exp_payload {
    Alternate_MBT header;             // 0-7, target address in 3-5
    Service_options service_options;  // 8
    std::uint8_t reserved_9[1];       // 9
    BE_ushort header_crc;             // 10-11
    CHANNEL channel_t;                // 12-13
    CHANNEL channel_r;                // 14-15
    CALL_TIMER call_timer;            // 16-17
    std::uint8_t reserved_18[2];      // 18-19
    BE_ulong packet_crc;              // 20-23
};

// Explicit dialling request (two blocks): up to 34 digits from octet 15.
// The digits run on past the second block: octets 20-23 are where the
// packet CRC of two blocks lies, and octets 24-31 are in a third block.
struct TELE_INT_DIAL_REQ_packet {
    static constexpr unsigned blocks = 2;
    Alternate_MBT header;             // 0-7, source address in 3-5
    std::uint8_t unused_8[2];         // 8-9
    BE_ushort header_crc;             // 10-11
    std::uint8_t unused_12;           // 12
    std::uint8_t digit_count;         // 13, the number of digits
    Service_options service_options;  // 14
    DTMF_byte digits[17];             // 15-31
};

// Dialling request by PSTN address, a number the system holds for the unit.
struct TELE_INT_PSTN_REQ_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    std::uint8_t reserved_3[3];       // 3-5
    std::uint8_t pstn_address;        // 6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// The unit's answer to a landline call.
struct TELE_INT_ANS_RSP_packet {
    P25_TSBK_header header;
    Service_options service_options;  // 2
    ANSWER_RESP answer;               // 3
    std::uint8_t reserved_4[3];       // 4-6
    SOURCE_ADDRESS source;            // 7-9
    BE_ushort crc;                    // 10-11
};

// A landline call for a unit, with the calling number's first ten digits.
struct TELE_INT_ANS_REQ_packet {
    P25_TSBK_header header;
    DTMF_byte digits[5];    // 2-6
    TARGET_ADDRESS target;  // 7-9
    BE_ushort crc;          // 10-11
};

#pragma pack(pop)

static_assert(sizeof(TELE_INT_CH_GRANT_packet) == 12 && offsetof(TELE_INT_CH_GRANT_packet, service_options) == 2 &&
                  offsetof(TELE_INT_CH_GRANT_packet, channel) == 3 &&
                  offsetof(TELE_INT_CH_GRANT_packet, call_timer) == 5 &&
                  offsetof(TELE_INT_CH_GRANT_packet, source) == 7 && offsetof(TELE_INT_CH_GRANT_packet, crc) == 10,
              "TELE_INT_CH_GRANT_packet layout");
static_assert(sizeof(TELE_INT_CH_GRANT_exp_payload) == 24 &&
                  offsetof(TELE_INT_CH_GRANT_exp_payload, service_options) == 8 &&
                  offsetof(TELE_INT_CH_GRANT_exp_payload, channel_t) == 12 &&
                  offsetof(TELE_INT_CH_GRANT_exp_payload, channel_r) == 14 &&
                  offsetof(TELE_INT_CH_GRANT_exp_payload, call_timer) == 16 &&
                  offsetof(TELE_INT_CH_GRANT_exp_payload, reserved_18) == 18 &&
                  offsetof(TELE_INT_CH_GRANT_exp_payload, packet_crc) == 20,
              "TELE_INT_CH_GRANT_exp_payload layout");
static_assert(sizeof(TELE_INT_DIAL_REQ_packet) == 32 && offsetof(TELE_INT_DIAL_REQ_packet, header_crc) == 10 &&
                  offsetof(TELE_INT_DIAL_REQ_packet, digit_count) == 13 &&
                  offsetof(TELE_INT_DIAL_REQ_packet, service_options) == 14 &&
                  offsetof(TELE_INT_DIAL_REQ_packet, digits) == 15,
              "TELE_INT_DIAL_REQ_packet layout");
static_assert(sizeof(TELE_INT_PSTN_REQ_packet) == 12 && offsetof(TELE_INT_PSTN_REQ_packet, reserved_3) == 3 &&
                  offsetof(TELE_INT_PSTN_REQ_packet, pstn_address) == 6 &&
                  offsetof(TELE_INT_PSTN_REQ_packet, source) == 7,
              "TELE_INT_PSTN_REQ_packet layout");
static_assert(sizeof(TELE_INT_ANS_RSP_packet) == 12 && offsetof(TELE_INT_ANS_RSP_packet, answer) == 3 &&
                  offsetof(TELE_INT_ANS_RSP_packet, reserved_4) == 4 && offsetof(TELE_INT_ANS_RSP_packet, source) == 7,
              "TELE_INT_ANS_RSP_packet layout");
static_assert(sizeof(TELE_INT_ANS_REQ_packet) == 12 && offsetof(TELE_INT_ANS_REQ_packet, digits) == 2 &&
                  offsetof(TELE_INT_ANS_REQ_packet, target) == 7 && offsetof(TELE_INT_ANS_REQ_packet, crc) == 10,
              "TELE_INT_ANS_REQ_packet layout");

// ---- message fields, in wire order ---------------------------------------------------

// "Digits": the digit names; as many as the count says (34 at most), and
// all ten of the landline call.
static const Info<TELE_INT_DIAL_REQ_packet> dialled_digits(
    "Digits", Get_Access(&TELE_INT_DIAL_REQ_packet::digits, &TELE_INT_DIAL_REQ_packet::digit_count));
static const Info<TELE_INT_ANS_REQ_packet> calling_digits("Digits", Get_Access(&TELE_INT_ANS_REQ_packet::digits));

static Subelement_table<TELE_INT_CH_GRANT_packet> tele_int_ch_grant_fields[] = {
    Subelement(&TELE_INT_CH_GRANT_packet::service_options),
    Subelement(&TELE_INT_CH_GRANT_packet::channel),
    Subelement(&TELE_INT_CH_GRANT_packet::call_timer),  // "Call_Timer"
    Subelement(&TELE_INT_CH_GRANT_packet::source),
};

static Subelement_table<TELE_INT_CH_GRANT_exp_payload> tele_int_ch_grant_exp_fields[] = {
    Subelement(&TELE_INT_CH_GRANT_exp_payload::service_options),
    Subelement_reserved(&TELE_INT_CH_GRANT_exp_payload::reserved_9),
    Subelement(&TELE_INT_CH_GRANT_exp_payload::channel_t),
    Subelement(&TELE_INT_CH_GRANT_exp_payload::channel_r),
    Subelement(&TELE_INT_CH_GRANT_exp_payload::call_timer),
    Subelement_reserved(&TELE_INT_CH_GRANT_exp_payload::reserved_18),
};

static Subelement_table<TELE_INT_DIAL_REQ_packet> tele_int_dial_req_fields[] = {
    Subelement(&TELE_INT_DIAL_REQ_packet::service_options),
    Subelement(dialled_digits),
};

static Subelement_table<TELE_INT_PSTN_REQ_packet> tele_int_pstn_req_fields[] = {
    Subelement(&TELE_INT_PSTN_REQ_packet::service_options),
    Subelement_reserved(&TELE_INT_PSTN_REQ_packet::reserved_3),
    Subelement(&TELE_INT_PSTN_REQ_packet::pstn_address, "PSTN_Address", "%02X"),
    Subelement(&TELE_INT_PSTN_REQ_packet::source),
};

static Subelement_table<TELE_INT_ANS_RSP_packet> tele_int_ans_rsp_fields[] = {
    Subelement(&TELE_INT_ANS_RSP_packet::service_options),
    Subelement(&TELE_INT_ANS_RSP_packet::answer),  // "Answer_resp"
    Subelement_reserved(&TELE_INT_ANS_RSP_packet::reserved_4),
    Subelement(&TELE_INT_ANS_RSP_packet::source),
};

static Subelement_table<TELE_INT_ANS_REQ_packet> tele_int_ans_req_fields[] = {
    Subelement(calling_digits),
    Subelement(&TELE_INT_ANS_REQ_packet::target),
};

// ---- definitions: name, opcode, fields -----------------------------------------------------

static const Trunking_handler<TELE_INT_CH_GRANT_packet> tele_int_ch_grant("TELE_INT_CH_GRANT", TELE_INT_CH_GRANT, tele_int_ch_grant_fields);
static const Trunking_handler<TELE_INT_CH_GRANT_packet> tele_int_ch_grant_updt("TELE_INT_CH_GRANT_UPDT", TELE_INT_CH_GRANT_UPDT, tele_int_ch_grant_fields);
static const Trunking_handler<TELE_INT_CH_GRANT_exp_payload, TARGET_ADDRESS> tele_int_ch_grant_exp("TELE_INT_CH_GRANT_EXP", TELE_INT_CH_GRANT, tele_int_ch_grant_exp_fields);
static const Trunking_handler<TELE_INT_CH_GRANT_exp_payload, TARGET_ADDRESS> tele_int_ch_grant_updt_exp("TELE_INT_CH_GRANT_UPDT_EXP", TELE_INT_CH_GRANT_UPDT, tele_int_ch_grant_exp_fields);
static const Trunking_handler<TELE_INT_DIAL_REQ_packet, SOURCE_ADDRESS> tele_int_dial_req("TELE_INT_DIAL_REQ", TELE_INT_DIAL_REQ, tele_int_dial_req_fields);
static const Trunking_handler<TELE_INT_PSTN_REQ_packet> tele_int_pstn_req("TELE_INT_PSTN_REQ", TELE_INT_PSTN_REQ, tele_int_pstn_req_fields);
static const Trunking_handler<TELE_INT_ANS_RSP_packet> tele_int_ans_rsp("TELE_INT_ANS_RSP", TELE_INT_ANS_RSP, tele_int_ans_rsp_fields);
static const Trunking_handler<TELE_INT_ANS_REQ_packet> tele_int_ans_req("TELE_INT_ANS_REQ", TELE_INT_ANS_REQ, tele_int_ans_req_fields);

}  // namespace P25
