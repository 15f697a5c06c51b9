// "/P25_log_data/LogFilter": an input element that sets which log classes
// one physical channel records.  Reading it replaces the channel's mask in
// the output file's filter list; the list the input hooks consult follows
// after FilterList::Changed().
#include "P25_processing.h"

namespace XML_routines {

namespace {
// The filter list holds channels 0 to 256.
constexpr std::uint32_t Highest_channel = 256;
}  // namespace

template <>
bool Info<Filter_data>::Finalize(Filter_data& record, Input_data& input) const {
    // Errors are recorded whatever the element says.
    record.Set_or_clear(true, Log_Errors);
    Output_file* output = input.Output();
    if (!output) return true;
    if (record.phys_chan > Highest_channel) {
        input.Error("Channel # too big: %d\n", static_cast<int>(record.phys_chan));
        return false;
    }
    FilterList& list = output->Filters();
    list[record.phys_chan] = record.filters;
    FilterList::Changed();
    // The log shows the filter it runs under from here on, when the filter
    // itself lets environment elements through.
    if (list.Check(Log_Environment, record.phys_chan)) output->Write(record, *this);
    return true;
}

// ---- Tables and the descriptor ---------------------------------------------------------

namespace {
Subelement_table<Filter_data> filter_subs[] = {
    Subelement(&Filter_data::Get_env, &Filter_data::Set_env, "Environment"),
    Subelement(&Filter_data::Get_raw, &Filter_data::Set_raw, "Raw"),
    Subelement(&Filter_data::Get_proto_raw, &Filter_data::Set_proto_raw, "Protocol_Raw"),
    Subelement(&Filter_data::Get_proto_cooked, &Filter_data::Set_proto_cooked, "Protocol_Cooked"),
    Subelement(&Filter_data::Get_voice, &Filter_data::Set_voice, "Voice"),
    Subelement(&Filter_data::Get_parametrics, &Filter_data::Set_parametrics, "Parametrics"),
};

Attrib::Attrib_Table<Filter_data> filter_attr_table[] = {
    Get_attrib("phys_channel", &Filter_data::phys_chan),
};
const Attrib::Attrib_Hash<Filter_data> filter_attr(filter_attr_table);
}  // namespace

const Info<Filter_data> filters("/P25_log_data/LogFilter", filter_attr, filter_subs);

}  // namespace XML_routines
