// Overhead slots through the tessel program: the message line `tessel replay
// --dispatch` writes for a slot, the overhead kind of `tessel log`, and the
// bundled control-channel example end to end.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"
#include "tool_fixture.h"
#include "trunking/support.h"

namespace {

using namespace tool_test;
using Message = std::vector<std::uint8_t>;

// The messages of a --dispatch file, one a line.
std::vector<Message> Messages_of(const std::string& text) {
    std::vector<Message> messages;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        Message m;
        std::istringstream octets(line);
        for (unsigned v; octets >> std::hex >> v;) m.push_back(static_cast<std::uint8_t>(v));
        messages.push_back(m);
    }
    return messages;
}

template <class T>
T At(const Message& m, std::size_t offset) {
    T v{};
    if (offset + sizeof v <= m.size()) std::memcpy(&v, m.data() + offset, sizeof v);
    return v;
}

// Offsets in a message: the payload follows the 16-octet header.
constexpr std::size_t payload = 16;

using OverheadTool = Tool_fixture;

TEST_F(OverheadTool, ReplayWritesTheSlotsMessageLine) {
    const std::string doc = Temp("slot.xml");
    std::ofstream(doc) << "<P25_log_data>\n"
                          "  <P25_Overhead interval=\"750\" handle=\"C0FFEE01\">\n"
                          "    <TSBK phys_channel=\"2\" direction=\"tx\" NAC=\"293\">"
                          "80 00 85 12 34 56 78 AB CD EF EE E4</TSBK>\n"
                          "  </P25_Overhead>\n"
                          "</P25_log_data>\n";
    const Result r = Run("replay " + Quote(doc) + " --dispatch " + Quote(Temp("messages.txt")));
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string text = Read_file(Temp("messages.txt"));
    const std::vector<Message> messages = Messages_of(text);
    ASSERT_EQ(messages.size(), 1u) << text;
    const Message& m = messages[0];
    ASSERT_EQ(m.size(), 1620u);
    EXPECT_EQ(text.substr(0, 48), "95 01 02 00 00 00 00 00 00 00 00 00 01 00 C0 09 ");
    EXPECT_EQ(At<std::uint16_t>(m, 0), 405);
    EXPECT_EQ(At<std::uint32_t>(m, payload + 8), 7u);             // duid
    EXPECT_EQ(At<std::uint32_t>(m, payload + 12), 0xC0FFEE01u);   // handle
    EXPECT_EQ(At<std::uint32_t>(m, payload + 16), 750u);          // repeat_time
    EXPECT_EQ(At<std::uint32_t>(m, payload + 1600), 1u);          // block count
    EXPECT_EQ(m[payload + 4], 2);                                 // channel
    EXPECT_EQ(m[payload + 64], 0x80);                             // the block
    EXPECT_EQ(m[payload + 75], 0xE4);
}

TEST_F(OverheadTool, TheOverheadKindLogsTheHostsRecord) {
    const std::string head = "<P25_Overhead interval=\"1000\" handle=\"0000002A\">";
    struct Case {
        const char* line;
        std::string result;  // a fragment of what is logged, or the report
    } cases[] = {
        {"overhead phys_channel=5 direction=tx NAC=293 handle=2A interval=1000 80008512345678ABCDEFEEE4",
         "<Group_address>5678</Group_address>"},
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
        {"overhead handle=1 handle=2", "key \"handle\" given twice"},
    };
    std::string script, err;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        script += std::string(cases[i].line) + "\n";
        const std::string& result = cases[i].result;
        if (!result.empty() && result[0] != '<') err += "-:" + std::to_string(i + 1) + ": " + result + "\n";
    }
    const Result r = Log_text(script);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, err);
    for (const Case& c : cases) {
        if (!c.result.empty() && c.result[0] == '<') {
            EXPECT_NE(r.out.find(c.result), std::string::npos) << c.line;
        }
    }
    EXPECT_NE(r.out.find(head), std::string::npos) << r.out;
    // Three slots logged, the numbered data unit 5 ignored.
    EXPECT_EQ(trk::Only(r.out.substr(r.out.find("<P25_log_data>\n") + 15), "P25_Overhead").size(), 3u) << r.out;

    // A SmartZone slot is logged by the SmartZone overhead.
    const Result sz = Log_text("overhead duid=SMARTZONE_RAW 0102\n");
    EXPECT_EQ(sz.status, 0);
    EXPECT_EQ(sz.err, "");
    EXPECT_NE(sz.out.find("<Smartzone_overhead interval="), std::string::npos) << sz.out;
}

// The example loads six P25 slots and one SmartZone slot; each message,
// logged back through the host's record and read again, gives the same
// message.
TEST_F(OverheadTool, TheControlChannelExampleRoundTrips) {
    const struct {
        const char* name;
        unsigned opcode, mfid;
    } slots[] = {
        {"SYS_SRV_BCST", 56, 0x00}, {"RFSS_STS_BCST", 58, 0x00}, {"NET_STS_BCST", 59, 0x00},
        {"ADJ_STS_BCST", 60, 0x00}, {"IDEN_UP", 61, 0x00},       {"IDEN_UP_VU", 52, 0x00},
        {"Smartzone_overhead", 0, 0x00},  // three outbound words
    };
    std::string missing;
    for (const auto& s : slots)
        if (s.opcode && !P25::MFID_record::Find_trunking_handler_in_all(true, XML_routines::To_xml(s.name))) missing += std::string(" ") + s.name;
    if (!missing.empty()) GTEST_SKIP() << "broadcast definitions not registered:" << missing;

    const std::string example = TESSEL_TEST_DATA "/../../examples/control-channel.xml";
    const Result r = Run("replay " + Quote(example) + " --dispatch " + Quote(Temp("messages.txt")));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::vector<Message> messages = Messages_of(Read_file(Temp("messages.txt")));
    ASSERT_EQ(messages.size(), std::size(slots));

    std::string logged;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        SCOPED_TRACE(slots[i].name);
        const Message& m = messages[i];
        ASSERT_EQ(m.size(), 1620u);
        EXPECT_EQ(At<std::uint32_t>(m, payload + 12), i + 1);  // handles 1 to 7
        if (slots[i].opcode) {
            EXPECT_EQ(At<std::uint32_t>(m, payload + 8), 7u);
            EXPECT_EQ(m[payload + 5], 1);                      // transmitted
            const std::uint8_t* block = &m[payload + 64];
            EXPECT_EQ(block[0], 0x80 | slots[i].opcode);       // last block, opcode
            EXPECT_EQ(block[1], slots[i].mfid);
            const std::uint16_t crc = static_cast<std::uint16_t>(~ccitt_16(0, block, 10));
            EXPECT_EQ(block[10] << 8 | block[11], crc);
        } else {
            EXPECT_EQ(At<std::uint32_t>(m, payload + 8), static_cast<std::uint32_t>(P25::SMARTZONE_OSW));
        }
        P25::Trunking_Overhead record;
        std::memcpy(&record, m.data() + payload, sizeof record);
        trk::Log_capture log;
        P25::Log_Overhead(record);
        const std::string body = log.Body();
        EXPECT_NE(body.find(std::string("<") + slots[i].name), std::string::npos) << body;
        logged += body;
    }
    Dispatcher* dispatcher = Dispatcher::create();
    std::vector<Message> again;
    dispatcher->Set_listener([&again](const std::uint8_t* m, std::size_t n) { again.emplace_back(m, m + n); });
    {
        trk::Log_capture discard;
        EXPECT_EQ(trk::Replay(logged, discard), XML_routines::Read_status::ok);
        EXPECT_EQ(discard.Errors(), "");
    }
    dispatcher->Set_listener(nullptr);
    EXPECT_EQ(again, messages);
}

}  // namespace
