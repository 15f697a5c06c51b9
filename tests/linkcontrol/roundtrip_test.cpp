// Every link-control definition of the registry, from random octets: logged
// raw and decoded, the decoded "LCF" element replayed, the same nine octets
// and the same elements logged again.
#include <random>

#include "support.h"

using namespace lc_test;
using P25::LC_handler_base;

namespace {

// Bits that the elements show only in a canonical form are made canonical:
// a bandwidth is named only for codes 4 and 5, a transmit offset counts
// channel spacings (none when the spacing is 0), a local offset of 0 has no
// sign, and the extended system services leave octet 0 bit 5 unshown.
void Canonical(P25::Any_link_control& w) {
    std::uint8_t* o = w.bytes;
    switch (w.Get_lco()) {
    case P25::LC_CH_ID_UPDT:
        if ((o[3] & 0x03) == 0 && o[4] == 0) o[4] = 1;
        break;
    case P25::LC_CH_ID_UPDT_EXP:
        o[1] = static_cast<std::uint8_t>((o[1] & 0xF0) | (o[1] & 1 ? 4 : 5));
        [[fallthrough]];
    case P25::LC_CH_ID_UPDT_TDMA:
        if ((o[3] & 0x03) == 0 && o[4] == 0) o[4] = 1;
        break;
    case P25::LC_SYNC_BCAST:
        if ((o[3] & 0x1F) == 0) o[3] &= 0xDF;
        break;
    case P25::LC_SYS_SRV_BCST:
        for (int i : {3, 6})
            if (o[i] & 0x80) o[i] &= 0xDF;
        break;
    default:
        break;
    }
}

std::string Hex(const P25::Any_link_control& w) {
    std::string s;
    char octet[4];
    for (std::uint8_t b : w.bytes) {
        std::snprintf(octet, sizeof octet, "%02X ", b);
        s += octet;
    }
    return s;
}

}  // namespace

TEST(Round_trip, EveryDefinitionComesBackFromItsDecodedElement) {
    const char* const unimplemented = "System_interface Receive_LCO_from_XML UNIMPLEMENTED\n";
    std::mt19937 rng(25);
    unsigned definitions = 0;
    P25::For_each_link_control([&](const P25::MFID_record&, const LC_handler_base& h) {
        ++definitions;
        for (int round = 0; round < 20 && !testing::Test::HasFailure(); ++round) {
            P25::Any_link_control w;
            for (std::uint8_t& o : w.bytes) o = static_cast<std::uint8_t>(rng());
            XML_routines::Input_data setup;
            delete h.Get_instance(setup, w);  // the definition's header
            Canonical(w);
            SCOPED_TRACE(std::string(h.Name()) + ": " + Hex(w));

            const P25::p25_LCO r = Record(w, static_cast<std::uint8_t>(rng() % 4));
            trk::Log_capture first;
            XML_routines::XML_Log(XML_routines::lc_raw_top, r, r.header.metadata.phys_channel,
                                  XML_routines::Log_protocol_raw);
            XML_routines::XML_Log(XML_routines::lc_cooked_top, r, r.header.metadata.phys_channel,
                                  XML_routines::Log_protocol_cooked);
            const std::string logged = first.Body();
            const std::vector<std::string> raw = trk::Only(logged, "Link_Control"), lcf = trk::Only(logged, "LCF");
            ASSERT_EQ(raw.size(), 1u);
            ASSERT_EQ(lcf.size(), 1u);
            const std::string tag = std::string("<") + h.Name();
            ASSERT_TRUE(lcf[0].find(tag + ">") != std::string::npos || lcf[0].find(tag + " ") != std::string::npos)
                << lcf[0];
            ASSERT_EQ(raw[0].find(Hex(w) + "</Link_Control>"), raw[0].size() - Hex(w).size() - 16) << raw[0];

            trk::Log_capture second;
            EXPECT_EQ(trk::Replay(lcf[0], second), XML_routines::Read_status::ok);
            const std::string again = second.Body();
            EXPECT_EQ(trk::Only(again, "Link_Control"), raw);
            EXPECT_EQ(trk::Only(again, "LCF"), lcf);
            EXPECT_EQ(second.Errors(), unimplemented);
        }
    });
    EXPECT_EQ(definitions, 31u);
}
