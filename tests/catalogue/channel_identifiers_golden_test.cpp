// Channel identifier messages: an 800 MHz, a UHF and a TDMA plan against a
// golden log; the frequency conversions of each form; the TDMA form found
// only under manufacturer 0x90; a plan read from XML.
#include "mobility_support.h"

using namespace mobility;

TEST(Channel_identifiers_golden, ThreePlanFormsAndTheRequest) {
    Expect_golden_messages("channel_identifiers.xml",
                           {
                               // 851.00625 MHz, 6.25 kHz steps, 12.5 kHz wide, mobiles 45 MHz below.
                               {Tsbk_of("3D 00 13 22 D0 32 0A 25 10 A2"), true},
                               // 450 MHz, 12.5 kHz steps and bandwidth, mobiles 5 MHz below.
                               {Tsbk_of("34 00 25 06 40 64 05 5D 4A 80"), true},
                               // 769.00625 MHz, two-slot TDMA, mobiles 5 MHz above.
                               {Tsbk_of("0D 90 30 86 40 64 09 2A D2 22"), true},
                               // A unit asks for identifier 3.
                               {Tsbk_of("32 00 03 00 00 00 00 A1 45 56"), false},
                           });
}

TEST(Channel_identifiers_golden, FrequencyConversions) {
    struct Case {
        const char* hex;
        const char* element;
        const char* bandwidth;
        const char* spacing;
        const char* offset;
        const char* base;
    } cases[] = {
        // IDEN_UP: the offset counts 250 kHz; sign bit 1 is above the receive
        // frequency.  Every field at its widest last.
        {"3D 00 13 24 10 32 0A 25 10 A2", "IDEN_UP", "12500", "6250", "1000000", "851006250"},
        {"3D 00 13 20 10 32 0A 25 10 A2", "IDEN_UP", "12500", "6250", "-1000000", "851006250"},
        {"3D 00 FF FB FF FF FF FF FF FF", "IDEN_UP", "63875", "127875", "-63750000", "21474836475"},
        // IDEN_UP_VU: the offset counts channel spacings; bandwidth codes 4 and 5 only.
        {"34 00 25 06 40 64 05 5D 4A 80", "IDEN_UP_VU", "12500", "12500", "-5000000", "450000000"},
        {"34 00 24 86 40 32 05 5D 4A 80", "IDEN_UP_VU", "6250", "6250", "2500000", "450000000"},
        {"34 00 27 06 40 64 05 5D 4A 80", "IDEN_UP_VU", "0", "12500", "-5000000", "450000000"},
        // A spacing of zero makes any offset zero.
        {"34 00 25 06 40 00 05 5D 4A 80", "IDEN_UP_VU", "12500", "0", "0", "450000000"},
        // IDEN_UP_TDMA: 12.5 kHz whatever octet 2 says.
        {"0D 90 30 86 40 64 09 2A D2 22", "IDEN_UP_TDMA", "12500", "12500", "5000000", "769006250"},
        {"0D 90 3F 06 40 32 00 00 00 00", "IDEN_UP_TDMA", "12500", "6250", "-2500000", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        const std::string xml = Messages(Log_message(Tsbk_of(c.hex)));
        EXPECT_NE(xml.find(std::string("<") + c.element + ">"), std::string::npos) << xml;
        EXPECT_DOUBLE_EQ(std::stod(Texts(xml, "Bandwidth").at(0)), std::stod(c.bandwidth));
        EXPECT_DOUBLE_EQ(std::stod(Texts(xml, "Channel_spacing").at(0)), std::stod(c.spacing));
        EXPECT_DOUBLE_EQ(std::stod(Texts(xml, "Transmit_offset").at(0)), std::stod(c.offset));
        EXPECT_DOUBLE_EQ(std::stod(Texts(xml, "Base_freq").at(0)), std::stod(c.base));
    }
}

TEST(Channel_identifiers_golden, TdmaPlanOnlyUnderManufacturer90) {
    struct Case {
        const char* hex;
        const char* element;  // null: header only
    } cases[] = {
        {"0D 90 30 86 40 64 09 2A D2 22", "IDEN_UP_TDMA"},
        {"0D 00 30 86 40 64 09 2A D2 22", nullptr},  // opcode 13 of manufacturer 0x00 is not defined
        {"34 90 25 06 40 64 05 5D 4A 80", nullptr},  // nor opcode 52 of manufacturer 0x90
        {"34 00 25 06 40 64 05 5D 4A 80", "IDEN_UP_VU"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        const std::string body = Log_message(Tsbk_of(c.hex));
        const std::string xml = Messages(body);
        ASSERT_EQ(Only(body, "Trunking_message").size(), 1u);
        EXPECT_FALSE(Has_error_element(xml));
        if (c.element) {
            EXPECT_NE(xml.find(std::string("<") + c.element + ">"), std::string::npos) << xml;
        } else {
            EXPECT_EQ(Tags(xml).size(), 1u) << xml;
            EXPECT_EQ(xml.find("IDEN_UP"), std::string::npos) << xml;
        }
    }
}

// The spacing is read before the offset that counts it; a bandwidth other
// than 6.25 or 12.5 kHz (after truncation) stores code 0.
TEST(Channel_identifiers_golden, PlanReadFromXml) {
    struct Case {
        const char* bandwidth;
        const char* raw;
    } cases[] = {
        {"12500.9", "34 00 25 06 40 64 05 5D 4A 80"},
        {"12000", "34 00 20 06 40 64 05 5D 4A 80"},
        {"6250", "34 00 24 06 40 64 05 5D 4A 80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bandwidth);
        Log_capture log;
        const std::string element = std::string("<Trunking_message type=\"osp\"><P25_TSBK_header/><IDEN_UP_VU>") +
                                    "<Identifier>2</Identifier><Bandwidth>" + c.bandwidth +
                                    "</Bandwidth><Channel_spacing>12500</Channel_spacing>"
                                    "<Transmit_offset>-5000000</Transmit_offset><Base_freq>450000000</Base_freq>"
                                    "</IDEN_UP_VU></Trunking_message>\n";
        EXPECT_EQ(Replay(element, log), XML_routines::Read_status::ok);
        const std::vector<std::string> raw = Only(log.Body(), "TSBK");
        ASSERT_EQ(raw.size(), 1u);
        EXPECT_NE(raw[0].find(std::string(">") + c.raw + " "), std::string::npos) << raw[0];
    }
}
