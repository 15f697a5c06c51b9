// Test harness of the trunking road: framed messages, host payloads, a log
// over memory with the elements it received, replay of logged elements
// through the document reader, and golden files.
#ifndef TESSEL_TESTS_TRUNKING_SUPPORT_H
#define TESSEL_TESTS_TRUNKING_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"
#include "golden.h"

namespace trk {

using Blocks = std::vector<P25::P25_TSBK_DATA>;

inline P25::Source_info Source(std::uint8_t channel, std::uint8_t dir_tx = 0, std::uint8_t osp = 1,
                                std::uint32_t ticks = 50000000) {
    return {{ticks}, channel, dir_tx, osp, 0};
}

// "80 00 85 ..." -> the first `size` octets (missing octets are left alone).
inline void Octets_from_hex(const char* hex, std::uint8_t* octets, std::size_t size) {
    char* end = nullptr;
    for (std::size_t i = 0; i < size; ++i, hex = end) {
        const unsigned long v = std::strtoul(hex, &end, 16);
        if (end == hex) break;
        octets[i] = static_cast<std::uint8_t>(v);
    }
}

// "80 00 85 ..." -> one block (missing octets are 0), its CRC-16 set.
inline P25::P25_TSBK_DATA Tsbk(const char* hex) {
    P25::P25_TSBK_DATA b{};
    Octets_from_hex(hex, b.data, sizeof b.data);
    P25::Set_checksum(reinterpret_cast<P25::P25_TSBK_header*>(b.data), 1);
    return b;
}

// Sets both CRCs of a multi-block message.
inline void Seal(Blocks& m) {
    P25::Set_checksum(reinterpret_cast<P25::Alternate_MBT*>(m.data()), static_cast<unsigned>(m.size()));
}

// An alternate MBT of `count` blocks, MFID 0, outbound unless said: link
// ID `link`, message octets 8 onward from `body` (the CRC positions are
// overwritten), both CRCs set.
inline Blocks Mbt(unsigned opcode, unsigned count, std::uint32_t link, const std::vector<std::uint8_t>& body,
                  bool outbound = true) {
    Blocks m(count, P25::P25_TSBK_DATA{});
    P25::Setup_message(*reinterpret_cast<P25::Alternate_MBT*>(m.data()), 0x00, static_cast<std::uint8_t>(opcode),
                       count, outbound);
    auto* octets = reinterpret_cast<std::uint8_t*>(m.data());
    for (int i = 0; i < 3; ++i) octets[3 + i] = static_cast<std::uint8_t>(link >> (16 - 8 * i));
    for (std::size_t i = 0; i < body.size() && 8 + i < 12 * count; ++i) octets[8 + i] = body[i];
    Seal(m);
    return m;
}

// A GRP_V_CH_GRANT_EXP from a source unit.
inline Blocks Grant_exp(std::uint32_t source_unit) {
    return Mbt(P25::GRP_V_CH_GRANT, 2, source_unit, {0x00, 0x00, 0, 0, 0, 0, 0x10, 0x01, 0x10, 0x02, 0x00, 0x07});
}

// The host record of a data unit.
inline P25::Log_Dispatch_payload Payload(const P25::Source_info& source, const Blocks& blocks, std::uint32_t nac = 0,
                                         std::uint32_t count = ~0u) {
    P25::Log_Dispatch_payload p;
    std::memset(&p, 0, sizeof p);
    p.tsbk.header.metadata = source;
    p.tsbk.header.nid.nac = nac;
    for (std::size_t i = 0; i < blocks.size() && i < 128; ++i) p.tsbk.tsbk[i] = blocks[i];
    p.tsbk.block_count = count == ~0u ? static_cast<std::uint32_t>(blocks.size()) : count;
    return p;
}

// XML_Log writes to this log while it lives; stderr is captured as well.
class Log_capture {
public:
    Log_capture() : stream_(open_memstream(&data_, &size_)), file_(new XML_routines::Output_file(stream_)) {
        XML_routines::Output_file::Set_current(file_);
        testing::internal::CaptureStderr();
    }
    ~Log_capture() {
        Finish();
        std::free(data_);
    }
    XML_routines::Output_file& File() { return *file_; }
    // The logged elements as the log file holds them (the header and root
    // tag left out), and what was written on stderr; both end the capture.
    std::string Body() { return Finish(), body_; }
    std::string Errors() { return Finish(), errors_; }

private:
    void Finish() {
        if (!file_) return;
        XML_routines::Output_file::Set_current(nullptr);
        errors_ = testing::internal::GetCapturedStderr();
        delete file_;  // closes the root
        file_ = nullptr;
        std::fclose(stream_);
        const std::string all(data_, size_), head = "<P25_log_data>\n";
        const std::size_t from = all.find(head), to = all.rfind("</P25_log_data>\n");
        body_ = from == std::string::npos || to < from ? "" : all.substr(from + head.size(), to - from - head.size());
    }
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
    XML_routines::Output_file* file_;
    std::string body_, errors_;
};

// The top-level elements of a log body, each with its tag.
inline std::vector<std::pair<std::string, std::string>> Elements(const std::string& body) {
    std::vector<std::pair<std::string, std::string>> out;
    std::istringstream in(body);
    for (std::string line; std::getline(in, line);) {
        if (line.size() > 3 && line.compare(0, 3, "  <") == 0 && line[3] != '/' && line[3] != ' ')
            out.emplace_back(line.substr(3, line.find_first_of(" />", 3) - 3), "");
        else if (out.empty())
            out.emplace_back();
        out.back().second += line + "\n";
    }
    return out;
}
inline std::vector<std::string> Tags(const std::string& body) {
    std::vector<std::string> out;
    for (const auto& e : Elements(body)) out.push_back(e.first);
    return out;
}
inline std::vector<std::string> Only(const std::string& body, const char* tag) {
    std::vector<std::string> out;
    for (const auto& e : Elements(body))
        if (e.first == tag) out.push_back(e.second);
    return out;
}

// Reads "<P25_log_data>elements</P25_log_data>", logging to the capture.
inline XML_routines::Read_status Replay(const std::string& elements, Log_capture& log, bool report_errors = true) {
    XML_routines::Input_data input(&log.File());
    input.report_errors = report_errors;
    const std::string doc = "<P25_log_data>\n" + elements + "</P25_log_data>\n";
    return XML_routines::Read_memory(doc.data(), doc.size(), "replay.xml", XML_routines::P25_log_data, input);
}

// Silently emits whatever earlier tests left in the rf assemblers.
inline void Idle_assemblers() {
    Log_capture discard;
    for (P25::TDMA_PDU_assembler* bank : {P25::rf_rx_parsers, P25::rf_tx_parsers})
        for (int ch = 0; ch < 4; ++ch)
            if (bank[ch].Collected()) bank[ch].Flush();
}

// Compares text with tests/data/trunking/<name>.
inline void Expect_golden(const std::string& name, const std::string& text) { Expect_golden_file("trunking", name, text); }

}  // namespace trk

#endif
