// Frequency-plan values and the records that hold them: bandwidths, channel
// spacing, transmit offsets (both directions, with truncation) and base
// frequency.
#include "support.h"

using namespace fields_test;

namespace {

// Identifier, bandwidth, spacing and offset elements; then the base frequency.
std::string Plan(const char* id, const char* bandwidth, const char* offset) {
    return std::string("<Identifier>") + id + "</Identifier><Bandwidth>" + bandwidth +
           "</Bandwidth><Channel_spacing>12500.000000</Channel_spacing><Transmit_offset>" + offset +
           "</Transmit_offset>";
}
const std::string base_851MHz = "<Base_freq>851000000.000000</Base_freq>";

}  // namespace

TEST(FrequencyPlan, RecordsWrittenAndReadBack) {
    // Octets 0-1 (TSBK header) and 10-11 (CRC) are not the plan's.  The
    // offset counts 250 kHz steps, sign 1 above.
    Check<P25::IDEN_UP_packet>("00 00 33 24 10 64 0A 25 0B C0 00 00",
                               Plan("3", "12500.000000", "1000000.000000") + base_851MHz,
                               "FF FF 33 24 10 64 0A 25 0B C0 FF FF");
    Check<P25::IDEN_UP_packet>("00 00 33 20 10 64 0A 25 0B C0 00 00",
                               Plan("3", "12500.000000", "-1000000.000000") + base_851MHz,
                               "FF FF 33 20 10 64 0A 25 0B C0 FF FF");
    // The VU offset counts the channel spacing.
    Check<P25::IDEN_UP_VU_packet>("00 00 25 06 40 64 0A 25 0B C0 00 00",
                                  Plan("2", "12500.000000", "-5000000.000000") + base_851MHz,
                                  "FF FF 25 06 40 64 0A 25 0B C0 FF FF");
    Check<P25::LC_chan_id>("13 24 10 64", Plan("1", "12500.000000", "50000.000000"));
    Check<P25::CH_ID_UP_data>("24 06 40 64 0A 25 0B C0", Plan("2", "6250.000000", "-5000000.000000") + base_851MHz);
    // TDMA: a channel type, the bandwidth fixed.
    Check<P25::IDEN_UP_TDMA_packet>("00 00 20 06 40 64 0A 25 0B C0 00 00",
                                    Plan("2", "12500.000000", "-5000000.000000") + base_851MHz +
                                        "<TDMA_chan_type>TDMA/12.5kHz/half_rate</TDMA_chan_type>",
                                    "FF FF 20 06 40 64 0A 25 0B C0 FF FF");
    static const Doc<P25::CH_ID_UP_data> tdma(P25::ch_id_up_tdma_info);
    Check(tdma, "23 06 40 64 0A 25 0B C0",
          "<Identifier>2</Identifier><TDMA_chan_type>0x3</TDMA_chan_type><Channel_spacing>12500.000000"
          "</Channel_spacing><Transmit_offset>-5000000.000000</Transmit_offset>" + base_851MHz);
}

TEST(FrequencyPlan, ReadingTruncatesTowardZero) {
    struct Row {
        const char* bandwidth;
        const char* offset;
        const char* plan;  // octets 2-5
    } rows[] = {
        {"12500.9", "-5012499", "25 06 40 64"},  // 400.99 spacings
        {"6250", "5000000", "24 86 40 64"},
        {"12000", "-5000000", "20 06 40 64"},    // no code for 12 kHz
        {"6249.9", "0", "20 00 00 64"},          // offset 0: sign 0
        {"12500", "-12499", "25 00 00 64"},      // less than one spacing
    };
    for (const Row& r : rows) {
        const std::string xml = std::string("<Identifier>2</Identifier><Bandwidth>") + r.bandwidth +
                                "</Bandwidth><Channel_spacing>12500</Channel_spacing><Transmit_offset>" + r.offset +
                                "</Transmit_offset><Base_freq>851000004.9</Base_freq>";
        EXPECT_EQ(Read_hex<P25::IDEN_UP_VU_packet>(xml), std::string("FF FF ") + r.plan + " 0A 25 0B C0 FF FF") << xml;
    }
    // The offset follows the spacing read before it: -5 MHz is 200 25 kHz spacings.
    EXPECT_EQ(Read_hex<P25::LC_chan_id>(
                  "<Channel_spacing>25000</Channel_spacing><Transmit_offset>-5000000</Transmit_offset>"),
              "FF FB 20 C8");
    // The TDMA bandwidth is not stored: it follows the channel type, and
    // one that contradicts the type the record holds is refused.
    EXPECT_EQ(Read_hex<P25::IDEN_UP_TDMA_packet>("<TDMA_chan_type>0x3</TDMA_chan_type>"),
              "FF FF F3 FF FF FF FF FF FF FF FF FF");
    EXPECT_EQ(Read_hex<P25::IDEN_UP_TDMA_packet>("<Bandwidth>6250</Bandwidth><TDMA_chan_type>0x3</TDMA_chan_type>"),
              "refused");
}

TEST(FrequencyPlan, ValueConversionsAndSetters) {
    EXPECT_EQ(static_cast<unsigned>(P25::BANDWIDTH(12500.9)), 100u);
    EXPECT_EQ(static_cast<double>(P25::BANDWIDTH(100u)), 12500.0);
    const struct {
        double Hz;
        unsigned code;
        double back;
    } vu[] = {{6250.99, 4, 6250.0}, {12500.9, 5, 12500.0}, {12000.0, 0, 0.0}, {-6250.0, 0, 0.0}};
    for (const auto& r : vu) {
        P25::BANDWIDTH_VU b;
        b = r.Hz;
        EXPECT_EQ(static_cast<unsigned>(b), r.code) << r.Hz;
        EXPECT_EQ(static_cast<double>(b), r.back) << r.Hz;
        EXPECT_EQ(b.Is_valid(), r.code != 0) << r.Hz;
    }
    const struct {
        double Hz;
        const char* hex;
    } base[] = {{851000000.0, "0A 25 0B C0"}, {9.99, "00 00 00 01"}, {5.0 * 4294967297.0, "00 00 00 01"}};
    for (const auto& r : base) {
        P25::BASE_FREQ f;
        f = r.Hz;
        EXPECT_EQ(Hex(f), r.hex) << r.Hz;
    }
    P25::TX_OFFSET no_unit(true, 3, 0.0);  // no unit: no steps
    no_unit = 1000.0;
    EXPECT_EQ(static_cast<P25::SIGN_PLUS_VALUE>(no_unit).magnitude, 0u);
    // Setters cut to the field width.
    P25::IDEN_UP_packet p = Record<P25::IDEN_UP_packet>("00 00 00 00 00 00 00 00 00 00 00 00");
    p.Set_tx_offset(P25::TX_OFFSET(false, 0x1FF, P25::IDEN_UP_packet::tx_unit_Hz));  // 9-bit magnitude
    EXPECT_EQ(Hex(p), "00 00 00 03 FC 00 00 00 00 00 00 00");
    p.Set_chan_spacing(P25::CHAN_SPACING(0x7FFu));
    p.Set_ident(P25::CHAN_ID(0x1Fu));
    EXPECT_EQ(Hex(p), "00 00 F0 03 FF FF 00 00 00 00 00 00");
}
