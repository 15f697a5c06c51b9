#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace trk {

P25::Source_info Source(unsigned channel, unsigned dir_tx, unsigned osp, std::uint32_t ticks) {
    return {{ticks}, static_cast<std::uint8_t>(channel), static_cast<std::uint8_t>(dir_tx),
            static_cast<std::uint8_t>(osp), 0};
}

P25::P25_TSBK_DATA Block(const char* hex) {
    P25::P25_TSBK_DATA b{};
    char* end = nullptr;
    for (unsigned i = 0; i < sizeof b.data; ++i, hex = end) {
        const unsigned long v = std::strtoul(hex, &end, 16);
        if (end == hex) break;
        b.data[i] = static_cast<std::uint8_t>(v);
    }
    return b;
}

P25::P25_TSBK_DATA Tsbk(const char* hex) {
    P25::P25_TSBK_DATA b = Block(hex);
    P25::Set_checksum(reinterpret_cast<P25::P25_TSBK_header*>(b.data), 1);
    return b;
}

Blocks Mbt(unsigned opcode, unsigned count, std::uint32_t link, const std::vector<std::uint8_t>& body) {
    Blocks m(count, P25::P25_TSBK_DATA{});
    auto& header = *reinterpret_cast<P25::Alternate_MBT*>(m.data());
    P25::Setup_message(header, 0x00, static_cast<std::uint8_t>(opcode), count, true);
    auto* octets = reinterpret_cast<std::uint8_t*>(m.data());
    octets[3] = static_cast<std::uint8_t>(link >> 16);
    octets[4] = static_cast<std::uint8_t>(link >> 8);
    octets[5] = static_cast<std::uint8_t>(link);
    for (std::size_t i = 0; i < body.size() && 8 + i < 12 * count; ++i) octets[8 + i] = body[i];
    Seal(m);
    return m;
}

Blocks Grant_exp(std::uint32_t source_unit) {
    return Mbt(P25::GRP_V_CH_GRANT, 2, source_unit, {0x00, 0x00, 0, 0, 0, 0, 0x10, 0x01, 0x10, 0x02, 0x00, 0x07});
}

void Seal(Blocks& m) {
    P25::Set_checksum(reinterpret_cast<P25::Alternate_MBT*>(m.data()), static_cast<unsigned>(m.size()));
}

P25::Log_Dispatch_payload Payload(const P25::Source_info& source, const Blocks& blocks, std::uint32_t nac,
                                  std::uint32_t count) {
    P25::Log_Dispatch_payload p;
    std::memset(&p, 0, sizeof p);
    p.tsbk.header.metadata = source;
    p.tsbk.header.nid.nac = nac;
    for (std::size_t i = 0; i < blocks.size() && i < 128; ++i) p.tsbk.tsbk[i] = blocks[i];
    p.tsbk.block_count = count == ~0u ? static_cast<std::uint32_t>(blocks.size()) : count;
    return p;
}

Log_capture::Log_capture()
    : stream_(open_memstream(&data_, &size_)), file_(new XML_routines::Output_file(stream_)) {
    XML_routines::Output_file::Set_current(file_);
    testing::internal::CaptureStderr();
}

Log_capture::~Log_capture() {
    Finish();
    std::free(data_);
}

void Log_capture::Finish() {
    if (done_) return;
    done_ = true;
    XML_routines::Output_file::Set_current(nullptr);
    errors_ = testing::internal::GetCapturedStderr();
    delete file_;  // closes the root
    std::fclose(stream_);
    const std::string all(data_, size_);
    const std::string head = "<P25_log_data>\n", tail = "</P25_log_data>\n";
    const std::size_t from = all.find(head);
    body_ = from == std::string::npos ? all : all.substr(from + head.size());
    if (body_.size() >= tail.size() && body_.compare(body_.size() - tail.size(), tail.size(), tail) == 0)
        body_.resize(body_.size() - tail.size());
}

std::string Log_capture::So_far() {
    if (done_) return body_;
    file_->Flush();
    return std::string(data_, size_);
}

namespace {

std::vector<std::string> Elements(const std::string& body) {
    std::vector<std::string> out;
    std::istringstream in(body);
    for (std::string line; std::getline(in, line);) {
        const bool starts = line.size() > 3 && line.compare(0, 3, "  <") == 0 && line[3] != '/' && line[3] != ' ';
        if (starts || out.empty()) out.emplace_back();
        out.back() += line + "\n";
    }
    return out;
}

std::string Tag(const std::string& element) {
    const std::size_t from = element.find('<') + 1;
    return element.substr(from, element.find_first_of(" />\n", from) - from);
}

}  // namespace

std::vector<std::string> Tags(const std::string& body) {
    std::vector<std::string> out;
    for (const std::string& e : Elements(body)) out.push_back(Tag(e));
    return out;
}

std::vector<std::string> Only(const std::string& body, const char* tag) {
    std::vector<std::string> out;
    for (const std::string& e : Elements(body))
        if (Tag(e) == tag) out.push_back(e);
    return out;
}

XML_routines::Read_status Replay(const std::string& elements, XML_routines::Input_data& input) {
    const std::string doc = "<P25_log_data>\n" + elements + "</P25_log_data>\n";
    return XML_routines::Read_memory(doc.data(), doc.size(), "replay.xml", XML_routines::P25_log_data, input);
}

XML_routines::Read_status Replay(const std::string& elements, Log_capture& log) {
    XML_routines::Input_data input(&log.File());
    return Replay(elements, input);
}

void Idle_assemblers() {
    Log_capture discard;
    for (P25::TDMA_PDU_assembler* bank : {P25::rf_rx_parsers, P25::rf_tx_parsers})
        for (int ch = 0; ch < 4; ++ch)
            if (bank[ch].Collected()) bank[ch].Flush();
}

void Expect_golden(const std::string& name, const std::string& text) {
    const std::string path = std::string(TESSEL_TEST_DATA) + "/trunking/" + name;
    const char* update = std::getenv("TESSEL_UPDATE_GOLDEN");
    if (update && *update == '1') {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "no golden file " << path;
    std::ostringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(text, golden.str()) << "golden " << name;
}

}  // namespace trk
