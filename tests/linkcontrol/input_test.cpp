// Link-control elements read from an input document: the word is built from
// the decoded or the raw element, logged raw and decoded unless the host
// transmits it, and handed to the host; the log filter can stop all of it.
#include "support.h"

using namespace lc_test;

namespace {

std::string Top(const char* tag, const char* attributes, const std::string& content) {
    return std::string("<") + tag + " timestamp=\"1\" type=\"osp\" timeslot=\"0\" " + attributes + ">" + content + "</" +
           tag + ">\n";
}

const char* const grp_v_ch_usr =
    "<LC_GRP_V_CH_USR><Service_options emergency=\"true\"/><Group_address>0001</Group_address>"
    "<Source_address>000002</Source_address></LC_GRP_V_CH_USR>";
const char* const receive = "System_interface Receive_LCO_from_XML UNIMPLEMENTED\n";

// The octets of each logged "Link_Control" element.
std::vector<std::string> Raw_octets(const std::string& body) {
    std::vector<std::string> out;
    for (const std::string& e : trk::Only(body, "Link_Control")) {
        const std::size_t from = e.find('>') + 1;
        out.push_back(e.substr(from, e.find("</") - from));
    }
    return out;
}

}  // namespace

TEST(Input, WordsAreBuiltLoggedAndHandedOn) {
    using Tags = std::vector<std::string>;
    const Tags both = {"Link_Control", "LCF"};
    struct Case {
        const char* what;
        std::string document;
        Tags logged;
        const char* octets;  // of the logged raw word
        std::string errors;
    } cases[] = {
        {"the manufacturer before the word makes it that manufacturer's",
         Top("LCF", "phys_channel=\"1\" direction=\"rx\" sf=\"false\"", std::string("<Mfid>90</Mfid>") + grp_v_ch_usr),
         both, "00 90 80 00 00 01 00 00 02 ", receive},
        {"without one the word is manufacturer 0x00's",
         Top("LCF", "phys_channel=\"1\" direction=\"rx\" p=\"true\"", grp_v_ch_usr), both,
         "80 00 80 00 00 01 00 00 02 ", receive},
        {"an implicit word sets its format flag",
         Top("LCF", "phys_channel=\"1\" direction=\"rx_sim\" sf=\"false\" opcode=\"9\"",
             "<LC_CALL_ALRT><Target_address>000003</Target_address></LC_CALL_ALRT>"),
         both, "56 00 00 00 00 03 00 00 00 ", receive},
        {"the raw element gives the octets",
         Top("Link_Control", "phys_channel=\"2\" direction=\"rx\"", "42 01 23 0B AD 30 01 0B AE"), both,
         "42 01 23 0B AD 30 01 0B AE ", receive},
        {"a transmitted word is handed on without being logged",
         Top("LCF", "phys_channel=\"1\" direction=\"tx\"", grp_v_ch_usr), {}, nullptr, receive},
        {"a word of channel 4 or above goes no further",
         Top("LCF", "phys_channel=\"4\" direction=\"rx\"", grp_v_ch_usr), both, "00 00 80 00 00 01 00 00 02 ", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        trk::Log_capture log;
        EXPECT_EQ(trk::Replay(c.document, log), XML_routines::Read_status::ok);
        const std::string body = log.Body();
        EXPECT_EQ(trk::Tags(body), c.logged);
        if (c.octets) {
            EXPECT_EQ(Raw_octets(body), std::vector<std::string>{c.octets});
        }
        EXPECT_EQ(log.Errors(), c.errors);
    }
}

TEST(Input, WordsThatCannotBeBuiltAreReported) {
    struct Case {
        std::string document;
        const char* report;
    } cases[] = {
        // Manufacturer 0x90 has no group voice channel update.
        {Top("LCF", "phys_channel=\"1\" sf=\"false\"",
             "<Mfid>90</Mfid><LC_GRP_V_CH_UPDT><Group_address>0001</Group_address></LC_GRP_V_CH_UPDT>"),
         "Unknown element <LC_GRP_V_CH_UPDT> in <LCF>"},
        {Top("LCF", "phys_channel=\"1\"", "<Mfid>55</Mfid>" + std::string(grp_v_ch_usr)),
         "Unknown element <LC_GRP_V_CH_USR> in <LCF>"},
        {Top("LCF", "phys_channel=\"1\"", "<NOT_A_WORD/>"), "Unknown element <NOT_A_WORD> in <LCF>"},
        // The raw word has no children.
        {Top("Link_Control", "phys_channel=\"1\"", grp_v_ch_usr), "Unknown element <LC_GRP_V_CH_USR> in <Link_Control>"},
        {Top("Link_Control", "phys_channel=\"1\"", "42 01 2G"), "Link_Control"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        trk::Log_capture log;
        EXPECT_EQ(trk::Replay(c.document, log), XML_routines::Read_status::reported);
        EXPECT_EQ(log.Body(), "");
        EXPECT_NE(log.Errors().find(c.report), std::string::npos) << log.Errors();
    }
}

// The element's own class decides whether anything happens; the two
// elements it logs are then filtered each by its class.
TEST(Input, TheLogFilterStopsWordsOfItsChannel) {
    const std::string raw_only = "<LogFilter phys_channel=\"1\"><Protocol_Raw>true</Protocol_Raw></LogFilter>\n";
    struct Case {
        const char* tag;
        std::vector<std::string> logged;
        const char* errors;
    } cases[] = {
        {"LCF", {}, ""},
        {"Link_Control", {"Link_Control"}, receive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        const std::string word = std::string(c.tag) == "LCF" ? std::string(grp_v_ch_usr) : "00 00 80 00 00 01 00 00 02";
        trk::Log_capture log;
        EXPECT_EQ(trk::Replay(raw_only + Top(c.tag, "phys_channel=\"1\" direction=\"rx\"", word), log),
                  XML_routines::Read_status::ok);
        EXPECT_EQ(trk::Tags(log.Body()), c.logged);
        EXPECT_EQ(log.Errors(), c.errors);
    }
}
