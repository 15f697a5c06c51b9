// Overhead slots in process: the slots an input document may not load, the
// message an accepted slot sends, the dispatch a filter suppresses, the
// slots Log_Overhead writes by data unit, and the round trip of a slot
// through the host's record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "trunking/support.h"

using namespace XML_routines;

namespace {

using Message = std::vector<std::uint8_t>;

// Collects what the library sends to the dispatcher while it lives.
class Messages {
public:
    Messages() {
        Dispatcher::create()->Set_listener([this](const std::uint8_t* m, std::size_t n) { sent.emplace_back(m, m + n); });
    }
    ~Messages() { Dispatcher::create()->Set_listener(nullptr); }
    std::vector<Message> sent;
};

P25::Trunking_Overhead Payload_of(const Message& m) {
    P25::Trunking_Overhead record;
    EXPECT_EQ(m.size(), sizeof(P25::Overhead_MBMessage));
    std::memcpy(&record, m.data() + sizeof(DispatcherHdr), sizeof record);
    return record;
}

// A logged grant as the log writes it; the slot element around it is the
// same in the input document and in the log.
const char grant_slot[] =
    "  <P25_Overhead interval=\"1000\" handle=\"0000002A\">\n"
    "    <TSBK timestamp=\" 1.00000000\" phys_channel=\"5\" direction=\"tx\" type=\"osp\" timeslot=\"0\" NAC=\"293\">"
    "80 00 85 12 34 56 78 AB CD EF EE E4 </TSBK>\n"
    "    <Trunking_message timestamp=\" 1.00000000\" phys_channel=\"5\" direction=\"tx\" type=\"osp\" timeslot=\"0\">\n"
    "      <P25_TSBK_header last_block=\"true\" protected_flag=\"false\" opcode=\"0\" mfid=\"00\"/>\n"
    "      <GRP_V_CH_GRANT>\n"
    "        <Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"false\" packet_mode=\"false\" "
    "Reserved=\"0\" priority=\"5\"/>\n"
    "        <Channel id=\"1\" number=\"564\"/>\n"
    "        <Group_address>5678</Group_address>\n"
    "        <Source_address>ABCDEF</Source_address>\n"
    "      </GRP_V_CH_GRANT>\n"
    "    </Trunking_message>\n"
    "  </P25_Overhead>\n";

// A slot of raw blocks on channel 5.
std::string Raw_slot(const char* child, const char* direction, const char* blocks) {
    return std::string("  <P25_Overhead interval=\"10\" handle=\"1\">\n    <") + child +
           " phys_channel=\"5\" direction=\"" + direction + "\">" + blocks + "</" + child + ">\n  </P25_Overhead>\n";
}

}  // namespace

// Each refusal names the slot's line; nothing is sent for a refused slot.
TEST(OverheadInput, RefusesWhatTheHostCannotRepeat) {
    const char* tsbk = "80 00 85 12 34 56 78 AB CD EF EE E4";
    const std::string two = std::string(tsbk) + " " + tsbk;
    const struct {
        std::string slot, error;
    } cases[] = {
        {Raw_slot("TSBK", "rx", tsbk), "Overhead only valid for TX"},
        {Raw_slot("TSBK", "rx_sim", tsbk), "Overhead only valid for TX"},
        {Raw_slot("PDU", "tx", tsbk), "Invalid length for PDU"},
        {Raw_slot("TSBK", "tx", two.c_str()), "Only 1 TSBK allowed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        Messages messages;
        trk::Log_capture log;
        // The slot starts on line 3, after a blank line.
        EXPECT_EQ(trk::Replay("\n" + c.slot, log), Read_status::reported);
        EXPECT_EQ(log.Errors(), "replay.xml:3: error: <P25_Overhead>: " + c.error + "\n");
        EXPECT_TRUE(messages.sent.empty());
    }
}

// The header and the slot's fields are read back from the message line in
// tool_test.cpp; here, what the conversion leaves in the rest of the record.
TEST(OverheadInput, TheHostsRecordCarriesTheSourceAndNidAndZeroElsewhere) {
    Messages messages;
    trk::Log_capture log;
    EXPECT_EQ(trk::Replay(Raw_slot("TSBK", "tx", "80 00 85 12 34 56 78 AB CD EF EE E4"), log), Read_status::ok);
    ASSERT_EQ(messages.sent.size(), 1u);
    const P25::Trunking_Overhead slot = Payload_of(messages.sent[0]);
    EXPECT_EQ(slot.metadata.phys_channel, 5);
    EXPECT_EQ(slot.tsbk.header.metadata.phys_channel, 5);
    EXPECT_EQ(slot.tsbk.header.metadata.dir_tx, 1);
    EXPECT_EQ(slot.tsbk.header.nid.duid, 7u);
    EXPECT_EQ(slot.tsbk.header.statuses.count, 0u);
    EXPECT_EQ(slot.tsbk.tsbk[0].data[11], 0xE4);
    const P25::P25_TSBK_DATA zero{};
    for (unsigned i = 1; i < 128; ++i) EXPECT_EQ(std::memcmp(&slot.tsbk.tsbk[i], &zero, sizeof zero), 0) << i;
}

// The filter of the slot's channel stops the message; the slot is not
// refused, and a slot of another channel still goes.
TEST(OverheadInput, AFilterWithoutCookedProtocolSuppressesTheDispatch) {
    Messages messages;
    trk::Log_capture log;
    const std::string filter =
        "  <LogFilter phys_channel=\"5\"><Raw>true</Raw><Protocol_Raw>true</Protocol_Raw><Voice>true</Voice>"
        "</LogFilter>\n";
    std::string other = Raw_slot("TSBK", "tx", "80 00 85 12 34 56 78 AB CD EF EE E4");
    other.replace(other.find("\"5\""), 3, "\"6\"");
    EXPECT_EQ(trk::Replay(filter + Raw_slot("TSBK", "tx", "80 00 85 12 34 56 78 AB CD EF EE E4") + other, log),
              Read_status::ok);
    EXPECT_EQ(log.Errors(), "");
    ASSERT_EQ(messages.sent.size(), 1u);
    EXPECT_EQ(Payload_of(messages.sent[0]).metadata.phys_channel, 6);
}

// A slot read from a document, sent to the host and logged back from the
// host's record is the same element.
TEST(OverheadRoundTrip, SlotToMessageToLogIsTheSameElement) {
    Messages messages;
    {
        trk::Log_capture discard;
        ASSERT_EQ(trk::Replay(grant_slot, discard), Read_status::ok);
        EXPECT_EQ(discard.Errors(), "");
    }
    ASSERT_EQ(messages.sent.size(), 1u);
    trk::Log_capture log;
    P25::Log_Overhead(Payload_of(messages.sent[0]));
    EXPECT_EQ(log.Body(), grant_slot);
    EXPECT_EQ(log.Errors(), "");
}

TEST(OverheadLog, WritesTrunkingSlotsAndSmartzoneSlotsThroughTheirOwnElement) {
    P25::Trunking_Overhead slot;
    std::memset(&slot, 0, sizeof slot);
    slot.metadata = trk::Source(2, 1);
    slot.handle = 0xAB;
    slot.repeat_time = 250;
    const std::string empty = "  <P25_Overhead interval=\"250\" handle=\"000000AB\"/>\n";
    const struct {
        const char* what;
        std::uint32_t duid, block_count;
        std::string body, errors;
    } cases[] = {
        {"an empty PDU slot: the attributes only", P25::PDU, 0, empty, ""},
        {"a TSDU slot holds one block, whatever its count", P25::TSDU, 0, "TSBK", ""},
        {"more blocks than a data unit holds", P25::PDU, 129, "", "Overhead Log_Overhead block_count=129\n"},
        {"an OSW slot goes to the SmartZone overhead", P25::SMARTZONE_OSW, 1,
         "  <Smartzone_overhead interval=\"250\" handle=\"000000AB\">\n    <Smartzone_osw timestamp=\" 0.00000000\" "
         "phys_channel=\"0\" direction=\"rx\" type=\"isp\" timeslot=\"0\"/>\n  </Smartzone_overhead>\n",
         ""},
        {"an ISW slot goes to the SmartZone overhead", P25::SMARTZONE_ISW, 1,
         "  <Smartzone_overhead interval=\"250\" handle=\"000000AB\">\n    <Smartzone_isw timestamp=\" 0.00000000\" "
         "phys_channel=\"0\" direction=\"rx\" type=\"isp\" timeslot=\"0\"/>\n  </Smartzone_overhead>\n",
         ""},
        {"a raw slot goes to the SmartZone overhead", P25::SMARTZONE_RAW, 1,
         "  <Smartzone_overhead interval=\"250\" handle=\"000000AB\">\n    <Smartzone_raw timestamp=\" 0.00000000\" "
         "phys_channel=\"0\" direction=\"rx\" type=\"isp\" timeslot=\"0\" ch_type=\"0x0\" baud=\"0x0\" bits=\"0\"/>\n"
         "  </Smartzone_overhead>\n",
         ""},
        {"a cooked control-channel record", P25::SMARTZONE_COOKED, 1, "", ""},
        {"a voice data unit", P25::LDU1, 1, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        slot.duid = c.duid;
        slot.tsbk.block_count = c.block_count;
        trk::Log_capture log;
        P25::Log_Overhead(slot);
        const std::string body = log.Body();
        if (c.body == "TSBK") {  // one slot element holding one block
            EXPECT_EQ(trk::Tags(body), std::vector<std::string>{"P25_Overhead"}) << body;
            EXPECT_NE(body.find("NAC=\"000\">00 00 00 00 00 00 00 00 00 00 00 00 </TSBK>"), std::string::npos) << body;
        } else {
            EXPECT_EQ(body, c.body);
        }
        EXPECT_EQ(log.Errors(), c.errors);
    }
}

// The slot's element goes to the log on its channel, class cooked protocol.
TEST(OverheadLog, IsFilteredAsCookedProtocolOnItsChannel) {
    P25::Trunking_Overhead slot;
    std::memset(&slot, 0, sizeof slot);
    slot.metadata = trk::Source(7, 1);
    slot.duid = P25::PDU;
    for (const auto& c : {std::make_pair(7u, false), std::make_pair(8u, true)}) {
        trk::Log_capture log;
        log.File().Filters()[c.first] = ~0u & ~Log_protocol_cooked;
        P25::Log_Overhead(slot);
        EXPECT_EQ(log.Body().empty(), !c.second) << c.first;
    }
}
