// Overhead slots: the slots an input document may not load, the message an
// accepted slot sends the host, the dispatch a filter suppresses, the slots
// Log_Overhead writes by data unit, the overhead kind of `tessel log`, and
// the bundled control-channel example end to end.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"
#include "tool_fixture.h"
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

// A message is a 16-octet header and the host's record of the slot.
constexpr std::size_t payload = 16;

P25::Trunking_Overhead Payload_of(const Message& m) {
    P25::Trunking_Overhead record{};
    EXPECT_EQ(m.size(), sizeof(P25::Overhead_MBMessage));
    if (m.size() == sizeof(P25::Overhead_MBMessage)) std::memcpy(&record, m.data() + payload, sizeof record);
    return record;
}

// The messages the elements send, which must be taken without a report.
std::vector<Message> Sent(const std::string& elements) {
    Messages messages;
    trk::Log_capture log;
    EXPECT_EQ(trk::Replay(elements, log), Read_status::ok);
    EXPECT_EQ(log.Errors(), "");
    return messages.sent;
}

const char grant[] = "80 00 85 12 34 56 78 AB CD EF EE E4";

// A slot of raw blocks.
std::string Raw_slot(const char* child, const char* direction, const std::string& blocks = grant, char channel = '5') {
    return std::string("  <P25_Overhead interval=\"10\" handle=\"1\">\n    <") + child + " phys_channel=\"" + channel +
           "\" direction=\"" + direction + "\">" + blocks + "</" + child + ">\n  </P25_Overhead>\n";
}

using OverheadTool = tool_test::Tool_fixture;

}  // namespace

// Each refusal names the slot's line; nothing is sent for a refused slot.
TEST(OverheadInput, RefusesWhatTheHostCannotRepeat) {
    const struct {
        std::string slot, error;
    } cases[] = {
        {Raw_slot("TSBK", "rx"), "Overhead only valid for TX"},
        {Raw_slot("TSBK", "rx_sim"), "Overhead only valid for TX"},
        {Raw_slot("PDU", "tx"), "Invalid length for PDU"},
        {Raw_slot("TSBK", "tx", std::string(grant) + " " + grant), "Only 1 TSBK allowed"},
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

// A slot read from a document is sent as the host reads it: header, the
// slot's fields, the block's source and network identifier, and zero in
// every other block; logged back from the host's record it is the same element.
TEST(OverheadInput, ASlotIsSentAsTheHostsRecordAndLogsBackTheSame) {
    const std::string doc = tool_test::Read_file(TESSEL_TEST_DATA "/overhead/grant_slot.xml");
    const std::vector<Message> sent = Sent(doc);
    ASSERT_EQ(sent.size(), 1u);
    const Message& m = sent[0];
    ASSERT_EQ(m.size(), 1620u);
    EXPECT_EQ(Message(m.begin(), m.begin() + payload),
              (Message{0x95, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0xC0, 0x09}));
    const P25::Trunking_Overhead slot = Payload_of(m);
    EXPECT_EQ(slot.metadata.phys_channel, 5);
    EXPECT_EQ(slot.duid, 7u);
    EXPECT_EQ(slot.handle, 0xC0FFEE01u);
    EXPECT_EQ(slot.repeat_time, 750u);
    EXPECT_EQ(slot.tsbk.block_count, 1u);
    EXPECT_EQ(slot.tsbk.tsbk[0].data[0], 0x80);
    EXPECT_EQ(slot.tsbk.tsbk[0].data[11], 0xE4);
    EXPECT_EQ(slot.tsbk.header.metadata.phys_channel, 5);
    EXPECT_EQ(slot.tsbk.header.metadata.dir_tx, 1);
    EXPECT_EQ(slot.tsbk.header.nid.duid, 7u);
    EXPECT_EQ(slot.tsbk.header.statuses.count, 0u);
    const P25::P25_TSBK_DATA zero{};
    for (unsigned i = 1; i < 128; ++i) EXPECT_EQ(std::memcmp(&slot.tsbk.tsbk[i], &zero, sizeof zero), 0) << i;
    trk::Log_capture log;
    P25::Log_Overhead(slot);
    EXPECT_EQ(log.Body(), doc);
    EXPECT_EQ(log.Errors(), "");
}

// The filter of the slot's channel stops the message; the slot is not
// refused, and a slot of another channel still goes.
TEST(OverheadInput, AFilterWithoutCookedProtocolSuppressesTheDispatch) {
    const std::string filter =
        "  <LogFilter phys_channel=\"5\"><Raw>true</Raw><Protocol_Raw>true</Protocol_Raw><Voice>true</Voice>"
        "</LogFilter>\n";
    const std::vector<Message> sent = Sent(filter + Raw_slot("TSBK", "tx") + Raw_slot("TSBK", "tx", grant, '6'));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Payload_of(sent[0]).metadata.phys_channel, 6);
}

// A slot is written by its data unit: P25 slots as P25_Overhead, SmartZone
// ones through the SmartZone overhead, and nothing for other data units (the
// empty PDU slot and a voice data unit are rows of the overhead kind below).
TEST(OverheadLog, WritesTrunkingSlotsAndSmartzoneSlotsThroughTheirOwnElement) {
    P25::Trunking_Overhead slot;
    std::memset(&slot, 0, sizeof slot);
    slot.metadata = trk::Source(2, 1);
    slot.handle = 0xAB;
    slot.repeat_time = 250;
    const std::string sz = "  <Smartzone_overhead interval=\"250\" handle=\"000000AB\">\n    <Smartzone_",
                      source = " timestamp=\" 0.00000000\" phys_channel=\"0\" direction=\"rx\" type=\"isp\" timeslot=\"0\"",
                      sz_end = "/>\n  </Smartzone_overhead>\n";
    const struct {
        const char* what;
        std::uint32_t duid, block_count;
        std::string body, errors;
    } cases[] = {
        {"a TSDU slot holds one block, whatever its count", P25::TSDU, 0, "TSBK", ""},
        {"more blocks than a data unit holds", P25::PDU, 129, "", "Overhead Log_Overhead block_count=129\n"},
        {"an OSW slot", P25::SMARTZONE_OSW, 1, sz + "osw" + source + sz_end, ""},
        {"an ISW slot", P25::SMARTZONE_ISW, 1, sz + "isw" + source + sz_end, ""},
        {"a raw slot", P25::SMARTZONE_RAW, 1, sz + "raw" + source + " ch_type=\"0x0\" baud=\"0x0\" bits=\"0\"" + sz_end, ""},
        {"a cooked control-channel record", P25::SMARTZONE_COOKED, 1, "", ""},
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
    // The slot's element goes to the log on its channel, class cooked protocol.
    slot.metadata = trk::Source(7, 1);
    slot.duid = P25::PDU;
    slot.tsbk.block_count = 0;
    for (unsigned channel : {7u, 8u}) {
        trk::Log_capture log;
        log.File().Filters()[channel] = ~0u & ~Log_protocol_cooked;
        P25::Log_Overhead(slot);
        EXPECT_EQ(log.Body().empty(), channel == 7) << channel;
    }
}

TEST_F(OverheadTool, TheOverheadKindLogsTheHostsRecord) {
    struct Case {
        const char* line;
        std::string result;  // a fragment of what is logged, or the report
    } cases[] = {
        {"overhead phys_channel=5 NAC=293 handle=2A interval=1000 80008512345678ABCDEFEEE4",
         "<TSBK timestamp=\" 0.00000000\" phys_channel=\"5\" direction=\"tx\" type=\"osp\" timeslot=\"0\" NAC=\"293\">"},
        {"overhead duid=PDU handle=0x1 interval=10", "<P25_Overhead interval=\"10\" handle=\"00000001\"/>"},
        {"overhead duid=12 handle=FFFFFFFF", "<P25_Overhead interval=\"0\" handle=\"FFFFFFFF\"/>"},
        {"overhead duid=5", ""},
        {"overhead 00", "overhead TSDU takes one 12-byte block, got 1 bytes"},
        {"overhead duid=PDU 0011", "overhead PDU takes 12-byte blocks, 0 to 128, got 2 bytes"},
        {"overhead duid=SMARTZONE_OSW", "overhead SMARTZONE_OSW takes 4-byte words, 1 to 3, got 0 bytes"},
        {"overhead duid=SMARTZONE_ISW 0102030405", "overhead SMARTZONE_ISW takes 3-byte words, 1 to 3, got 5 bytes"},
        {"overhead duid=5 00", "overhead of duid 5 takes no bytes, got 1"},
        {"overhead duid=tsdu", "bad duid \"tsdu\": TSDU, PDU, SMARTZONE_OSW, SMARTZONE_ISW, SMARTZONE_RAW or a number is needed"},
        {"overhead handle=123456789", "bad handle \"123456789\": a hexadecimal number from 0 to FFFFFFFF is needed"},
        {"overhead interval=1.5", "bad interval \"1.5\": a decimal number from 0 to 4294967295 is needed"},
        {"overhead direction=rx_sim", "overhead is a slot the host transmits: direction tx is needed"},
    };
    std::string script, err;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        script += std::string(cases[i].line) + "\n";
        const std::string& result = cases[i].result;
        if (!result.empty() && result[0] != '<') err += "-:" + std::to_string(i + 1) + ": " + result + "\n";
    }
    const tool_test::Result r = Log_text(script);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, err);
    for (const Case& c : cases)
        EXPECT_TRUE(c.result[0] != '<' || r.out.find(c.result) != std::string::npos) << c.line;
    EXPECT_NE(r.out.find("<P25_Overhead interval=\"1000\" handle=\"0000002A\">"), std::string::npos) << r.out;
    // Three slots logged, the numbered data unit 5 ignored.
    EXPECT_EQ(trk::Only(r.out.substr(r.out.find("<P25_log_data>\n") + 15), "P25_Overhead").size(), 3u) << r.out;
}

// The example loads six P25 slots and one SmartZone slot (three outbound
// words): each broadcast is built from its fields with its opcode, the
// standard manufacturer and its CRC.
TEST(OverheadInput, TheControlChannelExampleBuildsEachBroadcast) {
    const struct {
        const char* name;
        unsigned opcode;
    } slots[] = {
        {"SYS_SRV_BCST", 56}, {"RFSS_STS_BCST", 58}, {"NET_STS_BCST", 59}, {"ADJ_STS_BCST", 60},
        {"IDEN_UP", 61},      {"IDEN_UP_VU", 52},    {"Smartzone_overhead", 0},
    };
    std::string example = tool_test::Read_file(TESSEL_TEST_DATA "/../../examples/control-channel.xml");
    example = example.substr(example.find("<P25_log_data>") + 14);
    const std::vector<Message> messages = Sent(example.erase(example.rfind("</P25_log_data>")));
    ASSERT_EQ(messages.size(), std::size(slots));
    for (std::size_t i = 0; i < messages.size(); ++i) {
        SCOPED_TRACE(slots[i].name);
        const P25::Trunking_Overhead slot = Payload_of(messages[i]);
        EXPECT_EQ(slot.handle, i + 1);  // handles 1 to 7
        if (slots[i].opcode) {
            EXPECT_EQ(slot.duid, 7u);
            EXPECT_EQ(slot.metadata.dir_tx, 1);
            const std::uint8_t* block = slot.tsbk.tsbk[0].data;
            EXPECT_EQ(block[0], 0x80 | slots[i].opcode);       // last block, opcode
            EXPECT_EQ(block[1], 0x00);                         // standard MFID
            EXPECT_EQ(block[10] << 8 | block[11], static_cast<std::uint16_t>(~ccitt_16(0, block, 10)));
        } else {
            EXPECT_EQ(slot.duid, static_cast<std::uint32_t>(P25::SMARTZONE_OSW));
        }
    }
}
