// Random valid records of every family, as record-script lines: every
// record-script kind from its own description (shared keys, own keys, air
// bytes), every trunking definition of the registry as a TSBK or PDU whole,
// block by block and in an overhead slot, every link-control definition
// alone and inside each data unit that carries a word, and every SmartZone
// outbound and inbound message as the words that make it, on a channel and
// in an overhead slot.
//
// Each line gets a timestamp of its own (whole 1/128 s, which the log
// prints exactly), so a record can be told by its time.  A definition whose
// element hides bits is generated with those bits settled where the table
// in generator.cpp can say how; otherwise its lines go to the `settled`
// corpus, which must read back unchanged from its first read-back on.
#ifndef TESSEL_TESTS_ROUNDTRIP_GENERATOR_H
#define TESSEL_TESTS_ROUNDTRIP_GENERATOR_H

#include <cstdint>
#include <string>
#include <vector>

namespace roundtrip {

// One generated record: its line and what it stands for ("tsbk
// GRP_V_CH_GRANT osp 1", "ldu1 LC_GRP_V_CH_USR", "sz_raw random"...).
struct Record {
    std::string line, label;
};

struct Corpus {
    std::vector<Record> exact;       // log -> encode -> log gives the same bytes
    std::vector<Record> settled;     // the same from the first read-back on
    std::vector<Record> all;         // every record, in the order of its timestamp
    std::vector<std::string> notes;  // what the generator could not cover
    // The record of a timestamp in 50 MHz ticks, or null.
    const Record* At(std::uint32_t ticks) const;
};

// Rounds of each family: how many random records a definition or kind gets.
Corpus Generate(std::uint32_t seed, unsigned rounds);

}  // namespace roundtrip

#endif
