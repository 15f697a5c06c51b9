// What the host and the library exchange: the records (P25_records.h) with
// their descriptors, the library's exported log entry points and receive
// hooks, and the host's dispatcher.
#ifndef TESSEL_P25_SHARED_STRUCT_H
#define TESSEL_P25_SHARED_STRUCT_H

#include "shared/P25/P25_lco.h"
#include "shared/P25/P25_message_parts.h"
#include "shared/P25/P25_messages.h"
#include "shared/P25/P25_receive.h"
#include "shared/P25/P25_records.h"
#include "shared/dispatcher.h"

namespace P25 {

// Records described by other parts of the library, named here for the
// receive hooks.  Each begins with its Source_info.
struct Trunking_data;
struct p25_LCO;

// The host's dispatcher, created when the library is loaded.
extern Dispatcher* dispatcher;

// ---- Log entry points -----------------------------------------------------------

// "Status_bits" of the header, on its channel, class Log_protocol_raw.  Every
// FDMA data-unit entry point calls it first.
void Log_Status_syms(const DUID_Header& header);
// "DateTime", without a channel, class Log_Environment.
void Log_time(const Time_log& record);
// Network identifiers are not logged on their own: does nothing.
void Log_NID(const Log_Dispatch_payload& payload);

// Raw trunking data units (one TSBK, a whole PDU, a PDU block by block).
void Log_TSBK(const Log_Dispatch_payload& payload);
void Log_PDU(const Log_Dispatch_payload& payload);
void Log_PDU_header(const Log_Dispatch_payload& payload);
void Log_PDU_cont(const Log_Dispatch_payload& payload);

// Voice data units, FDMA and two-slot TDMA.
void Log_Voice_header(const Log_Dispatch_payload& payload);
void Log_voice_term(const Log_Dispatch_payload& payload);
void Log_voice_term_LC(const Log_Dispatch_payload& payload);
void Log_voice_LDU1(const Log_Dispatch_payload& payload);
void Log_voice_LDU2(const Log_Dispatch_payload& payload);
void Log_F2_voice_sf(const Log_Dispatch_payload& payload);
void Log_F2_burst(const Log_Dispatch_payload& payload);
void Log_F2_enc_hdr(const Log_Dispatch_payload& payload);
void Log_F2_lc_hdr(const Log_Dispatch_payload& payload);

// An overhead slot of a simulated control channel, as "P25_Overhead" on its
// channel, class Log_protocol_cooked.
void Log_Overhead(const Trunking_Overhead& record);

// Channel settings, class Log_Environment, on the record's channel.
void Log_chan_enable(const Chan_set_enable& record);
void Log_chan_primary(const Chan_operation& record);
void Log_chan_rx(const Chan_freq& record);
void Log_chan_tx(const Chan_freq& record);
// Simulator states, class Log_Environment, without a channel.
void Log_mobile_state(const Mobile_sim_state& record);
void Log_control_state(const Control_sim_state& record);
void Log_traffic_state(const Traffic_sim_state& record);

// ---- Receive hooks: records read from input documents, on their way to the host -----

void Receive_Trunk_from_XML(const Trunking_data& record);
void Receive_LCO_from_XML(const p25_LCO& record);
void Receive_TSBK_from_XML(const TSBK_PDU_data& record);
void Receive_PDU_from_XML(const TSBK_PDU_data& record);
void Receive_PDU_header_from_XML(const TSBK_PDU_data& record);
void Receive_PDU_cont_from_XML(const TSBK_PDU_data& record);
void Receive_Overhead_from_XML(const Trunking_Overhead& record);

}  // namespace P25

#endif
