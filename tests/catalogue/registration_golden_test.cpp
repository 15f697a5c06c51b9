// Registration, affiliation and authentication messages against golden
// logs: a registering unit's TDMA capabilities, the extended registration
// response, location registration, affiliation with the reserved bits of a
// system ID, the explicit affiliation response with two WACN/system IDs, the
// authentication response (no link element) and the protection parameters.
#include "mobility_support.h"

using namespace mobility;

namespace {

const bool isp = false, osp = true;

// Octets 8 onward of a split WACN/system ID BEE00/277 around the header CRC.
std::vector<std::uint8_t> With_system(std::vector<std::uint8_t> rest) {
    std::vector<std::uint8_t> body = {0xBE, 0xE0, 0x00, 0x00, 0x02, 0x77};
    body.insert(body.end(), rest.begin(), rest.end());
    return body;
}

}  // namespace

TEST(Registration_golden, RegistrationAndLocation) {
    Expect_golden_messages(
        "registration.xml",
        {
            // Emergency, capabilities valid, two-slot TDMA, eight-level simulcast, the second mode.
            {Tsbk_of("2C 00 E5 BE E0 02 77 27 FB 17"), isp},
            // Denied, from the same unit.
            {Mbt(P25::U_REG_RSP, 3, 0x27FB17,
                 With_system({0x27, 0xFB, 0x17, 0x27, 0xFB, 0x17, 0x02, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x55})),
             osp},
            {Tsbk_of("2B 00 00 05 5D 01 02 A1 45 56"), osp},
            {Mbt(P25::LOC_REG_REQ, 2, 0xA14556, With_system({0xA1, 0x45, 0x56, 0x07, 0x05, 0x5D}), false), isp},
        });
}

TEST(Registration_golden, AffiliationAndAuthentication) {
    Expect_golden_messages(
        "affiliation.xml",
        {
            // Octet 3 bits 7-4 (A) are the system ID's reserved bits.
            {Tsbk_of("28 00 00 A2 77 05 5D A1 45 56"), isp},
            // The group's home system BEE00/278, announcement group 0001, accepted.
            {Mbt(P25::GRP_AFF_RSP, 3, 0xA14556,
                 With_system({0x27, 0xFB, 0x17, 0xBE, 0xE0, 0x02, 0x78, 0x05, 0x5D, 0x00, 0x01, 0x00})),
             osp},
        });
    Expect_golden_messages(
        "authentication.xml",
        {
            {Mbt(P25::AUTH_RSP, 3, 0x000000,
                 With_system({0xA1, 0x45, 0x56, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}), false),
             isp},
            {Mbt(P25::P_PARM_BCST, 3, 0xA14556,
                 {0x01, 0x84, 0, 0, 0x12, 0x34, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5,
                  0xF6, 0xF7, 0xF8}),
             osp},
        });
}

// One record, three definitions: the same children under three names, in
// either direction.
TEST(Registration_golden, DeRegistrationAndParameterRequestShareTheirOctets) {
    struct Case {
        const char* hex;
        bool outbound;
        const char* name;
    } cases[] = {
        {"2B 00 00 BE E0 02 77 27 FB 17", isp, "U_DE_REG_REQ"},
        {"30 00 00 BE E0 02 77 27 FB 17", isp, "P_PARM_REQ"},
        {"2F 00 00 BE E0 02 77 27 FB 17", osp, "U_DE_REG_ACK"},
    };
    const std::string children =
        "<Reserved>00 </Reserved>\n      <WACN>BEE00</WACN>\n      <System_ID>277</System_ID>\n"
        "      <Source_ID>27FB17</Source_ID>\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string xml = Messages(Log_message(Tsbk_of(c.hex), c.outbound));
        const std::string open = std::string("<") + c.name + ">\n      ", close = std::string("    </") + c.name + ">";
        EXPECT_NE(xml.find(open + children + close), std::string::npos) << xml;
        // The opcode has no definition in the other direction.
        EXPECT_EQ(Messages(Log_message(Tsbk_of(c.hex), !c.outbound)).find(c.name), std::string::npos);
    }
}
