// Every definition in the registry, whoever built it: random message octets
// framed as the definition (header fields and CRCs set) are logged through
// the host entry points, the logged "Trunking_message" element is replayed
// through the document reader, and the replay logs the same blocks (CRCs
// recomputed from the XML) and the same element.  Definitions whose element
// does not show every bit are listed below with the reason; their hidden
// bits are set to what a replay gives them before logging.
#include <random>

#include "roundtrip_support.h"

using namespace catalogue;
using P25::Trunking_handler_base;

namespace {

// The definitions the registry holds: calls, data and responses (73),
// registration, mobility and broadcasts (41).
constexpr std::size_t expected_definitions = 114;

struct Hidden {
    const char* name;
    unsigned blocks;
    const char* why;
    // Sets the hidden bits as a replay leaves them; null where they depend on
    // other fields' values: then only the XML must come back (the blocks are
    // checked with those values avoided in mobility_catalogue_test.cpp).
    void (*normalise)(std::uint8_t* octets);
};

void No_link_id(std::uint8_t* octets) { octets[3] = octets[4] = octets[5] = 0; }

const Hidden hidden[] = {
    {"AUTH_Q", 2, "link type none: the logical link ID (octets 3-5) is not written", No_link_id},
    {"CALL_ALRT_REQ", 2, "link type none: the logical link ID (octets 3-5) is not written", No_link_id},
    {"STS_Q_REQ", 2, "link type none: the logical link ID (octets 3-5) is not written", No_link_id},
    {"ROAM_ADDR_REQ", 2, "link type none: the logical link ID (octets 3-5) is not written", No_link_id},
    {"STS_UPDT", 2, "link type none: the logical link ID (octets 3-5) is not written", No_link_id},
    // The count is stored as the number of names read back, and digits
    // past the count are not written (they read back as 15).
    {"TELE_INT_DIAL_REQ", 2,
     "octets 8, 9 and 12 belong to no field; the digit count (octet 13) shows only as the number of digits, "
     "34 at most",
     [](std::uint8_t* octets) {
         octets[8] = octets[9] = octets[12] = 0;
         octets[13] = 34;
     }},
    {"AUTH_RSP", 3, "no link element: the logical link ID (octets 3-5) is not written", No_link_id},
    {"ROAM_ADDR_UPDT", 2, "no link element: the logical link ID (octets 3-5) is not written", No_link_id},
    {"ROAM_ADDR_UPDT", 3, "no link element: the logical link ID (octets 3-5) is not written", No_link_id},
    {"ROAM_ADDR_UPDT", 4, "no link element: the logical link ID (octets 3-5) is not written", No_link_id},
    {"IDEN_UP", 1, "a zero transmit offset loses its sign bit", nullptr},
    {"IDEN_UP_VU", 1, "a zero transmit offset loses its sign, one in a zero channel spacing its magnitude", nullptr},
    {"IDEN_UP_TDMA", 1, "a zero transmit offset loses its sign, one in a zero channel spacing its magnitude", nullptr},
    {"SYNC_BCST", 1, "a zero local time offset loses its sign bit", nullptr},
    {"TIME_DATE_ANN", 1, "a zero local time offset loses its sign bit", nullptr},
    {"SYS_SRV_BCST", 1, "octet 0 bit 5 of an extended services map belongs to no attribute", nullptr},
};

const Hidden* Hidden_bits_of(const Trunking_handler_base& h) {
    for (const Hidden& x : hidden)
        if (h.BlockCount() == x.blocks && std::string(h.Name()) == x.name) return &x;
    return nullptr;
}

// "<NAME>", "<NAME " or "<NAME/>" opens the message element.
bool Has_element(const std::string& xml, const std::string& name) {
    for (const char* after : {">", " ", "/>"})
        if (xml.find("<" + name + after) != std::string::npos) return true;
    return false;
}

}  // namespace

namespace P25 {
void PrintTo(const Trunking_handler_base* h, std::ostream* os) { *os << catalogue::Label(*h); }
}  // namespace P25

TEST(Catalogue, RegistryHoldsEveryDefinitionFoundByItsName) {
    EXPECT_EQ(Definitions().size(), expected_definitions);
    for (const Trunking_handler_base* h : Definitions()) {
        SCOPED_TRACE(Label(*h));
        P25::MFID_record* record = P25::MFID_record::Find(h->MFID());
        ASSERT_NE(record, nullptr);
        const P25::Opcode_record* by_name =
            record->Find_trunking_handler(h->Outbound(), XML_routines::To_xml(h->Name()));
        ASSERT_EQ(by_name, &record->Find_trunking_handler(h->Outbound(), h->Opcode()));
        EXPECT_EQ(by_name->slot[h->BlockCount() - 1], h);
        EXPECT_FALSE(h->Family().empty());
    }
    for (const Hidden& x : hidden) {
        bool registered = false;
        for (const Trunking_handler_base* h : Definitions())
            registered = registered || (h->BlockCount() == x.blocks && std::string(h->Name()) == x.name);
        EXPECT_TRUE(registered) << x.name << " is listed as hiding bits but is not registered";
    }
}

class Round_trip : public testing::TestWithParam<const Trunking_handler_base*> {};

TEST_P(Round_trip, RandomOctetsComeBackFromTheirXml) {
    const char* const unimplemented = "System_interface Receive_Trunk_from_XML UNIMPLEMENTED\n";
    const Trunking_handler_base& h = *GetParam();
    const Hidden* hidden_bits = Hidden_bits_of(h);
    if (hidden_bits) RecordProperty("hidden_bits", hidden_bits->why);
    const unsigned blocks = h.BlockCount();
    const char* raw_tag = blocks == 1 ? "TSBK" : "PDU";
    std::mt19937 rng(h.Opcode() * 256u + blocks * 2u + h.Outbound());
    for (int round = 0; round < 12 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Room for fields that run on past the message's blocks.
        Blocks m(blocks + 1);
        for (P25::P25_TSBK_DATA& b : m)
            for (std::uint8_t& o : b.data) o = static_cast<std::uint8_t>(rng());
        m.back() = P25::P25_TSBK_DATA{};
        if (hidden_bits && hidden_bits->normalise) hidden_bits->normalise(m[0].data);
        h.Frame(m.data());
        m.pop_back();
        // Whole 1/64 s: seconds the "timestamp" attribute carries exactly.
        const std::uint32_t ticks = 781250u * (rng() % 5000);

        trk::Log_capture first;
        Log_message(h, m, ticks);
        const std::string logged = first.Body();
        const std::vector<std::string> raw = trk::Only(logged, raw_tag),
                                       message = trk::Only(logged, "Trunking_message");
        ASSERT_EQ(raw.size(), 1u) << logged;
        ASSERT_EQ(message.size(), 1u) << logged;
        ASSERT_TRUE(Has_element(message[0], h.Name())) << message[0];
        ASSERT_EQ(message[0].find("Illegal_block_count"), std::string::npos) << message[0];

        trk::Log_capture second;
        EXPECT_EQ(trk::Replay(message[0], second), XML_routines::Read_status::ok);
        const std::string again = second.Body();
        if (!hidden_bits || hidden_bits->normalise) {
            EXPECT_EQ(trk::Only(again, raw_tag), raw);
        }
        EXPECT_EQ(trk::Only(again, "Trunking_message"), message);
        EXPECT_EQ(second.Errors(), std::string(unimplemented) + unimplemented);
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, Round_trip, testing::ValuesIn(Definitions()),
                         [](const testing::TestParamInfo<const Trunking_handler_base*>& info) {
                             const Trunking_handler_base& h = *info.param;
                             char mfid[8];
                             std::snprintf(mfid, sizeof mfid, "%02X", h.MFID());
                             return std::string(h.Name()) + (h.Outbound() ? "_osp" : "_isp") +
                                    std::to_string(h.BlockCount()) + (h.MFID() ? std::string("_mfid") + mfid : "");
                         });
