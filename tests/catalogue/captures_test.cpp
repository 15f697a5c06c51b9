// Real on-air TSBKs (tests/data/captures/tsbk-real.txt) through the host's
// TSBK entry point: each decodes to the element its line names, without an
// error element, and with field values a working system would send (the one
// whose CRC fails decodes to nothing).
#include <fstream>
#include <functional>

#include "mobility_support.h"

using namespace mobility;

namespace {

struct Capture {
    std::string type, hex, element;
    int line;
};

std::vector<Capture> Read_captures() {
    std::vector<Capture> out;
    std::ifstream in(std::string(TESSEL_TEST_DATA) + "/captures/tsbk-real.txt");
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Capture c;
        fields >> c.type >> c.hex >> c.element;
        c.line = number;
        out.push_back(c);
    }
    return out;
}

P25::P25_TSBK_DATA Block_of(const std::string& hex) {
    P25::P25_TSBK_DATA b{};
    for (std::size_t i = 0; i < sizeof b.data && 2 * i + 1 < hex.size(); ++i)
        b.data[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    return b;
}

unsigned long Hex(const std::string& s) { return std::stoul(s, nullptr, 16); }

// Ranges every decoded message must respect.
void Expect_field_ranges(const std::string& xml) {
    for (const std::string& id : Attributes(xml, "Channel", "id")) EXPECT_LE(std::stoul(id), 15u) << xml;
    for (const std::string& n : Attributes(xml, "Channel", "number")) EXPECT_LE(std::stoul(n), 4095u) << xml;
    // System IDs 000 and FFF and WACNs 00000 and FFFFF are not assigned.
    for (const std::string& s : Texts(xml, "System_ID")) {
        EXPECT_GE(Hex(s), 0x001u) << xml;
        EXPECT_LE(Hex(s), 0xFFEu) << xml;
    }
    for (const std::string& w : Texts(xml, "WACN")) {
        EXPECT_GE(Hex(w), 0x00001u) << xml;
        EXPECT_LE(Hex(w), 0xFFFFEu) << xml;
    }
    // Addresses are 000001-FFFFFC (FFFFFC: the system's dispatcher);
    // FFFFFD-FFFFFF are registration and all-unit addresses that none of
    // these messages carries.
    for (const char* tag : {"Source_ID", "Source_address", "Target_address", "Target_ID"})
        for (const std::string& a : Texts(xml, tag)) {
            EXPECT_GE(Hex(a), 0x000001u) << tag << " " << xml;
            EXPECT_LE(Hex(a), 0xFFFFFCu) << tag << " " << xml;
        }
    for (const std::string& g : Texts(xml, "Group_address")) {
        EXPECT_GE(Hex(g), 0x0001u) << xml;
        EXPECT_LE(Hex(g), 0xFFFEu) << xml;
    }
}

std::string The(const std::string& xml, const char* tag) {
    const std::vector<std::string> t = Texts(xml, tag);
    return t.size() == 1 ? t[0] : "(" + std::to_string(t.size()) + " " + tag + ")";
}

struct Row {
    const char* element;
    // The definition belongs to the call and status family, not this one's:
    // the row waits until the registry knows it.
    const char* needs;
    std::function<void(const std::string& xml)> check;
};

const char* const needs_calls = "needs the call/status family";

const Row rows[] = {
    // A VHF plan: 12.5 kHz channels from 162.05 MHz, mobiles 4.6 MHz below.
    {"IDEN_UP_VU", nullptr,
     [](const std::string& x) {
         EXPECT_EQ(The(x, "Identifier"), "14");
         const double base = std::stod(The(x, "Base_freq")), spacing = std::stod(The(x, "Channel_spacing")),
                      bandwidth = std::stod(The(x, "Bandwidth")), offset = std::stod(The(x, "Transmit_offset"));
         EXPECT_DOUBLE_EQ(base, 162050000.0);
         EXPECT_TRUE(base >= 136e6 && base <= 174e6) << "a VHF base frequency";
         EXPECT_DOUBLE_EQ(spacing, 12500.0);
         EXPECT_TRUE(bandwidth == 6250.0 || bandwidth == 12500.0);
         EXPECT_DOUBLE_EQ(offset, -4600000.0);
         // The highest channel of the identifier stays inside the VHF band.
         EXPECT_LE(base + 4095 * spacing, 216e6);
     }},
    {"GRP_V_CH_GRANT_UPDT", needs_calls,
     [](const std::string& x) {
         EXPECT_EQ(Attributes(x, "Channel", "number"), (std::vector<std::string>{"401", "401"}));
         EXPECT_EQ(Texts(x, "Group_address"), (std::vector<std::string>{"2531", "2531"}));
     }},
    // Two secondary control channels on the same frequency, backup only.
    {"SCCB", nullptr,
     [](const std::string& x) {
         EXPECT_EQ(The(x, "RF_subsys_ID"), "02");
         EXPECT_EQ(The(x, "Site_ID"), "30");
         EXPECT_EQ(Attributes(x, "Channel", "number"), (std::vector<std::string>{"1405", "1405"}));
         EXPECT_EQ(Attributes(x, "Service_class", "backup"), (std::vector<std::string>{"true", "true"}));
     }},
    // A unit registers on system 277 under its own address.
    {"U_REG_RSP", nullptr,
     [](const std::string& x) {
         EXPECT_EQ(The(x, "Registration_value"), "ACCEPT");
         EXPECT_EQ(The(x, "System_ID"), "277");
         EXPECT_EQ(The(x, "Source_ID"), The(x, "Source_address"));
     }},
    // The same system, with its WACN.
    {"U_DE_REG_ACK", nullptr,
     [](const std::string& x) {
         EXPECT_EQ(The(x, "WACN"), "BEE00");
         EXPECT_EQ(The(x, "System_ID"), "277");
         EXPECT_EQ(The(x, "Source_ID"), "27FB15");
     }},
    {"STS_UPDT_REQ", needs_calls,
     [](const std::string& x) {
         EXPECT_EQ(The(x, "Target_address"), "FFFFFC");
         EXPECT_EQ(The(x, "Source_address"), "21C103");
     }},
    {"GRP_AFF_RSP", nullptr,
     [](const std::string& x) {
         EXPECT_EQ(The(x, "Group_affiliation_value"), "ACCEPT");
         EXPECT_EQ(The(x, "Global_affiliate"), "false");
         EXPECT_EQ(The(x, "Group_address"), "055D");
         EXPECT_EQ(The(x, "Target_address"), "A14556");
     }},
    // Site 1 of RFSS 1 on system 13E, on the wide-area network.
    {"RFSS_STS_BCST", nullptr,
     [](const std::string& x) {
         EXPECT_EQ(Attributes(x, "RFSS_STS_BCST", "network_active"), std::vector<std::string>{"true"});
         EXPECT_EQ(The(x, "System_ID"), "13E");
         EXPECT_EQ(The(x, "RF_subsys_ID"), "01");
         EXPECT_EQ(The(x, "Site_ID"), "01");
         EXPECT_EQ(Attributes(x, "Channel", "number"), std::vector<std::string>{"65"});
         EXPECT_EQ(Attributes(x, "Service_class", "voice_service"), std::vector<std::string>{"true"});
     }},
    {"-", nullptr, [](const std::string& x) { EXPECT_EQ(x, ""); }},
};

const Row* Row_for(const std::string& element) {
    for (const Row& r : rows)
        if (element == r.element) return &r;
    return nullptr;
}

}  // namespace

TEST(Captures, EveryCaptureHasARowAndEveryRowACapture) {
    const std::vector<Capture> captures = Read_captures();
    ASSERT_EQ(captures.size(), std::size(rows));
    for (const Capture& c : captures) EXPECT_NE(Row_for(c.element), nullptr) << "line " << c.line;
}

class Captures_by_line : public testing::TestWithParam<Capture> {};

TEST_P(Captures_by_line, DecodeToTheirElementWithSensibleFields) {
    const Capture& c = GetParam();
    const Row* row = Row_for(c.element);
    ASSERT_NE(row, nullptr);
    const bool outbound = c.type == "osp";
    if (row->needs && !Registered(row->element, outbound))
        GTEST_SKIP() << c.element << " " << row->needs;

    const std::string body = Log_message({Block_of(c.hex)}, outbound);
    EXPECT_EQ(Only(body, "TSBK").size(), 1u) << body;
    EXPECT_FALSE(Has_error_element(body)) << body;
    const std::string xml = Messages(body);
    if (c.element != "-") {
        EXPECT_EQ(Only(body, "Trunking_message").size(), 1u) << body;
        EXPECT_TRUE(xml.find("<" + c.element + ">") != std::string::npos ||
                    xml.find("<" + c.element + " ") != std::string::npos)
            << xml;
        Expect_field_ranges(xml);
    }
    row->check(xml);
}

INSTANTIATE_TEST_SUITE_P(Real, Captures_by_line, testing::ValuesIn(Read_captures()),
                         [](const testing::TestParamInfo<Capture>& info) {
                             const std::string& e = info.param.element;
                             return "line_" + std::to_string(info.param.line) + "_" + (e == "-" ? "bad_crc" : e);
                         });
