// Link-control elements read from an input document: the word is built from
// the decoded or the raw element, logged raw and decoded unless the host
// transmits it, and handed to the host; the log filter can stop all of it;
// words that cannot be built are reported by line and nothing is logged.
#include "trunking/support.h"

namespace {

using XML_routines::Read_status;

std::string Top(const char* tag, const std::string& attributes, const std::string& content) {
    return std::string("<") + tag + " timestamp=\"1\" type=\"osp\" timeslot=\"0\" " + attributes + ">" + content +
           "</" + tag + ">\n";
}
// A decoded word received on channel 1.
std::string Lcf(const std::string& attributes, const std::string& content) {
    return Top("LCF", "phys_channel=\"1\" direction=\"rx\" " + attributes, content);
}

const std::string grp_v_ch_usr =
    "<LC_GRP_V_CH_USR><Service_options emergency=\"true\"/><Group_address>0001</Group_address>"
    "<Source_address>000002</Source_address></LC_GRP_V_CH_USR>";
const std::string raw_only = "<LogFilter phys_channel=\"1\"><Protocol_Raw>true</Protocol_Raw></LogFilter>\n";
const char* const receive = "System_interface Receive_LCO_from_XML UNIMPLEMENTED\n";

}  // namespace

TEST(Input, WordsAreBuiltLoggedAndHandedOn) {
    const struct {
        std::string document;
        const char* logged;  // the tags, each raw word's octets after its tag
        std::string errors;
    } cases[] = {
        // The manufacturer before the word makes it that manufacturer's.
        {Lcf("sf=\"false\"", "<Mfid>90</Mfid>" + grp_v_ch_usr), "Link_Control 00 90 80 00 00 01 00 00 02 LCF ",
         receive},
        // Without one the word is manufacturer 0x00's; the protected flag is read.
        {Lcf("p=\"true\"", grp_v_ch_usr), "Link_Control 80 00 80 00 00 01 00 00 02 LCF ", receive},
        // An implicit word sets its format flag.
        {Top("LCF", "phys_channel=\"1\" direction=\"rx_sim\" sf=\"false\" opcode=\"9\"",
             "<LC_CALL_ALRT><Target_address>000003</Target_address></LC_CALL_ALRT>"),
         "Link_Control 56 00 00 00 00 03 00 00 00 LCF ", receive},
        // The raw element gives the octets.
        {Top("Link_Control", "phys_channel=\"2\" direction=\"rx\"", "42 01 23 0B AD 30 01 0B AE"),
         "Link_Control 42 01 23 0B AD 30 01 0B AE LCF ", receive},
        // A transmitted word is handed on without being logged.
        {Top("LCF", "phys_channel=\"1\" direction=\"tx\"", grp_v_ch_usr), "", receive},
        // A word of channel 4 or above goes no further than the log.
        {Top("LCF", "phys_channel=\"4\" direction=\"rx\"", grp_v_ch_usr),
         "Link_Control 00 00 80 00 00 01 00 00 02 LCF ", ""},
        // The element's own class decides whether anything happens; the two
        // elements it logs are then filtered each by its class.
        {raw_only + Lcf("", grp_v_ch_usr), "", ""},
        {raw_only + Top("Link_Control", "phys_channel=\"1\" direction=\"rx\"", "00 00 80 00 00 01 00 00 02"),
         "Link_Control 00 00 80 00 00 01 00 00 02 ", receive},
        // Manufacturer 0x90 has no group voice channel update; 0x55 no record.
        {Lcf("sf=\"false\"", "<Mfid>90</Mfid><LC_GRP_V_CH_UPDT><Group_address>0001</Group_address></LC_GRP_V_CH_UPDT>"),
         "", "replay.xml:2: error: Unknown element <LC_GRP_V_CH_UPDT> in <LCF>\n"},
        {Lcf("", "<Mfid>55</Mfid>" + grp_v_ch_usr), "",
         "replay.xml:2: error: Unknown element <LC_GRP_V_CH_USR> in <LCF>\n"},
        {Lcf("", "<NOT_A_WORD/>"), "", "replay.xml:2: error: Unknown element <NOT_A_WORD> in <LCF>\n"},
        // The raw word has no children, and its octets are hexadecimal.
        {Top("Link_Control", "phys_channel=\"1\"", grp_v_ch_usr), "",
         "replay.xml:2: error: Unknown element <LC_GRP_V_CH_USR> in <Link_Control>\n"},
        {Top("Link_Control", "phys_channel=\"1\"", "42 01 2G"), "",
         "replay.xml:2: error: <Link_Control>: Bad text \"42 01 2G\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        trk::Log_capture log;
        const bool refused = c.errors.find(": error: ") != std::string::npos;
        EXPECT_EQ(trk::Replay(c.document, log), refused ? Read_status::reported : Read_status::ok);
        std::string logged;
        for (const auto& e : trk::Elements(log.Body())) {
            const std::size_t from = e.second.find('>') + 1;
            const bool raw = e.first == "Link_Control";
            logged += e.first + " " + (raw ? e.second.substr(from, e.second.find("</") - from) : "");
        }
        EXPECT_EQ(logged, c.logged);
        EXPECT_EQ(log.Errors(), c.errors);
    }
}
