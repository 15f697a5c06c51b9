// One logged message of each catalogue module, and the channel-word records
// themselves, against golden logs.
#include <functional>

#include "support.h"

using namespace sz;
using namespace Smartzone;

namespace {

void Words(bool outbound, std::vector<std::uint32_t> values, std::uint8_t channel = 1) {
    for (std::size_t i = 0; i < values.size(); ++i)
        Log_cooked(Record(outbound, values[i], static_cast<unsigned>(i + 1), channel));
}
void Out(std::vector<std::uint32_t> values) { Words(true, std::move(values)); }
void In(std::vector<std::uint32_t> values) { Words(false, std::move(values)); }

constexpr std::uint32_t Ext(unsigned expander, unsigned payload, bool flag = false) {
    return Osw(expander << 10 | payload, flag, EXTENDED_FUNCTION);
}

}  // namespace

TEST(Golden, OneMessageOfEachModule) {
    struct Case {
        const char* golden;
        std::function<void()> feed;
    } cases[] = {
        {"generic.xml", [] { Out({Osw(0x1234, true, 776), Osw(0x0F0F, false, 800), Osw(0xBEEF, true, 1023)}); }},
        {"acks.xml", [] { Out({Osw(0x4321, true, 776), Ext(9, 539, true)}); }},
        {"call_grant.xml", [] { Out({Osw(0x2345, true, 776), Osw(0x5673, false, 400)}); }},
        {"send_talk_group.xml", [] { Out({Osw(0x0102, true, 810)}); }},
        {"background.xml", [] { Out({Osw(0x2F5A, false, 760)}); }},
        {"busy.xml", [] { Out({Osw(0x1111, true, 776), Osw(0x0222, false, 770)}); }},
        // Status opcode 2: band 13 (rebanding), echo bits 3.
        {"status.xml", [] { Out({Osw(2u << 13 | 1u << 12 | 13u << 6 | 3u, false, 959)}); }},
        {"extended.xml", [] { Out({Osw(0x0A1B, false, 401), Osw(0, false, 800), Ext(24, 602)}); }},
        {"affiliate.xml", [] { Out({Osw(0x00AB, false, 776), Osw(0x123D, false, 784)}); }},
        {"dynamic_regroup.xml", [] { Out({Osw(0x0450, false, 776), Osw(0x3007, true, 835)}); }},
        {"call_alert.xml", [] { Out({Osw(0x0101, true, 776), Osw(0x0202, true, 793)}); }},
        {"generic_isw.xml", [] { In({Isw(0x1234, 8), Isw(0x5670, 16), Isw(0x0042, 24)}); }},
        {"extended_isw.xml", [] { In({Isw(0x1234, 8), Isw(3u << 10 | 0x155, 11)}); }},
        {"requests.xml", [] { In({Isw(0x1234, 8), Isw(9u << 10 | 539, 11)}); }},
        {"records.xml",
         [] {
             P25::Smartnet_data_log r = Record(true, Osw(0x1234, true, 776), 1, 2);
             r.bits.crc = 0xBEEF;
             r.bits.bit_errs = 2;
             Log_raw(r);
             Log_cooked(r);
             Log_crc_err(Record(true, 0xFFFFFFFF, 2, 2));
             Log_timeout(Record(false, 0x123456, 3, 2));
             P25::Smartnet_data_log slow = Record(true, 0xA5, 4, 3, 1, 300);
             slow.bits.ch_type = 4;
             slow.bits.count = 6;
             Log_cooked(slow);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Idle_assemblers();
        Log_capture log;
        c.feed();
        Log_timeout(Record(true, 0, 9, 1));  // closes what is left
        Log_timeout(Record(false, 0, 9, 1));
        Expect_golden(c.golden, log.Body());
        EXPECT_EQ(log.Errors(), "");
    }
}
