// The opcode registries: the handler of a message by the command (or type)
// of its last word and its length, the second-level refinement, the generic
// fallback, the "can end a longer message" queries, and the load-time stop
// on a colliding registration.
#include "support.h"

using namespace sz;
using namespace Smartzone;

namespace {

OSW_log Osw_message(std::vector<std::uint32_t> words) {
    OSW_log log{};
    log.count = static_cast<std::uint32_t>(words.size());
    for (std::size_t i = 0; i < words.size() && i < 3; ++i)
        for (int b = 0; b < 4; ++b) log.words[i][b] = static_cast<std::uint8_t>(words[i] >> (24 - 8 * b));
    return log;
}
ISW_log Isw_message(std::vector<std::uint32_t> words) {
    ISW_log log{};
    log.count = static_cast<std::uint32_t>(words.size());
    for (std::size_t i = 0; i < words.size() && i < 3; ++i)
        for (int b = 0; b < 3; ++b) log.words[i][b] = static_cast<std::uint8_t>(words[i] >> (16 - 8 * b));
    return log;
}

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
        {{Osw(0x1230, false, 400)}, "Group_update"},
        {{first, Osw(0x1230, false, 400)}, "Channel_assignment"},
        {{Osw(0, false, OTHER_BUSY)}, "Busy"},  // 771 has a one- and a two-word definition
        {{first, Osw(0, false, OTHER_BUSY)}, "Other_busy"},
        {{Osw(0, false, PRIVATE_CALL)}, "OSW"},    // no definition at all
        {{Osw(0, false, DISPATCH_BUSY)}, "OSW"},   // only a two-word definition
        {{first, Osw(0, false, 760)}, "OSW"},      // only a one-word definition
        {{first, Ext(20, 5)}, "Extended_OSW"},     // no definition of expander 20
        {{first, Ext(9, 600)}, "ACK"},             // acknowledgements have no sub-definitions
        {{first, Ext(TYPE_II_SYSTEM_ID, 5)}, "Extended_SysID"},
        {{first, Osw(0, false, TRIPLE_WORD), Ext(24, 300)}, "Adjacent_control_channel"},
        {{first, Osw(0, false, TRIPLE_WORD), Ext(10, 300)}, "Extended_OSW3"},
        {{first, Ext(24, 300)}, "Extended_OSW"},  // 24 is a three-word function
        {{Status(1)}, "Status1"},
        {{Status(2, SYSTEM_STATUS_STANDALONE)}, "Status2"},
        {{Status(3)}, "Status3"},
        {{Status(0)}, "Status_generic"},
        {{Status(7)}, "Status_generic"},
        {{first, Osw(0x1000, false, 848)}, "Dynamic_regroup"},
        {{}, "OSW"},
        {{first, first, first, first}, "OSW"},  // more words than a message holds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OSW_log log = Osw_message(c.words);
        EXPECT_STREQ(Smartzone_OSW_opcode_base::Find(log).Name(), c.name);
    }
    EXPECT_EQ(&Smartzone_OSW_opcode_base::Find(Osw_message({})), &Smartzone_OSW_opcode_base::generic);
}

TEST(Registry, InboundHandlerByLastWordAndLength) {
    const std::uint32_t first = Isw(0x1234, ISW_FIRST);
    struct Case {
        std::vector<std::uint32_t> words;
        const char* name;
    } cases[] = {
        {{first, Isw(0x5670, 16)}, "Affiliate_request"},
        {{Isw(0x5670, 16)}, "ISW"},
        {{first, Isw(0x5670, 12)}, "Group_request"},
        {{first, Isw(0x5670, 2)}, "ISW"},
        {{first, Ext_isw(3, 1)}, "Extended_ISW"},
        {{first, Ext_isw(9, 539)}, "Afiliate"},
        {{first, Ext_isw(41, 538)}, "Afiliate_central"},
        {{first, Ext_isw(9, 540)}, "Deafiliate"},
        {{first, Ext_isw(9, 600)}, "Type_2_request"},
        {{first, Ext_isw(41, 1023)}, "Type_2_request"},
        {{first, Ext_isw(10, 539)}, "Extended_ISW"},
        {{}, "ISW"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(Smartzone_ISW_opcode_base::Find(Isw_message(c.words)).Name(), c.name);
    }
}

TEST(Registry, CommandsThatEndLongerMessages) {
    struct Case {
        unsigned id;
        bool doubleword, tripleword;
    } cases[] = {
        {0, true, false},    {400, true, false},  {759, true, false},  {760, false, false}, {771, true, false},
        {776, false, false}, {779, true, true},   {784, true, false},  {800, false, false}, {815, true, false},
        {848, true, false},  {849, false, false}, {959, false, false}, {1022, true, false}, {1023, false, false},
        {1024, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(Smartzone_OSW_opcode_base::Is_doubleword(c.id), c.doubleword);
        EXPECT_EQ(Smartzone_OSW_opcode_base::Is_tripleword(c.id), c.tripleword);
        EXPECT_EQ(Smartzone_OSW_opcode_base::Is_multiword(c.id), c.doubleword || c.tripleword);
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
XML_routines::Subelement_table<Status1> status_fields[] = {
    XML_routines::Subelement(GetSet_bf_affiliate<Status1, bool>(), "affiliate"),
};

}  // namespace

TEST(Registry, AHandlerLeavesItsSlotsAndItsElementWhenDestroyed) {
    const xmlChar* tag = reinterpret_cast<const xmlChar*>("Test_word");
    {
        const Smartzone_OSW_opcode<OSW_generic> word("Test_word", word_fields, {{1023, 1023}});
        EXPECT_EQ(Smartzone_OSW_opcode_base::table[1023][0], &word);
        EXPECT_EQ(Osw_info().Find(tag), &word);
        EXPECT_STREQ(Smartzone_OSW_opcode_base::Find(Osw_message({Osw(1, false, 1023)})).Name(), "Test_word");
    }
    EXPECT_EQ(Smartzone_OSW_opcode_base::table[1023][0], nullptr);
    EXPECT_EQ(Osw_info().Find(tag), nullptr);
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
}
