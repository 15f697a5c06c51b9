// Frequency-plan values and the records that hold them: bandwidths, channel
// spacing, transmit offsets (both directions, only values they hold) and base
// frequency.
#include "support.h"

namespace {

// Identifier, bandwidth, spacing and offset elements.
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
    // The VU and TDMA messages' records are pinned by the message goldens;
    // the record of the explicit channel-identifier words counts the offset
    // in channel spacings as they do.
    Check<P25::CH_ID_UP_data>("24 06 40 64 0A 25 0B C0", Plan("2", "6250.000000", "-5000000.000000") + base_851MHz);
    static const Doc<P25::CH_ID_UP_data> tdma(P25::ch_id_up_tdma_info);
    Check(tdma, "23 06 40 64 0A 25 0B C0",
          "<Identifier>2</Identifier><TDMA_chan_type>0x3</TDMA_chan_type><Channel_spacing>12500.000000"
          "</Channel_spacing><Transmit_offset>-5000000.000000</Transmit_offset>" + base_851MHz);
}

// A frequency is read only when its field holds it exactly: no step is cut,
// no count wraps, no sign is dropped; a refusal names the nearest values.
TEST(FrequencyPlan, ReadingTakesOnlyWhatTheFieldsHold) {
    using VU = P25::IDEN_UP_VU_packet;
    using TDMA = P25::IDEN_UP_TDMA_packet;
    const std::string held = "refused: Value ";
    const struct {
        std::string (*read)(const std::string&);
        std::string xml;
        std::string octets;
    } rows[] = {
        // 400 spacings of 12.5 kHz; the VHF/UHF bandwidth codes 6.25 and 12.5 kHz.
        {Read_hex<VU>, Plan("2", "12500", "-5000000") + base_851MHz, "FF FF 25 06 40 64 0A 25 0B C0 FF FF"},
        {Read_hex<VU>, Plan("2", "6250", "5000000") + base_851MHz, "FF FF 24 86 40 64 0A 25 0B C0 FF FF"},
        {Read_hex<VU>, Plan("2", "0", "-5000000") + base_851MHz, "FF FF 20 06 40 64 0A 25 0B C0 FF FF"},
        {Read_hex<VU>, Plan("2", "12500.9", "0"),
         held + "12500.9 cannot be held by the field: the nearest value it holds is 12500"},
        {Read_hex<VU>, Plan("2", "12000", "0"),
         held + "12000 cannot be held by the field: the nearest values it holds are 6250 and 12500"},
        {Read_hex<VU>, Plan("2", "-6250", "0"), held + "-6250 cannot be held by the field: the nearest value it holds is 0"},
        // Offsets in whole spacings, up to the 13 bits of their magnitude.
        {Read_hex<VU>, Plan("2", "12500", "-5012499"),
         held + "-5012499 cannot be held by the field: the nearest values it holds are -5012500 and -5000000"},
        {Read_hex<VU>, Plan("2", "12500", "102400000"),
         held + "102400000 cannot be held by the field: the nearest value it holds is 102387500"},
        {Read_hex<VU>, Plan("2", "12500", "0") + "<Base_freq>851000004.9</Base_freq>",
         held + "851000004.9 cannot be held by the field: the nearest values it holds are 851000000 and 851000005"},
        // 125 Hz steps of the 9-bit bandwidth and 10-bit spacing; 250 kHz
        // offsets of an 8-bit magnitude.
        {Read_hex<P25::IDEN_UP_packet>, Plan("3", "12500.9", "0"),
         held + "12500.9 cannot be held by the field: the nearest values it holds are 12500 and 12625"},
        {Read_hex<P25::IDEN_UP_packet>, Plan("3", "64000", "0"),
         held + "64000 cannot be held by the field: the nearest value it holds is 63875"},
        {Read_hex<P25::IDEN_UP_packet>, Plan("3", "12500", "-1249999"),
         held + "-1249999 cannot be held by the field: the nearest values it holds are -1250000 and -1000000"},
        // The offset follows the spacing read before it: -5 MHz is 200 25 kHz spacings.
        {Read_hex<P25::LC_chan_id>,
         "<Channel_spacing>25000</Channel_spacing><Transmit_offset>-5000000</Transmit_offset>", "FF FB 20 C8"},
        {Read_hex<P25::LC_chan_id>, "<Channel_spacing>128000</Channel_spacing>",
         held + "128000 cannot be held by the field: the nearest value it holds is 127875"},
        // The TDMA bandwidth is not stored: it follows the channel type, and
        // one that contradicts the type the record holds is refused.
        {Read_hex<TDMA>, "<TDMA_chan_type>0x3</TDMA_chan_type>", "FF FF F3 FF FF FF FF FF FF FF FF FF"},
        {Read_hex<TDMA>, "<Bandwidth>6250</Bandwidth><TDMA_chan_type>0x3</TDMA_chan_type>",
         "refused: Value 6250 cannot be held by the field"},
    };
    for (const auto& r : rows) EXPECT_EQ(r.read(r.xml), r.octets) << r.xml;
}

TEST(FrequencyPlan, ConversionsAndSettersKeepToTheirFields) {
    // Five times 2^32 + 1 Hz: the count of 5 Hz steps keeps its low 32 bits.
    P25::BASE_FREQ f;
    f = 5.0 * 4294967297.0;
    EXPECT_EQ(Hex(f), "00 00 00 01");
    P25::TX_OFFSET no_unit(true, 3, 0.0);  // no unit: no steps
    no_unit = 1000.0;
    EXPECT_EQ(static_cast<P25::SIGN_PLUS_VALUE>(no_unit).magnitude, 0u);
    P25::IDEN_UP_packet p = Record<P25::IDEN_UP_packet>("00 00 00 00 00 00 00 00 00 00 00 00");
    p.Set_tx_offset(P25::TX_OFFSET(false, 0x1FF, P25::IDEN_UP_packet::tx_unit_Hz));  // 9-bit magnitude
    EXPECT_EQ(Hex(p), "00 00 00 03 FC 00 00 00 00 00 00 00");
    p.Set_chan_spacing(P25::CHAN_SPACING(0x7FFu));
    p.Set_ident(P25::CHAN_ID(0x1Fu));
    EXPECT_EQ(Hex(p), "00 00 F0 03 FF FF 00 00 00 00 00 00");
}
