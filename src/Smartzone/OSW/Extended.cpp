// Extended functions (EXTENDED_FUNCTION, two or three words): the last word
// carries an extended-function word whose expander names the function.
// Functions without a definition of their own show the raw fields
// ("Extended_OSW", "Extended_OSW3"); the system ID and the adjacent control
// channel are decoded.
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

const Value_hash<EXTENDED_FUNCTION_OPCODES> extended_function_map(extended_function_names);
const Value_hash<FREQ_PLAN> freq_plan_map(freq_plan_names);

namespace {

using namespace Word_fields;
using ACC = Adjacent_control_channel;

// A field of the site word (w1) of an adjacent control channel.
template <class G>
Subelement_base<ACC>& Site(const char* name, const G& access) {
    return Subelement(access, name).Of(&OSW_generic::ext2).Of(&ACC::w1);
}
template <class G, class F>
Subelement_base<ACC>& Site(const char* name, const G& access, F&& format) {
    return Subelement(access, name, std::forward<F>(format)).Of(&OSW_generic::ext2).Of(&ACC::w1);
}

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<Extended_function> extended_fields[] = {
    Expander(&Extended_function::w1),
    Unit_if_individual(&Extended_function::w0),
    Group_if_not_individual(&Extended_function::w0),
    R_bit(&Extended_function::w1),
    Ext_data(&Extended_function::w1),
    Flag(&Extended_function::w1, "i_bit2"),
};

Subelement_table<Extended_function3> extended3_fields[] = {
    Expander(&Extended_function3::w2),
    Unit_if_individual(&Extended_function3::w0),
    Group_if_not_individual(&Extended_function3::w0),
    Unit_if_individual(&Extended_function3::w1),
    Group_if_not_individual(&Extended_function3::w1),
    R_bit(&Extended_function3::w2),
    Ext_data(&Extended_function3::w2),
    Flag(&Extended_function3::w2, "i_bit2"),
};

Subelement_table<Extended_function> extended_sysid_fields[] = {
    System(&Extended_function::w0),
    Ext_data(&Extended_function::w1, "Channel_number", "%d"),
    Flag(&Extended_function::w1, "i_bit2"),
};

// The transmit channel is left out when w0 carries FIRST_WORD1 instead.
Subelement_table<ACC> adjacent_control_channel_fields[] = {
    Subelement(&OSW_generic::address, "SysID", "%04x").Of(&ACC::w0),
    Flag(&ACC::w0, "i_bit"),
    Subelement(GetSet_bf_command<OSW_generic, unsigned>(), "Channel_number_tx", "%d")
        .IfNot(GetSet_bf_command<OSW_generic, OSW_IDS>(), FIRST_WORD1)
        .Of(&ACC::w0),
    Site("Site_ID", GetSet_bf_site_id<Extended_function_word2, unsigned>(), "%02X"),
    Site("Freq_plan", GetSet_bf_freq_plan<Extended_function_word2, FREQ_PLAN>(), freq_plan_map),
    Site("Secure_avail", GetSet_bf_secure_avail<Extended_function_word2, bool>()),
    Site("Voice_on_control_channel", GetSet_bf_voice_on_cc<Extended_function_word2, bool>()),
    Site("Wide_area", GetSet_bf_wide_area<Extended_function_word2, bool>()),
    Site("Astro_capable", GetSet_bf_astro_capable<Extended_function_word2, bool>()),
    Site("Interconnect_available", GetSet_bf_interconnect<Extended_function_word2, bool>()),
    Site("Data_available", GetSet_bf_data_avail<Extended_function_word2, bool>()),
    Site("Fail_soft", GetSet_bf_fail_soft<Extended_function_word2, bool>()),
    Flag(&ACC::w1, "Coverage_plus"),
    Flag(&ACC::w2, "Potential_CC"),
    Ext_data(&ACC::w2, "Channel_number", "%d"),
};

// ---- definitions ---------------------------------------------------------------------------------

const Smartzone_extended_generic extended_osw("Extended_OSW", extended_fields, EXTENDED_FUNCTION);
const Smartzone_extended3_generic extended_osw3("Extended_OSW3", extended3_fields, EXTENDED_FUNCTION);
const Smartzone_extended<Extended_function> extended_sysid("Extended_SysID", extended_sysid_fields, TYPE_II_SYSTEM_ID);
const Smartzone_extended<ACC> adjacent_control_channel("Adjacent_control_channel", adjacent_control_channel_fields,
                                                       ADJACENT_CONTROL_CHAN);

}  // namespace

}  // namespace Smartzone
