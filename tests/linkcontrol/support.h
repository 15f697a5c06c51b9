// Link-control words for the tests: a word from its octets, its raw and
// decoded elements as compact XML, and a link-control record with a source.
#ifndef TESSEL_TESTS_LINKCONTROL_SUPPORT_H
#define TESSEL_TESTS_LINKCONTROL_SUPPORT_H

#include <cstring>
#include <string>

#include "LC_handler.h"
#include "trunking/support.h"
#include "xml_text.h"

namespace lc_test {

// "00 90 80 ..." -> a word (missing octets are 0).
inline P25::Any_link_control Word(const char* hex) {
    P25::Any_link_control w{};
    trk::Octets_from_hex(hex, w.bytes, sizeof w.bytes);
    return w;
}

inline std::string Raw(const P25::Any_link_control& w) { return Text_of(XML_routines::lc_raw.Write(w)); }
inline std::string Decoded(const P25::Any_link_control& w) { return Text_of(XML_routines::lc_cooked.Write(w)); }

// A link-control record of the word, received on a channel.
inline P25::p25_LCO Record(const P25::Any_link_control& w, std::uint8_t channel = 1) {
    P25::p25_LCO r;
    std::memset(&r, 0, sizeof r);
    r.header.metadata = trk::Source(channel);
    r.lc = w;
    return r;
}

}  // namespace lc_test

#endif
