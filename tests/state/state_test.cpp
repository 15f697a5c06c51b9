// Channel settings and simulator states: the codes the host sends and the
// names and children they are logged as, the channel each element is
// filtered on, and the channel-setting and state kinds of `tessel log`.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

#include "P25_processing.h"
#include "tool_fixture.h"
#include "trunking/support.h"

namespace {

// The text with the log's line breaks and indentation removed.
std::string Compact(const std::string& text) {
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) out += line.substr(std::min(line.find_first_not_of(' '), line.size()));
    return out;
}

template <class Record>
std::string Logged(void (*entry)(const Record&), const Record& record) {
    trk::Log_capture log;
    entry(record);
    return Compact(log.Body());
}

// The element of a state record in the state of the code.
template <class Record>
std::string State_logged(void (*entry)(const Record&), std::uint32_t code) {
    Record r{};
    r.state = static_cast<decltype(r.state)>(code);
    return Logged(entry, r);
}

// What a state record with one item of the type and value writes after its
// State child; the item's position does not matter.
template <class Record>
std::string Item_logged(void (*entry)(const Record&), std::uint8_t type, std::uint32_t value) {
    Record r{};
    r.data[type % 4].type = type;
    r.data[type % 4].data.value = value;
    const std::string element = Logged(entry, r);
    const std::size_t from = element.find("</State>") + 8;
    return element.substr(from, element.rfind("</") - from);
}

using StateKinds = tool_test::Tool_fixture;

}  // namespace

// Each enumeration as the host numbers it, from 0 up, and the code past
// the last, written as a number.  Item types 14 and 15 are the response and
// the reason a call ended.
TEST(SimulatorState, CodesAreLoggedByTheirNames) {
    const struct {
        std::function<std::string(std::uint32_t)> logged;
        const char* names;
    } cases[] = {
        {[](std::uint32_t c) { return State_logged(P25::Log_mobile_state, c); },
         "MOBILE_CREATED MOBILE_FIND_CONTROL_CHANNEL MOBILE_NO_CONTROL_CHANNEL MOBILE_NOT_CONTROL_CHANNEL "
         "MOBILE_REGISTER_RESPONSE MOBILE_AFFILIATED MOBILE_UNIT_TO_UNIT_INITIATE MOBILE_UNIT_TO_UNIT_RING "
         "MOBILE_UNIT_TO_UNIT_ANSWER MOBILE_UNIT_TO_UNIT_RX MOBILE_UNIT_TO_UNIT_TX MOBILE_UNIT_TO_UNIT_HANG "
         "MOBILE_GROUP_RX MOBILE_GROUP_TX MOBILE_GROUP_HANG MOBILE_PSTN_RX MOBILE_PSTN_TX MOBILE_UNKEY "
         "MOBILE_NO_TRAFFIC_CHANNEL MOBILE_NOT_FOR_ME MOBILE_FOUND_CC MOBILE_HW_TIMEOUT MOBILE_DEAD "
         "MOBILE_FIND_SZ_CONTROL_CHANNEL MOBILE_FIND_TRAFFIC_CHANNEL MOBILE_KEY 0x1A"},
        {[](std::uint32_t c) { return State_logged(P25::Log_control_state, c); },
         "CC_CREATED CC_CANNOT_TUNE CC_MOBILE_REG CC_MOBILE_DEREG CC_MOBILE_GRP_AFF CC_MOBILE_GRP_REQ CC_GRP_GRANT "
         "CC_CALL_TEARDOWN CC_DEAD 0x9"},
        {[](std::uint32_t c) { return State_logged(P25::Log_traffic_state, c); },
         "TC_CREATED TC_CANNOT_TUNE TC_CALL_TEARDOWN TC_DEAD TC_GROUP_HANG TC_GROUP_ACTIVE TC_UNIT2UNIT_HANG "
         "TC_UNIT2UNIT_ACTIVE 0x8"},
        {[](std::uint32_t c) { return Item_logged(P25::Log_control_state, 14, c); }, "ACCEPT FAIL DENY REFUSED 0x4"},
        {[](std::uint32_t c) { return Item_logged(P25::Log_traffic_state, 15, c); },
         "NO_RADIO_DETECTED RADIO_TERMINATED SYSTEM_TERMINATED 0x3"},
    };
    for (const auto& c : cases) {
        std::istringstream names(c.names);
        std::uint32_t code = 0;
        for (std::string name; names >> name; ++code)
            EXPECT_NE(c.logged(code).find(">" + name + "</"), std::string::npos) << c.logged(code);
    }
}

// Each item type code writes one child, identifiers in air order (the first
// octets of the value, most significant first); the codes without a child
// write nothing.
TEST(SimulatorState, EachItemTypeWritesItsChild) {
    const struct {
        std::uint8_t type;
        std::uint32_t value;
        std::string child;
    } cases[] = {
        {0, 5, ""}, {9, 5, ""}, {16, 5, ""}, {255, 5, ""},
        {1, 0x563412, "<Group_ID>1234</Group_ID>"},
        {2, 0x563412, "<Group_address>1234</Group_address>"},
        {3, 0x563412, "<Source_ID>123456</Source_ID>"},
        {4, 0x563412, "<Source_address>123456</Source_address>"},
        {5, 0x563412, "<Target_ID>123456</Target_ID>"},
        {6, 0x563412, "<Target_address>123456</Target_address>"},
        {7, 0x563412, "<Unit_ID>123456</Unit_ID>"},
        {8, 0x563412, "<Unit_address>123456</Unit_address>"},
        {10, 851012500, "<Frequency>851012500</Frequency>"},
        {11, 0xA3, "<Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"true\" "
                   "packet_mode=\"false\" Reserved=\"0\" priority=\"3\"/>"},
        {12, 0xBEE00, "<WACN>BEE00</WACN>"},
        {13, 0x3A1, "<System_ID>3A1</System_ID>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Item_logged(P25::Log_control_state, c.type, c.value), c.child) << unsigned(c.type);
        EXPECT_EQ(Item_logged(P25::Log_traffic_state, c.type, c.value), c.child) << unsigned(c.type);
    }
}

// Everything here is logged as environment: a channel setting on its
// record's channel, a simulator state whichever channel records it.
TEST(SimulatorState, EntryPointsAreFilteredOnTheirChannel) {
    P25::Control_sim_state control{};
    P25::Traffic_sim_state traffic{};
    control.header.phys_channel = traffic.header.phys_channel = 6;
    // Each with the only channel whose filter lets it through; 0: any.
    const std::pair<std::function<void()>, unsigned> cases[] = {
        {[] { P25::Log_chan_enable({{3, {0}}, 1}); }, 3},
        {[] { P25::Log_chan_primary({4, {0}}); }, 4},
        {[] { P25::Log_chan_rx({{5, {0}}, 1}); }, 5},
        {[] { P25::Log_chan_tx({{5, {0}}, 1}); }, 5},
        {[] { P25::Log_mobile_state({}); }, 0},
        {[&] { P25::Log_control_state(control); }, 0},
        {[&] { P25::Log_traffic_state(traffic); }, 0},
    };
    for (const auto& c : cases)
        for (unsigned channel : {3u, 4u, 5u}) {
            trk::Log_capture log;
            for (unsigned ch = 0; ch < XML_routines::FilterList::Channels; ++ch)
                log.File().Filters()[ch] = ch == channel ? XML_routines::Log_Environment : ~XML_routines::Log_Environment;
            c.first();
            EXPECT_EQ(log.Body().empty(), c.second != channel && c.second != 0) << &c - cases << " " << channel;
        }
}

// Each line logs its element, keys read the way the log prints them, and
// every value the element's descriptor refuses is reported under the line's number.
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
        {"traffic_state State=TC_DEAD item=Service_options:emergency=maybe", "bad Service_options \"emergency=maybe\""},
        {"chan_enable enable=on", "bad enable \"on\""},
    };
    std::string script, out, err;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        script += std::string(cases[i].line) + "\n";
        if (cases[i].result[0] == '<') out += cases[i].result;
        else err += "-:" + std::to_string(i + 1) + ": " + cases[i].result + "\n";
    }
    const tool_test::Result r = Log_text(script);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, err);
    EXPECT_EQ(Compact(r.out), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><P25_log_data>" + out + "</P25_log_data>");
}
