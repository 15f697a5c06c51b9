// A minimal host: logs one TSBK through the library, then reads an input
// document (the file named on the command line) into the same log, which
// goes to standard output.
#include <cstring>

#include "P25_processing.h"

int main(int argc, char** argv) {
    XML_routines::Output_file log(stdout);
    XML_routines::Output_file::Set_current(&log);

    // One outbound group voice grant on channel 1, its CRC-16 included.
    static P25::Log_Dispatch_payload payload;
    const unsigned char grant[12] = {0x80, 0x00, 0x80, 0x10, 0xF1, 0x0A, 0xBC, 0x12, 0x34, 0x56, 0x23, 0x01};
    payload.tsbk.header.metadata.phys_channel = 1;
    payload.tsbk.header.metadata.is_osp = 1;
    std::memcpy(payload.tsbk.tsbk[0].data, grant, sizeof grant);
    payload.tsbk.block_count = 1;
    P25::Log_TSBK(payload);

    XML_routines::Input_data input(&log);
    const auto status = XML_routines::Read_document(argc > 1 ? argv[1] : nullptr, XML_routines::P25_log_data, input);

    XML_routines::Output_file::Set_current(nullptr);
    log.Close();
    return status == XML_routines::Read_status::ok ? 0 : 1;
}
