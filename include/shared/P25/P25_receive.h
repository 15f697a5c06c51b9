// The host's side of the receive hooks: a listener that is handed every
// record the library's input elements deliver (the P25::Receive_*_from_XML
// hooks and the elements that feed no hook of their own), in document
// order, one call an element.
//
// Without a listener the hooks behave as they always have (the input-side
// assemblers and the dispatcher are fed; hooks with nothing behind them
// report themselves on standard error).  With one, the listener receives the
// record first, the hooks still feed the assemblers and the dispatcher, and
// nothing is reported.
#ifndef TESSEL_P25_RECEIVE_H
#define TESSEL_P25_RECEIVE_H

#include <functional>

namespace P25 {

struct Trunking_data;
struct TSBK_PDU_data;
struct DUID_Header;
struct Time_log;
struct p25_LCO;
struct Trunking_Overhead;

// What the listener is handed, and the record type `record` points to.
enum class Received : unsigned {
    trunking_message,  // Trunking_data: a "Trunking_message", its header and CRCs completed
    tsbk,              // TSBK_PDU_data: a "TSBK" data unit
    pdu,               // TSBK_PDU_data: a whole "PDU"
    pdu_header,        // TSBK_PDU_data: a "PDU_Header", block 0
    pdu_cont,          // TSBK_PDU_data: a "PDU_Continuation", block 0
    link_control,      // p25_LCO: a link-control word as received ("Link_Control")
    overhead,          // Trunking_Overhead: an overhead slot
    status,            // DUID_Header: the status symbols of "Status_bits"
    time,              // Time_log: a "DateTime"
    element,           // Received_element: an element that feeds no hook of its own
    decoded_link_control,  // p25_LCO: a link-control word read from its decoded element ("LCF")
};

// An element read from a document that the library only logs (the voice
// items, channel settings, simulator states and SmartZone channel words):
// its tag, the record it was read into (the record its logging entry point
// takes: p25_Voice_Hdr for "Voice_Header", Smartnet_data_log for
// "Smartzone_raw", ...) and the element as the log writes that record
// (a libxml2 tree).
struct Received_element {
    const char* tag;
    const void* record;
    const struct _xmlNode* element;
};

// Shaped like the dispatcher's listener: the record is valid during the
// call only, so a listener copies what it keeps.
using Receive_listener = std::function<void(Received what, const void* record)>;

// Installs the listener (an empty one removes it).
void Set_receive_listener(Receive_listener listener);
bool Has_receive_listener();
// Hands a record to the listener, if there is one (called by the library's
// input hooks).
void Tell_receive_listener(Received what, const void* record);

}  // namespace P25

#endif
