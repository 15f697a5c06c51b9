// Dialled digits: two to an octet, written as digit names.  Code 15 of the
// normal table is an escape: the digit after it is named from the escape
// table, and the one after that from the normal table again.
#include "shared/P25/P25_message_parts.h"

using namespace XML_routines;

namespace P25 {

// ---- reading -------------------------------------------------------------------------------

DTMF_Read_state::DTMF_Read_state(unsigned capacity_octets, const Value_hash<unsigned>& normal,
                                 const Value_hash<unsigned>& escape)
    : normal_(normal), escape_table_(escape), octets_(capacity_octets, 0xFF) {}

DTMF_Read_state::~DTMF_Read_state() = default;

bool DTMF_Read_state::Lookup(const unsigned char* token) {
    const char* name = From_xml(token);
    const Value_hash<unsigned>& first = escaped_ ? escape_table_ : normal_;
    const Value_hash<unsigned>& second = escaped_ ? normal_ : escape_table_;
    if (first.Lookup(name, value_)) {
        from_escape_table_ = escaped_;
        return true;
    }
    if (second.Lookup(name, value_)) {
        from_escape_table_ = !escaped_;
        return true;
    }
    return false;
}

// A name from the other table than the one the position calls for needs an
// escape first: before an escape-table name, the escape itself; after an
// escape, before a normal name, the escaped "null" that ends it.  A second
// "escape" right after an escape is that null already.
bool DTMF_Read_state::Read(const unsigned char* token) {
    if (!Lookup(token)) return false;
    if (from_escape_table_ != escaped_ && !(escaped_ && value_ == escape_digit) && !Store(escape_digit)) return false;
    return Store(value_);
}

bool DTMF_Read_state::Store(unsigned digit) {
    if (octet_ >= octets_.size()) return false;
    std::uint8_t& octet = octets_[octet_];
    if (phase_ == 0) {
        octet = static_cast<std::uint8_t>((octet & 0x0Fu) | (digit & 0xFu) << 4);
        phase_ = 1;
    } else {
        octet = static_cast<std::uint8_t>((octet & 0xF0u) | (digit & 0xFu));
        phase_ = 0;
        ++octet_;
    }
    escaped_ = !escaped_ && digit == escape_digit;
    return true;
}

// ---- writing -------------------------------------------------------------------------------

DTMF_Write_state::DTMF_Write_state(const Value_hash<unsigned>& normal, const Value_hash<unsigned>& escape)
    : normal_(normal), escape_table_(escape) {}

void DTMF_Write_state::Write(Format::Printer& p, const DTMF_byte* digits) {
    const unsigned octet = digits[octet_].digits;
    unsigned digit;
    if (phase_ == 0) {
        digit = octet >> 4;
        phase_ = 1;
    } else {
        digit = octet & 0xFu;
        phase_ = 0;
        ++octet_;
    }
    if (const char* name = (escaped_ ? escape_table_ : normal_).Lookup(digit))
        p.Print(name);
    else
        p.Invalid(digit);
    p.Print(" ");
    escaped_ = !escaped_ && digit == DTMF_Read_state::escape_digit;
}

// ---- value tables ----------------------------------------------------------------------------

const Value_entry<unsigned> dtmf_table[16] = {
    {"0", 0},
    {"1", 1},
    {"2", 2},
    {"3", 3},
    {"4", 4},
    {"5", 5},
    {"6", 6},
    {"7", 7},
    {"8", 8},
    {"9", 9},
    {"*", 10},
    {"#", 11},
    {"res_C", 12},
    {"flash", 13},
    {"pause", 14},
    {"escape", 15},
};

const Value_entry<unsigned> dtmf_esc_table[16] = {
    {"A", 0},
    {"B", 1},
    {"C", 2},
    {"D", 3},
    {"res_4", 4},
    {"res_5", 5},
    {"res_6", 6},
    {"res_7", 7},
    {"res_8", 8},
    {"res_9", 9},
    {"res_A", 10},
    {"res_B", 11},
    {"res_C", 12},
    {"res_D", 13},
    {"res_E", 14},
    {"null", 15},
};

const Value_hash<unsigned> dtmf_map(dtmf_table);
const Value_hash<unsigned> dtmf_esc_map(dtmf_esc_table);

}  // namespace P25
