// Voice entry points: the elements each writes, in order, with their log
// classes and channels, and the contents of the units that carry no
// link-control word (those that do: the golden log of tool_test.cpp).
#include "trunking/support.h"

using namespace XML_routines;

namespace {

using Entry_point = void (*)(const P25::Log_Dispatch_payload&);
constexpr unsigned channel = 2;

// A data unit on channel 2, NAC 293, two status symbols.
P25::Log_Dispatch_payload Payload() {
    P25::Log_Dispatch_payload p;
    std::memset(&p, 0, sizeof p);
    p.header.metadata = trk::Source(channel);
    p.header.nid.nac = 0x293;
    p.header.statuses.count = 2;
    p.header.statuses.syms[0] = 3;
    return p;
}

// Each entry point's elements in order: the tag and its log class (raw,
// cooked, voice), "*" when it is logged without the payload's channel.
const std::pair<Entry_point, const char*> entries[] = {
    {P25::Log_Voice_header, "Status_bits raw Voice_Header voice"},
    {P25::Log_voice_LDU1, "Status_bits raw LDU1 voice Link_Control raw LCF cooked"},
    {P25::Log_voice_LDU2, "Status_bits raw LDU2 voice"},
    {P25::Log_voice_term, "Status_bits raw Term voice"},
    {P25::Log_voice_term_LC, "Status_bits raw TermLC voice"},
    {P25::Log_F2_voice_sf, "X2TMDA_Voice_SF raw*"},
    {P25::Log_F2_burst, "X2TMDA_Burst raw*"},
    {P25::Log_F2_enc_hdr, "X2TDMA_Encrypt_Sync_Hdr raw*"},
    {P25::Log_F2_lc_hdr,
     "X2TDMA_Link_Control_Hdr raw* Status_bits raw X2TDMA_Link_Control_Hdr voice Link_Control raw LCF cooked"},
};

// The payload with its octets numbered from `from` on, so that every field
// shows its own octets in order.
P25::Log_Dispatch_payload Numbered(std::size_t from) {
    P25::Log_Dispatch_payload p = Payload();
    auto* octets = reinterpret_cast<std::uint8_t*>(&p);
    for (std::size_t i = from; i < sizeof p; ++i) octets[i] = static_cast<std::uint8_t>(i);
    return p;
}

}  // namespace

// An element bound to the payload's channel is logged when that channel's
// mask has its class; one without a channel when any channel's mask has it.
TEST(Voice, EachEntryPointLogsItsElementsByClassAndChannel) {
    const std::uint32_t r = Log_protocol_raw, c = Log_protocol_cooked, v = Log_Voice, all = r | c | v;
    // The masks of the payload's channel, of the next one and of the others.
    const std::uint32_t masks[][3] = {{all, all, all}, {r, r, r}, {c, c, c}, {v, v, v}, {0, all, 0}, {0, all, all}};
    for (const auto& e : entries)
        for (const auto& m : masks) {
            trk::Log_capture log;
            for (unsigned ch = 0; ch < FilterList::Channels; ++ch)
                log.File().Filters()[ch] = m[ch == channel ? 0 : ch == channel + 1 ? 1 : 2];
            e.first(Payload());
            std::vector<std::string> expected;
            std::istringstream in(e.second);
            for (std::string tag, cls; in >> tag >> cls;) {
                const std::uint32_t of_class = cls[0] == 'r' ? r : cls[0] == 'c' ? c : v;
                if ((cls.back() == '*' ? m[0] | m[1] | m[2] : m[0]) & of_class) expected.push_back(tag);
            }
            EXPECT_EQ(trk::Tags(log.Body()), expected) << e.second << ", masks " << m[0] << " " << m[1] << " " << m[2];
        }
}

// The units that carry no word, and bursts named, invalid and unnamed,
// under the classes an input document sets.  Golden:
// tests/data/voice/units.xml.
TEST(Voice, UnitElements) {
    trk::Log_capture log;
    const char* const filter =
        "<LogFilter phys_channel=\"2\"><Protocol_Raw>true</Protocol_Raw><Voice>true</Voice></LogFilter>\n";
    ASSERT_EQ(trk::Replay(filter, log), Read_status::ok);
    const P25::Log_Dispatch_payload p = Numbered(sizeof(P25::DUID_Header));
    for (Entry_point e : {P25::Log_Voice_header, P25::Log_voice_LDU2, P25::Log_voice_term, P25::Log_F2_voice_sf,
                          P25::Log_F2_enc_hdr})
        e(p);
    P25::Log_Dispatch_payload burst = Numbered(sizeof(P25::Source_info));
    for (P25::F2V_BURST b : {P25::F2V_BURST::F, P25::F2V_BURST::INVALID_BURST, static_cast<P25::F2V_BURST>(9)}) {
        burst.f2burst.burst = b;
        P25::Log_F2_burst(burst);
    }
    Expect_golden_file("voice", "units.xml", log.Body());
}
