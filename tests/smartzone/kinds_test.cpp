// The SmartZone kinds of `tessel log`: words given as keys or as bytes,
// the record keys of the channel-word kinds, and the lines refused.
#include "golden.h"
#include "tool_fixture.h"

namespace {

using namespace tool_test;
using SmartzoneKinds = Tool_fixture;

TEST_F(SmartzoneKinds, EachLineLogsOrIsReported) {
    struct Case {
        const char* line;
        const char* error;  // null: logged
    } cases[] = {
        {"osw address=2345 i_bit=true cmd=776", nullptr},
        {"osw 56 73 32 00", nullptr},  // talk group 567, call type 3, channel 400
        {"osw timestamp=1 phys_channel=1 direction=tx address=ABCD cmd=0x2F8", nullptr},
        {"isw id=1234 type=8", nullptr},
        {"isw 56 70 80", nullptr},
        {"sz_cooked baud=300 ch_type=Traffic bits=24 bit_errs=1 crc=beef 01 02 03", nullptr},
        {"sz_raw type=isp 12 34 40", nullptr},
        {"sz_crc_err 12 34 32 00", nullptr},
        {"sz_timeout", nullptr},
        {"sz_raw baud=0x2580 ch_type=0x7 12 34", nullptr},  // values without a name, as the log prints them
        {"osw address=12345", "bad address \"12345\": a hexadecimal number from 0 to FFFF is needed"},
        {"osw i_bit=1", "bad i_bit \"1\": true or false is needed"},
        {"osw cmd=1024", "bad cmd \"1024\": a command from 0 to 1023 (decimal or 0x-hex) is needed"},
        {"osw cmd=0x400", "bad cmd \"0x400\": a command from 0 to 1023 (decimal or 0x-hex) is needed"},
        {"osw type=osp", "key \"type\" does not apply to osw"},
        {"osw cmd=760 00 00 5F 00", "osw: give the word as keys or as bytes, not both"},
        {"osw 00 00 5F", "osw takes 0 to 4 bytes in steps of 4, got 3"},
        {"isw type=32", "bad type \"32\": a type from 0 to 31 (decimal or 0x-hex) is needed"},
        {"isw id=1 id=2", "key \"id\" given twice"},
        {"sz_cooked baud=fast", "bad baud \"fast\": 150, 300, 3600, or a number from 0 to 4294967295 is needed"},
        {"sz_cooked ch_type=control", "bad ch_type \"control\": Control, Traffic, or a number from 0 to 255 is needed"},
        {"sz_cooked ch_type=256", "bad ch_type \"256\": Control, Traffic, or a number from 0 to 255 is needed"},
        {"sz_cooked crc=fill", "bad crc \"fill\": a hexadecimal number from 0 to FFFF is needed"},
        {"sz_raw bits=256", "bad bits \"256\": a decimal number from 0 to 255 is needed"},
        {"sz_raw NAC=1", "key \"NAC\" does not apply to sz_raw"},
    };
    std::string script, err;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        script += std::string(cases[i].line) + "\n";
        if (cases[i].error) err += "-:" + std::to_string(i + 1) + ": " + cases[i].error + "\n";
    }
    script += "sz_raw ";
    for (int i = 0; i < 85; ++i) script += "00";
    err += "-:" + std::to_string(std::size(cases) + 1) + ": sz_raw takes 0 to 84 bytes, got 85\n";
    const Result r = Log_text(script + "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, err);
    // A raw and a cooked element per shorthand word, a raw one per sz_raw
    // line; the word given as bytes completes the one given as keys.
    Expect_golden_file("smartzone", "kinds.xml", r.out);
}

// The commands, types, expanders and payloads each SmartZone message is
// filed under, and its word count.
TEST_F(SmartzoneKinds, TheRegistryListsTheSmartzoneMessages) {
    const Result r = Run("registry");
    EXPECT_EQ(r.status, 0);
    const std::size_t from = r.out.find("SmartZone OSWs"), to = r.out.find("Link-control words:");
    ASSERT_LT(from, to) << r.out;
    Expect_golden_file("smartzone", "registry.txt", r.out.substr(from, to - from));
}

}  // namespace
