// Test harness of the trunking road: framed messages, host payloads, a log
// over memory with the elements it received, replay of logged elements
// through the document reader, and golden files.
#ifndef TESSEL_TESTS_TRUNKING_SUPPORT_H
#define TESSEL_TESTS_TRUNKING_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"

namespace trk {

using Blocks = std::vector<P25::P25_TSBK_DATA>;

P25::Source_info Source(unsigned channel, unsigned dir_tx = 0, unsigned osp = 1, std::uint32_t ticks = 50000000);

// "80 00 85 ..." -> one block (missing octets are 0); Tsbk sets its CRC-16.
P25::P25_TSBK_DATA Block(const char* hex);
P25::P25_TSBK_DATA Tsbk(const char* hex);
// An outbound alternate MBT of `count` blocks, MFID 0: link ID `link`,
// message octets 8 onward from `body` (the CRC positions are overwritten),
// both CRCs set.
Blocks Mbt(unsigned opcode, unsigned count, std::uint32_t link, const std::vector<std::uint8_t>& body);
// Sets both CRCs of a multi-block message again.
void Seal(Blocks& m);
// A GRP_V_CH_GRANT_EXP from a source unit.
Blocks Grant_exp(std::uint32_t source_unit);

// The host record of a data unit.
P25::Log_Dispatch_payload Payload(const P25::Source_info& source, const Blocks& blocks, std::uint32_t nac = 0,
                                  std::uint32_t count = ~0u);

// XML_Log writes to this log while it lives; stderr is captured as well.
class Log_capture {
public:
    Log_capture();
    ~Log_capture();
    Log_capture(const Log_capture&) = delete;
    Log_capture& operator=(const Log_capture&) = delete;

    XML_routines::Output_file& File() { return *file_; }
    // The logged elements as the log file holds them (the header and root
    // tag left out), and what was written on stderr; both end the capture.
    std::string Body() { Finish(); return body_; }
    std::string Errors() { Finish(); return errors_; }
    // The log file as written so far.
    std::string So_far();

private:
    void Finish();
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
    XML_routines::Output_file* file_;
    std::string body_, errors_;
    bool done_ = false;
};

// The tags of the top-level elements of a log body; those elements with one tag.
std::vector<std::string> Tags(const std::string& body);
std::vector<std::string> Only(const std::string& body, const char* tag);

// Reads "<P25_log_data>elements</P25_log_data>" (the input should log to
// a capture's file).
XML_routines::Read_status Replay(const std::string& elements, XML_routines::Input_data& input);
XML_routines::Read_status Replay(const std::string& elements, Log_capture& log);

// Silently emits whatever earlier tests left in the rf assemblers.
void Idle_assemblers();

// Compares text with tests/data/trunking/<name>; TESSEL_UPDATE_GOLDEN=1
// rewrites the file instead.
void Expect_golden(const std::string& name, const std::string& text);

}  // namespace trk

#endif
