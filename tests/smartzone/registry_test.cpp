// The opcode registries: the handler of a message by the command (or type)
// of its last word and its length, the second-level refinement, the generic
// fallback, a handler leaving its slots, and the load-time stop on a
// colliding registration.  (Which commands each handler is filed under is
// pinned by the registry listing in kinds_test.cpp.)
#include "support.h"

using namespace sz;
using namespace Smartzone;

namespace {

constexpr std::uint32_t Ext(unsigned expander, unsigned payload) {
    return Osw(expander << 10 | payload, false, EXTENDED_FUNCTION);
}
constexpr std::uint32_t Ext_isw(unsigned expander, unsigned payload) {
    return Isw(expander << 10 | payload, ISW_EXTENDED);
}
constexpr std::uint32_t Status(unsigned opcode, unsigned cmd = SYSTEM_STATUS_AMSS) {
    return Osw(opcode << 13, false, cmd);
}

}  // namespace

TEST(Registry, OutboundHandlerByLastWordAndLength) {
    const std::uint32_t first = Osw(0x1234, true, FIRST_WORD1);
    struct Case {
        std::vector<std::uint32_t> words;
        const char* name;
    } cases[] = {
        {{Osw(0, false, PRIVATE_CALL)}, "OSW"},    // no definition at all
        {{Osw(0, false, DISPATCH_BUSY)}, "OSW"},   // only a two-word definition
        {{first, Osw(0, false, 760)}, "OSW"},      // only a one-word definition
        {{first, Ext(20, 5)}, "Extended_OSW"},     // no definition of expander 20
        {{first, Ext(9, 600)}, "ACK"},             // acknowledgements have no sub-definitions
        {{first, Osw(0, false, TRIPLE_WORD), Ext(10, 300)}, "Extended_OSW3"},  // 10 is a two-word function
        {{first, Ext(24, 300)}, "Extended_OSW"},  // 24 is a three-word function
        {{Status(7)}, "Status_generic"},  // no definition of status opcode 7
        {{}, "OSW"},
        {{first, first, first, first}, "OSW"},  // more words than a message holds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OSW_log log = Message_of<OSW_log>(c.words);
        EXPECT_STREQ(Smartzone_OSW_opcode_base::Find(log).Name(), c.name);
    }
    EXPECT_EQ(&Smartzone_OSW_opcode_base::Find(Message_of<OSW_log>({})), &Smartzone_OSW_opcode_base::generic);
}

TEST(Registry, InboundHandlerByLastWordAndLength) {
    const std::uint32_t first = Isw(0x1234, ISW_FIRST);
    struct Case {
        std::vector<std::uint32_t> words;
        const char* name;
    } cases[] = {
        {{first, Isw(0x5670, 2)}, "ISW"},  // no two-word definition of type 2
        {{first, Ext_isw(9, 600)}, "Type_2_request"},  // no definition of payload 600
        {{first, Ext_isw(10, 539)}, "Extended_ISW"},  // payloads refine expanders 9 and 41 only
        {{}, "ISW"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(Smartzone_ISW_opcode_base::Find(Message_of<ISW_log>(c.words)).Name(), c.name);
    }
}

// ---- registration ------------------------------------------------------------------------------

namespace {

XML_routines::Subelement_table<OSW_generic> word_fields[] = {
    XML_routines::Subelement(&OSW_generic::unit),
};
XML_routines::Subelement_table<isw_req> request_fields[] = {
    XML_routines::Subelement(&ISW_first::unit).Of(&isw_req::w0),
};
XML_routines::Subelement_table<isw_extended> extended_fields[] = {
    XML_routines::Subelement(&ISW_first::unit).Of(&isw_extended::w0),
};
XML_routines::Subelement_table<Extended_function> function_fields[] = {
    XML_routines::Subelement(&OSW_generic::unit).Of(&Extended_function::w0),
};
XML_routines::Subelement_table<Status1> status_fields[] = {
    XML_routines::Subelement(GetSet_bf_affiliate<Status1, bool>(), "affiliate"),
};

}  // namespace

// Handlers filed at free slots of each table are found while they live;
// destroyed, they leave their slots and their elements.
TEST(Registry, AHandlerLeavesItsSlotsAndItsElementWhenDestroyed) {
    const std::uint32_t first = Osw(0x1234, false, FIRST_WORD1), first_isw = Isw(0x1234, ISW_FIRST);
    const auto found = [&] {
        std::string names;
        for (const std::vector<std::uint32_t>& words :
             {std::vector<std::uint32_t>{Osw(1, false, 1023)}, {Status(4)}, {first, Ext(TRANSMIT_FEATURES, 5)}})
            names += std::string(Smartzone_OSW_opcode_base::Find(Message_of<OSW_log>(words)).Name()) + " ";
        for (const std::vector<std::uint32_t>& words :
             {std::vector<std::uint32_t>{first_isw, Isw(2, ISW_GROUP_REQUEST)}, {first_isw, Ext_isw(9, 600)},
              {first_isw, Ext_isw(3, 7)}})
            names += std::string(Smartzone_ISW_opcode_base::Find(Message_of<ISW_log>(words)).Name()) + " ";
        return names;
    };
    const auto filed = [] {
        return std::vector<bool>{Osw_info().Find(reinterpret_cast<const xmlChar*>("T_word")) != nullptr,
                                 Isw_info().Find(reinterpret_cast<const xmlChar*>("T_type")) != nullptr};
    };
    {
        const Smartzone_OSW_opcode<OSW_generic> word("T_word", word_fields, {{1023, 1023}});
        const Smartzone_status<Status1> status("T_status", status_fields, 4);
        const Smartzone_extended<Extended_function> extended("T_extended", function_fields, TRANSMIT_FEATURES);
        const Smartzone_ISW_opcode<isw_req> type("T_type", request_fields, ISW_GROUP_REQUEST);
        const Smartzone_req<600, isw_extended> request("T_request", extended_fields);
        const Smartzone_req_generic requests("T_requests", request_fields, {3});
        EXPECT_EQ(Smartzone_OSW_opcode_base::table[1023][0], &word);
        EXPECT_EQ(found(), "T_word T_status T_extended T_type T_request T_requests ");
        EXPECT_EQ(filed(), std::vector<bool>({true, true}));
    }
    EXPECT_EQ(Smartzone_OSW_opcode_base::table[1023][0], nullptr);
    EXPECT_EQ(found(), "OSW Status_generic Extended_OSW ISW Type_2_request Extended_ISW ");
    EXPECT_EQ(filed(), std::vector<bool>({false, false}));
}

TEST(RegistryDeathTest, ACollidingRegistrationStopsTheLoad) {
    EXPECT_DEATH(Smartzone_OSW_opcode<OSW_generic>("Dup", word_fields, BACKGROUND_WORD),
                 "table\\[id\\]\\[size_index\\]==0");
    EXPECT_DEATH(Smartzone_OSW_opcode<OSW_generic>("Dup", word_fields, OSW_IDS(1024)), "id < 1024");
    EXPECT_DEATH(Smartzone_ISW_opcode<isw_req>("Dup", request_fields, ISW_AFFILIATE_REQUEST),
                 "table\\[id\\]\\[size_index\\]==0");
    EXPECT_DEATH(Smartzone_ISW_opcode<isw_req>("Dup", request_fields, ISW_types(32)), "id < 32");
    EXPECT_DEATH(Smartzone_status<Status1>("Dup", status_fields, 1), "table\\[opcode\\] == 0");
    using Affiliation_request = Smartzone_req<SEND_AUTO_AFFL, isw_extended>;
    EXPECT_DEATH(Affiliation_request("Dup", extended_fields), "table\\[op\\] == 0");
    // An expander past the 64 an extended function has, filed or unfiled.
    EXPECT_DEATH(Smartzone_req_generic("Dup", request_fields, {64}), "::Register_extended.*op < 64");
    EXPECT_DEATH(Unregister_extended(64, Smartzone_req_generic("Dup", request_fields, {})),
                 "::Unregister_extended.*op < 64");
}
