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
#include "shared/P25/P25_receive.h"
#include "Smartzone_processing.h"
#include "crc.h"

namespace fuzz {

// The log document of one input, in memory; the current log while it
// lives.  One memory stream serves the whole run, started again from its
// beginning by each capture: a stream and its buffer made for every input
// cost more than most inputs' own work.
class Log_capture {
public:
    Log_capture() {
        std::rewind(Stream().file);
        file_ = std::make_unique<XML_routines::Output_file>(Stream().file);
        XML_routines::Output_file::Set_current(file_.get());
    }
    ~Log_capture() { Finish(); }
    Log_capture(const Log_capture&) = delete;
    Log_capture& operator=(const Log_capture&) = delete;

    XML_routines::Output_file* File() { return file_.get(); }
    // Closes the log and returns the document written.
    std::string Text() {
        Finish();
        const long length = std::ftell(Stream().file);
        return std::string(Stream().text ? Stream().text : "", length > 0 ? static_cast<std::size_t>(length) : 0);
    }

private:
    struct Memory_stream {
        char* text = nullptr;
        std::size_t size = 0;
        std::FILE* file = open_memstream(&text, &size);
    };
    static Memory_stream& Stream() {
        static Memory_stream stream;
        if (!stream.file) std::abort();
        return stream;
    }
    void Finish() {
        if (!file_) return;
        XML_routines::Output_file::Set_current(nullptr);
        file_->Close();  // the root's end tag, flushed: the length is the position
        file_.reset();
    }
    std::unique_ptr<XML_routines::Output_file> file_;
};

// Every harness listens for what the library hands the host, as a host
// does: without a listener each record handed on is reported on standard
// error, a write to the terminal for every message read.
inline void Listen_as_host() {
    P25::Set_receive_listener([](P25::Received, const void*) {});
}

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
