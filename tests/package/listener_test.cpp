// The host's receive listener: one call an input element, in document
// order, with the record as the library completed it; none once removed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"

namespace {

using P25::Received;

// Elements with hooks of their own, then elements the library only logs
// (the last one nested in an overhead slot: it goes with the slot only).
const std::string document =
    "<P25_log_data>\n"
    "  <Status_bits phys_channel=\"1\">IDLE</Status_bits>\n"
    "  <TSBK phys_channel=\"1\" type=\"osp\">80 00 80 10 F1 0A BC 12 34 56 23 01</TSBK>\n"
    "  <DateTime timestamp=\"2\"><Date>2024/05/17</Date><Time>13:45:09</Time></DateTime>\n"
    "  <Trunking_message phys_channel=\"2\" type=\"osp\"><P25_TSBK_header/>\n"
    "    <GRP_V_CH_GRANT><Group_address>0ABC</Group_address></GRP_V_CH_GRANT></Trunking_message>\n"
    "  <Voice_Header phys_channel=\"1\" NAC=\"293\"><Group_ID>0BAD</Group_ID></Voice_Header>\n"
    "  <Control_state phys_channel=\"1\"><State>CC_MOBILE_REG</State><Source_ID>000011</Source_ID>"
    "<WACN>BEE00</WACN><Registration_value>ACCEPT</Registration_value></Control_state>\n"
    "  <Smartzone_raw phys_channel=\"2\" baud=\"3600\" bits=\"27\">2F 5A 5F 00</Smartzone_raw>\n"
    "  <Smartzone_overhead interval=\"1\" handle=\"2A\"><Smartzone_raw phys_channel=\"3\">01</Smartzone_raw>"
    "</Smartzone_overhead>\n"
    "</P25_log_data>\n";

// Reads the document; what it printed on standard error.
std::string Read_document() {
    XML_routines::Input_data input;
    testing::internal::CaptureStderr();
    XML_routines::Read_memory(document.data(), document.size(), "doc", XML_routines::P25_log_data, input);
    EXPECT_EQ(input.Error_count(), 0u);
    return testing::internal::GetCapturedStderr();
}

std::string Call(const char* what, unsigned channel, unsigned blocks = 0) {
    return std::string(what) + " " + std::to_string(channel) + " " + std::to_string(blocks);
}

}  // namespace

TEST(Listener, OneCallAnElementInDocumentOrderWithItsRecord) {
    std::vector<std::string> calls;
    P25::P25_TSBK_DATA block{};
    std::uint16_t tgid = 0;
    std::uint8_t items[4] = {};
    P25::Set_receive_listener([&](Received what, const void* record) {
        switch (what) {
        case Received::trunking_message: {
            const auto& r = *static_cast<const P25::Trunking_data*>(record);
            calls.push_back(Call("message", r.metadata.phys_channel, r.block_count));
            block = r.tsbk[0];
            break;
        }
        case Received::tsbk: {
            const auto& r = *static_cast<const P25::TSBK_PDU_data*>(record);
            calls.push_back(Call("tsbk", r.header.metadata.phys_channel, r.block_count));
            break;
        }
        case Received::status:
            calls.push_back(Call("status", static_cast<const P25::DUID_Header*>(record)->metadata.phys_channel));
            break;
        case Received::time:
            calls.push_back(Call("time", static_cast<const P25::Time_log*>(record)->metadata.phys_channel));
            break;
        case Received::element: {
            // The tag, the record, and the element as Info<T>::Write writes a
            // top-level descriptor's record: named by the descriptor's path.
            const auto& e = *static_cast<const P25::Received_element*>(record);
            calls.push_back(std::string("element ") + e.tag + " " +
                            (e.element ? reinterpret_cast<const char*>(e.element->name) : "none"));
            if (std::string(e.tag) == "Voice_Header") tgid = static_cast<const P25::p25_Voice_Hdr*>(e.record)->tgid;
            if (std::string(e.tag) == "Control_state")
                for (unsigned i = 0; i < 4; ++i) items[i] = static_cast<const P25::Control_sim_state*>(e.record)->data[i].type;
            break;
        }
        default:
            calls.push_back(Call("kind", static_cast<unsigned>(what)));
        }
    });
    const std::string err = Read_document();
    P25::Set_receive_listener(nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"status 1 0", "tsbk 1 1", "time 0 0", "message 2 1",
                                               "element Voice_Header /P25_log_data/Voice_Header",
                                               "element Control_state /P25_log_data/Control_state",
                                               "element Smartzone_raw /P25_log_data/Smartzone_raw",
                                               Call("kind", static_cast<unsigned>(Received::overhead))}));
    // The host took the records: no placeholder reports.
    EXPECT_EQ(err.find("UNIMPLEMENTED"), std::string::npos) << err;
    // The message with its header and CRC completed.
    EXPECT_EQ(block.data[0] & 0x3F, 0x00);        // the opcode, filled in
    EXPECT_EQ(block.data[3] | block.data[4], 0);  // no channel given
    EXPECT_EQ(block.data[5], 0x0A);
    EXPECT_EQ(block.data[6], 0xBC);
    EXPECT_EQ(static_cast<std::uint16_t>(~ccitt_16(0, block.data, 10)), (block.data[10] << 8) | block.data[11]);
    EXPECT_EQ(tgid, 0x0BAD);
    // Each data item in an item of its own, in document order.
    const std::vector<int> kinds = {P25::SIM_SOURCE_ID, P25::SIM_WACN, P25::SIM_RESP, P25::SIM_NO_DATA};
    EXPECT_EQ(std::vector<int>(items, items + 4), kinds);
}

// A message on a channel whose cooked protocol is filtered out is not
// handed on; the other channels' are.
TEST(Listener, NotToldOfMessagesOnAFilteredChannel) {
    const auto message = [](unsigned channel) {
        return "<Trunking_message phys_channel=\"" + std::to_string(channel) +
               "\" type=\"osp\"><P25_TSBK_header/><GRP_V_CH_GRANT><Group_address>0ABC</Group_address>"
               "</GRP_V_CH_GRANT></Trunking_message>\n";
    };
    const std::string doc = "<P25_log_data>\n" + message(2) + message(3) + "</P25_log_data>\n";
    std::vector<std::string> calls;
    P25::Set_receive_listener([&](Received what, const void* record) {
        const auto& r = *static_cast<const P25::Trunking_data*>(record);
        if (what == Received::trunking_message) calls.push_back(Call("message", r.metadata.phys_channel, r.block_count));
    });
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        XML_routines::Output_file out(f);
        out.Filters()[2] = ~0u & ~XML_routines::Log_protocol_cooked;
        XML_routines::Input_data input(&out);
        XML_routines::Read_memory(doc.data(), doc.size(), "doc", XML_routines::P25_log_data, input);
        EXPECT_EQ(input.Error_count(), 0u);
    }
    std::fclose(f);
    P25::Set_receive_listener(nullptr);
    EXPECT_EQ(calls, std::vector<std::string>{"message 3 1"});
}

TEST(Listener, WithoutOneTheHooksReportThemselves) {
    P25::Set_receive_listener(nullptr);
    EXPECT_FALSE(P25::Has_receive_listener());
    const std::string err = Read_document();
    EXPECT_NE(err.find("System_interface Receive_TSBK_from_XML UNIMPLEMENTED"), std::string::npos) << err;
    EXPECT_NE(err.find("System_interface Receive_Trunk_from_XML UNIMPLEMENTED"), std::string::npos) << err;
}
