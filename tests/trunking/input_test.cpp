// "Trunking_message" read from an input document: the message element is
// found through the registry, the header completed, the CRCs set; what
// cannot be found is reported.
#include <cstdio>

#include "support.h"

using namespace trk;

namespace {

std::string Message(const char* type, const std::string& children) {
    return std::string("<Trunking_message timestamp=\"2\" phys_channel=\"0\" direction=\"rx\" type=\"") + type +
           "\" timeslot=\"0\">" + children + "</Trunking_message>\n";
}

const std::string tsbk_header = "<P25_TSBK_header last_block=\"true\" protected_flag=\"false\"/>";
const char* const grant_fields = "<Channel id=\"1\" number=\"2\"/><Target_address>000003</Target_address>"
                                 "<Source_address>000004</Source_address>";

}  // namespace

TEST(Input, MessagesFoundThroughTheRegistry) {
    const std::string three_blocks = "<Alternate_MBT_header mfid=\"00\" blocks_to_follow=\"2\"/><GRP_V_CH_GRANT/>";
    const char* const unimplemented = "System_interface Receive_Trunk_from_XML UNIMPLEMENTED\n";
    // The blocks of an explicit grant as PDU_Header and PDU_Continuation.
    const Blocks m = Grant_exp(0x123456);
    std::string pdu_blocks;
    for (int i = 0; i < 2; ++i) {
        const std::string tag = i ? "PDU_Continuation" : "PDU_Header";
        pdu_blocks += "<" + tag + " phys_channel=\"2\" direction=\"rx\" type=\"osp\">";
        for (std::uint8_t octet : m[i].data) {
            char text[4];
            std::snprintf(text, sizeof text, "%02X ", octet);
            pdu_blocks += text;
        }
        pdu_blocks += "</" + tag + ">\n";
    }
    const struct {
        std::string document;
        const char* golden;  // null: nothing is logged, and the read reports an error
        std::string errors;  // on stderr
        bool report_errors = true;
    } cases[] = {
        {Message("osp", "<P25_TSBK_header opcode=\"4\" mfid=\"55\"/><UU_V_CH_GRANT/>"), nullptr,
         "replay.xml:2: error: <UU_V_CH_GRANT>: Unknown MFID 55\n"},
        {Message("osp", tsbk_header + "<NOT_A_MESSAGE/>"), nullptr,
         "replay.xml:2: error: <NOT_A_MESSAGE>: Unknown opcode NOT_A_MESSAGE\n"},
        // A field of a fixed count of octets says how many it takes.
        {Message("osp", tsbk_header + "<SN_DATA_PAGE_REQ><Reserved>zz</Reserved></SN_DATA_PAGE_REQ>"), nullptr,
         "replay.xml:2: error: <Reserved>: Bad text \"zz\": expected 2 octets, each 2 hexadecimal digits\n"},
        // Three blocks announced; the group grant has 1- and 2-block forms.
        // That is reported only when reports are asked for.
        {Message("osp", three_blocks), nullptr, "replay.xml:2: error: <GRP_V_CH_GRANT>: Bad block count 3\n"},
        {Message("osp", three_blocks), nullptr, "", false},
        // A field of a form it does not have is refused as the bad count.
        {Message("osp", "<Alternate_MBT_header mfid=\"00\" blocks_to_follow=\"2\"/>"
                        "<GRP_V_CH_GRANT><Channel id=\"1\" number=\"2\"/></GRP_V_CH_GRANT>"),
         nullptr, "replay.xml:2: error: <GRP_V_CH_GRANT>: Bad block count 3\n"},
        // No count in the header: the largest form, 3 blocks.
        {Message("osp",
                 "<Alternate_MBT_header mfid=\"00\" blocks_to_follow=\"0\"/><Source_address>123456</Source_address>"
                 "<UU_V_CH_GRANT><Service_options emergency=\"true\" priority=\"3\"/><WACN>BEE00</WACN>"
                 "<System_ID>2A1</System_ID><Source_ID>654321</Source_ID><Target_address>ABCDEF</Target_address>"
                 "<Channel id=\"1\" number=\"100\"/><Channel id=\"1\" number=\"101\"/></UU_V_CH_GRANT>"),
         "input_uu_v_ch_grant_3.xml", std::string(unimplemented) + unimplemented},
        // The TSBK header gets the definition's opcode and manufacturer;
        // one that says otherwise is refused at the header.
        {Message("osp", tsbk_header + "<UU_V_CH_GRANT>" + grant_fields + "</UU_V_CH_GRANT>"),
         "input_uu_v_ch_grant_1.xml", std::string(unimplemented) + unimplemented},
        {Message("osp", "<P25_TSBK_header opcode=\"0\" mfid=\"00\"/><UU_V_CH_GRANT>" + std::string(grant_fields) +
                            "</UU_V_CH_GRANT>"),
         nullptr, "replay.xml:2: error: <P25_TSBK_header>, attribute \"opcode\": Value 0 contradicts <UU_V_CH_GRANT>, "
                  "whose opcode is 4\n"},
        // Inbound: found among the outbound messages; logged without a
        // message element, as an inbound TSBK with this opcode has none.
        {Message("isp", tsbk_header + "<UU_V_CH_GRANT_UPDT>" + grant_fields + "</UU_V_CH_GRANT_UPDT>"),
         "input_other_direction.xml", std::string(unimplemented) + unimplemented},
        // PDU blocks feed the input assemblers; the header first flushes the
        // idle assembler, which has nothing to say.
        {pdu_blocks, "input_pdu_blocks.xml", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        Log_capture log;
        EXPECT_EQ(Replay(c.document, log, c.report_errors),
                  c.golden ? XML_routines::Read_status::ok : XML_routines::Read_status::reported);
        if (c.golden)
            Expect_golden(c.golden, log.Body());
        else
            EXPECT_EQ(log.Body(), "");
        EXPECT_EQ(log.Errors(), c.errors);
    }
}
