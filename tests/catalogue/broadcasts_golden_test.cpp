// Broadcasts and time announcements against golden logs: the site flags of
// the status broadcasts as attributes (from the message's system ID, or from
// the one in an explicit form's link ID), the two readings of a services
// map, the time and date with their valid flags, the synchronisation.
#include "mobility_support.h"

using namespace mobility;

TEST(Broadcasts_golden, StatusAndServiceBroadcasts) {
    Expect_golden_messages(
        "broadcasts.xml",
        {
            // Octet 3 = A1: conventional, not failed, valid, not on the network; system 123.
            {Tsbk_of("3C 00 07 A1 23 01 05 10 64 70"), true},
            // Octet 3 = E5: reserved 3, roamer, not on the network; system 567.
            {Tsbk_of("3A 00 07 E5 67 01 02 10 65 70"), true},
            // The flags in the link ID's system ID: conventional; system 123.
            {Mbt(P25::ADJ_STS_BCST, 2, 0x078123, {0x02, 0x09, 0, 0, 0x10, 0x64, 0x10, 0x65, 0x71, 0xAA, 0xBB, 0xCC}),
             true},
            {Mbt(P25::RFSS_STS_BCST, 2, 0x07D277, {0xAA, 0xBB, 0, 0, 0x01, 0x02, 0x10, 0x64, 0x10, 0x65, 0x70, 0xCC}),
             true},
            {Tsbk_of("3B 00 07 BE E0 02 77 10 64 70"), true},
            // Reserved bits F of the link ID's system ID; a WACN with reserved bits 5.
            {Mbt(P25::NET_STS_BCST, 2, 0x07F277, {0xAA, 0xBB, 0, 0, 0xBE, 0xE0, 0x05, 0x10, 0x64, 0x10, 0x65, 0x70}),
             true},
            {Tsbk_of("39 00 01 05 10 64 70 10 65 72"), true},
            {Tsbk_of("29 00 01 05 10 64 AA 10 65 70"), true},
            // Services available: the 24 flags; supported: the extended reading.
            {Tsbk_of("38 00 00 5A 0F F0 C0 00 01 3C"), true},
        });
}

TEST(Broadcasts_golden, SiteFlagsOfTheStatusBroadcasts) {
    struct Case {
        const char* hex;
        const char* element;
        const char* attributes;
        const char* system;
    } cases[] = {
        {"3C 00 07 A1 23 01 05 10 64 70", "ADJ_STS_BCST",
         "network_active=\"false\" conv_chan=\"true\" failure=\"false\" valid=\"true\"", "123"},
        {"3C 00 07 5F FF 01 05 10 64 70", "ADJ_STS_BCST",
         "network_active=\"true\" conv_chan=\"false\" failure=\"true\" valid=\"false\"", "FFF"},
        {"3A 00 07 E5 67 01 02 10 65 70", "RFSS_STS_BCST", "network_active=\"false\" roamer=\"true\" Reserved=\"3\"", "567"},
        {"3A 00 07 10 00 01 02 10 65 70", "RFSS_STS_BCST", "network_active=\"true\" roamer=\"false\" Reserved=\"0\"", "000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        const std::string xml = Messages(Log_message(Tsbk_of(c.hex)));
        EXPECT_NE(xml.find(std::string("<") + c.element + " " + c.attributes + ">"), std::string::npos) << xml;
        EXPECT_EQ(Texts(xml, "System_ID"), std::vector<std::string>{c.system});
    }
}

// Reading an explicit broadcast: the link's "System_ID" sets the low twelve
// bits of octets 4-5, the element's flags the upper four.
TEST(Broadcasts_golden, FlagsReadIntoTheLinkId) {
    struct Case {
        const char* link;
        const char* element;
        const char* octets_3_to_5;
    } cases[] = {
        {"<LRA>07</LRA><System_ID>123</System_ID>", "<ADJ_STS_BCST conv_chan=\"true\" valid=\"true\"/>", "07 A1 23"},
        {"<LRA>07</LRA><System_ID>277</System_ID>", "<RFSS_STS_BCST Reserved=\"2\" network_active=\"true\"/>",
         "07 92 77"},
        {"<LRA>07</LRA><System_ID>FFF</System_ID>", "<NET_STS_BCST Reserved=\"0\"/>", "07 0F FF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        Log_capture log;
        const std::string doc = std::string("<Trunking_message type=\"osp\"><Alternate_MBT_header type=\"osp\"/>") +
                                c.link + c.element + "</Trunking_message>\n";
        EXPECT_EQ(Replay(doc, log), XML_routines::Read_status::ok);
        const std::vector<std::string> raw = Only(log.Body(), "PDU");
        ASSERT_EQ(raw.size(), 1u);
        EXPECT_NE(raw[0].find(std::string(">37 FD 00 ") + c.octets_3_to_5 + " 81 "), std::string::npos) << raw[0];
    }
}

TEST(Broadcasts_golden, TimeAndSynchronisation) {
    Expect_golden_messages(
        "time.xml",
        {
            // Date and time valid, 60 minutes west of UTC; 2024/05/17 13:45:09.
            {Tsbk_of("35 00 E8 3C 58 80 60 6D A4 80"), true},
            // Nothing valid, the reserved bits set.
            {Tsbk_of("35 00 17 FF 58 80 63 6D A4 FF"), true},
            // 5 ms minute correction, 300 minutes west; 2024/05/17 13:45, microslot 1000.
            {Tsbk_of("30 00 00 01 6A 30 B1 6D A3 E8"), true},
        });
}
