// Inbound words no definition claims, shown word by word ("ISW"), and the
// two-word requests of a radio: affiliation to a talk group and a group
// call (w0 the radio, w1 the talk group).
#include "../Word_fields.h"

using namespace XML_routines;

namespace Smartzone {

const Value_hash<ISW_types> isw_type_map(isw_type_names);

namespace {

// The fallback: one "ISW" element per word held; read from a document, each
// "ISW" element is the next word.
class Generic_isw : public Smartzone_ISW_opcode<ISW_first> {
public:
    using Smartzone_ISW_opcode<ISW_first>::Smartzone_ISW_opcode;

    unsigned Word_count() const override { return 0; }
    void Write_subs(const ISW_log& log, xmlNode* node) const override {
        for (unsigned i = 0; i < log.count && i < ISW_log::capacity; ++i)
            Add_children(node, Descriptor().Write_tree(&log.Word(i)));
    }
    Instance_base* Get_instance(Input_data& input, ISW_log& log) const override {
        if (log.count >= ISW_log::capacity) {
            input.Error("At most %u words in a message\n", ISW_log::capacity);
            return nullptr;
        }
        ISW_first& word = log.Word(log.count++);
        return Descriptor().State(input, &word);
    }
};

// ---- fields, in wire order ---------------------------------------------------------------------

Subelement_table<ISW_first> isw_fields[] = {
    Subelement(&ISW_first::id, "Unit_id", "%04X "),
    Subelement(GetSet_bf_isw_type<ISW_first, ISW_types>(), "ISW_Type", isw_type_map),
};

Subelement_table<isw_req> request_fields[] = {
    Subelement(&ISW_first::id, "Unit_id", "%04X ").Of(&isw_req::w0),
    Subelement(&ISW_first::group).Of(&isw_req::w1),
};

// ---- definitions ---------------------------------------------------------------------------------

const Generic_isw isw("ISW", isw_fields);
const Smartzone_ISW_opcode<isw_req> affiliate_request("Affiliate_request", request_fields, ISW_AFFILIATE_REQUEST);
const Smartzone_ISW_opcode<isw_req> group_request("Group_request", request_fields, ISW_GROUP_REQUEST_2);

}  // namespace

const Smartzone_ISW_opcode_base& Smartzone_ISW_opcode_base::generic = isw;

}  // namespace Smartzone
