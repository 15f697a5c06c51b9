// Multi-block assembly: per-channel collection of PDUs fed block by block,
// and the emission of TSBK runs and whole PDUs as "Trunking_message"
// elements after their CRC checks.
#include <cstdio>
#include <cstring>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"

using namespace XML_routines;

namespace P25 {

namespace {
void Block_count_line(const char* operation, unsigned count) {
    std::fprintf(stderr, "%s %s block_count=%u\n", "System_interface", operation, count);
}
}  // namespace

// ---- assembler ---------------------------------------------------------------------

void TDMA_PDU_assembler::Store(const P25_TSBK_DATA& block) {
    log_.tsbk[log_.block_count] = block;
    ++log_.block_count;
}

void TDMA_PDU_assembler::Parse_Multiblock_Header(const P25_TSBK_DATA& block, const Source_info& source) {
    Flush();
    log_.metadata = source;
    Store(block);
    needed_ = block.data[6] & 0x7F;
}

void TDMA_PDU_assembler::Parse_Multiblock_Continuation(const P25_TSBK_DATA& block) {
    Store(block);
    if (log_.block_count > 127) Flush();
    if (--needed_ == 0) Flush();
}

// An idle assembler (every header flushes first) has nothing to emit, and
// nothing is wrong: only what was collected goes to Log_PDUs, whose
// block-count line then reports a packet of one block or of 128.
void TDMA_PDU_assembler::Flush() {
    if (log_.block_count > 0) Log_PDUs(log_.metadata, log_.tsbk, log_.block_count);
    log_.block_count = 0;
    needed_ = 1;
}

// Built in this order at load: xml banks, then rf banks, channels 0 to 3.
TDMA_PDU_assembler xml_rx_parsers[4];
TDMA_PDU_assembler xml_tx_parsers[4];
TDMA_PDU_assembler rf_rx_parsers[4];
TDMA_PDU_assembler rf_tx_parsers[4];

TDMA_PDU_assembler* Select(TDMA_PDU_assembler (&rx)[4], TDMA_PDU_assembler (&tx)[4], const Source_info& source) {
    if (source.phys_channel >= 4) return nullptr;
    return source.dir_tx == 1 ? &tx[source.phys_channel] : &rx[source.phys_channel];
}

void Parse_Multiblock_Header(const P25_TSBK_DATA& block, const Source_info& source) {
    if (TDMA_PDU_assembler* a = Select(xml_rx_parsers, xml_tx_parsers, source)) a->Parse_Multiblock_Header(block, source);
}

void Parse_Multiblock_Continuation(const P25_TSBK_DATA& block, const Source_info& source) {
    if (TDMA_PDU_assembler* a = Select(xml_rx_parsers, xml_tx_parsers, source)) a->Parse_Multiblock_Continuation(block);
}

void Flush(const Source_info& source) {
    if (TDMA_PDU_assembler* a = Select(xml_rx_parsers, xml_tx_parsers, source)) a->Flush();
}

// ---- emission ----------------------------------------------------------------------

void Log_PDUs(Source_info source, const P25_TSBK_DATA blocks[128], unsigned count) {
    if (count < 2 || count > 127) {
        Block_count_line("Log_PDUs", count);
        return;
    }
    // A bad packet CRC is still logged (the element shows it); a bad
    // header CRC drops the packet.
    if (!Check_CRC(blocks, count) && !Check_CRC(blocks[0])) return;
    Trunking_data message;
    message.metadata = source;
    std::memcpy(message.tsbk, blocks, sizeof message.tsbk);
    message.block_count = count;
    message.duid = PDU;
    XML_Log(Trunking_info, message, source.phys_channel, Log_protocol_cooked);
}

void Log_TSBKs(Source_info source, const P25_TSBK_DATA blocks[128], unsigned count) {
    Trunking_data message;
    message.metadata = source;
    message.duid = TSDU;
    message.block_count = 1;
    for (unsigned i = 0; i < count && i < 128; ++i) {
        if (Check_CRC(blocks[i])) {
            message.tsbk[0] = blocks[i];
            XML_Log(Trunking_info, message, source.phys_channel, Log_protocol_cooked);
        }
        if (blocks[i].data[0] & 0x80) break;  // last block
    }
}

}  // namespace P25
