// Trunking CRCs: the check values of both CRCs, the one-block check and the
// message check with its header, packet and block-count outcomes.
#include <gtest/gtest.h>

#include <string>

#include "crc.h"
#include "shared/P25/P25_crc.h"

namespace {

const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

void Store_be(std::uint8_t* p, std::uint32_t v, int octets) {
    for (int i = octets - 1; i >= 0; --i, v >>= 8) p[i] = static_cast<std::uint8_t>(v);
}

// 128 blocks of distinct non-zero octets, sealed as a message of n blocks:
// block 0's CRC-16 and the packet CRC-32, computed here rather than by the
// header functions under test.
struct Message {
    P25::P25_TSBK_DATA blocks[128];
    std::uint8_t* octets = reinterpret_cast<std::uint8_t*>(blocks);
    explicit Message(unsigned n) {
        for (unsigned i = 0; i < sizeof blocks; ++i) octets[i] = static_cast<std::uint8_t>(i * 7 + 1);
        Store_be(octets + 10, static_cast<std::uint16_t>(~ccitt_16(0, octets, 10)), 2);
        if (n >= 2) Store_be(octets + 12 * n - 4, ~crc_32(0, octets + 12, 12 * n - 16), 4);
    }
};

}  // namespace

TEST(Crc, CheckValuesOverTheNineDigitsAndContinuation) {
    EXPECT_EQ(ccitt_16(0, digits, sizeof digits), 0x31C3);
    EXPECT_EQ(crc_32(0, digits, sizeof digits), 0x89A1897Fu);
    EXPECT_EQ(ccitt_16(ccitt_16(0, digits, 4), digits + 4, 5), 0x31C3);
    EXPECT_EQ(crc_32(crc_32(0, digits, 4), digits + 4, 5), 0x89A1897Fu);
    EXPECT_EQ(ccitt_16(0x1234, digits, 0), 0x1234);
}

// The CRCs as sent, shared by the library and the air library (whose tests
// check the air interface's published vectors), against the catalogued
// check values: CRC-16/GSM and CRC-32/POSIX are these CRCs (init 0, MSB
// first, inverted).
TEST(Crc, SharedCrcsAsSentMatchPublishedValues) {
    struct Case {
        const char* name;
        std::uint32_t (*crc)(const std::uint8_t*, std::size_t);
        const std::uint8_t* octets;
        std::size_t count;
        std::uint32_t expected;
    };
    const auto crc16 = [](const std::uint8_t* o, std::size_t n) -> std::uint32_t { return P25::Crc16(o, n); };
    const auto crc32 = [](const std::uint8_t* o, std::size_t n) -> std::uint32_t { return P25::Crc32(o, n); };
    const Case cases[] = {
        {"CRC-16/GSM check", crc16, digits, sizeof digits, 0xCE3C},
        {"CRC-16 of nothing", crc16, digits, 0, 0xFFFF},
        {"CRC-32/POSIX check", crc32, digits, sizeof digits, 0x765E7680},
        {"CRC-32 of nothing", crc32, digits, 0, 0xFFFFFFFF},
    };
    for (const Case& c : cases) EXPECT_EQ(c.crc(c.octets, c.count), c.expected) << c.name;
}

// (A good block is MessageCheck's first case.)
TEST(Crc, OneBlockEveryBitFlipBad) {
    Message m(1);
    for (int bit = 0; bit < 96; ++bit) {
        P25::P25_TSBK_DATA b = m.blocks[0];
        b.data[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        const P25::CRC_RESULTS bad = P25::Check_CRC(b);
        EXPECT_TRUE(!bad) << "bit " << bit;
        EXPECT_EQ(bad.state, P25::HEADER_CRC_BAD) << "bit " << bit;
    }
}

TEST(Crc, MessageCheck) {
    struct Case {
        unsigned sealed, count;  // blocks sealed, block count given
        int octet;               // flipped (-1: none)
        P25::CRC_STATES state;
        const char* report;  // on stderr
    } cases[] = {
        {1, 1, 12, P25::CRC_VALID, ""},  // one block: no packet CRC to find
        {2, 2, -1, P25::CRC_VALID, ""},
        {2, 2, 19, P25::DATA_CRC_BAD, ""},  // the last covered octet
        {2, 2, 24, P25::CRC_VALID, ""},     // past the message
        {127, 127, -1, P25::CRC_VALID, ""},
        {127, 127, 12 * 127 - 1, P25::DATA_CRC_BAD, ""},
        {3, 3, 0, P25::HEADER_CRC_BAD, ""},  // the packet pair left unwritten
        {1, 128, -1, P25::DATA_CRC_BAD, "System_interface Check_CRC block_count=128\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " blocks, octet " + std::to_string(c.octet));
        Message m(c.sealed);
        if (c.octet >= 0) m.octets[c.octet] ^= 0x10;
        testing::internal::CaptureStderr();
        const P25::CRC_RESULTS r = P25::Check_CRC(m.blocks, c.count);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.report);
        EXPECT_EQ(r.state, c.state);
        EXPECT_EQ(r.header_crc_sent == r.header_crc_computed, c.state != P25::HEADER_CRC_BAD);
        // The packet pair: the register and the stored complement, when the packet was checked.
        const bool checked = c.count >= 2 && c.count < 128 && c.state != P25::HEADER_CRC_BAD;
        const std::uint32_t computed = checked ? crc_32(0, m.octets + 12, 12 * c.count - 16) : 0;
        EXPECT_EQ(static_cast<std::uint32_t>(r.data_crc_computed), computed);
        if (checked)
            EXPECT_EQ(static_cast<std::uint32_t>(r.data_crc_sent) == ~computed, c.state == P25::CRC_VALID);
        else
            EXPECT_EQ(r.data_crc_sent, 0);
    }
}
