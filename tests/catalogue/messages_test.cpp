// The message families: the decoded elements of messages logged through
// the host entry points against golden logs (tests/data/catalogue/), real
// on-air captures with the field values a working system sends, and the
// blocks that elements read from XML build.  (Every definition back from
// its element: the round-trip property.)
#include <fstream>
#include <regex>

#include "trunking/support.h"

using namespace trk;

namespace {

const bool isp = false, osp = true;

// A message as the host hands it over: its blocks, the direction, and the
// block count given when it is not the number of blocks.
struct Logged {
    Blocks blocks;
    bool outbound = osp;
    std::uint32_t count = ~0u;
};

// A TSBK from its octets 0-9 in hex, CRC set; a multi-block message of
// manufacturer 0x00 (trk::Mbt).
Logged Osp(const char* hex) { return {{Tsbk(hex)}, osp}; }
Logged Isp(const char* hex) { return {{Tsbk(hex)}, isp}; }
Logged Osp(unsigned opcode, unsigned blocks, std::uint32_t link, const std::vector<std::uint8_t>& body) {
    return {Mbt(opcode, blocks, link, body, osp), osp};
}
Logged Isp(unsigned opcode, unsigned blocks, std::uint32_t link, const std::vector<std::uint8_t>& body) {
    return {Mbt(opcode, blocks, link, body, isp), isp};
}

// The "Trunking_message" elements logged for the messages (one block through
// the TSBK entry point, more through the PDU one), one string; nothing may go
// to stderr.
std::string Messages(const std::vector<Logged>& messages) {
    Log_capture capture;
    for (const Logged& m : messages)
        (m.blocks.size() == 1 ? P25::Log_TSBK : P25::Log_PDU)(Payload(Source(1, 0, m.outbound), m.blocks, 0, m.count));
    std::string out;
    for (const std::string& e : Only(capture.Body(), "Trunking_message")) out += e;
    EXPECT_EQ(capture.Errors(), "");
    return out;
}

// Octets 8 onward: a WACN/system ID BEE00/277 split around the header CRC, then rest.
std::vector<std::uint8_t> With_system(std::vector<std::uint8_t> rest) {
    std::vector<std::uint8_t> body = {0xBE, 0xE0, 0x00, 0x00, 0x02, 0x77};
    body.insert(body.end(), rest.begin(), rest.end());
    return body;
}

// Octets 8 onward of a roaming message: the message sequence, the pair
// BEE00/277 split around the header CRC, then `whole` pairs BEE01/278, ...
std::vector<std::uint8_t> Roaming_body(std::uint8_t sequence, unsigned whole) {
    std::vector<std::uint8_t> body = {sequence, 0xBE, 0x00, 0x00, 0xE0, 0x02, 0x77};
    for (unsigned i = 1; i <= whole; ++i)
        body.insert(body.end(), {0xBE, 0xE0, static_cast<std::uint8_t>(i << 4 | 2), 0x78});
    return body;
}

// Octets 8 onward of a TELE_INT_DIAL_REQ of n digits.
std::vector<std::uint8_t> Dial(std::uint8_t n) { return {0, 0, 0, 0, 0, n, 0x20, 0x55, 0x5A, 0x01, 0x23, 0xF1}; }

// Every text of <Tag> ("Tag") or value of its attribute ("Tag@name"), comma-separated.
std::string Values(const std::string& xml, const std::string& key) {
    const std::size_t at = key.find('@');
    const std::regex re(at == std::string::npos
                            ? "<" + key + "(?: [^>]*)?>([^<]*)</" + key + ">"
                            : "<" + key.substr(0, at) + " (?:[^>]* )?" + key.substr(at + 1) + "=\"([^\"]*)\"");
    std::string out;
    for (std::sregex_iterator i(xml.begin(), xml.end(), re), end; i != end; ++i)
        out += (out.empty() ? "" : ",") + (*i)[1].str();
    return out;
}

const struct Row {
    const char* element;
    std::vector<std::pair<const char*, const char*>> values;
} rows[] = {
    // A VHF plan: identifier 14, 12.5 kHz channels from 162.05 MHz, mobiles 4.6 MHz below.
    {"IDEN_UP_VU", {{"Identifier", "14"}, {"Base_freq", "162050000.000000"}, {"Channel_spacing", "12500.000000"},
                    {"Bandwidth", "12500.000000"}, {"Transmit_offset", "-4600000.000000"}}},
    {"GRP_V_CH_GRANT_UPDT", {{"Channel@number", "401,401"}, {"Group_address", "2531,2531"}}},
    // Two secondary control channels on the same frequency, backup only.
    {"SCCB", {{"RF_subsys_ID", "02"}, {"Site_ID", "30"}, {"Channel@number", "1405,1405"},
              {"Service_class@backup", "true,true"}}},
    // A unit registers on system 277 under its own address.
    {"U_REG_RSP",
     {{"Registration_value", "ACCEPT"}, {"System_ID", "277"}, {"Source_ID", "27FB17"}, {"Source_address", "27FB17"}}},
    // The same system, with its WACN.
    {"U_DE_REG_ACK", {{"WACN", "BEE00"}, {"System_ID", "277"}, {"Source_ID", "27FB15"}}},
    // A unit's status to the system's dispatcher.
    {"STS_UPDT_REQ", {{"Target_address", "FFFFFC"}, {"Source_address", "21C103"}}},
    {"GRP_AFF_RSP", {{"Group_affiliation_value", "ACCEPT"}, {"Global_affiliate", "false"}, {"Group_address", "055D"},
                     {"Target_address", "A14556"}}},
    // Site 1 of RFSS 1 on system 13E, on the wide-area network.
    {"RFSS_STS_BCST", {{"RFSS_STS_BCST@network_active", "true"}, {"System_ID", "13E"}, {"RF_subsys_ID", "01"},
                       {"Site_ID", "01"}, {"Channel@number", "65"}, {"Service_class@voice_service", "true"}}},
    {"-", {}},
};

}  // namespace

TEST(Catalogue_golden, EachFamilyDecodesAsItsGolden) {
    std::vector<std::uint8_t> roam_update = Roaming_body(0x81, 0);
    roam_update.insert(roam_update.end(), {0x27, 0xFB, 0x17});
    std::vector<Logged> roaming = {Isp(P25::ROAM_ADDR_RSP, 3, 0x27FB17, Roaming_body(0x82, 4)),
                                   Osp(P25::ROAM_ADDR_UPDT, 2, 0, roam_update), Isp("37 00 82 BE E0 02 77 27 FB 17")};
    for (bool outbound : {isp, osp})
        for (unsigned blocks : {2, 3, 4})
            roaming.push_back({Mbt(P25::ROAM_ADDR_RSP, blocks, 0x27FB17, Roaming_body(0x82, 7), outbound), outbound});
    Blocks dial_34 = Mbt(P25::TELE_INT_DIAL_REQ, 2, 0x000123, Dial(34), isp);
    dial_34.push_back(Tsbk("98 76 54 32 10 98 76 54"));
    // Each family's messages in order.
    const struct {
        const char* golden;
        std::vector<Logged> messages;
    } families[] = {
        // Octet 3 = A1: conventional, not failed, valid, not on the network;
        // system 123.  Octet 3 = E5: reserved 3, roamer, not on the network;
        // system 567.  The flags in the link ID's system ID: conventional,
        // system 123; then RFSS 1.  Reserved bits F of the link ID's system
        // ID, a WACN with reserved bits 5.  Services available: the 24 flags;
        // supported: the extended reading.  Octet 3 = 5F: on the network, not
        // conventional, failed, not valid; system FFF.  Octet 3 = 10: on the
        // network, not a roamer, reserved 0; system 000.
        {"broadcasts.xml",
         {Osp("3C 00 07 A1 23 01 05 10 64 70"), Osp("3A 00 07 E5 67 01 02 10 65 70"),
          Osp(P25::ADJ_STS_BCST, 2, 0x078123, {0x02, 0x09, 0, 0, 0x10, 0x64, 0x10, 0x65, 0x71, 0xAA, 0xBB, 0xCC}),
          Osp(P25::RFSS_STS_BCST, 2, 0x07D277, {0xAA, 0xBB, 0, 0, 0x01, 0x02, 0x10, 0x64, 0x10, 0x65, 0x70, 0xCC}),
          Osp("3B 00 07 BE E0 02 77 10 64 70"),
          Osp(P25::NET_STS_BCST, 2, 0x07F277, {0xAA, 0xBB, 0, 0, 0xBE, 0xE0, 0x05, 0x10, 0x64, 0x10, 0x65, 0x70}),
          Osp("39 00 01 05 10 64 70 10 65 72"), Osp("29 00 01 05 10 64 AA 10 65 70"),
          Osp("38 00 00 5A 0F F0 C0 00 01 3C"), Osp("3C 00 07 5F FF 01 05 10 64 70"),
          Osp("3A 00 07 10 00 01 02 10 65 70")}},
        // Date and time valid, 60 minutes west of UTC, 2024/05/17 13:45:09;
        // nothing valid, the reserved bits set; a 5 ms minute correction, 300
        // minutes west, 2024/05/17 13:45, microslot 1000.
        {"time.xml",
         {Osp("35 00 E8 3C 58 80 60 6D A4 80"), Osp("35 00 17 FF 58 80 63 6D A4 FF"),
          Osp("30 00 00 01 6A 30 B1 6D A3 E8")}},
        // Bandwidth, spacing, transmit offset and base frequency in Hz:
        //   12500 6250 -45000000 851006250; 12500 12500 -5000000 450000000;
        //   TDMA 12500 12500 +5000000 769006250; then a unit asks for identifier 3.
        // IDEN_UP counts the offset in 250 kHz, sign bit 1 above the receive frequency:
        //   12500 6250 +1000000 851006250; -1000000; every field at its widest,
        //   63875 127875 -63750000 21474836475.
        // IDEN_UP_VU counts it in channel spacings, bandwidth codes 4 and 5 only:
        //   6250 6250 +2500000 450000000; code 7: 0 12500 -5000000; a spacing of
        //   zero makes the offset 0.
        // IDEN_UP_TDMA is 12.5 kHz whatever octet 2 says: 12500 6250 -2500000 0.
        // Opcode 13 of manufacturer 0x00 and opcode 52 of 0x90 are not defined:
        // header only.  Then a unit asks for every identifier, reserved bits set.
        {"channel_identifiers.xml",
         {Osp("3D 00 13 22 D0 32 0A 25 10 A2"), Osp("34 00 25 06 40 64 05 5D 4A 80"),
          Osp("0D 90 30 86 40 64 09 2A D2 22"), Isp("32 00 03 00 00 00 00 A1 45 56"),
          Osp("3D 00 13 24 10 32 0A 25 10 A2"), Osp("3D 00 13 20 10 32 0A 25 10 A2"),
          Osp("3D 00 FF FB FF FF FF FF FF FF"), Osp("34 00 24 86 40 32 05 5D 4A 80"),
          Osp("34 00 27 06 40 64 05 5D 4A 80"), Osp("34 00 25 06 40 00 05 5D 4A 80"),
          Osp("0D 90 3F 06 40 32 00 00 00 00"), Osp("0D 00 30 86 40 64 09 2A D2 22"),
          Osp("34 90 25 06 40 64 05 5D 4A 80"), Isp("32 00 F5 00 00 00 00 A1 45 56")}},
        // Emergency, capabilities valid, two-slot TDMA, eight-level simulcast,
        // the second mode; then the other capability bits (each set bit between
        // clear ones); denied, from the same unit; location registration.
        // Then one record, three definitions: the same children under
        // U_DE_REG_REQ, P_PARM_REQ and U_DE_REG_ACK.
        {"registration.xml",
         {Isp("2C 00 E5 BE E0 02 77 27 FB 17"), Isp("2C 00 5A BE E0 02 77 27 FB 17"),
          Osp(P25::U_REG_RSP, 3, 0x27FB17,
              With_system({0x27, 0xFB, 0x17, 0x27, 0xFB, 0x17, 0x02, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x55})),
          Osp("2B 00 00 05 5D 01 02 A1 45 56"),
          Isp(P25::LOC_REG_REQ, 2, 0xA14556, With_system({0xA1, 0x45, 0x56, 0x07, 0x05, 0x5D})),
          Isp("2B 00 00 BE E0 02 77 27 FB 17"), Isp("30 00 00 BE E0 02 77 27 FB 17"),
          Osp("2F 00 00 BE E0 02 77 27 FB 17")}},
        // Octet 3 bits 7-4 (A) are the system ID's reserved bits; the group's
        // home system BEE00/278, announcement group 0001, accepted.
        {"affiliation.xml",
         {Isp("28 00 00 A2 77 05 5D A1 45 56"),
          Osp(P25::GRP_AFF_RSP, 3, 0xA14556,
              With_system({0x27, 0xFB, 0x17, 0xBE, 0xE0, 0x02, 0x78, 0x05, 0x5D, 0x00, 0x01, 0x00}))}},
        // No link element in the response; the protection parameters.
        {"authentication.xml",
         {Isp(P25::AUTH_RSP, 3, 0, With_system({0xA1, 0x45, 0x56, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF})),
          Osp(P25::P_PARM_BCST, 3, 0xA14556, {0x01, 0x84, 0, 0, 0x12, 0x34, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0xF0, 0xF1,
                                              0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8})}},
        // The three-block response and the two-block update; then every size
        // of response and update: 1, 2, 5, 8 and 1, 4, 7 WACN/system IDs.
        {"roaming.xml", roaming},
        // Channels 1-564 and 2-4095 for groups 0001 and 0002; then the
        // explicit form: emergency, transmit 3-001, receive 3-002, group BEEF.
        {"calls_grant_updates.xml", {Osp("82 00 12 34 00 01 2F FF 00 02"), Osp("83 00 80 00 30 01 30 02 BE EF")}},
        // Ten digits with an escaped A; the landline call for unit 00ABCD,
        // whose ten digits end in an escape; 34 digits: those of octets 20-23
        // are the packet CRC, those of octets 24-31 come from the host's block
        // after the message.
        {"calls_telephone.xml",
         {Isp(P25::TELE_INT_DIAL_REQ, 2, 0x000123, Dial(10)), Osp("8A 00 12 34 56 7F 0F 00 AB CD"),
          {dial_34, isp, 2}}},
        // Autonomous and requested access with reserved bits 05, channels
        // 1-100 and 1-101, access control 256; a reconnect with data to send.
        {"calls_data.xml", {Osp("96 00 10 C5 10 64 10 65 01 00"), Isp("94 00 00 12 34 80 00 12 34 56")}},
        // Unit-to-unit request to unit ABCDEF of WACN BEE00 system 123, from
        // 001234; a cancelled service with its reason.
        {"calls_requests.xml",
         {Isp(P25::UU_V_REQ, 2, 0x001234, {0x20, 0, 0, 0, 0, 0xBE, 0xE0, 0x01, 0x23, 0xAB, 0xCD, 0xEF}),
          Isp("A3 00 C4 31 00 0F 00 00 12 34")}},
        // An authentication query of two blocks: no link element, and the
        // WACN and system ID split around the header CRC; an extended function.
        {"calls_unit_control.xml",
         {Isp(P25::AUTH_Q, 2, 0xFFFFFF, {0xBE, 0xE0, 0, 0, 0x01, 0x23, 0xAB, 0xCD, 0xEF, 0, 0, 0}),
          Osp("A4 00 00 7F 00 00 00 00 AB CD")}},
        // A status query response; a message to unit 00ABCD from 00CAFE of
        // WACN BEE00 system 123, message 1234.
        {"calls_status.xml",
         {Isp("99 00 12 34 00 00 01 00 00 02"),
          Osp(P25::MSG_UPDT, 2, 0x00ABCD, {0xBE, 0xE0, 0, 0, 0x01, 0x23, 0x00, 0xCA, 0xFE, 0x12, 0x34, 0})}},
        // Acknowledgements of a group voice request: with the WACN and system
        // ID (C0), with a source address (80), with nothing (00); a denial
        // with its reason.
        {"calls_responses.xml",
         {Osp("A0 00 C0 BE E0 01 23 00 00 01"), Osp("A0 00 80 AA 00 12 34 00 00 01"),
          Osp("A0 00 00 11 22 33 44 00 00 01"), Osp("A7 00 80 31 00 12 34 00 00 01")}},
        // Longer than any definition of their opcode: three blocks of STS_Q
        // (defined with one and two), two of GRP_DATA_CH_ANN (a TSBK only).
        {"calls_block_counts.xml",
         {Osp(P25::STS_Q, 3, 0x00ABCD, {}), Osp(P25::GRP_DATA_CH_ANN, 2, 0x00ABCD, {})}},
    };
    for (const auto& f : families) {
        SCOPED_TRACE(f.golden);
        Expect_golden_file("catalogue", f.golden, Messages(f.messages));
    }
}

// Elements read from XML build these blocks (the raw element logged for
// them, from octet 0).
TEST(Catalogue_input, ElementsBuildTheirBlocks) {
    const std::string mbt = "<Alternate_MBT_header type=\"osp\"/><LRA>07</LRA><System_ID>",
                      plan = "<P25_TSBK_header/><IDEN_UP_VU><Identifier>2</Identifier><Bandwidth>",
                      plan_end = "</Bandwidth><Channel_spacing>12500</Channel_spacing><Transmit_offset>-5000000"
                                 "</Transmit_offset><Base_freq>450000000</Base_freq></IDEN_UP_VU>";
    const struct {
        const char* type;
        std::string children;
        const char* raw;
    } cases[] = {
        // An explicit broadcast: the link's System_ID sets the low twelve bits
        // of octets 4-5, the element's flags the upper four.
        {"osp", mbt + "123</System_ID><ADJ_STS_BCST conv_chan=\"true\" valid=\"true\"/>", "37 FD 00 07 A1 23 81 "},
        {"osp", mbt + "277</System_ID><RFSS_STS_BCST Reserved=\"2\" network_active=\"true\"/>",
         "37 FD 00 07 92 77 81 "},
        {"osp", mbt + "FFF</System_ID><NET_STS_BCST Reserved=\"0\"/>", "37 FD 00 07 0F FF 81 "},
        // The spacing is read before the offset that counts it; the
        // bandwidths with a code are 6.25 and 12.5 kHz, and 0 is code 0.
        {"osp", plan + "12500" + plan_end, "34 00 25 06 40 64 05 5D 4A 80 "},
        {"osp", plan + "0" + plan_end, "34 00 20 06 40 64 05 5D 4A 80 "},
        {"osp", plan + "6250" + plan_end, "34 00 24 06 40 64 05 5D 4A 80 "},
        // Three digits: the count is 3, the unused digit positions read 15.
        {"isp",
         "<Alternate_MBT_header type=\"isp\" blocks_to_follow=\"1\"/><Source_address>000123</Source_address>"
         "<TELE_INT_DIAL_REQ><Service_options full_duplex=\"true\"/><Digits>9 1 1</Digits></TELE_INT_DIAL_REQ>",
         "17 FD 00 00 01 23 81 08 00 00 9C 22 00 03 20 91 1F FF FF FF DB 17 97 EA "},
        // A source address alone makes the information valid and not extended.
        {"osp",
         "<P25_TSBK_header last_block=\"true\"/><ACK_RSP_FNE><Service_type>00</Service_type><Additional_info>"
         "<Source_address>001234</Source_address></Additional_info><Target_address>000001</Target_address>"
         "</ACK_RSP_FNE>",
         "A0 00 80 00 00 12 34 00 00 01 69 A7 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.children);
        Log_capture log;
        const std::string document = std::string("<Trunking_message type=\"") + c.type + "\">" + c.children;
        EXPECT_EQ(Replay(document + "</Trunking_message>\n", log), XML_routines::Read_status::ok);
        const std::string logged = log.Body();
        EXPECT_NE(logged.find(std::string(">") + c.raw), std::string::npos) << logged;
    }
}

TEST(Captures, DecodeToTheirElementWithTheFieldsTheyCarry) {
    std::ifstream in(std::string(TESSEL_TEST_DATA) + "/captures/tsbk-real.txt");
    std::string all;
    std::size_t number = 0, captures = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::string type, hex, element;
        std::istringstream(line) >> type >> hex >> element;
        SCOPED_TRACE("line " + std::to_string(number) + ": " + element);
        const Row* row = std::begin(rows);
        while (row != std::end(rows) && element != row->element) ++row;
        ASSERT_NE(row, std::end(rows));
        ++captures;
        Logged capture{Blocks(1), type == "osp"};
        for (std::size_t i = 0; i < sizeof capture.blocks[0].data; ++i)
            capture.blocks[0].data[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
        const std::string xml = Messages({capture});
        for (const char* error : {"DATA_CRC_ERROR", "UNKNOWN_FORMAT", "INVALID_FORMAT", "Illegal_block_count"})
            EXPECT_EQ(xml.find(error), std::string::npos) << xml;
        EXPECT_TRUE(element == "-" ? xml.empty() : std::regex_search(xml, std::regex("<" + element + "[ >]"))) << xml;
        for (const auto& [key, value] : row->values) EXPECT_EQ(Values(xml, key), value) << key << "\n" << xml;
        all += xml;
    }
    EXPECT_EQ(captures, std::size(rows));
    Expect_golden_file("catalogue", "captures.xml", all);
}
