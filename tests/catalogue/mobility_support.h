// Helpers of the registration, mobility and broadcast catalogue tests:
// messages framed for either direction and manufacturer, logged through the
// host entry points, values picked out of the logged XML, golden files under
// tests/data/catalogue/.
#ifndef TESSEL_TESTS_CATALOGUE_MOBILITY_SUPPORT_H
#define TESSEL_TESTS_CATALOGUE_MOBILITY_SUPPORT_H

#include <regex>

#include "trunking/support.h"

namespace mobility {

using namespace trk;

// A TSBK from its octets 0-9 in hex, the MFID as given, CRC set.
inline Blocks Tsbk_of(const char* hex) { return {trk::Tsbk(hex)}; }

// The log body of one message: a TSBK (one block) or a PDU, outbound or inbound.
inline std::string Log_message(const Blocks& m, bool outbound = true) {
    Idle_assemblers();
    Log_capture capture;
    const P25::Source_info source = Source(1, 0, outbound ? 1 : 0);
    (m.size() == 1 ? P25::Log_TSBK : P25::Log_PDU)(Payload(source, m));
    return capture.Body();
}

// The decoded "Trunking_message" elements of a log body, one string.
inline std::string Messages(const std::string& body) {
    std::string out;
    for (const std::string& e : Only(body, "Trunking_message")) out += e;
    return out;
}

// The texts of every <tag>text</tag>, in order.
inline std::vector<std::string> Texts(const std::string& xml, const std::string& tag) {
    std::vector<std::string> out;
    const std::regex re("<" + tag + "(?: [^>]*)?>([^<]*)</" + tag + ">");
    for (std::sregex_iterator i(xml.begin(), xml.end(), re), end; i != end; ++i) out.push_back((*i)[1]);
    return out;
}

// The values of attribute `name` of every <tag ...>, in order.
inline std::vector<std::string> Attributes(const std::string& xml, const std::string& tag, const std::string& name) {
    std::vector<std::string> out;
    const std::regex element("<" + tag + " [^>]*>"), attribute(" " + name + "=\"([^\"]*)\"");
    for (std::sregex_iterator i(xml.begin(), xml.end(), element), end; i != end; ++i) {
        const std::string e = i->str();
        std::smatch m;
        if (std::regex_search(e, m, attribute)) out.push_back(m[1]);
    }
    return out;
}

inline bool Has_error_element(const std::string& xml) {
    for (const char* tag : {"DATA_CRC_ERROR", "UNKNOWN_FORMAT", "INVALID_FORMAT", "Illegal_block_count"})
        if (xml.find(std::string("<") + tag) != std::string::npos) return true;
    return false;
}

// Whether the registry knows a message name in the direction.
inline bool Registered(const char* name, bool outbound) {
    return P25::MFID_record::Find_trunking_handler_in_all(outbound, reinterpret_cast<const xmlChar*>(name)) != nullptr;
}

// Compares text with tests/data/catalogue/<name>.
inline void Expect_golden(const std::string& name, const std::string& text) { Expect_golden_file("catalogue", name, text); }

// Logs each message and compares the decoded elements, in order, with one golden file.
struct Logged {
    Blocks message;
    bool outbound;
};
inline void Expect_golden_messages(const std::string& name, const std::vector<Logged>& messages) {
    std::string all;
    for (const Logged& m : messages) {
        const std::string body = Log_message(m.message, m.outbound);
        EXPECT_FALSE(Has_error_element(body)) << body;
        all += Messages(body);
    }
    Expect_golden(name, all);
}

}  // namespace mobility

#endif
