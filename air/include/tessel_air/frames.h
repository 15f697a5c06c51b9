// The frame layer of the P25 Phase 1 (FDMA) air interface: between a stream
// of C4FM symbols and the packed records the library's entry points take.
//
// Receive: Frame_decoder takes soft symbols (float, nominal +3 +1 -1 -3 for
// dibits 01 00 10 11) in chunks of any size, finds frame sync in either
// polarity, corrects the NID, strips the status symbols and decodes the data
// unit by its DUID; each frame goes to the sink as one Frame.
//
// Transmit: Frame_encoder turns the same records back into dibits (0-3), one
// whole frame at a time with sync, NID and status symbols in their places.
#ifndef TESSEL_AIR_FRAMES_H
#define TESSEL_AIR_FRAMES_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "shared/P25/P25_records.h"
#include "tessel_air/codes.h"
#include "tessel_air/symbols.h"

namespace tessel_air {

// Data unit IDs of the NID: the library's enumeration (Duid::HDU ...).
using Duid = P25::DUID;

// "HDU", "LDU1", ...; "reserved" for a value outside the enumeration.
const char* Duid_name(Duid duid);

// One IMBE voice codeword as carried on the air: the eight channel vectors
// c0..c7 (23, 23, 23, 23, 15, 15, 15 and 7 bits, MSB first), c1..c6 still
// scrambled.  The frame layer places and checks them; it never decodes voice.
struct Imbe_codeword {
    std::array<std::uint32_t, 8> c{};
    bool operator==(const Imbe_codeword& o) const { return c == o.c; }
    bool operator!=(const Imbe_codeword& o) const { return c != o.c; }
};

// The codeword of the eight voice parameter vectors u0..u7 (12, 12, 12, 12,
// 11, 11, 11 and 7 bits): Golay and Hamming protected, then scrambled.
Imbe_codeword Imbe_encode(const std::array<std::uint32_t, 8>& u);
// The codeword of all-zero parameters, sent when a caller gives no voice.
const Imbe_codeword& Imbe_silence();

// The voice and low-speed data of one LDU.
struct Ldu_voice {
    std::array<Imbe_codeword, 9> vc;  // VC1..VC9
    std::array<std::uint8_t, 2> lsd{};
    Ldu_voice();
};

// One data block of a packet data unit, as decoded.
struct Pdu_block {
    std::array<std::uint8_t, 18> octets{};  // 12 used (1/2 rate) or 18 (3/4 rate: DBSN, CRC-9, 16 data octets)
    std::uint8_t size = 12;
    bool crc_ok = true;  // CRC-9 of a confirmed block; always true for 12-octet blocks
};

// Packet data formats of a PDU header (octet 0, bits 4-0).
enum class Pdu_format : std::uint8_t { response = 0x03, unconfirmed = 0x15, confirmed = 0x16, alternate_mbt = 0x17 };

// One decoded frame.
struct Frame {
    Duid duid = Duid::TDU;
    std::uint16_t nac = 0;
    std::uint64_t symbol_index = 0;  // stream index of the first sync symbol
    double position = 0;             // where the first sync symbol's centre lies in the input (Push's positions)
    bool inverted = false;           // the frame was heard in inverted polarity
    bool complete = true;            // false when the stream ended inside the frame (Flush)
    int nid_errors = 0;              // NID bits corrected
    int fec_corrected = 0;           // channel bits corrected in the frame's codewords
    int fec_failed = 0;              // codewords beyond correction, trellis blocks failing their CRC
                                     // (the record is still formed)
    // False when a word the record is made of failed its code: the voice
    // header (HDU), the link control (LDU1, TDULC) or the encryption sync
    // (LDU2).  Such a record holds guesses and must not be logged as heard.
    // TSBKs and packets carry CRCs of their own, which the log checks.
    bool record_valid = true;
    std::vector<std::uint8_t> status;  // every status symbol of the frame, in order (dibit values)

    // The record for the entry points; its DUID_Header carries NAC, DUID and
    // up to 24 status symbols.  Source_info (time, channel, direction) is the
    // host's to fill.  Which member is meaningful follows the DUID:
    //   HDU voice_header, LDU1 ldu1, LDU2 ldu2, TDU term, TDULC termlc,
    //   TSDU tsbk (1-3 blocks, CRCs as heard), PDU tsbk (the header block,
    //   then the data blocks of 1/2-rate formats; confirmed data blocks are in
    //   pdu_blocks only).
    P25::Log_Dispatch_payload record;

    // TSDU / PDU: checks that failed: TSBK CRC-16s; PDU header CRC-16, block CRC-9s and packet CRC-32.
    int crc_failed = 0;
    // PDU: every data block as decoded (the header block is record.tsbk.tsbk[0]).
    std::vector<Pdu_block> pdu_blocks;
    bool pdu_packet_crc_ok = true;  // CRC-32 over the packet's user data and pad

    // LDU1 / LDU2: the nine voice codewords, the low-speed data and how their
    // own protection fared (bits corrected, vectors failed).
    Ldu_voice voice;
    int voice_corrected = 0;
    int voice_failed = 0;

    Frame();
};

// The on-air symbols of a decoded frame: a status symbol closes every 36.
inline std::size_t On_air_symbols(const Frame& frame) { return frame.status.size() * 36; }

// Whether a frame came from a base station or repeater: only they send the
// status values 01 (inbound busy) and 11 (inbound idle).  Errors turn a
// subscriber's 10 into 11 now and then, so a frame needs one such symbol in
// twelve (a control channel marks every sixth).
bool Sent_by_base_station(const Frame& frame);

// Tells the direction of each frame heard on a channel, in order, for
// Source_info::is_osp.  A base station's status symbols make a frame outbound;
// a subscriber's 00 (talk-around) makes it inbound; 10 alone, which both send,
// keeps the direction of a frame it directly follows (a control channel marks
// its inbound slots only every sixth status symbol, so a short TSDU between two
// marks holds 10 alone) and is otherwise inbound.
class Direction_finder {
public:
    bool Outbound(const Frame& frame);

private:
    bool last_outbound_ = false;
    std::uint64_t last_end_ = 0;  // symbol index just past the last frame heard
};

class Frame_decoder {
public:
    using Sink = std::function<void(const Frame&)>;

    explicit Frame_decoder(Sink sink);
    ~Frame_decoder();
    Frame_decoder(const Frame_decoder&) = delete;
    Frame_decoder& operator=(const Frame_decoder&) = delete;

    // Takes the next symbols of the stream, and for each where its centre lies
    // in the input (samples; null: the symbol's index) and, when the receiver
    // gives them, its dibits' costs (the trellis blocks are decoded from
    // those; null: from the soft symbols).
    void Push(const float* symbols, const double* positions, std::size_t count,
              const Symbol_costs* costs = nullptr);
    void Push(const float* symbols, std::size_t count) { Push(symbols, nullptr, count); }
    // Ends the stream: a frame still being collected is decoded with its
    // missing symbols as erasures and emitted with complete = false.
    void Flush();

    struct Stats {
        std::uint64_t symbols = 0;
        std::uint64_t frames = 0;
        std::array<std::uint64_t, 16> frames_by_duid{};  // indexed by DUID value
        std::uint64_t inverted_frames = 0;
        std::uint64_t nid_corrected = 0;       // NIDs needing at least one correction
        std::uint64_t nid_bits_corrected = 0;
        // FEC codewords decoded (RS, Golay, Hamming, trellis blocks), each
        // counted once: clean, corrected, or failed (beyond correction, or a
        // trellis block whose CRC fails).
        std::uint64_t codewords = 0;
        std::uint64_t codewords_corrected = 0;
        std::uint64_t codewords_failed = 0;
        std::uint64_t records_invalid = 0;     // frames with record_valid false
        std::uint64_t tsbk_crc_failed = 0;
        std::uint64_t pdu_crc_failed = 0;      // header CRC-16, block CRC-9 or packet CRC-32
        std::uint64_t voice_bits_corrected = 0;  // in the Golay/Hamming vectors of voice codewords
        std::uint64_t voice_vectors_failed = 0;
        std::uint64_t channel_bits = 0;        // coded bits received in decoded frames (NID, FEC words, voice vectors)
        std::uint64_t channel_bits_corrected = 0;
        // Symbol-error estimate: channel bits corrected per channel bit received.
        double Bit_error_rate() const {
            return channel_bits ? static_cast<double>(channel_bits_corrected) / static_cast<double>(channel_bits) : 0.0;
        }
    };
    const Stats& Statistics() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// What the encoder puts in the status symbols that a record leaves open: a
// record's own symbols (its DUID_Header's, in order) always come first.
enum class Status_plan : std::uint8_t {
    talkaround,       // 00 everywhere (direct mode, subscriber)
    repeater,         // 10 everywhere (subscriber to a repeater)
    busy,             // 01 everywhere (a repeater repeating a call: its inbound is busy)
    control_channel,  // outbound control channel: 11 (idle) at every 6th status symbol, 10 elsewhere,
                      // the grid running on across frames
    from_record,      // the record's status symbols (a Frame's own for Encode(Frame)), then 00
};

// How many TSBKs of a run, from block `first`, one TSDU carries: up to and
// including the first whose last-block flag is set, at most three.
std::size_t Tsdu_blocks(const P25::TSBK_PDU_data& run, std::size_t first);

class Frame_encoder {
public:
    explicit Frame_encoder(Status_plan plan = Status_plan::talkaround);
    // The plan of the frames that follow.
    void Plan(Status_plan plan) { plan_ = plan; }

    // Each returns one whole frame of dibits (0-3), NAC from the record.
    std::vector<std::uint8_t> Hdu(const P25::p25_Voice_Hdr& record);
    std::vector<std::uint8_t> Ldu1(const P25::p25_Ldu1& record, const Ldu_voice& voice = Ldu_voice());
    std::vector<std::uint8_t> Ldu2(const P25::p25_Ldu2& record, const Ldu_voice& voice = Ldu_voice());
    std::vector<std::uint8_t> Tdu(const P25::p25_Term& record);
    std::vector<std::uint8_t> Tdulc(const P25::p25_TermLC& record);
    // The TSBKs as given, flags and CRCs included, in consecutive TSDUs of
    // Tsdu_blocks each; the record's status symbols run on across them.
    std::vector<std::uint8_t> Tsdu(const P25::TSBK_PDU_data& record);
    // A packet: the 12-octet header block, then its data blocks (12 octets
    // each, or 18 for a confirmed packet), sent as given.  The status symbols
    // are given apart, as a packet has no record of its own.
    std::vector<std::uint8_t> Pdu(const std::array<std::uint8_t, 12>& header, const std::vector<Pdu_block>& blocks,
                                  std::uint16_t nac, const P25::Status_symbols* statuses = nullptr);
    // The frame a decoder produced, back to its dibits.
    std::vector<std::uint8_t> Encode(const Frame& frame);

    // Status symbols sent so far (the control-channel grid's position).
    std::uint64_t Status_count() const { return status_count_; }
    // The control-channel grid starts again: the next status symbol is an
    // inbound-idle mark (11), as where a control channel's carrier comes up.
    void Start_grid() { status_count_ = 0; }

private:
    Status_plan plan_;
    std::uint64_t status_count_ = 0;
    const P25::Status_symbols* record_status_ = nullptr;
    const std::vector<std::uint8_t>* frame_status_ = nullptr;
    std::size_t status_offset_ = 0;  // symbols of the record already sent in earlier TSDUs of its run

    std::vector<std::uint8_t> Assemble(std::uint16_t nac, Duid duid, const std::vector<std::uint8_t>& payload,
                                       std::size_t data_dibits);
    std::uint8_t Next_status(std::size_t index);
};

}  // namespace tessel_air

#endif
