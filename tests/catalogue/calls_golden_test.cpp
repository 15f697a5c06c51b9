// One representative of each family of calls, data and responses, logged
// through the host entry points and replayed from input documents, against
// golden logs (tests/data/catalogue/calls_*.xml): the exact elements, and
// the exact blocks built from XML.
#include <functional>

#include "roundtrip_support.h"

using namespace catalogue;

namespace {

// A message of the named definition: link ID in octets 3-5, message octets
// 8 onward from body (the header CRC and packet CRC positions are then
// overwritten), framed as the definition.
Blocks Message(const char* name, bool outbound, unsigned blocks, std::uint32_t link,
               const std::vector<std::uint8_t>& body) {
    const P25::Trunking_handler_base* h = Find(name, outbound, blocks);
    EXPECT_NE(h, nullptr) << name;
    Blocks m(blocks);
    auto* octets = reinterpret_cast<std::uint8_t*>(m.data());
    for (int i = 0; i < 3; ++i) octets[3 + i] = static_cast<std::uint8_t>(link >> (16 - 8 * i));
    for (std::size_t i = 0; i < body.size() && 8 + i < 12 * blocks; ++i) octets[8 + i] = body[i];
    if (h) h->Frame(m.data());
    return m;
}

void Log(const Blocks& m, bool outbound) {
    const P25::Source_info source = trk::Source(1, 0, outbound ? 1 : 0);
    (m.size() == 1 ? P25::Log_TSBK : P25::Log_PDU)(trk::Payload(source, m, 0x293));
}

const P25::Source_info isp = trk::Source(1, 0, 0);

// A replayed "Trunking_message" of the given message element.
std::string Input(const char* header, const std::string& message, const char* source = "osp") {
    return std::string("<Trunking_message timestamp=\"1.00000000\" phys_channel=\"1\" direction=\"rx\" type=\"") +
           source + "\" timeslot=\"0\">" + header + message + "</Trunking_message>\n";
}

}  // namespace

TEST(Calls, RepresentativesOfEachFamily) {
    struct Case {
        const char* golden;
        std::function<void()> feed;
    } cases[] = {
        // Channels 1-564 and 2-4095 for groups 0001 and 0002; then the
        // explicit form: emergency, transmit 3-001, receive 3-002, group BEEF.
        {"calls_grant_updates.xml",
         [] {
             Log({trk::Tsbk("82 00 12 34 00 01 2F FF 00 02")}, true);
             Log({trk::Tsbk("83 00 80 00 30 01 30 02 BE EF")}, true);
         }},
        // Ten digits with an escaped A, the digit count 10; the landline call
        // for unit 00ABCD, whose ten digits end in an escape.
        {"calls_telephone.xml",
         [] {
             Log(Message("TELE_INT_DIAL_REQ", false, 2, 0x000123,
                         {0, 0, 0, 0, 0, 10, 0x20, 0x55, 0x5A, 0x01, 0x23, 0xF1}),
                 false);
             Log({trk::Tsbk("8A 00 12 34 56 7F 0F 00 AB CD")}, true);
             // 34 digits: those of octets 20-23 are the packet CRC, those of
             // octets 24-31 come from the host's block after the message.
             Blocks m = Message("TELE_INT_DIAL_REQ", false, 2, 0x000123,
                                {0, 0, 0, 0, 0, 34, 0x20, 0x55, 0x5A, 0x01, 0x23, 0xF1});
             m.push_back(trk::Tsbk("98 76 54 32 10 98 76 54"));
             P25::Log_PDU(trk::Payload(isp, m, 0x293, 2));
         }},
        // Autonomous and requested access with reserved bits 05, channels
        // 1-100 and 1-101, access control 256; a reconnect with data to send.
        {"calls_data.xml",
         [] {
             Log({trk::Tsbk("96 00 10 C5 10 64 10 65 01 00")}, true);
             Log({trk::Tsbk("94 00 00 12 34 80 00 12 34 56")}, false);
         }},
        // Unit-to-unit request to unit ABCDEF of WACN BEE00 system 123, from
        // 001234; a cancelled service with its reason.
        {"calls_requests.xml",
         [] {
             Log(Message("UU_V_REQ_EXP", false, 2, 0x001234,
                         {0x20, 0, 0, 0, 0x00, 0xBE, 0xE0, 0x01, 0x23, 0xAB, 0xCD, 0xEF}),
                 false);
             Log({trk::Tsbk("A3 00 C4 31 00 0F 00 00 12 34")}, false);
         }},
        // An authentication query of two blocks: no link element, and the
        // WACN and system ID split around the header CRC; an extended function.
        {"calls_unit_control.xml",
         [] {
             Log(Message("AUTH_Q", false, 2, 0xFFFFFF, {0xBE, 0xE0, 0, 0, 0x01, 0x23, 0xAB, 0xCD, 0xEF, 0, 0, 0}),
                 false);
             Log({trk::Tsbk("A4 00 00 7F 00 00 00 00 AB CD")}, true);
         }},
        // A status query response; a message to unit 00ABCD from 00CAFE of
        // WACN BEE00 system 123, message 1234.
        {"calls_status.xml",
         [] {
             Log({trk::Tsbk("99 00 12 34 00 00 01 00 00 02")}, false);
             Log(Message("MSG_UPDT", true, 2, 0x00ABCD, {0xBE, 0xE0, 0, 0, 0x01, 0x23, 0x00, 0xCA, 0xFE, 0x12, 0x34, 0}),
                 true);
         }},
        // Acknowledgements of a group voice request: with the WACN and
        // system ID (C0), with a source address (80), with nothing (00); a
        // denial with its reason.
        {"calls_responses.xml",
         [] {
             Log({trk::Tsbk("A0 00 C0 BE E0 01 23 00 00 01")}, true);
             Log({trk::Tsbk("A0 00 80 AA 00 12 34 00 00 01")}, true);
             Log({trk::Tsbk("A0 00 00 11 22 33 44 00 00 01")}, true);
             Log({trk::Tsbk("A7 00 80 31 00 12 34 00 00 01")}, true);
         }},
        // Multi-block messages longer than any definition of their opcode:
        // three blocks of STS_Q (defined with one and two), two blocks of
        // GRP_DATA_CH_ANN (defined as a TSBK only).
        {"calls_block_counts.xml",
         [] {
             Log(trk::Mbt(P25::STS_Q, 3, 0x00ABCD, {}), true);
             Log(trk::Mbt(P25::GRP_DATA_CH_ANN, 2, 0x00ABCD, {}), true);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        trk::Log_capture log;
        c.feed();
        Expect_golden(c.golden, log.Body());
        EXPECT_EQ(log.Errors(), "");
    }
}

TEST(Calls, ElementsReadBackIntoBlocks) {
    const std::string tsbk = "<P25_TSBK_header last_block=\"true\" protected_flag=\"false\" opcode=\"0\" mfid=\"00\"/>";
    const std::string pdu =
        "<Alternate_MBT_header last_block=\"false\" an=\"false\" type=\"isp\" sap_pad=\"3\" sap=\"61\" mfid=\"00\" "
        "blocks_to_follow=\"1\" blocks_to_follow_pad=\"true\" opcode=\"0\" Reserved=\"0\"/>";
    const std::string input =
        // Three digits: the count is 3, the unused digit positions read 15.
        Input(pdu.c_str(),
              "<Source_address>000123</Source_address>"
              "<TELE_INT_DIAL_REQ><Service_options emergency=\"false\" protected_flag=\"false\" full_duplex=\"true\" "
              "packet_mode=\"false\" Reserved=\"0\" priority=\"0\"/><Digits>9 1 1</Digits></TELE_INT_DIAL_REQ>",
              "isp") +
        // A source address alone makes the information valid and not extended.
        Input(tsbk.c_str(),
              "<ACK_RSP_FNE><Service_type Reserved=\"0\">00</Service_type>"
              "<Additional_info><Source_address>001234</Source_address></Additional_info>"
              "<Target_address>000001</Target_address></ACK_RSP_FNE>");
    trk::Log_capture log;
    EXPECT_EQ(trk::Replay(input, log), XML_routines::Read_status::ok);
    Expect_golden("calls_input.xml", log.Body());
}
