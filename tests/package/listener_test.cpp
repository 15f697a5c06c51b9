// The host's receive listener: one call an input element, in document
// order, with the record as the library completed it; none once removed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"

namespace {

using P25::Received;

struct Call {
    Received what;
    unsigned channel;
    unsigned blocks;  // data units and messages; 0 for the others
};

std::vector<Call> Read_with_listener(const std::string& document, std::string* stderr_text = nullptr) {
    std::vector<Call> calls;
    P25::Set_receive_listener([&calls](Received what, const void* record) {
        Call c{what, 0, 0};
        switch (what) {
        case Received::trunking_message: {
            const auto& r = *static_cast<const P25::Trunking_data*>(record);
            c.channel = r.metadata.phys_channel;
            c.blocks = r.block_count;
            break;
        }
        case Received::tsbk:
        case Received::pdu:
        case Received::pdu_header:
        case Received::pdu_cont: {
            const auto& r = *static_cast<const P25::TSBK_PDU_data*>(record);
            c.channel = r.header.metadata.phys_channel;
            c.blocks = r.block_count;
            break;
        }
        case Received::status:
            c.channel = static_cast<const P25::DUID_Header*>(record)->metadata.phys_channel;
            break;
        case Received::time:
            c.channel = static_cast<const P25::Time_log*>(record)->metadata.phys_channel;
            break;
        default:
            break;
        }
        calls.push_back(c);
    });
    XML_routines::Input_data input;
    if (stderr_text) testing::internal::CaptureStderr();
    XML_routines::Read_memory(document.data(), document.size(), "doc", XML_routines::P25_log_data, input);
    if (stderr_text) *stderr_text = testing::internal::GetCapturedStderr();
    P25::Set_receive_listener(nullptr);
    return calls;
}

const std::string document =
    "<P25_log_data>\n"
    "  <Status_bits phys_channel=\"1\">IDLE</Status_bits>\n"
    "  <TSBK phys_channel=\"1\" type=\"osp\">80 00 80 10 F1 0A BC 12 34 56 23 01</TSBK>\n"
    "  <DateTime timestamp=\"2\"><Date>2024/05/17</Date><Time>13:45:09</Time></DateTime>\n"
    "  <Trunking_message phys_channel=\"2\" type=\"osp\"><P25_TSBK_header/>\n"
    "    <GRP_V_CH_GRANT><Group_address>0ABC</Group_address></GRP_V_CH_GRANT></Trunking_message>\n"
    "</P25_log_data>\n";

TEST(Listener, OneCallAnElementInDocumentOrder) {
    std::string err;
    const std::vector<Call> calls = Read_with_listener(document, &err);
    const Call expected[] = {
        {Received::status, 1, 0},
        {Received::tsbk, 1, 1},
        {Received::time, 0, 0},
        {Received::trunking_message, 2, 1},
    };
    ASSERT_EQ(calls.size(), std::size(expected));
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].what, expected[i].what) << i;
        EXPECT_EQ(calls[i].channel, expected[i].channel) << i;
        EXPECT_EQ(calls[i].blocks, expected[i].blocks) << i;
    }
    // The host took the records: no placeholder reports.
    EXPECT_EQ(err.find("UNIMPLEMENTED"), std::string::npos) << err;
}

TEST(Listener, WithoutOneTheHooksReportThemselves) {
    P25::Set_receive_listener(nullptr);
    EXPECT_FALSE(P25::Has_receive_listener());
    XML_routines::Input_data input;
    testing::internal::CaptureStderr();
    XML_routines::Read_memory(document.data(), document.size(), "doc", XML_routines::P25_log_data, input);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("System_interface Receive_TSBK_from_XML UNIMPLEMENTED"), std::string::npos) << err;
    EXPECT_NE(err.find("System_interface Receive_Trunk_from_XML UNIMPLEMENTED"), std::string::npos) << err;
}

// The message reaches the listener with its header and CRC completed.
TEST(Listener, MessageArrivesComplete) {
    P25::P25_TSBK_DATA block{};
    P25::Set_receive_listener([&block](Received what, const void* record) {
        if (what == Received::trunking_message) block = static_cast<const P25::Trunking_data*>(record)->tsbk[0];
    });
    XML_routines::Input_data input;
    XML_routines::Read_memory(document.data(), document.size(), "doc", XML_routines::P25_log_data, input);
    P25::Set_receive_listener(nullptr);
    EXPECT_EQ(block.data[0] & 0x3F, 0x00);  // the opcode, filled in
    EXPECT_EQ(block.data[3] | block.data[4], 0);  // no channel given
    EXPECT_EQ(block.data[5], 0x0A);
    EXPECT_EQ(block.data[6], 0xBC);
    EXPECT_EQ(static_cast<std::uint16_t>(~ccitt_16(0, block.data, 10)), (block.data[10] << 8) | block.data[11]);
}

// Elements the library only logs reach the listener as Received::element:
// their tag, their record and the element written from the record; the
// same record nested in an overhead slot goes with the slot only.
TEST(Listener, LogOnlyElementsArriveWithTheirRecordAndElement) {
    const std::string doc =
        "<P25_log_data>\n"
        "  <Voice_Header phys_channel=\"1\" NAC=\"293\"><Group_ID>0BAD</Group_ID></Voice_Header>\n"
        "  <Control_state phys_channel=\"1\"><State>CC_MOBILE_REG</State><Source_ID>000011</Source_ID>"
        "<WACN>BEE00</WACN><Registration_value>ACCEPT</Registration_value></Control_state>\n"
        "  <Smartzone_raw phys_channel=\"2\" baud=\"3600\" bits=\"27\">2F 5A 5F 00</Smartzone_raw>\n"
        "  <Smartzone_overhead interval=\"1\" handle=\"2A\"><Smartzone_raw phys_channel=\"3\">01</Smartzone_raw>"
        "</Smartzone_overhead>\n"
        "</P25_log_data>\n";
    std::vector<std::string> tags;
    std::uint16_t tgid = 0;
    std::uint8_t items[4] = {};
    unsigned element_calls = 0, overhead_calls = 0;
    P25::Set_receive_listener([&](Received what, const void* record) {
        if (what == Received::overhead) ++overhead_calls;
        if (what != Received::element) return;
        ++element_calls;
        const auto& e = *static_cast<const P25::Received_element*>(record);
        tags.push_back(e.tag);
        ASSERT_NE(e.element, nullptr);
        // Written as Info<T>::Write writes a top-level descriptor's record:
        // named by the descriptor's path.
        EXPECT_EQ(reinterpret_cast<const char*>(e.element->name), "/P25_log_data/" + tags.back());
        if (tags.back() == "Voice_Header") tgid = static_cast<const P25::p25_Voice_Hdr*>(e.record)->tgid;
        if (tags.back() == "Control_state")
            for (unsigned i = 0; i < 4; ++i) items[i] = static_cast<const P25::Control_sim_state*>(e.record)->data[i].type;
    });
    XML_routines::Input_data input;
    XML_routines::Read_memory(doc.data(), doc.size(), "doc", XML_routines::P25_log_data, input);
    P25::Set_receive_listener(nullptr);
    EXPECT_EQ(input.Error_count(), 0u);
    EXPECT_EQ(tags, (std::vector<std::string>{"Voice_Header", "Control_state", "Smartzone_raw"}));
    EXPECT_EQ(element_calls, 3u);
    EXPECT_EQ(overhead_calls, 1u);
    EXPECT_EQ(tgid, 0x0BAD);
    // Each data item in an item of its own, in document order.
    EXPECT_EQ(items[0], P25::SIM_SOURCE_ID);
    EXPECT_EQ(items[1], P25::SIM_WACN);
    EXPECT_EQ(items[2], P25::SIM_RESP);
    EXPECT_EQ(items[3], P25::SIM_NO_DATA);
}

}  // namespace
