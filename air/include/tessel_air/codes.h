// The error-control codes of the P25 Phase 1 air interface.  Binary words
// are integers whose MSB is the first transmitted bit; every code is
// systematic, data first.  Each decoder returns whether the word was
// correctable and reports the channel bits it corrected.
#ifndef TESSEL_AIR_CODES_H
#define TESSEL_AIR_CODES_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shared/P25/P25_crc.h"

namespace tessel_air {

// ---- small binary block codes (bch.cpp, golay.cpp, hamming.cpp) -------------

// A systematic binary (n, k) code given by its generator rows (row r = the
// codeword of data bit r alone, r = 0 the first data bit), corrected by a
// syndrome table up to t errors.  One description serves both directions.
class Block_code {
public:
    Block_code(int n, int k, int t, const std::uint32_t* rows);
    int N() const { return n_; }
    int K() const { return k_; }
    std::uint32_t Encode(std::uint32_t data) const;
    // The data of the nearest codeword within t errors; corrected = the bits
    // flipped.  False (data as received, corrected = 0) beyond that.
    bool Decode(std::uint32_t word, std::uint32_t& data, int& corrected) const;

private:
    int n_, k_, t_;
    std::vector<std::uint32_t> rows_;
    std::vector<std::uint32_t> syndrome_errors_;  // error pattern by syndrome; ~0u: uncorrectable
    std::uint32_t Parity(std::uint32_t data) const;
};

const Block_code& Golay_23_12();
const Block_code& Golay_24_12();
const Block_code& Golay_18_6();
const Block_code& Hamming_15_11();
const Block_code& Hamming_10_6();
const Block_code& Cyclic_16_8();  // low-speed data

// The 64-bit NID of a NAC and DUID: BCH(63,16,23) and the DUID parity bit.
std::uint64_t Nid_encode(std::uint16_t nac, std::uint8_t duid);
// The nearest NID among the defined DUIDs within 11 bit errors (the last NAC
// heard is tried first).  False when none is that close.
bool Nid_decode(std::uint64_t word, std::uint16_t& nac, std::uint8_t& duid, int& errors,
                std::uint16_t likely_nac = 0);

// ---- Reed-Solomon over GF(2^6) (reed_solomon.cpp) ---------------------------

// A Reed-Solomon code shortened from length 63, generator roots alpha^1 ..
// alpha^(n-k); symbols (hexbits) in transmit order, data first.
class Reed_solomon {
public:
    Reed_solomon(int n, int k);
    int N() const { return n_; }
    int K() const { return k_; }
    // Fills word[k..n-1] with the parity of word[0..k-1].
    void Encode(std::uint8_t* word) const;
    // Corrects word in place up to (n-k)/2 symbol errors; corrected = the
    // hexbits changed.  False (word untouched) beyond that.
    bool Decode(std::uint8_t* word, int& corrected) const;
    // The generator polynomial, x^(n-k) coefficient first.
    const std::vector<std::uint8_t>& Generator() const { return generator_; }

private:
    int n_, k_;
    std::vector<std::uint8_t> generator_;
};

const Reed_solomon& Rs_24_12();
const Reed_solomon& Rs_24_16();
const Reed_solomon& Rs_36_20();

// GF(2^6) with x^6 + x + 1.
std::uint8_t Gf64_exp(int power);
std::uint8_t Gf64_mul(std::uint8_t a, std::uint8_t b);

// ---- trellis codes and the block interleave (trellis.cpp) ----------------------

constexpr std::size_t block_dibits = 98;

// 12 octets -> 98 dibits: 1/2-rate trellis, then the interleave.
std::array<std::uint8_t, block_dibits> Trellis_half_encode(const std::uint8_t* octets12);
// 18 octets -> 98 dibits: 3/4-rate trellis, then the interleave.
std::array<std::uint8_t, block_dibits> Trellis_three_quarter_encode(const std::uint8_t* octets18);

struct Trellis_result {
    bool ok = false;          // a path ending in the zero state was found
    int bits_corrected = 0;   // channel bits where the re-encoded block differs from the hard decisions
};
// Viterbi over 98 received symbol values (nominal +-1, +-3), interleaved as
// on air, scored by a metric: the receiver's (soft values that are an FM
// carrier's phase steps: the errors of neighbouring symbols correlated, and
// clicks of a whole turn), squared Euclidean distance (independent Gaussian
// noise, as a matched filter's samples carry), or bit differences from hard
// decisions.  hard = true is the last, false the first.
enum class Trellis_metric { receiver, euclidean, hard };
Trellis_result Trellis_half_decode(const float* symbols98, std::uint8_t* octets12, Trellis_metric metric);
Trellis_result Trellis_three_quarter_decode(const float* symbols98, std::uint8_t* octets18, Trellis_metric metric);
Trellis_result Trellis_half_decode(const float* symbols98, std::uint8_t* octets12, bool hard = false);
Trellis_result Trellis_three_quarter_decode(const float* symbols98, std::uint8_t* octets18, bool hard = false);
// The same search over costs a symbol: for each of the 98 received symbols
// (interleaved as on air), the cost of each dibit (a negative
// log-likelihood, on any one scale), as a coherent receiver gives them.
using Symbol_costs = std::array<float, 4>;
Trellis_result Trellis_half_decode(const Symbol_costs* costs98, std::uint8_t* octets12);
Trellis_result Trellis_three_quarter_decode(const Symbol_costs* costs98, std::uint8_t* octets18);

// The interleave: on-air dibit j of a block carries coded dibit Block_interleave()[j].
const std::array<std::uint8_t, block_dibits>& Block_interleave();

// ---- CRCs, as sent (shared/P25/P25_crc.h, the library's too) ----------------------

// CRC-16 of TSBKs and PDU headers (0x1021, init 0, inverted).
using P25::Crc16;
// CRC-9 of a confirmed data block: DBSN (7 bits), then the 16 data octets.
using P25::Crc9;
// CRC-32 of a packet's user data and pad octets.
using P25::Crc32;

// ---- voice codewords (voice.cpp) -------------------------------------------------

constexpr std::size_t voice_dibits = 72;

// The scrambling masks of c1..c6 (index 1..6; 0 and 7 are 0) for vector u0.
std::array<std::uint32_t, 8> Imbe_pn_masks(std::uint32_t u0);
// Places the eight vectors on 72 dibits, and takes them back.
void Imbe_place(const std::uint32_t* c, std::uint8_t* dibits72);
void Imbe_gather(const std::uint8_t* dibits72, std::uint32_t* c);
// Checks a codeword's protection: bits the Golay and Hamming decoders would
// correct, and vectors beyond correction.
void Imbe_check(const std::uint32_t* c, int& corrected, int& failed);

}  // namespace tessel_air

#endif
