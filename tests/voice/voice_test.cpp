// Voice entry points: the elements each writes, in order, with their log
// classes and channels; the voice elements' contents; golden logs of an LDU1
// carrying a group voice word and of a TDMA link-control header.
#include "trunking/support.h"

using namespace XML_routines;

namespace {

using Entry_point = void (*)(const P25::Log_Dispatch_payload&);
constexpr unsigned channel = 2;

// A data unit on channel 2, NAC 293, two status symbols, the link-control
// word of a group voice call at byte 44.
P25::Log_Dispatch_payload Payload() {
    P25::Log_Dispatch_payload p;
    std::memset(&p, 0, sizeof p);
    p.header.metadata = trk::Source(channel);
    p.header.nid.nac = 0x293;
    p.header.nid.duid = P25::LDU1;
    p.header.statuses.count = 2;
    p.header.statuses.syms[0] = 3;
    const std::uint8_t word[9] = {0x00, 0x00, 0x80, 0x00, 0x00, 0x01, 0x00, 0x00, 0x02};
    std::memcpy(p.lco.lc.bytes, word, sizeof word);
    return p;
}

struct Logged {
    const char* tag;
    unsigned long log_class;
    bool bound;  // logged with the payload's channel
};

struct Entry {
    const char* name;
    Entry_point log;
    std::vector<Logged> elements;
};

const Logged status = {"Status_bits", Log_protocol_raw, true};
const Logged raw_word = {"Link_Control", Log_protocol_raw, true};
const Logged decoded_word = {"LCF", Log_protocol_cooked, true};

const Entry entries[] = {
    {"Log_Voice_header", P25::Log_Voice_header, {status, {"Voice_Header", Log_Voice, true}}},
    {"Log_voice_LDU1", P25::Log_voice_LDU1, {status, {"LDU1", Log_Voice, true}, raw_word, decoded_word}},
    {"Log_voice_LDU2", P25::Log_voice_LDU2, {status, {"LDU2", Log_Voice, true}}},
    {"Log_voice_term", P25::Log_voice_term, {status, {"Term", Log_Voice, true}}},
    {"Log_voice_term_LC", P25::Log_voice_term_LC, {status, {"TermLC", Log_Voice, true}}},
    {"Log_F2_voice_sf", P25::Log_F2_voice_sf, {{"X2TMDA_Voice_SF", Log_protocol_raw, false}}},
    {"Log_F2_burst", P25::Log_F2_burst, {{"X2TMDA_Burst", Log_protocol_raw, false}}},
    {"Log_F2_enc_hdr", P25::Log_F2_enc_hdr, {{"X2TDMA_Encrypt_Sync_Hdr", Log_protocol_raw, false}}},
    {"Log_F2_lc_hdr", P25::Log_F2_lc_hdr,
     {{"X2TDMA_Link_Control_Hdr", Log_protocol_raw, false}, status, {"X2TDMA_Link_Control_Hdr", Log_Voice, true},
      raw_word, decoded_word}},
};

// The tags an entry point logs while every channel's mask is set_mask,
// except channel `except`, whose mask is except_mask.
std::vector<std::string> Logged_tags(const Entry& e, std::uint32_t mask, unsigned except = ~0u,
                                     std::uint32_t except_mask = 0) {
    trk::Log_capture log;
    for (unsigned ch = 0; ch < FilterList::Channels; ++ch) log.File().Filters()[ch] = ch == except ? except_mask : mask;
    e.log(Payload());
    return trk::Tags(log.Body());
}

std::vector<std::string> Expected(const Entry& e, bool (*keep)(const Logged&)) {
    std::vector<std::string> tags;
    for (const Logged& l : e.elements)
        if (keep(l)) tags.push_back(l.tag);
    return tags;
}

}  // namespace

TEST(Voice, EachEntryPointLogsItsElementsByClassAndChannel) {
    const std::uint32_t all = Log_protocol_raw | Log_protocol_cooked | Log_Voice;
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(Logged_tags(e, all), Expected(e, [](const Logged&) { return true; }));
        // One class at a time.
        for (unsigned long c : {Log_protocol_raw, Log_protocol_cooked, Log_Voice}) {
            SCOPED_TRACE("class " + std::to_string(c));
            std::vector<std::string> tags;
            for (const Logged& l : e.elements)
                if (l.log_class == c) tags.push_back(l.tag);
            EXPECT_EQ(Logged_tags(e, static_cast<std::uint32_t>(c)), tags);
        }
        // Every class on another channel only: what carries no channel stays.
        EXPECT_EQ(Logged_tags(e, 0, channel + 1, all), Expected(e, [](const Logged& l) { return !l.bound; }));
        // Every class on every channel but this one: what carries it goes.
        EXPECT_EQ(Logged_tags(e, all, channel, 0), Expected(e, [](const Logged& l) { return !l.bound; }));
    }
}

// Filters set as a host's input document sets them.
TEST(Voice, LogFiltersSelectVoiceOrProtocol) {
    struct Case {
        const char* filter;
        std::vector<std::string> ldu1, f2_lc_hdr;
    } cases[] = {
        {"<Protocol_Raw>true</Protocol_Raw><Protocol_Cooked>true</Protocol_Cooked>",
         {"Status_bits", "Link_Control", "LCF"},
         {"X2TDMA_Link_Control_Hdr", "Status_bits", "Link_Control", "LCF"}},
        {"<Voice>true</Voice>", {"LDU1"}, {"X2TDMA_Link_Control_Hdr"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        trk::Log_capture log;
        // Only the payload's channel records anything.
        std::string document;
        for (unsigned ch = 0; ch < FilterList::Channels; ++ch)
            document += "<LogFilter phys_channel=\"" + std::to_string(ch) + "\">" + (ch == channel ? c.filter : "") +
                        "</LogFilter>\n";
        ASSERT_EQ(trk::Replay(document, log), Read_status::ok);
        P25::Log_voice_LDU1(Payload());
        const std::vector<std::string> ldu1 = trk::Tags(log.Body());
        EXPECT_EQ(ldu1, c.ldu1);
        trk::Log_capture log2;
        ASSERT_EQ(trk::Replay(document, log2), Read_status::ok);
        P25::Log_F2_lc_hdr(Payload());
        EXPECT_EQ(trk::Tags(log2.Body()), c.f2_lc_hdr);
    }
}

namespace {

// Compares text with tests/data/voice/<name>.
void Expect_golden(const std::string& name, const std::string& text) { Expect_golden_file("voice", name, text); }

template <std::size_t N>
void Fill(std::uint8_t (&octets)[N], std::uint8_t first) {
    for (std::size_t i = 0; i < N; ++i) octets[i] = static_cast<std::uint8_t>(first + i);
}

}  // namespace

TEST(Voice, GoldenLogs) {
    {
        trk::Log_capture log;
        P25::Log_voice_LDU1(Payload());
        Expect_golden("ldu1_group_voice.xml", log.Body());
    }
    {
        // A TDMA link-control header on timeslot 1 carrying a group voice
        // channel update.
        P25::Log_Dispatch_payload p = Payload();
        p.header.metadata.timeslot = 1;
        const std::uint8_t word[9] = {0x42, 0x10, 0x05, 0x0B, 0xAD, 0x10, 0x06, 0x0B, 0xAE};
        std::memcpy(p.f2linkcontrolhdr.lc.bytes, word, sizeof word);
        trk::Log_capture log;
        P25::Log_F2_lc_hdr(p);
        Expect_golden("f2_lc_hdr_group_update.xml", log.Body());
    }
}

TEST(Voice, RecordElements) {
    const std::string source = "timestamp=\" 1.00000000\" phys_channel=\"2\" direction=\"rx\" type=\"osp\" timeslot=\"0\"";
    P25::Log_Dispatch_payload voice_header = Payload();
    Fill(voice_header.voice_header.mi.bytes, 0xA0);
    voice_header.voice_header.key_id = 0x12;
    voice_header.voice_header.tgid = 0xBEEF;
    voice_header.voice_header.mfid = 0x90;
    voice_header.voice_header.algid = 0x84;
    P25::Log_Dispatch_payload ldu2 = Payload();
    Fill(ldu2.ldu2.mi.bytes, 0x01);
    ldu2.ldu2.algid = 0xAA;
    ldu2.ldu2.key_id = 0x1234;
    P25::Log_Dispatch_payload burst = Payload();
    Fill(burst.f2burst.cach, 0xC0);
    Fill(burst.f2burst.protocol, 0xE0);
    Fill(burst.f2burst.vc1, 0x10);
    Fill(burst.f2burst.vc2, 0x20);
    Fill(burst.f2burst.vc3, 0x30);
    P25::Log_Dispatch_payload enc_hdr = Payload();
    Fill(enc_hdr.f2_enc_hdr.mi.bytes, 0x51);
    enc_hdr.f2_enc_hdr.key_id = 0x0BAD;
    enc_hdr.f2_enc_hdr.algid = 0x81;
    const std::string burst_octets = " cach=\"C0C1C2\" protocol=\"E0E1E2E3E4E5\" vc1=\"101112131415161718\" "
                                     "vc2=\"202122232425262728\" vc3=\"303132333435363738\"/>\n";
    struct Case {
        const char* tag;
        Entry_point log;
        P25::Log_Dispatch_payload payload;
        P25::F2V_BURST burst;
        std::string element;
    } cases[] = {
        {"Voice_Header", P25::Log_Voice_header, voice_header, {},
         "  <Voice_Header " + source + " NAC=\"293\">\n"
         "    <Key_ID>0012</Key_ID>\n    <Group_ID>BEEF</Group_ID>\n    <mfid>90</mfid>\n"
         "    <Algorithm_ID>84</Algorithm_ID>\n    <MI_word>A0 A1 A2 A3 A4 A5 A6 A7 A8 </MI_word>\n"
         "  </Voice_Header>\n"},
        {"LDU2", P25::Log_voice_LDU2, ldu2, {},
         "  <LDU2 " + source + " NAC=\"293\">\n"
         "    <MI_word>01 02 03 04 05 06 07 08 09 </MI_word>\n    <Algorithm_ID>AA</Algorithm_ID>\n"
         "    <Key_ID>1234</Key_ID>\n  </LDU2>\n"},
        {"Term", P25::Log_voice_term, Payload(), {}, "  <Term " + source + " NAC=\"293\"/>\n"},
        {"X2TMDA_Voice_SF", P25::Log_F2_voice_sf, Payload(), {},
         "  <X2TMDA_Voice_SF " + source + " bytes=\"000080000001000002\"/>\n"},
        {"X2TMDA_Burst", P25::Log_F2_burst, burst, P25::F2V_BURST::F,
         "  <X2TMDA_Burst " + source + " burst=\"F\"" + burst_octets},
        {"X2TMDA_Burst", P25::Log_F2_burst, burst, P25::F2V_BURST::INVALID_BURST,
         "  <X2TMDA_Burst " + source + " burst=\"Invalid_burst\"" + burst_octets},
        {"X2TMDA_Burst", P25::Log_F2_burst, burst, static_cast<P25::F2V_BURST>(9),
         "  <X2TMDA_Burst " + source + " burst=\"0x9\"" + burst_octets},
        {"X2TDMA_Encrypt_Sync_Hdr", P25::Log_F2_enc_hdr, enc_hdr, {},
         "  <X2TDMA_Encrypt_Sync_Hdr " + source + " mi=\"515253545556575859\" kid=\"0BAD\" algid=\"81\"/>\n"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.element);
        if (c.log == P25::Log_F2_burst) c.payload.f2burst.burst = c.burst;
        trk::Log_capture log;
        c.log(c.payload);
        EXPECT_EQ(trk::Only(log.Body(), c.tag), std::vector<std::string>{c.element});
    }
}

// The terminator's word is shown raw and decoded inside it.
TEST(Voice, TerminatorWithLinkControl) {
    trk::Log_capture log;
    P25::Log_voice_term_LC(Payload());
    Expect_golden("term_lc.xml", log.Body());
}
