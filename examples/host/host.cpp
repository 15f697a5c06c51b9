// A minimal host: logs one TSBK through the library, then reads an input
// document (the file named on the command line, else standard input) into
// the same log, which goes to standard output.  The records the document
// delivers come to the host's receive listener; it counts them.
#include <cstdio>
#include <cstring>
#include "P25_processing.h"
#include "shared/P25/P25_receive.h"

int main(int argc, char** argv) {
    XML_routines::Output_file log(stdout);                 // the log document
    XML_routines::Output_file::Set_current(&log);
    static P25::Log_Dispatch_payload unit;                 // one grant, CRC included
    const unsigned char grant[12] = {0x80, 0, 0x80, 0x10, 0xF1, 0x0A, 0xBC, 0x12, 0x34, 0x56, 0x23, 0x01};
    std::memcpy(unit.tsbk.tsbk[0].data, grant, 12);
    unit.tsbk.block_count = 1, unit.tsbk.header.metadata.is_osp = 1;  // outbound
    P25::Log_TSBK(unit);
    unsigned long received = 0;                            // one call an input element with a record
    P25::Set_receive_listener([&received](P25::Received, const void*) { ++received; });
    XML_routines::Input_data input(&log);                  // an input document, into the same log
    XML_routines::Read_document(argc > 1 ? argv[1] : nullptr, XML_routines::P25_log_data, input);
    P25::Set_receive_listener(nullptr);
    std::fprintf(stderr, "host: %lu input records received\n", received);
}
