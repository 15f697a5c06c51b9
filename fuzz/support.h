// What the harnesses share: a log captured in memory, and the CRCs a
// trunking block or packet needs to get past the checks into decoding.
#ifndef TESSEL_FUZZ_SUPPORT_H
#define TESSEL_FUZZ_SUPPORT_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "P25_processing.h"
#include "Smartzone_processing.h"
#include "crc.h"

namespace fuzz {

// The log document of one run, in memory; the current log while it lives.
class Log_capture {
public:
    Log_capture() : stream_(open_memstream(&text_, &size_)) {
        if (!stream_) std::abort();
        file_ = std::make_unique<XML_routines::Output_file>(stream_);
        XML_routines::Output_file::Set_current(file_.get());
    }
    ~Log_capture() {
        Finish();
        std::free(text_);
    }
    Log_capture(const Log_capture&) = delete;
    Log_capture& operator=(const Log_capture&) = delete;

    XML_routines::Output_file* File() { return file_.get(); }
    // Closes the log and returns the document written.
    std::string Text() {
        Finish();
        return std::string(text_ ? text_ : "", size_);
    }

private:
    void Finish() {
        if (!file_) return;
        XML_routines::Output_file::Set_current(nullptr);
        file_->Close();
        file_.reset();
        std::fclose(stream_);
    }
    char* text_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
    std::unique_ptr<XML_routines::Output_file> file_;
};

// Lets every SmartZone assembler that holds words give them up (into the
// current log, if any, with a "Smartzone_tout"), so that one input's words
// are not completed by the next one's and every input starts from the same
// state.
inline void Idle_assemblers() {
    P25::Smartnet_data_log r{};
    r.bits.baud = 3600;
    for (std::uint8_t ch = 0; ch < 4; ++ch)
        for (std::uint8_t dir_tx : {1, 0}) {  // the banks' order: transmitted, received
            r.metadata.phys_channel = ch;
            r.metadata.dir_tx = dir_tx;
            r.metadata.is_osp = 1;
            if (Smartzone::osw_assemblers[ch][dir_tx ? 0 : 1].Waiting()) Smartzone::Log_timeout(r);
            r.metadata.is_osp = 0;
            if (Smartzone::isw_assemblers[ch][dir_tx ? 0 : 1].Waiting()) Smartzone::Log_timeout(r);
        }
}

// The CRC-16 of a TSBK or header block in octets 10 and 11.
inline void Fill_block_crc(P25::P25_TSBK_DATA& block) {
    const std::uint16_t crc = static_cast<std::uint16_t>(~ccitt_16(0, block.data, 10));
    block.data[10] = static_cast<std::uint8_t>(crc >> 8);
    block.data[11] = static_cast<std::uint8_t>(crc);
}

// The header CRC-16 and the packet CRC-32 of a multi-block packet (2 to 127
// blocks).
inline void Fill_packet_crc(P25::P25_TSBK_DATA* blocks, unsigned count) {
    Fill_block_crc(blocks[0]);
    if (count < 2 || count > 127) return;
    const auto* data = reinterpret_cast<const std::uint8_t*>(blocks + 1);
    const std::uint32_t crc = ~crc_32(0, data, 12u * count - 16u);
    std::uint8_t* at = blocks[count - 1].data + 8;
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
}

}  // namespace fuzz

#endif
