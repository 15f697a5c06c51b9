// Sub-element builders for the fields of one word of a SmartZone message
// layout L, so that the catalogue's tables read like the word layouts: the
// address through one of its views, the flag, the command.
#ifndef TESSEL_SMARTZONE_WORD_FIELDS_H
#define TESSEL_SMARTZONE_WORD_FIELDS_H

#include "Smartzone_processing.h"

namespace Smartzone {
namespace Word_fields {

using XML_routines::Subelement;
using XML_routines::Subelement_base;

template <class W>
using I_bit_of = GetSet_bf_i_bit<W, bool>;

// "Unit_id": the address of word w.
template <class L>
Subelement_base<L>& Unit(OSW_generic L::*w) {
    return Subelement(&OSW_generic::unit).Of(w);
}
// "Talk_group", "Call_type": the talk-group view of the address.
template <class L>
Subelement_base<L>& Group(OSW_generic L::*w) {
    return Subelement(&OSW_generic::group).Of(w);
}
// "Talk_group", "Widepulse", "connect_tone": the affiliation form.
template <class L>
Subelement_base<L>& Affiliation(OSW_generic L::*w) {
    return Subelement(&OSW_generic::group, talk_group_affiliation).Of(w);
}
// "SysID": the address as a system.
template <class L>
Subelement_base<L>& System(OSW_generic L::*w) {
    return Subelement(&OSW_generic::system).Of(w);
}
// The address as a unit while the word's flag is 1, as a talk group while it
// is 0: two conditional entries on the same field.
template <class L>
Subelement_base<L>& Unit_if_individual(OSW_generic L::*w) {
    return Subelement(&OSW_generic::unit).If(I_bit_of<OSW_generic>(), true).Of(w);
}
template <class L>
Subelement_base<L>& Group_if_not_individual(OSW_generic L::*w) {
    return Subelement(&OSW_generic::group).If(I_bit_of<OSW_generic>(), false).Of(w);
}
// The flag of word w, named "i_bit", "i_bit2", "do_affiliate", ...
template <class L, class W>
Subelement_base<L>& Flag(W L::*w, const char* name) {
    return Subelement(I_bit_of<W>(), name).Of(w);
}
// The command of word w by its name.
template <class L, class W>
Subelement_base<L>& Command(W L::*w, const char* name = "Command") {
    return Subelement(GetSet_bf_command<W, OSW_IDS>(), name, osw_command_map).Of(w);
}
// The command of word w as a channel number.
template <class L>
Subelement_base<L>& Channel(OSW_generic L::*w, const char* name = "Channel_number") {
    return Subelement(GetSet_bf_command<OSW_generic, unsigned>(), name, "%d").Of(w);
}
// The fields of the extended-function word of word w: "R_bit", "ext_data".
template <class L>
Subelement_base<L>& R_bit(OSW_generic L::*w) {
    return Subelement(GetSet_bf_r_bit<Extended_function_word, bool>(), "R_bit").Of(&OSW_generic::ext).Of(w);
}
template <class L>
Subelement_base<L>& Ext_data(OSW_generic L::*w, const char* name = "ext_data", const char* format = "%04X") {
    return Subelement(GetSet_bf_ext_payload<Extended_function_word, unsigned>(), name, format)
        .Of(&OSW_generic::ext)
        .Of(w);
}
template <class L>
Subelement_base<L>& Expander(OSW_generic L::*w) {
    return Subelement(GetSet_bf_expander<Extended_function_word, EXTENDED_FUNCTION_OPCODES>(), "Expander",
                      extended_function_map)
        .Of(&OSW_generic::ext)
        .Of(w);
}

}  // namespace Word_fields
}  // namespace Smartzone

#endif
