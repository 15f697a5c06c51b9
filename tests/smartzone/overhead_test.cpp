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

void Log(const Overhead_record& r) { Log_Smartzone_overhead(reinterpret_cast<const P25::Trunking_Overhead&>(r)); }

std::string Written(const Smartzone_overhead& slot) {
    xmlNode* node = overhead_info.Write(slot);
    xmlNodeSetName(node, reinterpret_cast<const xmlChar*>("Smartzone_overhead"));
    return Text_of(node);
}

}  // namespace

TEST(Overhead, SlotsAreLoggedAsTheirWordsAndOneElement) {
    Overhead_record osw = Slot(P25::SMARTZONE_OSW);
    osw.snsz_osw.words.count = 2;
    const std::uint8_t grant[2][4] = {{0x23, 0x45, 0xE1, 0x00}, {0x56, 0x73, 0x32, 0x00}};
    std::memcpy(osw.snsz_osw.words.words, grant, sizeof grant);
    Overhead_record isw = Slot(P25::SMARTZONE_ISW, 3);
    isw.snsz_isw.words.count = 2;
    const std::uint8_t request[2][3] = {{0x12, 0x34, 0x40}, {0x56, 0x70, 0x80}};
    std::memcpy(isw.snsz_isw.words.words, request, sizeof request);
    Overhead_record raw = Slot(P25::SMARTZONE_RAW);
    raw.sz_bits = Record(true, 0x12345678, 1, 1);
    struct Case {
        const char* golden;  // null: nothing logged
        const Overhead_record& slot;
    } cases[] = {
        {"overhead_osw.xml", osw},
        {"overhead_isw.xml", isw},
        {"overhead_raw.xml", raw},
        {nullptr, Slot(P25::SMARTZONE_COOKED)},
        {nullptr, Slot(7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden ? c.golden : "nothing");
        Log_capture log;
        Log(c.slot);
        if (c.golden) Expect_golden(c.golden, log.Body());
        else EXPECT_EQ(log.Body(), "");
    }
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
        SCOPED_TRACE(c.duid);
        slot.duid = c.duid;
        EXPECT_EQ(slot.Log_level(), c.log_class);
        EXPECT_EQ(slot.Phys_chan(), c.channel);
    }
}

TEST(Overhead, ConversionToTheOverheadRecord) {
    Smartzone_overhead slot;
    slot.handle = 7;
    slot.interval = 9;
    slot.data = Record(true, 0, 0, 2);
    slot.data.bits.count = 12;
    for (int i = 0; i < 12; ++i) slot.data.bits.data[i] = static_cast<std::uint8_t>(i + 1);
    slot.osw.count = 5;  // more than a message holds
    slot.osw.sources[0].phys_channel = 1;
    for (int i = 0; i < 12; ++i) slot.osw.words[i / 4][i % 4] = static_cast<std::uint8_t>(0xA0 + i);
    slot.isw.count = 2;
    for (int i = 0; i < 9; ++i) slot.isw.words[i / 3][i % 3] = static_cast<std::uint8_t>(0xB0 + i);
    struct Case {
        std::uint32_t duid;
        std::uint8_t is_osp;
        std::uint32_t count;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {P25::SMARTZONE_COOKED, 1, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {P25::SMARTZONE_COOKED, 0, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {P25::SMARTZONE_OSW, 1, 3, {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB}},
        {P25::SMARTZONE_ISW, 1, 2, {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.duid) + "/" + std::to_string(c.is_osp));
        slot.duid = c.duid;
        slot.data.metadata.is_osp = c.is_osp;
        Overhead_record out;
        slot.To_overhead(out);
        EXPECT_EQ(out.duid, c.duid);
        EXPECT_EQ(out.handle, 7u);
        EXPECT_EQ(out.repeat_time, 9u);
        EXPECT_EQ(out.snsz_osw.words.count, c.count);
        const auto* words = reinterpret_cast<const std::uint8_t*>(out.snsz_osw.words.words);
        EXPECT_EQ(std::vector<std::uint8_t>(words, words + c.bytes.size()), c.bytes);
    }
    slot.duid = P25::SMARTZONE_RAW;
    Overhead_record raw;
    slot.To_overhead(raw);
    EXPECT_EQ(std::memcmp(&raw.sz_bits, &slot.data, sizeof slot.data), 0);
}

// What is logged reads back to the same element; the child read sets the
// data-unit ID.
TEST(Overhead, TheElementReadsBack) {
    Smartzone_overhead slot;
    slot.handle = 0xDEADBEEF;
    slot.interval = 30;
    slot.osw.count = 2;
    slot.osw.sources[0].phys_channel = 1;
    const std::uint8_t grant[2][4] = {{0x23, 0x45, 0xE1, 0x00}, {0x56, 0x73, 0x32, 0x00}};
    std::memcpy(slot.osw.words, grant, sizeof grant);
    slot.isw.count = 1;
    slot.isw.words[0][0] = 0x42;
    slot.data = Record(false, 0x123456, 1, 2);
    testing::internal::CaptureStderr();  // each slot read goes on to the host
    for (std::uint32_t duid : {128u, 129u, 130u, 131u}) {
        SCOPED_TRACE(duid);
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
        SCOPED_TRACE(filtered ? "filtered" : "recorded");
        Log_capture log;
        if (filtered) {
            log.File().Filters()[1] &= ~static_cast<std::uint32_t>(XML_routines::Log_protocol_cooked);
            XML_routines::FilterList::Changed();
        }
        const unsigned long sent = P25::dispatcher->Sent();
        EXPECT_EQ(trk::Replay(document, log), XML_routines::Read_status::ok);
        const bool handed = P25::dispatcher->Sent() > sent ||
                            log.Errors().find("Receive_Overhead_from_XML") != std::string::npos;
        EXPECT_EQ(handed, !filtered);
    }
}
