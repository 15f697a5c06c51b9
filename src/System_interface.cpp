// The host interface: the host's dispatcher, and the receive hooks through
// which records read from input documents go on to the host.
#include <cstdio>

#include "P25_processing.h"
#include "Trunking_handler.h"

namespace P25 {

// Created before anything else of this module, never released.
Dispatcher* dispatcher = Dispatcher::create();

namespace {

// A hook with nothing behind it reports itself, unless the host listens.
void Unimplemented(const char* function) {
    if (Has_receive_listener()) return;
    std::fprintf(stderr, "%s %s UNIMPLEMENTED\n", "System_interface", function);
}

// Every record handed to a receive hook begins with its Source_info.
template <class Record>
const Source_info& Source_of(const Record& record) {
    return reinterpret_cast<const Source_info&>(record);
}

// Records of channels 0 to 3 are handed on to the host; handing them on is
// not done yet.  Records of the other channels stop here.
constexpr unsigned Handed_on_channels = 4;

}  // namespace

// Trunking messages reach the listener from their element's commit: this
// hook is called at finalize and at commit for each of them.
void Receive_Trunk_from_XML(const Trunking_data& record) {
    if (Source_of(record).phys_channel < Handed_on_channels) Unimplemented("Receive_Trunk_from_XML");
}

// The word reaches the listener from its element's finalize, which knows
// whether the element was the word as received or decoded.
void Receive_LCO_from_XML(const p25_LCO& record) {
    if (Source_of(record).phys_channel < Handed_on_channels) Unimplemented("Receive_LCO_from_XML");
}

void Receive_TSBK_from_XML(const TSBK_PDU_data& record) {
    Tell_receive_listener(Received::tsbk, &record);
    Unimplemented("Receive_TSBK_from_XML");
}

void Receive_PDU_from_XML(const TSBK_PDU_data& record) {
    Tell_receive_listener(Received::pdu, &record);
    Unimplemented("Receive_PDU_from_XML");
}

// Blocks read from input documents go to the input-side assemblers.
void Receive_PDU_header_from_XML(const TSBK_PDU_data& record) {
    Tell_receive_listener(Received::pdu_header, &record);
    Parse_Multiblock_Header(record.tsbk[0], record.header.metadata);
}

void Receive_PDU_cont_from_XML(const TSBK_PDU_data& record) {
    Tell_receive_listener(Received::pdu_cont, &record);
    Parse_Multiblock_Continuation(record.tsbk[0], record.header.metadata);
}

// Receive_Overhead_from_XML, which sends the slot to the dispatcher: Overhead.cpp.

}  // namespace P25
