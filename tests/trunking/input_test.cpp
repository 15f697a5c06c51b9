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

const char* const tsbk_header =
    "<P25_TSBK_header last_block=\"true\" protected_flag=\"false\" opcode=\"0\" mfid=\"00\"/>";
const char* const grant_fields = "<Channel id=\"1\" number=\"2\"/><Target_address>000003</Target_address>"
                                 "<Source_address>000004</Source_address>";

}  // namespace

TEST(Input, ReportsWhatTheRegistryCannotFind) {
    const std::string three_blocks = "<Alternate_MBT_header mfid=\"00\" blocks_to_follow=\"2\"/><GRP_V_CH_GRANT/>";
    struct Case {
        std::string document;
        bool report_errors;
        const char* report;  // on stderr
    } cases[] = {
        {Message("osp", "<P25_TSBK_header opcode=\"4\" mfid=\"55\"/><UU_V_CH_GRANT/>"), true,
         "replay.xml:2: error: <UU_V_CH_GRANT>: Unknown MFID 55\n"},
        {Message("osp", std::string(tsbk_header) + "<NOT_A_MESSAGE/>"), true, "Unknown opcode NOT_A_MESSAGE\n"},
        // Three blocks announced; the group grant has 1- and 2-block forms.
        {Message("osp", three_blocks), true, "Bad block count 3\n"},
        // That one is reported only when reports are asked for.
        {Message("osp", three_blocks), false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        Log_capture log;
        EXPECT_EQ(Replay(c.document, log, c.report_errors), XML_routines::Read_status::reported);
        EXPECT_EQ(log.Body(), "");
        if (c.report)
            EXPECT_NE(log.Errors().find(c.report), std::string::npos) << log.Errors();
        else
            EXPECT_EQ(log.Errors(), "");
    }
}

TEST(Input, MessagesAreCompletedFromTheirDefinition) {
    struct Case {
        const char* golden;
        std::string document;
    } cases[] = {
        // No count in the header: the largest form, 3 blocks.
        {"input_uu_v_ch_grant_3.xml",
         Message("osp",
                 "<Alternate_MBT_header mfid=\"00\" blocks_to_follow=\"0\"/><Source_address>123456</Source_address>"
                 "<UU_V_CH_GRANT><Service_options emergency=\"true\" priority=\"3\"/><WACN>BEE00</WACN>"
                 "<System_ID>2A1</System_ID><Source_ID>654321</Source_ID><Target_address>ABCDEF</Target_address>"
                 "<Channel id=\"1\" number=\"100\"/><Channel id=\"1\" number=\"101\"/></UU_V_CH_GRANT>")},
        // The TSBK header's opcode is replaced by the definition's.
        {"input_uu_v_ch_grant_1.xml", Message("osp", std::string(tsbk_header) + "<UU_V_CH_GRANT>" + grant_fields +
                                                          "</UU_V_CH_GRANT>")},
        // Inbound: found among the outbound messages; logged without a
        // message element, as an inbound TSBK with this opcode has none.
        {"input_other_direction.xml",
         Message("isp", std::string(tsbk_header) + "<UU_V_CH_GRANT_UPDT>" + grant_fields + "</UU_V_CH_GRANT_UPDT>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Log_capture log;
        EXPECT_EQ(Replay(c.document, log), XML_routines::Read_status::ok);
        Expect_golden(c.golden, log.Body());
        EXPECT_EQ(log.Errors(), "System_interface Receive_Trunk_from_XML UNIMPLEMENTED\n"
                                "System_interface Receive_Trunk_from_XML UNIMPLEMENTED\n");
    }
}

TEST(Input, PduBlocksFeedTheInputAssemblers) {
    const Blocks m = Grant_exp(0x123456);
    std::string document;
    for (int i = 0; i < 2; ++i) {
        const std::string tag = i ? "PDU_Continuation" : "PDU_Header";
        document += "<" + tag + " phys_channel=\"2\" direction=\"rx\" type=\"osp\">";
        for (std::uint8_t octet : m[i].data) {
            char text[4];
            std::snprintf(text, sizeof text, "%02X ", octet);
            document += text;
        }
        document += "</" + tag + ">\n";
    }
    Log_capture log;
    EXPECT_EQ(Replay(document, log), XML_routines::Read_status::ok);
    EXPECT_EQ(Tags(log.Body()), (std::vector<std::string>{"PDU_Header", "PDU_Continuation", "Trunking_message"}));
    EXPECT_NE(log.Body().find("<GRP_V_CH_GRANT_EXP>"), std::string::npos);
    // The header first flushes the idle assembler, which has nothing to say.
    EXPECT_EQ(log.Errors(), "");
}
