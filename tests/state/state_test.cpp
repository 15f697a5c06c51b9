// Channel settings and simulator states: which child each data item writes,
// the order of the children, the channel each element is logged on, and the
// exact elements of representative records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "state/support.h"
#include "trunking/support.h"
#include "xml_text.h"

using namespace XML_routines;

namespace {

P25::Sim_state_data_type Item(std::uint8_t type, std::uint32_t value = 0) {
    P25::Sim_state_data_type item{};
    item.data.value = value;
    item.type = type;
    return item;
}

// The tags of an element's children, in order.
std::vector<std::string> Children(xmlNode* node) {
    std::vector<std::string> tags;
    for (xmlNode* c = node ? node->children : nullptr; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE) tags.emplace_back(reinterpret_cast<const char*>(c->name));
    xmlFreeNode(node);
    return tags;
}

P25::Control_sim_state Control(std::vector<P25::Sim_state_data_type> items) {
    P25::Control_sim_state r{};
    r.state = P25::CC_MOBILE_REG;
    for (std::size_t i = 0; i < items.size(); ++i) r.data[i] = items[i];
    return r;
}

P25::Traffic_sim_state Traffic(std::vector<P25::Sim_state_data_type> items) {
    P25::Traffic_sim_state r{};
    r.state = P25::TC_GROUP_ACTIVE;
    for (std::size_t i = 0; i < items.size(); ++i) r.data[i] = items[i];
    return r;
}

using Tags = std::vector<std::string>;

// What one entry point call logs, on one line.
template <class Record>
std::string Logged(void (*entry)(const Record&), const Record& record) {
    trk::Log_capture log;
    entry(record);
    return Compact(log.Body());
}

}  // namespace

// Each type code selects one child, whatever item it sits in; the codes
// without a child (0, 9, above 15) write nothing.
TEST(SimulatorState, EachItemWritesTheChildOfItsTypeInItemOrder) {
    const struct {
        const char* what;
        std::vector<P25::Sim_state_data_type> items;
        Tags children;
    } cases[] = {
        {"four empty items", {}, {"State"}},
        {"no data, PSTN address, unknown codes", {Item(0, 5), Item(9, 5), Item(16, 5), Item(255, 5)}, {"State"}},
        {"response in the second item", {Item(0), Item(P25::SIM_RESP, 2)}, {"State", "Registration_value"}},
        {"service options", {Item(P25::SIM_SERVICE_OPTS, 0x80)}, {"State", "Service_options"}},
        {"types 10, 0, 15, 12",
         {Item(P25::SIM_FREQ, 1), Item(0), Item(P25::SIM_CALL_END_REASONS, 1), Item(P25::SIM_WACN, 1)},
         {"State", "Frequency", "Call_end_reason", "WACN"}},
        {"identifiers and addresses",
         {Item(P25::SIM_SOURCE_ADDRESS), Item(P25::SIM_TARGET_ID), Item(P25::SIM_UNIT_ADDRESS), Item(P25::SIM_GROUP_ADDRESS)},
         {"State", "Source_address", "Target_ID", "Unit_address", "Group_address"}},
        {"the rest", {Item(P25::SIM_GROUP_ID), Item(P25::SIM_SOURCE_ID), Item(P25::SIM_UNIT_ID), Item(P25::SIM_SYSTEM_ID)},
         {"State", "Group_ID", "Source_ID", "Unit_ID", "System_ID"}},
        {"target address", {Item(P25::SIM_TARGET_ADDRESS)}, {"State", "Target_address"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Children(XML_Write(Control(c.items))), c.children);
        EXPECT_EQ(Children(XML_Write(Traffic(c.items))), c.children);
    }
}

// The elements of whole records are pinned through `tessel log` (kinds_test.cpp).
// Values without a name are written as the framework writes them.
TEST(SimulatorState, UnnamedValuesAndAttributeOnlyChildren) {
    P25::Traffic_sim_state odd = Traffic({Item(P25::SIM_SYSTEM_ID, 0x3A1), Item(P25::SIM_CALL_END_REASONS, 7),
                                          Item(P25::SIM_SERVICE_OPTS, 0xA3)});
    odd.state = static_cast<P25::Traffic_sim_states>(40);
    EXPECT_EQ(Logged(P25::Log_traffic_state, odd),
              "<Traffic_state phys_channel=\"0\" timeslot=\"0\" timestamp=\" 0.00000000\"><State>0x28</State>"
              "<System_ID>3A1</System_ID><Call_end_reason>0x7</Call_end_reason>"
              "<Service_options emergency=\"true\" protected_flag=\"false\" full_duplex=\"true\" "
              "packet_mode=\"false\" Reserved=\"0\" priority=\"3\"/></Traffic_state>");
}

// Each entry point logs one element under Log_Environment: the channel
// settings on the record's channel, the simulator states on none.
TEST(SimulatorState, EntryPointsLogOnTheirChannel) {
    P25::Chan_set_enable enable{{3, {0}}, 1};
    P25::Chan_operation primary{4, {50000000}};
    P25::Chan_freq freq{{5, {0}}, 851012500};
    P25::Mobile_sim_state mobile{};
    mobile.header.id = 17;
    const std::string ch5 = "phys_channel=\"5\" timestamp=\" 0.00000000\"><Frequency>851012500</Frequency>";
    const struct {
        const char* what;
        void (*log)(const void*);
        const void* record;
        std::string element;
        unsigned channel;  // the only channel whose filter passes it; 999: channel-less
    } cases[] = {
        {"enable", [](const void* r) { P25::Log_chan_enable(*static_cast<const P25::Chan_set_enable*>(r)); }, &enable,
         "<Enable_channel phys_channel=\"3\" timestamp=\" 0.00000000\" enable=\"1\"/>", 3},
        {"primary", [](const void* r) { P25::Log_chan_primary(*static_cast<const P25::Chan_operation*>(r)); }, &primary,
         "<Set_primary_channel phys_channel=\"4\" timestamp=\" 1.00000000\"/>", 4},
        {"rx", [](const void* r) { P25::Log_chan_rx(*static_cast<const P25::Chan_freq*>(r)); }, &freq,
         "<Channel_rx_freq " + ch5 + "</Channel_rx_freq>", 5},
        {"tx", [](const void* r) { P25::Log_chan_tx(*static_cast<const P25::Chan_freq*>(r)); }, &freq,
         "<Channel_tx_freq " + ch5 + "</Channel_tx_freq>", 5},
        {"mobile", [](const void* r) { P25::Log_mobile_state(*static_cast<const P25::Mobile_sim_state*>(r)); }, &mobile,
         "<Mobile_state ID=\"17\" timestamp=\" 0.00000000\"><State>MOBILE_CREATED</State></Mobile_state>", 999},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            trk::Log_capture log;
            c.log(c.record);
            EXPECT_EQ(Compact(log.Body()), c.element);
        }
        // Only the environment class of the element's channel lets it through;
        // a channel-less element passes when any channel records the environment.
        for (unsigned channel : {3u, 4u, 5u}) {
            trk::Log_capture log;
            FilterList& filters = log.File().Filters();
            for (unsigned ch = 0; ch < FilterList::Channels; ++ch) filters[ch] = ~0u & ~Log_Environment;
            filters[channel] = Log_Environment;
            c.log(c.record);
            EXPECT_EQ(log.Body().empty(), c.channel != channel && c.channel != 999) << channel;
        }
    }
}
