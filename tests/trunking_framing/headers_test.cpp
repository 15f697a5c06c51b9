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

using namespace XML_routines;
using P25::P25_TSBK_DATA;
using Octets = std::vector<std::uint8_t>;

namespace {

const Info<void> test_root("/Test_framing");
const Info<void> message("GRP_V_CH_GRANT");        // a handler's descriptor
const Info<void> filed("/Test_framing/RFSS_STS");  // a descriptor filed under a root

std::string Text_of(xmlNode* node) {
    if (!node) return "(null)";
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, nullptr, node, 0, 0);
    std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)));
    xmlBufferFree(buffer);
    xmlFreeNode(node);
    return text;
}

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

template <class T>
std::string Write_as(const Octets& octets) {
    T record;
    std::memcpy(&record, octets.data(), sizeof record);
    return Text_of(XML_Write(record));
}

template <class T>
Octets Read_as(const std::string& element) {
    static const std::string path = std::string("/Test_framing/") + Info<T>::info.Name();
    static const Capture<T> capture(path.c_str());
    Input_data input;
    const std::string doc = "<Test_framing>" + element + "</Test_framing>";
    EXPECT_EQ(Read_memory(doc.data(), doc.size(), "framing.xml", test_root, input), Read_status::ok);
    EXPECT_EQ(input.Error_count(), 0u) << input.Last_error();
    const auto* p = reinterpret_cast<const std::uint8_t*>(&capture.record);
    return Octets(p, p + sizeof(T));
}

// A message's blocks filled with one octet.
struct Blocks {
    P25_TSBK_DATA b[128];
    explicit Blocks(std::uint8_t fill) { std::memset(b, fill, sizeof b); }
    template <class H>
    H& As() { return *reinterpret_cast<H*>(b); }
    Octets Head(std::size_t n) const { return Octets(b[0].data, b[0].data + n); }
};

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

}  // namespace

// ---- building a message ----------------------------------------------------------

TEST(Setup_message, PreparesBlockZero) {
    struct Case {
        const char* name;
        std::uint8_t fill;
        void (*setup)(Blocks&);
        Octets head;  // octets 0-12 afterwards
    } cases[] = {
        {"alternate MBT, 3 blocks, osp, over zeros", 0x00,
         [](Blocks& m) { P25::Setup_message(m.As<P25::Alternate_MBT>(), 0x00, 0, 3, true); },
         {0x37, 0xFD, 0x00, 0, 0, 0, 0x82, 0x00, 0, 0, 0, 0, 0}},
        {"alternate MBT keeps AN and the opcode's reserved bits", 0xFF,
         [](Blocks& m) { P25::Setup_message(m.As<P25::Alternate_MBT>(), 0x90, 0x2A, 2, false); },
         {0x57, 0xFD, 0x90, 0xFF, 0xFF, 0xFF, 0x81, 0xEA, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"unconfirmed: format 21, opcode in block 1", 0xFF,
         [](Blocks& m) { P25::Setup_message(m.As<P25::Unconfirmed_data_opcode>(), 0x90, 0x05, 4, true); },
         {0x75, 0xFD, 0x90, 0xFF, 0xFF, 0xFF, 0x83, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xC5}},
        {"TSBK: opcode and MFID only", 0xFF,
         [](Blocks& m) { P25::Setup_message(m.As<P25::P25_TSBK_header>(), 0x00, 0x00, 1, true); },
         {0xC0, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        Blocks m(c.fill);
        c.setup(m);
        EXPECT_EQ(m.Head(13), c.head) << c.name;
    }
}

TEST(Set_checksum, MessageThenChecksValid) {
    struct Case {
        const char* name;
        unsigned count;
        void (*seal)(Blocks&, unsigned);
    } cases[] = {
        {"TSBK", 1, [](Blocks& m, unsigned n) { P25::Set_checksum(&m.As<P25::P25_TSBK_header>(), n); }},
        {"alternate MBT, 2", 2, [](Blocks& m, unsigned n) { P25::Set_checksum(&m.As<P25::Alternate_MBT>(), n); }},
        {"alternate MBT, 3", 3, [](Blocks& m, unsigned n) { P25::Set_checksum(&m.As<P25::Alternate_MBT>(), n); }},
        {"unconfirmed, 4", 4,
         [](Blocks& m, unsigned n) { P25::Set_checksum(&m.As<P25::Unconfirmed_data_opcode>(), n); }},
    };
    for (const Case& c : cases) {
        Blocks m(0x5A);
        c.seal(m, c.count);
        EXPECT_TRUE(P25::Check_CRC(m.b[0])) << c.name;
        EXPECT_EQ(P25::Check_CRC(m.b, c.count).state, P25::CRC_VALID) << c.name;
        EXPECT_EQ(m.b[c.count].data[8], 0x5A) << c.name << ": wrote past the message";
        m.b[c.count - 1].data[5] ^= 0x04;
        EXPECT_NE(P25::Check_CRC(m.b, c.count).state, P25::CRC_VALID) << c.name;
    }
}

// ---- checking a logged message ---------------------------------------------------

TEST(Check_message, ReplacesAMessageThatDoesNotFit) {
    struct Case {
        const char* name;
        xmlNode* (*check)();
        const char* xml;
    } cases[] = {
        {"TSBK fits", [] { return P25::Check_message(P25::P25_TSBK_header{}, message, 1, 1); }, "(null)"},
        {"TSBK block count", [] { return P25::Check_message(P25::P25_TSBK_header{}, message, 1, 2); },
         "<GRP_V_CH_GRANT><Illegal_block_count>2</Illegal_block_count></GRP_V_CH_GRANT>"},
        {"MBT fits", [] { return P25::Check_message(Mbt(0x37, 0x82), message, 3, 3); }, "(null)"},
        {"MBT record count", [] { return P25::Check_message(Mbt(0x37, 0x82), message, 3, 2); },
         "<GRP_V_CH_GRANT><Illegal_block_count>2</Illegal_block_count></GRP_V_CH_GRANT>"},
        {"MBT format", [] { return P25::Check_message(Mbt(0x35, 0x82), message, 3, 3); },
         "<GRP_V_CH_GRANT><INVALID_FORMAT>21</INVALID_FORMAT></GRP_V_CH_GRANT>"},
        {"MBT header says 2 blocks", [] { return P25::Check_message(Mbt(0x37, 0x81), message, 3, 3); },
         "<GRP_V_CH_GRANT><Illegal_block_count>2</Illegal_block_count></GRP_V_CH_GRANT>"},
        {"MBT full-message flag ignored", [] { return P25::Check_message(Mbt(0x37, 0x02), message, 3, 3); },
         "(null)"},
        {"unconfirmed format", [] { return P25::Check_message(Unconfirmed(0x17, 0x81), message, 2, 2); },
         "<GRP_V_CH_GRANT><INVALID_FORMAT>23</INVALID_FORMAT></GRP_V_CH_GRANT>"},
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

TEST(Error_elements, ExactXml) {
    struct Case {
        xmlNode* (*make)();
        const char* xml;
    } cases[] = {
        {[] { return P25::Bad_CRC(0x765E7680, 0x89A1897F); },
         "<DATA_CRC_ERROR crc_sent=\"765E7680\" crc_computed=\"89A1897F\"/>"},
        {[] { return P25::Unknown_fmt(7); }, "<UNKNOWN_FORMAT>7</UNKNOWN_FORMAT>"},
        {[] { return P25::Illegal_fmt(21); }, "<INVALID_FORMAT>21</INVALID_FORMAT>"},
        {[] { return P25::Illegal_fmt(message, 22); },
         "<GRP_V_CH_GRANT><INVALID_FORMAT>22</INVALID_FORMAT></GRP_V_CH_GRANT>"},
        {[] { return P25::Illegal_blockcount(message, 129); },
         "<GRP_V_CH_GRANT><Illegal_block_count>129</Illegal_block_count></GRP_V_CH_GRANT>"},
        {[] { return P25::Illegal_blockcount(filed, INT_MIN); },
         "<RFSS_STS><Illegal_block_count>-2147483648</Illegal_block_count></RFSS_STS>"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text_of(c.make()), c.xml);
}

// ---- header elements -------------------------------------------------------------

TEST(Header_elements, WrittenFromOctetsAndReadBack) {
    struct Case {
        std::string (*write)(const Octets&);
        Octets (*read)(const std::string&);
        Octets octets;
        std::string xml;
        Octets read_back;   // after reading into 0xFF: the format bits, link IDs and CRCs stay
        std::string input;  // what is read, when not the written text
    } cases[] = {
        {Write_as<P25::P25_TSBK_header>, Read_as<P25::P25_TSBK_header>,
         {0xA5, 0x90},
         "<P25_TSBK_header last_block=\"true\" protected_flag=\"false\" opcode=\"37\" mfid=\"90\"/>",
         {0xA5, 0x90}, ""},
        {Write_as<P25::MultiBlock_common_header>, Read_as<P25::MultiBlock_common_header>,
         {0x77, 0xFD, 0x90, 0x12, 0x34, 0x56, 0x82},
         "<Multiblock_header last_block=\"false\" an=\"true\" type=\"osp\" sap=\"61\" sap_pad=\"3\" mfid=\"90\" "
         "blocks_to_follow=\"2\" blocks_to_follow_pad=\"true\"/>",
         {0x7F, 0xFD, 0x90, 0xFF, 0xFF, 0xFF, 0x82}, ""},
        {Write_as<P25::Response_packet>, Read_as<P25::Response_packet>,
         {0xA3, 0x6B, 0x90, 0x11, 0x22, 0x33, 0x01, 0x44, 0x55, 0x66, 0xAB, 0xCD},
         "<Response last_block=\"true\" an=\"false\" type=\"osp\" Response_class=\"1\" Response_type=\"5\" "
         "Response_status=\"3\" mfid=\"90\" blocks_to_follow=\"1\" blocks_to_follow_pad=\"false\">"
         "<Target_address>112233</Target_address><Source_address>445566</Source_address></Response>",
         {0xBF, 0x6B, 0x90, 0x11, 0x22, 0x33, 0x01, 0x44, 0x55, 0x66, 0xFF, 0xFF}, ""},
        // The opcode octet's reserved bits have a name of their own, so the
        // element reads back whole.
        {Write_as<P25::Unconfirmed_data_opcode>, Read_as<P25::Unconfirmed_data_opcode>,
         {0x55, 0x3D, 0x90, 0x01, 0x02, 0x03, 0x83, 0x04, 0xA5, 0x07, 0x12, 0x34, 0x8C},
         "<Unconfirmed_data_header last_block=\"false\" an=\"true\" type=\"isp\" sap=\"61\" sap_pad=\"0\" "
         "mfid=\"90\" blocks_to_follow=\"3\" blocks_to_follow_pad=\"true\" pad_count=\"4\" Reserved=\"A5\" "
         "data_offset=\"7\" opcode=\"12\" opcode_reserved=\"2\"/>",
         {0x5F, 0x3D, 0x90, 0xFF, 0xFF, 0xFF, 0x83, 0x04, 0xA5, 0x07, 0xFF, 0xFF, 0x8C}, ""},
        {Write_as<P25::Confirmed_data_packet>, Read_as<P25::Confirmed_data_packet>,
         {0x76, 0xC2, 0x00, 0xAB, 0xCD, 0xEF, 0x05, 0x09, 0xD3, 0x0B, 0x12, 0x34},
         "<Confirmed_header last_block=\"false\" an=\"true\" type=\"osp\" sap=\"2\" sap_pad=\"3\" mfid=\"00\" "
         "blocks_to_follow=\"5\" blocks_to_follow_pad=\"false\" pad_count=\"9\" Syn=\"true\" Sequence_number=\"5\" "
         "Fragment_sequence_number=\"3\" data_offset=\"11\"><Target_address>ABCDEF</Target_address>"
         "</Confirmed_header>",
         {0x7F, 0xC2, 0x00, 0xAB, 0xCD, 0xEF, 0x05, 0x09, 0xD3, 0x0B, 0xFF, 0xFF}, ""},
        {Write_as<P25::Alternate_MBT>, Read_as<P25::Alternate_MBT>,
         {0x97, 0xFD, 0x90, 0x00, 0x00, 0x01, 0x81, 0x7F},
         "<Alternate_MBT_header last_block=\"true\" an=\"false\" type=\"isp\" sap=\"61\" sap_pad=\"3\" mfid=\"90\" "
         "blocks_to_follow=\"1\" blocks_to_follow_pad=\"true\" opcode=\"63\" Reserved=\"1\"/>",
         {0x9F, 0xFD, 0x90, 0xFF, 0xFF, 0xFF, 0x81, 0x7F}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.write(c.octets), c.xml);
        EXPECT_EQ(c.read(c.input.empty() ? c.xml : c.input), c.read_back) << c.xml;
    }
}
