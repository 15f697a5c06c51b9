// Where things sit in a frame, and the coding of each frame's parts, shared by
// the encoder and the decoder so that one description serves both directions.
// Positions are data indices: dibits counted from the first sync dibit with
// the status symbols left out.
#ifndef TESSEL_AIR_LAYOUT_H
#define TESSEL_AIR_LAYOUT_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "tessel_air/codes.h"
#include "tessel_air/frames.h"

namespace tessel_air {
namespace layout {

constexpr std::size_t sync_dibits = 24;
constexpr std::size_t nid_dibits = 32;
constexpr std::size_t header_dibits = sync_dibits + nid_dibits;  // sync + NID: the payload starts here
constexpr std::size_t status_period = 36;                        // a status symbol closes every 36 on-air dibits
constexpr std::size_t data_per_status = status_period - 1;

// Frame sync, 0x5575F5FF77FF.
constexpr std::uint64_t sync_word = 0x5575F5FF77FFull;

constexpr std::size_t On_air_length(std::size_t data_dibits) {
    return status_period * ((data_dibits + data_per_status - 1) / data_per_status);
}
constexpr bool Is_status(std::size_t on_air) { return (on_air + 1) % status_period == 0; }
constexpr std::size_t On_air_index(std::size_t data) { return data + data / data_per_status; }

// Data dibits (sync and NID included, nulls to the grid excluded) of the fixed-length frames.
constexpr std::size_t hdu_data = header_dibits + 324 + 5;
constexpr std::size_t ldu_data = header_dibits + 784;
constexpr std::size_t tdu_data = header_dibits + 14;
constexpr std::size_t tdulc_data = header_dibits + 144 + 10;
static_assert(On_air_length(hdu_data) == 396 && On_air_length(ldu_data) == 864 && On_air_length(tdu_data) == 72 &&
                  On_air_length(tdulc_data) == 216,
              "frame lengths");
static_assert(On_air_length(header_dibits + 3 * block_dibits) == 360 &&
                  On_air_length(header_dibits + 2 * block_dibits) == 288 &&
                  On_air_length(header_dibits + block_dibits) == 180,
              "TSDU lengths");

constexpr std::size_t max_tsbks = 3;
constexpr std::size_t max_pdu_blocks = 128;  // header and up to 127 to follow
constexpr std::size_t max_frame_data = header_dibits + max_pdu_blocks * block_dibits;
constexpr std::size_t max_frame_on_air = On_air_length(max_frame_data);

// The parts of an LDU, in wire order.
enum class Ldu_part : std::uint8_t { voice, piece, lsd };
struct Ldu_slot {
    Ldu_part part;
    std::uint16_t start;  // data index
    std::uint8_t number;  // voice codeword 0-8, or link-control/encryption-sync piece 0-5
};
constexpr Ldu_slot ldu_slots[] = {
    {Ldu_part::voice, 56, 0},  {Ldu_part::voice, 128, 1}, {Ldu_part::piece, 200, 0}, {Ldu_part::voice, 220, 2},
    {Ldu_part::piece, 292, 1}, {Ldu_part::voice, 312, 3}, {Ldu_part::piece, 384, 2}, {Ldu_part::voice, 404, 4},
    {Ldu_part::piece, 476, 3}, {Ldu_part::voice, 496, 5}, {Ldu_part::piece, 568, 4}, {Ldu_part::voice, 588, 6},
    {Ldu_part::piece, 660, 5}, {Ldu_part::voice, 680, 7}, {Ldu_part::lsd, 752, 0},   {Ldu_part::voice, 768, 8},
};
constexpr std::size_t piece_dibits = 20;
constexpr std::size_t lsd_dibits = 16;

constexpr std::size_t Part_dibits(Ldu_part part) {
    return part == Ldu_part::voice ? voice_dibits : part == Ldu_part::piece ? piece_dibits : lsd_dibits;
}
constexpr bool Ldu_slots_tile() {
    std::size_t at = header_dibits;
    for (const Ldu_slot& slot : ldu_slots) {
        if (slot.start != at) return false;
        at += Part_dibits(slot.part);
    }
    return at == ldu_data;
}
static_assert(Ldu_slots_tile(), "the LDU parts must follow each other to the end of the frame");

// ---- bits -------------------------------------------------------------------

// Appends `width` bits of value, MSB first, to a dibit array.
class Dibit_writer {
public:
    explicit Dibit_writer(std::uint8_t* out) : out_(out) {}
    void Put(std::uint64_t value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            pending_ = (pending_ << 1) | ((value >> i) & 1u);
            if (++bits_ == 2) {
                *out_++ = static_cast<std::uint8_t>(pending_);
                pending_ = 0;
                bits_ = 0;
            }
        }
    }

private:
    std::uint8_t* out_;
    unsigned pending_ = 0;
    int bits_ = 0;
};

// Reads bits, MSB first, from a dibit array.
class Dibit_reader {
public:
    explicit Dibit_reader(const std::uint8_t* in) : in_(in) {}
    std::uint64_t Get(int width) {
        std::uint64_t v = 0;
        for (int i = 0; i < width; ++i) {
            v = (v << 1) | ((in_[bit_ / 2] >> (bit_ % 2 ? 0 : 1)) & 1u);
            ++bit_;
        }
        return v;
    }

private:
    const std::uint8_t* in_;
    std::size_t bit_ = 0;
};

// Octets <-> hexbits, MSB first (a whole number of both).
void Octets_to_hexbits(const std::uint8_t* octets, std::size_t octet_count, std::uint8_t* hexbits);
void Hexbits_to_octets(const std::uint8_t* hexbits, std::size_t octet_count, std::uint8_t* octets);

// ---- the coded parts -----------------------------------------------------------

// What a decoder met in one part.
struct Fec_tally {
    int codewords = 0;
    int corrected_words = 0;
    int failed = 0;
    int bits_corrected = 0;
    int channel_bits = 0;
    void Add(const Fec_tally& o) {
        codewords += o.codewords;
        corrected_words += o.corrected_words;
        failed += o.failed;
        bits_corrected += o.bits_corrected;
        channel_bits += o.channel_bits;
    }
};

// Voice header word (15 octets: MI, MFID, ALGID, KID, TGID) <-> 324 dibits.
void Hdu_encode(const std::uint8_t* word15, std::uint8_t* dibits);
void Hdu_decode(const std::uint8_t* dibits, std::uint8_t* word15, Fec_tally& tally);

// Link-control word (9 octets) <-> the six 20-dibit pieces of an LDU1 (240 dibits laid end to end).
void Lc_pieces_encode(const std::uint8_t* lc9, std::uint8_t* dibits120);
void Lc_pieces_decode(const std::uint8_t* dibits120, std::uint8_t* lc9, Fec_tally& tally);
// Encryption sync (12 octets: MI, ALGID, KID) <-> the six pieces of an LDU2.
void Es_pieces_encode(const std::uint8_t* es12, std::uint8_t* dibits120);
void Es_pieces_decode(const std::uint8_t* dibits120, std::uint8_t* es12, Fec_tally& tally);
// Link-control word <-> the 144 dibits of a TDULC.
void Tdulc_encode(const std::uint8_t* lc9, std::uint8_t* dibits144);
void Tdulc_decode(const std::uint8_t* dibits144, std::uint8_t* lc9, Fec_tally& tally);
// Low-speed data (2 octets) <-> 16 dibits.
void Lsd_encode(const std::uint8_t* lsd2, std::uint8_t* dibits16);
void Lsd_decode(const std::uint8_t* dibits16, std::uint8_t* lsd2, Fec_tally& tally);

}  // namespace layout
}  // namespace tessel_air

#endif
