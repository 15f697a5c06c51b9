// Roaming address messages: the three-block response against a golden log,
// and every size of response and update picking the definition with its
// number of WACN/system IDs.
#include "mobility_support.h"

using namespace mobility;

namespace {

// Octets 8 onward: the message sequence, then the pair BEE00/277 split
// around the header CRC (octet 9, octets 12-14), then `whole` more pairs
// BEE01, BEE02, ... with system ID 278.
std::vector<std::uint8_t> Roaming_body(std::uint8_t sequence, unsigned whole) {
    std::vector<std::uint8_t> body = {sequence, 0xBE, 0x00, 0x00, 0xE0, 0x02, 0x77};
    for (unsigned i = 1; i <= whole; ++i) body.insert(body.end(), {0xBE, 0xE0, static_cast<std::uint8_t>(i << 4 | 0x02), 0x78});
    return body;
}

}  // namespace

TEST(Roaming_golden, ResponseOfThreeBlocksAndUpdateOfTwo) {
    std::vector<std::uint8_t> update = Roaming_body(0x81, 0);
    update.insert(update.end(), {0x27, 0xFB, 0x17});
    Expect_golden_messages("roaming.xml", {
                                              {Mbt(P25::ROAM_ADDR_RSP, 3, 0x27FB17, Roaming_body(0x82, 4), false), false},
                                              {Mbt(P25::ROAM_ADDR_UPDT, 2, 0x000000, update), true},
                                          });
}

TEST(Roaming_golden, EachSizeCarriesItsWacnSystemIds) {
    struct Case {
        const char* name;
        bool outbound;
        unsigned blocks, pairs;
    } cases[] = {
        {"ROAM_ADDR_RSP", false, 1, 1}, {"ROAM_ADDR_RSP", false, 2, 2},  {"ROAM_ADDR_RSP", false, 3, 5},
        {"ROAM_ADDR_RSP", false, 4, 8}, {"ROAM_ADDR_UPDT", true, 2, 1}, {"ROAM_ADDR_UPDT", true, 3, 4},
        {"ROAM_ADDR_UPDT", true, 4, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.blocks));
        const Blocks m = c.blocks == 1 ? Tsbk_of("37 00 82 BE E0 02 77 27 FB 17")
                                       : Mbt(P25::ROAM_ADDR_RSP, c.blocks, 0x27FB17, Roaming_body(0x82, 7), c.outbound);
        const std::string xml = Messages(Log_message(m, c.outbound));
        EXPECT_FALSE(Has_error_element(xml)) << xml;
        EXPECT_NE(xml.find(std::string("<") + c.name + ">"), std::string::npos) << xml;
        const std::vector<std::string> wacn = Texts(xml, "WACN"), system = Texts(xml, "System_ID");
        ASSERT_EQ(wacn.size(), c.pairs) << xml;
        ASSERT_EQ(system.size(), c.pairs);
        // The first pair, split or whole, is BEE00/277; the header CRC is not part of it.
        EXPECT_EQ(wacn[0], "BEE00");
        EXPECT_EQ(system[0], "277");
        for (unsigned i = 1; i < c.pairs; ++i) EXPECT_EQ(wacn[i], "BEE0" + std::to_string(i));
        EXPECT_EQ(Attributes(xml, "Message_sequence", "number"), std::vector<std::string>{"2"});
    }
}
