// The channel-setting and simulator-state kinds of `tessel log`: each line
// logs its element, keys read the way the log prints them, and every value
// the element's descriptor refuses is reported under the line's number.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "state/support.h"
#include "tool_fixture.h"

namespace {

using namespace tool_test;

using StateKinds = Tool_fixture;

TEST_F(StateKinds, EachLineLogsItsElementOrIsReported) {
    const std::string t0 = "timestamp=\" 0.00000000\"";
    struct Case {
        const char* line;
        std::string result;  // the element logged, or the report
    } cases[] = {
        {"chan_enable phys_channel=3 enable=1", "<Enable_channel phys_channel=\"3\" " + t0 + " enable=\"1\"/>"},
        {"chan_primary phys_channel=4 timestamp=1", "<Set_primary_channel phys_channel=\"4\" timestamp=\" 1.00000000\"/>"},
        {"chan_rx phys_channel=5 Frequency=851012500",
         "<Channel_rx_freq phys_channel=\"5\" " + t0 + "><Frequency>851012500</Frequency></Channel_rx_freq>"},
        {"chan_tx Frequency=806012500",
         "<Channel_tx_freq phys_channel=\"0\" " + t0 + "><Frequency>806012500</Frequency></Channel_tx_freq>"},
        // States by name or by number; items by the child they write, as printed.
        {"mobile_state ID=17 timestamp=2.5 State=5 item=Group_ID:0101",
         "<Mobile_state ID=\"17\" timestamp=\" 2.50000000\"><State>MOBILE_AFFILIATED</State>"
         "<Group_ID>0101</Group_ID></Mobile_state>"},
        {"control_state phys_channel=3 timeslot=1 State=CC_MOBILE_REG item=Unit_ID:123456 item=Registration_value:DENY",
         "<Control_state phys_channel=\"3\" timeslot=\"1\" " + t0 +
             "><State>CC_MOBILE_REG</State><Unit_ID>123456</Unit_ID><Registration_value>DENY</Registration_value>"
             "</Control_state>"},
        {"traffic_state State=0x28 item=Frequency:851012500 item=Call_end_reason:SYSTEM_TERMINATED item=WACN:BEE00 "
         "item=Service_options:emergency=true,priority=3",
         "<Traffic_state phys_channel=\"0\" timeslot=\"0\" " + t0 +
             "><State>0x28</State><Frequency>851012500</Frequency><Call_end_reason>SYSTEM_TERMINATED</Call_end_reason>"
             "<WACN>BEE00</WACN><Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"false\" "
             "packet_mode=\"false\" Reserved=\"0\" priority=\"3\"/></Traffic_state>"},
        {"mobile_state ID=1 State=0 item=Group_ID:1 item=Unit_ID:1", "more than 1 item"},
        {"control_state State=0 item=Group_ID:1 item=Group_ID:2 item=Group_ID:3 item=Group_ID:4 item=Group_ID:5",
         "more than 4 items"},
        {"traffic_state State=TC_DEAD item=Bogus:1",
         "unknown item \"Bogus\": one of Group_ID, Group_address, Target_ID, Target_address, Source_ID, "
         "Source_address, Unit_ID, Unit_address, Frequency, Registration_value, Call_end_reason, Service_options, "
         "WACN, System_ID is needed"},
        {"traffic_state State=TC_DEAD item=Group_ID", "bad item \"Group_ID\": NAME:VALUE is needed"},
        {"traffic_state State=TC_FINE", "bad State \"TC_FINE\""},
        {"traffic_state State=TC_DEAD item=WACN:XYZ", "bad WACN \"XYZ\""},
        {"traffic_state State=TC_DEAD item=Group_ID:0101ZZ", "bad Group_ID \"0101ZZ\""},
        {"traffic_state State=TC_DEAD item=Service_options:emergency=maybe",
         "bad Service_options \"emergency=maybe\""},
        {"chan_enable enable=on", "bad enable \"on\""},
        {"chan_rx Frequency=1 Frequency=2", "key \"Frequency\" given twice"},
        {"mobile_state ID=1", "mobile_state needs key \"State\""},
        {"mobile_state ID=1 State=0 phys_channel=2", "key \"phys_channel\" does not apply to mobile_state"},
        {"chan_primary 0A", "chan_primary takes no bytes, got 1"},
    };
    std::string script, out, err;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        script += std::string(cases[i].line) + "\n";
        if (cases[i].result[0] == '<') out += cases[i].result;
        else err += "-:" + std::to_string(i + 1) + ": " + cases[i].result + "\n";
    }
    const Result r = Log_text(script);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, err);
    EXPECT_EQ(Compact(r.out), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><P25_log_data>" + out + "</P25_log_data>");
}

TEST_F(StateKinds, TheBundledScriptLogsCleanlyAndTheKindsAreListed) {
    const Result demo = Run("log " + Quote(TESSEL_TEST_DATA "/../../examples/simulator.log"));
    EXPECT_EQ(demo.status, 0);
    EXPECT_EQ(demo.err, "");
    std::size_t elements = 0;
    for (std::size_t at = 0; (at = demo.out.find("\n  <", at)) != std::string::npos; ++at)
        elements += demo.out[at + 4] != '/';
    EXPECT_EQ(elements, 15u) << demo.out;
    const Result kinds = Run("log --kinds");
    for (const char* kind : {"chan_enable", "chan_primary", "chan_rx", "chan_tx", "mobile_state", "control_state",
                             "traffic_state"})
        EXPECT_NE(kinds.out.find(std::string("\n") + kind + " "), std::string::npos) << kind;
}

}  // namespace
