// Test harness of the SmartZone control channel: channel-word records built
// from their fields, messages built from word values, an element read back
// into its record, and golden files under tests/data/smartzone/.
#ifndef TESSEL_TESTS_SMARTZONE_SUPPORT_H
#define TESSEL_TESTS_SMARTZONE_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

#include "Smartzone_processing.h"
#include "fields/support.h"
#include "trunking/support.h"

namespace sz {

using trk::Log_capture;

// A 3600-baud control-channel word of channel, direction and time t (in
// seconds, so that each word of a sequence can be told by its timestamp).
inline P25::Smartnet_data_log Record(bool outbound, std::uint32_t value, unsigned t = 0, std::uint8_t channel = 0,
                                     std::uint8_t dir_tx = 0, std::uint32_t baud = 3600) {
    P25::Smartnet_data_log r{};
    r.metadata.timestamp.value = t * 50000000u;
    r.metadata.phys_channel = channel;
    r.metadata.dir_tx = dir_tx;
    r.metadata.is_osp = outbound ? 1 : 0;
    r.bits.baud = baud;
    r.bits.ch_type = 5;
    r.bits.bits = outbound ? 27 : 21;
    const unsigned n = r.bits.count = outbound ? 4 : 3;
    for (unsigned i = 0; i < n; ++i) r.bits.data[i] = static_cast<std::uint8_t>(value >> (8 * (n - 1 - i)));
    return r;
}

// The 32-bit value of an outbound word: address, flag, command.
constexpr std::uint32_t Osw(unsigned address, bool i_bit, unsigned cmd) {
    return (address & 0xFFFFu) << 16 | (i_bit ? 1u : 0u) << 15 | (cmd & 0x3FFu) << 5;
}
// The 24-bit value of an inbound word: ID, type.
constexpr std::uint32_t Isw(unsigned id, unsigned type) { return (id & 0xFFFFu) << 8 | (type & 0x1Fu) << 3; }

// A message of the given word values (OSW_log: 4 bytes a word, outbound;
// ISW_log: 3, inbound), and the values of a message's words.
template <class L>
L Message_of(const std::vector<std::uint32_t>& words) {
    constexpr unsigned size = sizeof(L{}.words[0]);
    L log{};
    log.sources[0].is_osp = size == 4;
    log.count = static_cast<std::uint32_t>(words.size());
    for (std::size_t i = 0; i < words.size() && i < L::capacity; ++i)
        for (unsigned b = 0; b < size; ++b) log.words[i][b] = static_cast<std::uint8_t>(words[i] >> (8 * (size - 1 - b)));
    return log;
}
template <class L>
std::vector<std::uint32_t> Words_of(const L& log) {
    std::vector<std::uint32_t> words(log.count < L::capacity ? log.count : L::capacity);
    for (std::size_t i = 0; i < words.size(); ++i)
        for (std::uint8_t octet : log.words[i]) words[i] = words[i] << 8 | octet;
    return words;
}

// Reads an element's XML text back into a record through its descriptor,
// as the document reader reads it into a record of zeros.
template <class T>
bool Parse(const XML_routines::Info<T>& info, const std::string& xml, T& out) {
    static const Doc<T> doc(info, 0);
    return doc.Read(xml, out);
}

// Empties every assembler without a trace in any log.
inline void Idle_assemblers() {
    for (auto& channel : Smartzone::osw_assemblers)
        for (Smartzone::OSW_assembler& a : channel) a = Smartzone::OSW_assembler();
    for (auto& channel : Smartzone::isw_assemblers)
        for (Smartzone::ISW_assembler& a : channel) a = Smartzone::ISW_assembler();
}

// Compares text with tests/data/smartzone/<name>.
inline void Expect_golden(const std::string& name, const std::string& text) { Expect_golden_file("smartzone", name, text); }

}  // namespace sz

#endif
