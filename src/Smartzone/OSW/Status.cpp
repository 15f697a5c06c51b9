// System status words (SYSTEM_STATUS_AMSS, SYSTEM_STATUS_STANDALONE): the
// status opcode in address bits 15-13 selects what the other bits say about
// the site: its timers (1), its abilities and band plan (2), its flags (3).
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

// Timers count 30, the echo delay 46; a value read from a document is
// rounded to the nearest count.
namespace {
using Dispatch_timeout = Access::Bit_field<Status1, unsigned, 0, 9, 3, 2>;  // address bits 11-9
using Timeout = Access::Bit_field<Status1, unsigned, 1, 7, 6, 2>;           // address bits 4-0, then the flag
using Echo_delay = Access::Bit_field<Status2, unsigned, 1, 0, 5>;           // address bits 4-0
constexpr unsigned timer_step = 30;
constexpr unsigned echo_step = 46;
}  // namespace

unsigned Status1::Get_dispatch_timeout() const { return Dispatch_timeout().Get(*this) * timer_step; }
void Status1::Set_dispatch_timeout(unsigned v) { Dispatch_timeout().Set((v + timer_step / 2) / timer_step, *this); }
unsigned Status1::Get_timeout() const { return Timeout().Get(*this) * timer_step; }
void Status1::Set_timeout(unsigned v) { Timeout().Set((v + timer_step / 2) / timer_step, *this); }
unsigned Status2::Get_echo_delay() const { return Echo_delay().Get(*this) * echo_step; }
void Status2::Set_echo_delay(unsigned v) { Echo_delay().Set((v + echo_step / 2) / echo_step, *this); }

const Value_hash<BANDPLAN> bandplan_map(bandplan_names);

namespace {

// Each status element shows the word's command by its name
// (SYSTEM_STATUS_AMSS or SYSTEM_STATUS_STANDALONE): the status opcode is the
// element itself, or, for an opcode without a definition, part of the
// payload.
using Word_fields::Command;

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<Status_word> status_generic_fields[] = {
    Command(&Status_word::w0),
    Subelement(&OSW_generic::payload, "Payload", "%02X ").Of(&Status_word::w0),
};

Subelement_table<Status1> status1_fields[] = {
    Command(&Status_word::w0),
    Subelement(GetSet_bf_affiliate<Status1, bool>(), "affiliate"),
    Subelement(&Status1::Get_dispatch_timeout, &Status1::Set_dispatch_timeout, "dispatch_timeout", "%d"),
    Subelement(GetSet_bf_connect_tone<Status1, unsigned>(), "connect_tone", "%d"),
    Subelement(&Status1::Get_timeout, &Status1::Set_timeout, "timeout", "%d"),
};

Subelement_table<Status2> status2_fields[] = {
    Command(&Status_word::w0),
    Subelement(GetSet_bf_all_secure_down<Status2, bool>(), "All_secure_down"),
    Subelement(GetSet_bf_upgrade_allowed<Status2, bool>(), "Upgrade_allowed"),
    Subelement(GetSet_bf_data_operational<Status2, bool>(), "Data_fully_operational"),
    Subelement(GetSet_bf_band<Status2, BANDPLAN>(), "Band", bandplan_map),
    Subelement(GetSet_bf_smart_amss<Status2, bool>(), "Smart_AMSS"),
    Subelement(&Status2::Get_echo_delay, &Status2::Set_echo_delay, "echo_delay", "%d"),
};

// Address bit 4 is not decoded.
Subelement_table<Status3> status3_fields[] = {
    Command(&Status_word::w0),
    Subelement(GetSet_bf_status_reserved<Status3, unsigned>(), "Reserved", "%01X"),
    Subelement(GetSet_bf_trespass<Status3, bool>(), "Trespass_protection"),
    Subelement(GetSet_bf_voc_capable<Status3, bool>(), "VOC_capable"),
    Subelement(GetSet_bf_backup_cc<Status3, unsigned>(), "Backup_CC", "%d"),
    Subelement(GetSet_bf_secure_signaling<Status3, bool>(), "Secure_signaling"),
    Subelement(GetSet_bf_wide_pulse<Status3, bool>(), "Wide_pulse"),
    Subelement(GetSet_bf_site_trunking<Status3, bool>(), "Site_trunking"),
    Subelement(GetSet_bf_master_toggle<Status3, bool>(), "Master_toggle"),
    Subelement(GetSet_bf_wide_area<Status3, bool>(), "Wide_area"),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_status_basic status_generic("Status_generic", status_generic_fields,
                                            {{SYSTEM_STATUS_AMSS, SYSTEM_STATUS_STANDALONE}});
const Smartzone_status<Status1> status1("Status1", status1_fields, 1);
const Smartzone_status<Status2> status2("Status2", status2_fields, 2);
const Smartzone_status<Status3> status3("Status3", status3_fields, 3);

}  // namespace

}  // namespace Smartzone
