// Trunking CRCs: the check values of both CRCs, the one-block check and the
// message check with its header, packet and block-count outcomes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "crc.h"

using P25::P25_TSBK_DATA;

namespace {

const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

void Store_be(std::uint8_t* p, std::uint32_t v, int octets) {
    for (int i = octets - 1; i >= 0; --i, v >>= 8) p[i] = static_cast<std::uint8_t>(v);
}

// Block 0's CRC-16 and the packet CRC-32, computed here rather than by the
// header functions under test.
void Seal(P25_TSBK_DATA* blocks, unsigned n) {
    Store_be(blocks[0].data + 10, static_cast<std::uint16_t>(~ccitt_16(0, blocks[0].data, 10)), 2);
    const auto* data = reinterpret_cast<const std::uint8_t*>(blocks + 1);
    if (n >= 2) Store_be(blocks[n - 1].data + 8, ~crc_32(0, data, 12 * n - 16), 4);
}

// A message of n blocks with distinct non-zero octets, both CRCs good.
struct Message {
    P25_TSBK_DATA blocks[128];
    explicit Message(unsigned n) {
        auto* octets = reinterpret_cast<std::uint8_t*>(blocks);
        for (unsigned i = 0; i < sizeof blocks; ++i) octets[i] = static_cast<std::uint8_t>(i * 7 + 1);
        Seal(blocks, n);
    }
};

}  // namespace

TEST(Crc, CheckValuesOverTheNineDigits) {
    EXPECT_EQ(ccitt_16(0, digits, sizeof digits), 0x31C3);
    EXPECT_EQ(static_cast<std::uint16_t>(~ccitt_16(0, digits, sizeof digits)), 0xCE3C);
    EXPECT_EQ(crc_32(0, digits, sizeof digits), 0x89A1897Fu);
    EXPECT_EQ(~crc_32(0, digits, sizeof digits), 0x765E7680u);
}

TEST(Crc, InitialValueContinuesARegister) {
    EXPECT_EQ(ccitt_16(ccitt_16(0, digits, 4), digits + 4, 5), ccitt_16(0, digits, 9));
    EXPECT_EQ(crc_32(crc_32(0, digits, 4), digits + 4, 5), crc_32(0, digits, 9));
    EXPECT_EQ(ccitt_16(0x1234, digits, 0), 0x1234);
}

TEST(Crc, OneBlockValidAndEveryBitFlipBad) {
    Message m(1);
    const P25::CRC_RESULTS good = P25::Check_CRC(m.blocks[0]);
    EXPECT_TRUE(good);
    EXPECT_EQ(good.state, P25::CRC_VALID);
    EXPECT_EQ(good.header_crc_sent, good.header_crc_computed);
    EXPECT_EQ(good.data_crc_sent, 0);
    EXPECT_EQ(good.data_crc_computed, 0);
    for (int bit = 0; bit < 96; ++bit) {
        P25_TSBK_DATA b = m.blocks[0];
        b.data[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        const P25::CRC_RESULTS bad = P25::Check_CRC(b);
        EXPECT_TRUE(!bad) << "bit " << bit;
        EXPECT_EQ(bad.state, P25::HEADER_CRC_BAD) << "bit " << bit;
    }
}

TEST(Crc, OneBlockMessageChecksOnlyTheHeader) {
    Message m(1);
    std::memset(m.blocks[1].data, 0xEE, 12);  // no packet CRC to find
    const P25::CRC_RESULTS r = P25::Check_CRC(m.blocks, 1);
    EXPECT_EQ(r.state, P25::CRC_VALID);
    EXPECT_EQ(r.data_crc_computed, 0);
}

TEST(Crc, TwoBlockMessageCoversEightOctets) {
    Message m(2);
    const P25::CRC_RESULTS r = P25::Check_CRC(m.blocks, 2);
    EXPECT_EQ(r.state, P25::CRC_VALID);
    EXPECT_EQ(static_cast<std::uint32_t>(r.data_crc_computed), crc_32(0, m.blocks[1].data, 8));
    EXPECT_EQ(static_cast<std::uint32_t>(r.data_crc_sent), ~crc_32(0, m.blocks[1].data, 8));

    Message changed(2);
    changed.blocks[1].data[7] ^= 0x01;  // last covered octet
    EXPECT_EQ(P25::Check_CRC(changed.blocks, 2).state, P25::DATA_CRC_BAD);

    Message beyond(2);
    beyond.blocks[2].data[0] ^= 0x01;  // past the message
    EXPECT_EQ(P25::Check_CRC(beyond.blocks, 2).state, P25::CRC_VALID);
}

TEST(Crc, LongestCheckedMessageIs127Blocks) {
    Message m(127);
    EXPECT_EQ(P25::Check_CRC(m.blocks, 127).state, P25::CRC_VALID);
    m.blocks[126].data[11] ^= 0x80;
    EXPECT_EQ(P25::Check_CRC(m.blocks, 127).state, P25::DATA_CRC_BAD);
}

TEST(Crc, BadHeaderLeavesThePacketPairUnwritten) {
    Message m(3);
    m.blocks[0].data[0] ^= 0x10;
    const P25::CRC_RESULTS r = P25::Check_CRC(m.blocks, 3);
    EXPECT_EQ(r.state, P25::HEADER_CRC_BAD);
    EXPECT_NE(r.header_crc_sent, r.header_crc_computed);
    EXPECT_EQ(r.data_crc_sent, 0);  // the packet CRC itself is good and non-zero
    EXPECT_EQ(r.data_crc_computed, 0);
}

TEST(Crc, BlockCountOf128OrMoreIsReportedAndBad) {
    for (unsigned n : {128u, 200u}) {
        Message m(1);
        testing::internal::CaptureStderr();
        const P25::CRC_RESULTS r = P25::Check_CRC(m.blocks, n);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "System_interface Check_CRC block_count=" + std::to_string(n) + "\n");
        EXPECT_EQ(r.state, P25::DATA_CRC_BAD);
        EXPECT_EQ(r.data_crc_computed, 0);
    }
}
