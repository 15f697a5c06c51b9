// The per-channel assemblers behind Log_PDU_header and Log_PDU_cont: when a
// collected packet is emitted, and which assembler a block goes to.
#include "support.h"

using namespace trk;

namespace {

void Header(const P25::Source_info& s, const P25::P25_TSBK_DATA& b) { P25::Log_PDU_header(Payload(s, {b})); }
void Cont(const P25::Source_info& s, const P25::P25_TSBK_DATA& b) { P25::Log_PDU_cont(Payload(s, {b})); }

// Direction and source unit of each logged message.
std::vector<std::string> Messages(const std::string& body) {
    std::vector<std::string> out;
    for (const std::string& e : Only(body, "Trunking_message")) {
        const std::size_t dir = e.find("direction=\"") + 11, unit = e.find("<Source_address>") + 16;
        out.push_back(e.substr(dir, e.find('"', dir) - dir) + " " + e.substr(unit, 6));
    }
    return out;
}

}  // namespace

TEST(Assembler, AHeaderWithNothingToFollowWaitsForTheNextHeader) {
    Idle_assemblers();
    Blocks lone = Grant_exp(0x000009);
    lone[0].data[6] = 0x80;  // blocks to follow 0
    Seal(lone);
    const Blocks m = Grant_exp(0x000001);
    Log_capture log;
    Header(Source(0), lone[0]);
    EXPECT_EQ(P25::rf_rx_parsers[0].Collected(), 1u);
    Header(Source(0), m[0]);  // emits the lone header: one block is not logged
    Cont(Source(0), m[1]);
    EXPECT_EQ(Messages(log.Body()), std::vector<std::string>{"rx 000001"});
    // Only the lone header is reported: the first header found the assembler idle.
    EXPECT_EQ(log.Errors(), "System_interface Log_PDUs block_count=1\n");
    EXPECT_EQ(P25::rf_rx_parsers[0].Collected(), 0u);
}

// Whether the header says 127 blocks follow or none (a count that then
// never runs out).
TEST(Assembler, The128thBlockForcesAFlush) {
    for (std::uint8_t octet6 : {0xFF, 0x80}) {
        SCOPED_TRACE(unsigned(octet6));
        Idle_assemblers();
        P25::P25_TSBK_DATA header = Grant_exp(0x000001)[0];
        header.data[6] = octet6;
        const P25::P25_TSBK_DATA block = Tsbk("01 02 03 04 05 06 07 08 09 0A");
        Log_capture log;
        Header(Source(1), header);
        for (int i = 0; i < 126; ++i) Cont(Source(1), block);
        EXPECT_EQ(P25::rf_rx_parsers[1].Collected(), 127u);
        Cont(Source(1), block);
        EXPECT_EQ(P25::rf_rx_parsers[1].Collected(), 0u);
        EXPECT_TRUE(Messages(log.Body()).empty());
        // 128 blocks are not logged; a count that reaches 0 on an empty
        // assembler has nothing to report.
        EXPECT_EQ(log.Errors(), "System_interface Log_PDUs block_count=128\n");
    }
}

TEST(Assembler, ChannelsFourAndAboveAreNotCollected) {
    const Blocks m = Grant_exp(0x000001);
    for (unsigned channel : {4u, 255u}) {
        SCOPED_TRACE(channel);
        Log_capture log;
        Header(Source(channel), m[0]);
        Cont(Source(channel), m[1]);
        EXPECT_EQ(Tags(log.Body()),
                  (std::vector<std::string>{"Status_bits", "PDU_Header", "Status_bits", "PDU_Continuation"}));
        EXPECT_EQ(log.Errors(), "");
    }
}

TEST(Assembler, ReceivedAndTransmittedBlocksHaveTheirOwnAssemblers) {
    Idle_assemblers();
    const P25::Source_info rx = Source(3, 0), tx = Source(3, 1), rx_sim = Source(3, 2);
    const Blocks a = Grant_exp(0x00000A), b = Grant_exp(0x00000B), c = Grant_exp(0x00000C);
    Log_capture log;
    Header(rx, a[0]);
    Header(tx, b[0]);
    Cont(tx, b[1]);
    Cont(rx, a[1]);
    // Simulated reception shares the received assembler.
    Header(rx_sim, c[0]);
    Cont(rx, c[1]);
    EXPECT_EQ(Messages(log.Body()), (std::vector<std::string>{"tx 00000B", "rx 00000A", "rx_sim 00000C"}));
    // Each header found its assembler idle: nothing to report.
    EXPECT_EQ(log.Errors(), "");
}
