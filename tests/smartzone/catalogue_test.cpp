// Every message definition of the catalogue, in each of its conditional
// views, as the log writes it (golden) and read back into exactly the words
// it was written from; the channel-word records themselves; and the limit
// on the words of a message read from a document.
#include "support.h"

using namespace sz;
using namespace Smartzone;

namespace {

// An extended-function word: expander and payload in the address field.
constexpr std::uint32_t Ext(unsigned expander, unsigned payload, bool flag = false) {
    return Osw(expander << 10 | payload, flag, EXTENDED_FUNCTION);
}
constexpr std::uint32_t Ext_isw(unsigned expander, unsigned payload) {
    return Isw(expander << 10 | payload, ISW_EXTENDED);
}
// Status words: the opcode in address bits 15-13.
constexpr std::uint32_t Status(unsigned opcode, unsigned rest, bool flag, unsigned cmd) {
    return Osw(opcode << 13 | rest, flag, cmd);
}

struct Message {
    bool outbound;
    std::vector<std::uint32_t> words;
};

// Bits no field shows are those a document gives them: a flag clear, a
// first word FIRST_WORD1, the middle one of three TRIPLE_WORD, an inbound
// first word First_ISW.  Field values vary from bit to bit where they can,
// so that a field read from the wrong bits shows in the golden file.
const Message messages[] = {
    {true, {Osw(0x5673, true, 400)}},                                           // Group_update
    {true, {Osw(0xA5C9, false, 1022)}},                                         // Group_update
    {true, {Osw(0x1234, true, FIRST_WORD1)}},                                   // Individual_id
    {true, {Osw(0xFEDC, false, FIRST_WORD2)}},                                  // Individual_id
    {true, {Osw(0x0102, true, SEND_TALK_GRP)}},                                 // Send_talk_group
    {true, {Osw(0x2F5A, false, BACKGROUND_WORD)}},                              // Background
    {true, {Osw(0x4C7E, true, SCAN_WORD)}},                                     // Scan_word
    {true, {Osw(0x9876, false, OTHER_BUSY)}},                                   // Busy
    {true, {Status(0, 0x1ABC, false, SYSTEM_STATUS_AMSS)}},                     // Status_generic
    {true, {Status(5, 0x0123, false, SYSTEM_STATUS_STANDALONE)}},               // Status_generic
    {true, {Status(1, 0x1C00, true, SYSTEM_STATUS_STANDALONE)}},                // Status1: timers 180, 30
    {true, {Status(1, 5u << 9 | 0xAu << 5 | 0x13, true, SYSTEM_STATUS_AMSS)}},  // Status1: 150, 1170
    {true, {Status(2, 0x1345, false, SYSTEM_STATUS_AMSS)}},                     // Status2: Rebanding, echo 230
    {true, {Status(2, 0x0DBA, false, SYSTEM_STATUS_STANDALONE)}},               // Status2
    {true, {Status(3, 0x0F0F, true, SYSTEM_STATUS_STANDALONE)}},                // Status3 (bit 4 not decoded)
    {true, {Status(3, 0x10E0, false, SYSTEM_STATUS_AMSS)}},                     // Status3
    {true, {Osw(0x2345, false, FIRST_WORD1), Osw(0x5673, false, 400)}},         // Channel_assignment, talk group
    {true, {Osw(0x0A0B, false, FIRST_WORD1), Osw(0x4321, true, 1000)}},         // Channel_assignment, unit
    {true, {Osw(0x1234, true, FIRST_WORD1), Osw(0, false, DISPATCH_BUSY)}},     // Regroup_busy
    {true, {Osw(0x5678, false, FIRST_WORD1), Osw(0, true, INTERCONNECT_BUSY)}}, // interconnect_busy
    {true, {Osw(0x9ABC, true, FIRST_WORD1), Osw(0, true, EMERGENCY_BUSY)}},     // emergency_busy
    {true, {Osw(0xDEF1, false, FIRST_WORD1), Osw(0, false, OTHER_BUSY)}},       // Other_busy
    {true, {Osw(0x00AB, false, FIRST_WORD1), Osw(0x123D, false, AUTO_AFFILIATE)}},  // Auto_affiliate, secure
    {true, {Osw(0xBA00, false, FIRST_WORD2), Osw(0xFED2, false, AUTO_AFFILIATE)}},  // Auto_affiliate
    {true, {Osw(0x0101, true, FIRST_WORD1), Osw(0x0202, true, PRIVATE_CALL_RING)}}, // Private_call_ring
    {true, {Osw(0x0303, false, FIRST_WORD1), Osw(0x0404, true, PRIVATE_CALL_ACK)}}, // Private_call_ack
    {true, {Osw(0x0505, true, FIRST_WORD1), Osw(0x0606, false, CALL_ALERT)}},       // Call_ring
    {true, {Osw(0x0707, false, FIRST_WORD1), Osw(0x0808, false, CALL_ALERT_ACK)}},  // Call_ack
    {true, {Osw(0x0450, false, FIRST_WORD1), Osw(0x3007, true, 835)}},              // Dynamic_regroup
    {true, {Osw(0x9AB1, true, FIRST_WORD1), Osw(0xC123, false, 848)}},              // Dynamic_regroup
    {true, {Osw(0x1234, true, FIRST_WORD1), Ext(20, 0x155, true)}},                 // Extended_OSW, unit
    {true, {Osw(0x5672, false, FIRST_WORD1), Ext(35, 0x2AA)}},                      // Extended_OSW, talk group
    {true, {Osw(0x4321, true, FIRST_WORD1), Ext(TYPE_I_II_ACKS, 539, true)}},       // ACK, unit
    {true, {Osw(0x8765, false, FIRST_WORD1), Ext(TYPE_I_II_ACKS, 600)}},            // ACK, talk group
    {true, {Osw(0x0A1B, false, FIRST_WORD1), Ext(TYPE_II_SYSTEM_ID, 321, true)}},   // Extended_SysID
    {true, {Osw(0x1234, true, FIRST_WORD1), Osw(0x5672, false, TRIPLE_WORD), Ext(3, 5)}},       // Extended_OSW3
    {true, {Osw(0x5672, false, FIRST_WORD1), Osw(0x1234, true, TRIPLE_WORD), Ext(3, 5, true)}}, // Extended_OSW3
    {true, {Osw(0x1234, true, FIRST_WORD1), Osw(0x4321, true, TRIPLE_WORD), Ext(44, 0x3FF)}},   // Extended_OSW3
    {true, {Osw(0x5672, false, FIRST_WORD1), Osw(0x9871, false, TRIPLE_WORD), Ext(3, 5)}},      // Extended_OSW3
    // Adjacent_control_channel: the transmit channel shows unless w0 is a first word.
    {true, {Osw(0x0A1B, false, 401), Osw(0xABCD, true, TRIPLE_WORD), Ext(ADJACENT_CONTROL_CHAN, 602)}},
    {true, {Osw(0x1F2E, true, FIRST_WORD1), Osw(0x5432, false, TRIPLE_WORD), Ext(ADJACENT_CONTROL_CHAN, 77, true)}},
    {true, {Osw(0xBEEF, true, 1023)}},                                                          // OSW
    {true, {Osw(0x1111, true, FIRST_WORD1), Osw(0x2222, false, TRIPLE_WORD)}},                  // OSW OSW
    {true, {Osw(1, false, FIRST_WORD1), Osw(2, false, TRIPLE_WORD), Osw(3, true, 760)}},        // OSW OSW OSW
    {false, {Isw(0x1234, ISW_FIRST), Isw(0x5673, ISW_AFFILIATE_REQUEST)}},                      // Affiliate_request
    {false, {Isw(0xABCD, ISW_FIRST), Isw(0x987E, ISW_GROUP_REQUEST_2)}},                        // Group_request
    {false, {Isw(0x1234, ISW_FIRST), Ext_isw(3, 0x155)}},                                       // Extended_ISW
    {false, {Isw(0x4321, ISW_FIRST), Ext_isw(45, 0x2AA)}},                                      // Extended_ISW
    {false, {Isw(0x1234, ISW_FIRST), Ext_isw(TYPE_I_II_ACKS, 600)}},                            // Type_2_request
    {false, {Isw(0x2345, ISW_FIRST), Ext_isw(DYNAMIC_REGROUP_AMSS_2, 1023)}},                   // Type_2_request
    {false, {Isw(0x5678, ISW_FIRST), Ext_isw(DYNAMIC_REGROUP_AMSS_2, 538)}},                    // Afiliate_central
    {false, {Isw(0x1234, ISW_FIRST), Ext_isw(TYPE_I_II_ACKS, 539)}},                            // Afiliate
    {false, {Isw(0x9ABC, ISW_FIRST), Ext_isw(TYPE_I_II_ACKS, 540)}},                            // Deafiliate
    {false, {Isw(0x5670, ISW_AFFILIATE_REQUEST)}},                                              // ISW
    {false, {Isw(0x1234, ISW_FIRST), Isw(0x0042, 24)}},                                         // ISW ISW
};

}  // namespace

TEST(Catalogue, EveryMessageIsLoggedAndReadsBackToItsWords) {
    Log_capture log;
    for (const Message& m : messages) {
        if (m.outbound) XML_Log(Osw_info(), Message_of<OSW_log>(m.words), 0, XML_routines::Log_protocol_cooked);
        else XML_Log(Isw_info(), Message_of<ISW_log>(m.words), 0, XML_routines::Log_protocol_cooked);
    }
    const std::string body = log.Body();
    Expect_golden("catalogue.xml", body);
    const auto elements = trk::Elements(body);
    ASSERT_EQ(elements.size(), std::size(messages));
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const std::string& xml = elements[i].second;
        OSW_log osw{};
        ISW_log isw{};
        EXPECT_TRUE(messages[i].outbound ? Parse(Osw_info(), xml, osw) : Parse(Isw_info(), xml, isw)) << xml;
        EXPECT_EQ(messages[i].outbound ? Words_of(osw) : Words_of(isw), messages[i].words) << xml;
    }
}

// The records of a stream as the log writes them: raw and cooked words
// (the raw one assembles nothing; the cooked ones are logged before the
// message they complete), a CRC error, a time-out, and a 300-baud word of a
// traffic channel beyond the assembled ones.
TEST(Catalogue, ChannelWordRecords) {
    Idle_assemblers();
    Log_capture log;
    P25::Smartnet_data_log first = Record(true, Osw(0x1234, true, FIRST_WORD1), 1, 2);
    first.bits.crc = 0xBEEF;
    first.bits.bit_errs = 2;
    Log_raw(first);
    Log_cooked(first);
    Log_cooked(Record(true, Osw(0x5673, false, 400), 2, 2));
    Log_crc_err(Record(true, 0xFFFFFFFF, 3, 2));
    Log_timeout(Record(false, 0x123456, 4, 2));
    P25::Smartnet_data_log slow = Record(true, 0xA5, 5, 7, 1, 300);
    slow.bits.ch_type = 4;
    slow.bits.count = 6;
    Log_cooked(slow);
    Expect_golden("records.xml", log.Body());
    EXPECT_EQ(log.Errors(), "");
}

// The baud rates the log names read back as those rates.
TEST(Catalogue, NamedBaudRatesReadAsTheirRates) {
    for (std::uint32_t baud : {150u, 300u, 3600u}) {
        P25::Smartnet_data_log back{};
        ASSERT_TRUE(Parse(Smartzone::raw_info, "<Smartzone_raw baud=\"" + std::to_string(baud) + "\"/>", back));
        EXPECT_EQ(back.bits.baud, baud);
    }
}

// A message holds three words at most: a fourth generic word is refused,
// with its line, and the rest of the document is still read.
TEST(Catalogue, AFourthWordIsRefused) {
    const std::string osw = "<OSW><payload>00 01 </payload><i_bit>false</i_bit><Command>BACKGROUND_WORD</Command></OSW>";
    const std::string isw = "<ISW><Unit_id>0001 </Unit_id><ISW_Type>Extended</ISW_Type></ISW>";
    Log_capture log;
    trk::Replay("<Smartzone_osw phys_channel=\"1\">\n" + osw + osw + osw + "\n" + osw + "</Smartzone_osw>\n" +
                    "<Smartzone_isw phys_channel=\"1\">\n" + isw + isw + isw + "\n" + isw + "</Smartzone_isw>\n",
                log);
    EXPECT_EQ(log.Body(), "");
    EXPECT_EQ(log.Errors(), "replay.xml:4: error: <OSW>: At most 3 words in a message\n"
                            "replay.xml:7: error: <ISW>: At most 3 words in a message\n");
}
