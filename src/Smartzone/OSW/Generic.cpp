// Outbound words no definition claims, shown word by word ("OSW"), and the
// first word of a two-word message standing alone ("Individual_id": a
// FIRST_WORD1/FIRST_WORD2 word whose second word never came).
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

namespace {

// The fallback: one "OSW" element per word held; read from a document, each
// "OSW" element is the next word.
class Generic_osw : public Smartzone_OSW_opcode<OSW_generic> {
public:
    using Smartzone_OSW_opcode<OSW_generic>::Smartzone_OSW_opcode;

    unsigned Word_count() const override { return 0; }
    void Write_subs(const OSW_log& log, xmlNode* node) const override {
        for (unsigned i = 0; i < log.count && i < OSW_log::capacity; ++i)
            Add_children(node, Descriptor().Write_tree(&log.Word(i)));
    }
    Instance_base* Get_instance(Input_data& input, OSW_log& log) const override {
        if (log.count >= OSW_log::capacity) {
            input.Error("At most %u words in a message\n", OSW_log::capacity);
            return nullptr;
        }
        OSW_generic& word = log.Word(log.count++);
        return Descriptor().State(input, &word);
    }
};

using namespace Word_fields;

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<OSW_generic> osw_fields[] = {
    Subelement(&OSW_generic::payload, "payload", "%02X "),
    Subelement(I_bit_of<OSW_generic>(), "i_bit"),
    Subelement(GetSet_bf_command<OSW_generic, OSW_IDS>(), "Command", osw_command_map),
};

Subelement_table<OSW_generic> individual_id_fields[] = {
    Subelement(&OSW_generic::unit),
    Subelement(I_bit_of<OSW_generic>(), "i_bit"),
    Subelement(GetSet_bf_command<OSW_generic, OSW_IDS>(), "Command", osw_command_map),
};

// ---- definitions ---------------------------------------------------------------------------------

const Generic_osw osw("OSW", osw_fields);
const Smartzone_OSW_opcode<OSW_generic> individual_id("Individual_id", individual_id_fields, {{FIRST_WORD1, FIRST_WORD2}});

}  // namespace

const Smartzone_OSW_opcode_base& Smartzone_OSW_opcode_base::generic = osw;

}  // namespace Smartzone
