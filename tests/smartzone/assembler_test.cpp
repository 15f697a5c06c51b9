// Assembly of channel words into messages: which words wait, which end a
// message, what CRC errors and time-outs do to a waiting message, and which
// records never reach an assembler.  Word i of a sequence carries timestamp
// i seconds, so each logged message names the word it starts with.
#include <cstring>
#include <regex>

#include "support.h"

using namespace sz;
using namespace Smartzone;

namespace {

enum Op { cooked, crc_err, tout };

struct Word {
    Op op;
    bool outbound;
    std::uint32_t value;
    std::uint8_t channel = 0;
    std::uint8_t dir_tx = 0;
    std::uint32_t baud = 3600;
};

Word O(std::uint32_t value, std::uint8_t channel = 0, std::uint8_t dir_tx = 0, std::uint32_t baud = 3600) {
    return {cooked, true, value, channel, dir_tx, baud};
}
Word I(std::uint32_t value, std::uint8_t channel = 0, std::uint8_t dir_tx = 0) {
    return {cooked, false, value, channel, dir_tx};
}
Word Lost(Op op, bool outbound = true, std::uint8_t channel = 0, std::uint32_t baud = 3600) {
    return {op, outbound, 0, channel, 0, baud};
}

// One line per element other than the raw and cooked words: "osw@T ch1 tx
// Name..." for a message (T its first word, then its message elements),
// "crc_err@T" or "tout@T" for a lost word.
std::vector<std::string> Summary(const std::string& body) {
    static const std::regex source("timestamp=\" *(\\d+)[^\"]*\" phys_channel=\"(\\d+)\" direction=\"(\\w+)\"");
    static const std::regex child("\n    <(\\w+)");
    std::vector<std::string> out;
    for (const auto& [tag, xml] : trk::Elements(body)) {
        if (tag == "Smartzone_cooked" || tag == "Smartzone_raw") continue;
        std::smatch m;
        std::regex_search(xml, m, source);
        std::string line = tag.substr(std::strlen("Smartzone_")) + "@" + m.str(1);
        if (tag == "Smartzone_osw" || tag == "Smartzone_isw") {
            line += " ch" + m.str(2) + " " + m.str(3);
            for (std::sregex_iterator c(xml.begin(), xml.end(), child), end; c != end; ++c) line += " " + c->str(1);
        }
        out.push_back(line);
    }
    return out;
}

}  // namespace

TEST(Assembly, WordSequencesBecomeMessages) {
    struct Case {
        const char* what;
        std::vector<Word> words;
        std::vector<std::string> expected;
    } cases[] = {
        {"a first word and a two-word second word", {O(Osw(0x2345, true, 776)), O(Osw(0x5670, false, 400))},
         {"osw@0 ch0 rx Channel_assignment"}},
        {"a first word after a first word: the first alone, the second waits",
         {O(Osw(1, true, 776)), O(Osw(2, true, 776)), Lost(tout)},
         {"osw@0 ch0 rx Individual_id", "osw@1 ch0 rx Individual_id", "tout@2"}},
        {"a channel number waits for a second word", {O(Osw(0x1230, false, 400)), O(Osw(0x5670, false, 401))},
         {"osw@0 ch0 rx Channel_assignment"}},
        {"channels 1 and 758 wait as well",
         {O(Osw(1, false, 1)), O(Osw(2, false, 758)), O(Osw(3, false, 758)), O(Osw(4, false, 1))},
         {"osw@0 ch0 rx Channel_assignment", "osw@2 ch0 rx Channel_assignment"}},
        {"a channel number alone is a group update", {O(Osw(0x1230, false, 400)), O(Osw(0, false, 760))},
         {"osw@0 ch0 rx Group_update", "osw@1 ch0 rx Background"}},
        {"three words", {O(Osw(0x1111, true, 776)), O(Osw(0x2222, false, 800)), O(Osw(24u << 10 | 100, false, 779))},
         {"osw@0 ch0 rx Adjacent_control_channel"}},
        {"a third word that ends no three-word message starts a new one",
         {O(Osw(1, true, 776)), O(Osw(2, false, 800)), O(Osw(3, false, 760))},
         {"osw@0 ch0 rx OSW OSW", "osw@2 ch0 rx Background"}},
        {"an unknown third word waits in turn",
         {O(Osw(1, true, 776)), O(Osw(2, false, 800)), O(Osw(3, false, 1023)), Lost(crc_err)},
         {"osw@0 ch0 rx OSW OSW", "osw@2 ch0 rx OSW", "crc_err@3"}},
        {"words that only end longer messages are written at once",
         {O(Osw(1, false, 815)), O(Osw(2, false, 0)), O(Osw(3, false, 759)), O(Osw(4, false, 958)),
          O(Osw(5, false, 1022)), O(Osw(6, false, 768)), O(Osw(7, false, 771)), O(Osw(8, false, 779)),
          O(Osw(9, false, 784)), O(Osw(10, false, 794)), O(Osw(11, false, 848))},
         {"osw@0 ch0 rx Group_update", "osw@1 ch0 rx Group_update", "osw@2 ch0 rx Group_update",
          "osw@3 ch0 rx Group_update", "osw@4 ch0 rx Group_update", "osw@5 ch0 rx OSW", "osw@6 ch0 rx Busy",
          "osw@7 ch0 rx OSW", "osw@8 ch0 rx OSW", "osw@9 ch0 rx OSW", "osw@10 ch0 rx OSW"}},
        {"single words written at once",
         {O(Osw(1, false, 800)), O(Osw(2, false, 810)), O(Osw(3, false, 811)), O(Osw(0x2000, false, 959)),
          O(Osw(0x4000, false, 960))},
         {"osw@0 ch0 rx OSW", "osw@1 ch0 rx Send_talk_group", "osw@2 ch0 rx Scan_word", "osw@3 ch0 rx Status1",
          "osw@4 ch0 rx Status2"}},
        {"an unknown command waits like a first word", {O(Osw(1, false, 1023)), O(Osw(2, false, 771))},
         {"osw@0 ch0 rx Other_busy"}},
        {"the command after the regroup range waits", {O(Osw(1, false, 849)), O(Osw(2, false, 771))},
         {"osw@0 ch0 rx Other_busy"}},
        {"a time-out while two words wait", {O(Osw(1, true, 776)), O(Osw(2, false, 800)), Lost(tout)},
         {"osw@0 ch0 rx OSW OSW", "tout@2"}},
        {"a CRC error with nothing waiting", {Lost(crc_err)}, {"crc_err@0"}},
        {"a CRC error closes a waiting word and is never assembled", {O(Osw(1, true, 776)), Lost(crc_err), O(Osw(2, false, 400))},
         {"osw@0 ch0 rx Individual_id", "crc_err@1"}},
        {"other baud rates never reach the assembler",
         {O(Osw(1, true, 776), 0, 0, 300), O(Osw(2, false, 400), 0, 0, 150), Lost(crc_err, true, 0, 300),
          Lost(tout, true, 0, 150), O(Osw(3, false, 760))},
         {"osw@4 ch0 rx Background"}},
        {"channels 4 and above are logged but not assembled",
         {O(Osw(1, true, 776), 4), O(Osw(2, false, 400), 4), Lost(crc_err, true, 4), Lost(tout, false, 255)}, {}},
        {"received and transmitted streams of a channel are independent",
         {O(Osw(1, true, 776), 1, 0), O(Osw(2, true, 776), 1, 1), O(Osw(0x30, false, 400), 1, 1),
          O(Osw(0x40, false, 401), 1, 0)},
         {"osw@1 ch1 tx Channel_assignment", "osw@0 ch1 rx Channel_assignment"}},
        {"simulator words share the transmitted stream", {O(Osw(1, true, 776), 2, 1), O(Osw(2, false, 400), 2, 2)},
         {"osw@0 ch2 tx Channel_assignment"}},
        {"channels are independent", {O(Osw(1, true, 776), 0), O(Osw(2, true, 776), 3), O(Osw(3, false, 400), 0)},
         {"osw@0 ch0 rx Channel_assignment"}},
        {"inbound and outbound streams are independent",
         {O(Osw(1, true, 776)), I(Isw(0x1234, 16)), O(Osw(2, false, 400))},
         {"isw@1 ch0 rx ISW", "osw@0 ch0 rx Channel_assignment"}},
        {"a first inbound word and any second word", {I(Isw(0x1234, 8)), I(Isw(0x5670, 16)), I(Isw(1, 8)), I(Isw(2, 5))},
         {"isw@0 ch0 rx Affiliate_request", "isw@2 ch0 rx ISW ISW"}},
        {"another inbound word at once", {I(Isw(0x1234, 16)), I(Isw(0x1234, 12))},
         {"isw@0 ch0 rx ISW", "isw@1 ch0 rx ISW"}},
        {"an inbound first word closed by a time-out", {I(Isw(1, 8)), Lost(tout, false), Lost(tout, false)},
         {"isw@0 ch0 rx ISW", "tout@1", "tout@2"}},
        {"inbound streams of a channel are independent", {I(Isw(1, 8), 1, 0), I(Isw(2, 8), 1, 1), I(Isw(3, 16), 1, 0)},
         {"isw@0 ch1 rx Affiliate_request"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Idle_assemblers();
        Log_capture log;
        for (std::size_t i = 0; i < c.words.size(); ++i) {
            const Word& w = c.words[i];
            const P25::Smartnet_data_log r =
                Record(w.outbound, w.value, static_cast<unsigned>(i), w.channel, w.dir_tx, w.baud);
            if (w.op == cooked) Log_cooked(r);
            else if (w.op == crc_err) Log_crc_err(r);
            else Log_timeout(r);
        }
        EXPECT_EQ(Summary(log.Body()), c.expected);
    }
}
