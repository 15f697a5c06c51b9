// SmartZone overhead: slots of the host's overhead record logged as their
// words and a "Smartzone_overhead" element, the element read back, and the
// conversion back to an overhead record.
#include "support.h"
#include "xml_text.h"

using namespace sz;
using namespace Smartzone;

namespace {

Overhead_record Slot(std::uint32_t duid, std::uint8_t channel = 2) {
    Overhead_record r;
    std::memset(&r, 0, sizeof r);
    r.duid = duid;
    r.handle = 0x12AB;
    r.repeat_time = 250;
    r.snsz_osw.source.phys_channel = channel;
    r.snsz_osw.source.is_osp = duid == P25::SMARTZONE_OSW;
    return r;
}

std::string Written(const Smartzone_overhead& slot) {
    xmlNode* node = overhead_info.Write(slot);
    xmlNodeSetName(node, reinterpret_cast<const xmlChar*>("Smartzone_overhead"));
    return Text_of(node);
}

}  // namespace

// An OSW slot's words go to the log as control-channel words, an ISW
// slot's as traffic-channel words; a raw slot is the element alone; cooked
// and other slots log nothing.
TEST(Overhead, SlotsAreLoggedAsTheirWordsAndOneElement) {
    Overhead_record osw = Slot(P25::SMARTZONE_OSW), isw = Slot(P25::SMARTZONE_ISW, 3), raw = Slot(P25::SMARTZONE_RAW);
    osw.snsz_osw.words = {2, {{0x23, 0x45, 0xE1, 0x00}, {0x56, 0x73, 0x32, 0x00}}};
    isw.snsz_isw.words = {2, {{0x12, 0x34, 0x40}, {0x56, 0x70, 0x80}}};
    raw.sz_bits = Record(true, 0x12345678, 1, 1);
    Log_capture log;
    for (const Overhead_record& slot : {osw, isw, raw, Slot(P25::SMARTZONE_COOKED), Slot(7)})
        Log_Smartzone_overhead(reinterpret_cast<const P25::Trunking_Overhead&>(slot));
    Expect_golden("overhead.xml", log.Body());
}

TEST(Overhead, ClassAndChannelFollowTheDataUnit) {
    Smartzone_overhead slot;
    slot.osw.sources[0].phys_channel = 1;
    slot.isw.sources[0].phys_channel = 2;
    slot.data.metadata.phys_channel = 3;
    struct Case {
        std::uint32_t duid;
        unsigned long log_class;
        unsigned channel;
    } cases[] = {{128, 8, 1}, {129, 8, 2}, {130, 4, 3}, {131, 8, 3}, {7, 0, 0}, {132, 0, 0}};
    for (const Case& c : cases) {
        slot.duid = c.duid;
        EXPECT_EQ(slot.Log_level(), c.log_class) << c.duid;
        EXPECT_EQ(slot.Phys_chan(), c.channel) << c.duid;
    }
}

// Word counts are cut to the three words a message holds; a cooked record
// becomes as many whole words as its bytes make.
TEST(Overhead, ConversionToTheOverheadRecord) {
    Smartzone_overhead slot;
    slot.handle = 7;
    slot.interval = 9;
    slot.data = Record(true, 0, 0, 2);
    slot.data.bits.count = 12;
    slot.osw.count = 5;
    slot.osw.sources[0].phys_channel = 1;
    for (int i = 0; i < 12; ++i) slot.osw.words[i / 4][i % 4] = static_cast<std::uint8_t>(0xA0 + i);
    slot.isw.count = 2;
    for (int i = 0; i < 9; ++i) slot.isw.words[i / 3][i % 3] = static_cast<std::uint8_t>(0xB0 + i);
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::copy(data.begin(), data.end(), slot.data.bits.data);
    const struct {
        std::uint32_t duid;
        std::uint8_t is_osp;
        std::uint32_t count;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {P25::SMARTZONE_COOKED, 1, 3, data},
        {P25::SMARTZONE_COOKED, 0, 4, data},
        {P25::SMARTZONE_OSW, 1, 3, {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB}},
        {P25::SMARTZONE_ISW, 1, 2, {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        slot.duid = c.duid;
        slot.data.metadata.is_osp = c.is_osp;
        Overhead_record out;
        slot.To_overhead(out);
        const auto* words = reinterpret_cast<const std::uint8_t*>(out.snsz_osw.words.words);
        EXPECT_EQ(std::vector<std::uint32_t>({out.duid, out.handle, out.repeat_time, out.snsz_osw.words.count}),
                  std::vector<std::uint32_t>({c.duid, 7, 9, c.count}));
        EXPECT_EQ(std::vector<std::uint8_t>(words, words + c.bytes.size()), c.bytes) << c.duid << "/" << +c.is_osp;
    }
    slot.duid = P25::SMARTZONE_RAW;
    Overhead_record raw;
    slot.To_overhead(raw);
    EXPECT_EQ(std::memcmp(&raw.sz_bits, &slot.data, sizeof slot.data), 0);
}

// What is written reads back to the same element; the child read sets the
// data-unit ID.
TEST(Overhead, TheElementReadsBack) {
    Smartzone_overhead slot;
    slot.handle = 0xDEADBEEF;
    slot.interval = 30;
    slot.osw = Message_of<OSW_log>({Osw(0x2345, true, FIRST_WORD1), Osw(0x5673, false, 400)});
    slot.osw.sources[0].phys_channel = 1;
    slot.isw = Message_of<ISW_log>({Isw(0x4200, ISW_AFFILIATE_REQUEST)});
    slot.data = Record(false, 0x123456, 1, 2);
    testing::internal::CaptureStderr();  // each slot read goes on to the host
    for (std::uint32_t duid : {128u, 129u, 130u, 131u}) {
        slot.duid = duid;
        const std::string xml = Written(slot);
        Smartzone_overhead back;
        ASSERT_TRUE(Parse(overhead_info, xml, back)) << xml;
        EXPECT_EQ(back.duid, duid);
        EXPECT_EQ(Written(back), xml);
    }
    testing::internal::GetCapturedStderr();
}

// A slot read from a document goes on to the host only while the input
// filter records its class on its channel.
TEST(Overhead, ASlotReadGoesToTheHostUnlessFiltered) {
    const std::string document =
        "<Smartzone_overhead interval=\"30\" handle=\"0000002A\">\n"
        "  <Smartzone_osw phys_channel=\"1\" type=\"osp\"><Background><payload>AB CD </payload>"
        "<i_bit>false</i_bit></Background></Smartzone_osw>\n"
        "</Smartzone_overhead>\n";
    for (bool filtered : {false, true}) {
        Log_capture log;
        if (filtered) {
            log.File().Filters()[1] &= ~static_cast<std::uint32_t>(XML_routines::Log_protocol_cooked);
            XML_routines::FilterList::Changed();
        }
        const unsigned long sent = P25::dispatcher->Sent();
        EXPECT_EQ(trk::Replay(document, log), XML_routines::Read_status::ok);
        const bool handed = P25::dispatcher->Sent() > sent ||
                            log.Errors().find("Receive_Overhead_from_XML") != std::string::npos;
        EXPECT_EQ(handed, !filtered) << filtered;
    }
}
