// Trunking headers: Setup_message and Set_checksum, Check_message, the
// diagnostic lines, the error elements, and every header element written
// from octets and read back.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "crc.h"
#include "shared/P25/P25_messages.h"

#include "xml_text.h"

using namespace XML_routines;
using P25::P25_TSBK_DATA;
using Octets = std::vector<std::uint8_t>;

namespace {

const Info<void> test_root("/Test_framing");
const Info<void> message("GRP_V_CH_GRANT");        // a handler's descriptor
const Info<void> filed("/Test_framing/RFSS_STS");  // a descriptor filed under a root


// Files "/Test_framing/<element>" and reads it into its own record, poisoned
// with 0xFF first so that octets no attribute or child reaches show.
template <class T>
class Capture : public Info_base {
public:
    explicit Capture(const char* path) : Info_base(path) {}
    Instance_base* Get_instance(Input_data& input) const override {
        std::memset(&record, 0xFF, sizeof record);
        return new Instance<T, Info<T>>(input, Info<T>::info, record);
    }
    mutable T record;
};

// Writes the header given in octets and compares the XML; reads that back
// into a record filed as "/Test_framing/<element>" and compares the octets.
template <class T>
void Check_header(const Octets& octets, const std::string& xml, const Octets& back) {
    ASSERT_EQ(octets.size(), sizeof(T));
    T record;
    std::memcpy(&record, octets.data(), sizeof record);
    EXPECT_EQ(Text_of(XML_Write(record)), xml);
    static const std::string path = std::string("/Test_framing/") + Info<T>::info.Name();
    static const Capture<T> capture(path.c_str());
    Input_data input;
    const std::string doc = "<Test_framing>" + xml + "</Test_framing>";
    EXPECT_EQ(Read_memory(doc.data(), doc.size(), "framing.xml", test_root, input), Read_status::ok);
    EXPECT_EQ(input.Error_count(), 0u) << input.Last_error();
    const auto* p = reinterpret_cast<const std::uint8_t*>(&capture.record);
    EXPECT_EQ(Octets(p, p + sizeof(T)), back) << xml;
}

// A multi-block header with octet 0 (format) and octet 6 (blocks to follow).
template <class H>
H Header(std::uint8_t octet0, std::uint8_t octet6) {
    H h{};
    h.common.lb_an_io_format = octet0;
    h.common.full_btf = octet6;
    return h;
}
const auto Mbt = Header<P25::Alternate_MBT>;
const auto Unconfirmed = Header<P25::Unconfirmed_data_opcode>;

// Setup_message over blocks of one fill octet gives block 0's octets 0-12
// (block 1 begins at 12); Set_checksum then seals the message, and nothing
// past it.
template <class H>
void Build(const char* name, std::uint8_t fill, std::uint8_t mfid, std::uint8_t opcode, unsigned count, bool osp,
           const Octets& head) {
    SCOPED_TRACE(name);
    P25_TSBK_DATA m[128];
    std::memset(m, fill, sizeof m);
    H& header = *reinterpret_cast<H*>(m);
    P25::Setup_message(header, mfid, opcode, count, osp);
    EXPECT_EQ(Octets(m[0].data, m[0].data + 13), head);
    P25::Set_checksum(&header, count);
    EXPECT_TRUE(P25::Check_CRC(m[0]));
    EXPECT_EQ(P25::Check_CRC(m, count).state, P25::CRC_VALID);
    EXPECT_EQ(m[count].data[8], fill) << "wrote past the message";
    m[count - 1].data[5] ^= 0x04;
    EXPECT_NE(P25::Check_CRC(m, count).state, P25::CRC_VALID);
}

}  // namespace

// ---- building a message ----------------------------------------------------------

TEST(Setup_message, PreparesBlockZeroAndSet_checksumSealsTheMessage) {
    Build<P25::Alternate_MBT>("alternate MBT, 3 blocks, osp, over zeros", 0x00, 0x00, 0, 3, true,
                              {0x37, 0xFD, 0x00, 0, 0, 0, 0x82, 0x00, 0, 0, 0, 0, 0});
    Build<P25::Alternate_MBT>("alternate MBT keeps AN and the opcode's reserved bits", 0xFF, 0x90, 0x2A, 2, false,
                              {0x57, 0xFD, 0x90, 0xFF, 0xFF, 0xFF, 0x81, 0xEA, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    Build<P25::Unconfirmed_data_opcode>("unconfirmed: format 21, opcode in block 1", 0xFF, 0x90, 0x05, 4, true,
                                        {0x75, 0xFD, 0x90, 0xFF, 0xFF, 0xFF, 0x83, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xC5});
    Build<P25::P25_TSBK_header>("TSBK: opcode and MFID only", 0xFF, 0x00, 0x00, 1, true,
                                {0xC0, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

// ---- checking a logged message ---------------------------------------------------

TEST(Check_message, ReplacesAMessageThatDoesNotFitByItsErrorElement) {
    using P25::Check_message;
    const char* const count_2 = "<GRP_V_CH_GRANT><Illegal_block_count>2</Illegal_block_count></GRP_V_CH_GRANT>";
    struct Case {
        const char* name;
        xmlNode* (*check)();
        const char* xml;
    } cases[] = {
        {"TSBK fits", [] { return Check_message(P25::P25_TSBK_header{}, message, 1, 1); }, "(null)"},
        {"TSBK block count", [] { return Check_message(P25::P25_TSBK_header{}, message, 1, 2); }, count_2},
        {"MBT fits", [] { return Check_message(Mbt(0x37, 0x82), message, 3, 3); }, "(null)"},
        {"MBT record count", [] { return Check_message(Mbt(0x37, 0x82), message, 3, 2); }, count_2},
        {"MBT format", [] { return Check_message(Mbt(0x35, 0x82), message, 3, 3); },
         "<GRP_V_CH_GRANT><INVALID_FORMAT>21</INVALID_FORMAT></GRP_V_CH_GRANT>"},
        {"MBT header says 2 blocks", [] { return Check_message(Mbt(0x37, 0x81), message, 3, 3); }, count_2},
        {"MBT full-message flag ignored", [] { return Check_message(Mbt(0x37, 0x02), message, 3, 3); }, "(null)"},
        {"unconfirmed format", [] { return Check_message(Unconfirmed(0x17, 0x81), message, 2, 2); },
         "<GRP_V_CH_GRANT><INVALID_FORMAT>23</INVALID_FORMAT></GRP_V_CH_GRANT>"},
        // The error elements made directly.
        {"bad CRC", [] { return P25::Bad_CRC(0x765E7680, 0x89A1897F); },
         "<DATA_CRC_ERROR crc_sent=\"765E7680\" crc_computed=\"89A1897F\"/>"},
        {"unknown format", [] { return P25::Unknown_fmt(7); }, "<UNKNOWN_FORMAT>7</UNKNOWN_FORMAT>"},
        {"invalid format", [] { return P25::Illegal_fmt(21); }, "<INVALID_FORMAT>21</INVALID_FORMAT>"},
        {"filed descriptor", [] { return P25::Illegal_blockcount(filed, INT_MIN); },
         "<RFSS_STS><Illegal_block_count>-2147483648</Illegal_block_count></RFSS_STS>"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text_of(c.check()), c.xml) << c.name;
}

TEST(Dump_header, OneLinePerHeaderKind) {
    testing::internal::CaptureStdout();
    P25::Dump_header(0, static_cast<const P25::P25_TSBK_header*>(nullptr), 5, 1);
    P25::Dump_header(1, static_cast<const P25::Alternate_MBT*>(nullptr), 12, 3);
    P25::Dump_header(0, static_cast<const P25::Unconfirmed_data_opcode*>(nullptr), 12, 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "<P25_TSBK_header opcode=\"5\" >\n"
              "  <Alternate_MBT_header opcode=\"12\" blocks_to_follow=\"2\">\n"
              "<Unconfirmed_data_header blocks_to_follow=\"1\">\n");
}

// ---- header elements -------------------------------------------------------------

// Read back into 0xFF: the format bits, link IDs and CRCs stay.
TEST(Header_elements, WrittenFromOctetsAndReadBack) {
    Check_header<P25::P25_TSBK_header>(
        {0xA5, 0x90}, "<P25_TSBK_header last_block=\"true\" protected_flag=\"false\" opcode=\"37\" mfid=\"90\"/>",
        {0xA5, 0x90});
    Check_header<P25::MultiBlock_common_header>(
        {0x77, 0xFD, 0x90, 0x12, 0x34, 0x56, 0x82},
        "<Multiblock_header last_block=\"false\" an=\"true\" type=\"osp\" sap=\"61\" sap_pad=\"3\" mfid=\"90\" "
        "blocks_to_follow=\"2\" blocks_to_follow_pad=\"true\"/>",
        {0x7F, 0xFD, 0x90, 0xFF, 0xFF, 0xFF, 0x82});
    Check_header<P25::Response_packet>(
        {0xA3, 0x6B, 0x90, 0x11, 0x22, 0x33, 0x01, 0x44, 0x55, 0x66, 0xAB, 0xCD},
        "<Response last_block=\"true\" an=\"false\" type=\"osp\" Response_class=\"1\" Response_type=\"5\" "
        "Response_status=\"3\" mfid=\"90\" blocks_to_follow=\"1\" blocks_to_follow_pad=\"false\">"
        "<Target_address>112233</Target_address><Source_address>445566</Source_address></Response>",
        {0xBF, 0x6B, 0x90, 0x11, 0x22, 0x33, 0x01, 0x44, 0x55, 0x66, 0xFF, 0xFF});
    // The opcode octet's reserved bits have a name of their own, so the
    // element reads back whole.
    Check_header<P25::Unconfirmed_data_opcode>(
        {0x55, 0x3D, 0x90, 0x01, 0x02, 0x03, 0x83, 0x04, 0xA5, 0x07, 0x12, 0x34, 0x8C},
        "<Unconfirmed_data_header last_block=\"false\" an=\"true\" type=\"isp\" sap=\"61\" sap_pad=\"0\" "
        "mfid=\"90\" blocks_to_follow=\"3\" blocks_to_follow_pad=\"true\" pad_count=\"4\" Reserved=\"A5\" "
        "data_offset=\"7\" opcode=\"12\" opcode_reserved=\"2\"/>",
        {0x5F, 0x3D, 0x90, 0xFF, 0xFF, 0xFF, 0x83, 0x04, 0xA5, 0x07, 0xFF, 0xFF, 0x8C});
    Check_header<P25::Confirmed_data_packet>(
        {0x76, 0xC2, 0x00, 0xAB, 0xCD, 0xEF, 0x05, 0x09, 0xD3, 0x0B, 0x12, 0x34},
        "<Confirmed_header last_block=\"false\" an=\"true\" type=\"osp\" sap=\"2\" sap_pad=\"3\" mfid=\"00\" "
        "blocks_to_follow=\"5\" blocks_to_follow_pad=\"false\" pad_count=\"9\" Syn=\"true\" Sequence_number=\"5\" "
        "Fragment_sequence_number=\"3\" data_offset=\"11\"><Target_address>ABCDEF</Target_address>"
        "</Confirmed_header>",
        {0x7F, 0xC2, 0x00, 0xAB, 0xCD, 0xEF, 0x05, 0x09, 0xD3, 0x0B, 0xFF, 0xFF});
    Check_header<P25::Alternate_MBT>(
        {0x97, 0xFD, 0x90, 0x00, 0x00, 0x01, 0x81, 0x7F},
        "<Alternate_MBT_header last_block=\"true\" an=\"false\" type=\"isp\" sap=\"61\" sap_pad=\"3\" mfid=\"90\" "
        "blocks_to_follow=\"1\" blocks_to_follow_pad=\"true\" opcode=\"63\" Reserved=\"1\"/>",
        {0x9F, 0xFD, 0x90, 0xFF, 0xFF, 0xFF, 0x81, 0x7F});
}
