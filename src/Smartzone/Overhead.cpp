// SmartZone overhead: the repeating messages of a simulated SmartZone
// control channel travel in the host's overhead record, tagged with a
// SmartZone data-unit ID.  Logging shows each overhead word as a decoded
// channel word and the whole slot as "Smartzone_overhead"; a
// "Smartzone_overhead" element read from a document is converted back to an
// overhead record and handed to the host.
#include <algorithm>
#include <cstring>

#include "Smartzone_processing.h"

using namespace XML_routines;
using P25::Smartnet_data_log;

namespace Smartzone {

namespace {

constexpr std::uint8_t control_channel = 5;
constexpr std::uint8_t traffic_channel = 4;
constexpr std::uint32_t words_baud = 3600;

// A 3600-baud channel word of an overhead slot, as the decoder would report it.
Smartnet_data_log Word_record(const P25::Source_info& source, std::uint8_t ch_type, std::uint8_t bits,
                              const std::uint8_t* word, std::uint8_t size) {
    Smartnet_data_log r{};
    r.metadata = source;
    r.bits.baud = words_baud;
    r.bits.ch_type = ch_type;
    r.bits.bits = bits;
    r.bits.count = size;
    std::memcpy(r.bits.data, word, size);
    return r;
}

}  // namespace

Smartzone_overhead::Smartzone_overhead() { std::memset(this, 0, sizeof *this); }

unsigned long Smartzone_overhead::Log_level() const {
    switch (duid) {
    case P25::SMARTZONE_RAW:
        return Log_protocol_raw;
    case P25::SMARTZONE_OSW:
    case P25::SMARTZONE_ISW:
    case P25::SMARTZONE_COOKED:
        return Log_protocol_cooked;
    default:
        return 0;
    }
}

unsigned Smartzone_overhead::Phys_chan() const {
    switch (duid) {
    case P25::SMARTZONE_OSW:
        return osw.sources[0].phys_channel;
    case P25::SMARTZONE_ISW:
        return isw.sources[0].phys_channel;
    case P25::SMARTZONE_RAW:
    case P25::SMARTZONE_COOKED:
        return data.metadata.phys_channel;
    default:
        return 0;
    }
}

// Word counts beyond a message's three words and data beyond 84 bytes are
// cut to what the records hold.
void Smartzone_overhead::To_overhead(Overhead_record& out) const {
    std::memset(&out, 0, sizeof out);
    out.duid = duid;
    out.handle = handle;
    out.repeat_time = interval;
    switch (duid) {
    case P25::SMARTZONE_ISW: {
        out.snsz_isw.source = isw.sources[0];
        out.snsz_isw.words.count = std::min<std::uint32_t>(isw.count, ISW_log::capacity);
        std::memcpy(out.snsz_isw.words.words, isw.words, out.snsz_isw.words.count * sizeof isw.words[0]);
        break;
    }
    case P25::SMARTZONE_OSW: {
        out.snsz_osw.source = osw.sources[0];
        out.snsz_osw.words.count = std::min<std::uint32_t>(osw.count, OSW_log::capacity);
        std::memcpy(out.snsz_osw.words.words, osw.words, out.snsz_osw.words.count * sizeof osw.words[0]);
        break;
    }
    case P25::SMARTZONE_RAW:
        out.sz_bits = data;
        break;
    case P25::SMARTZONE_COOKED: {
        const unsigned bytes = std::min<unsigned>(data.bits.count, P25::SZ_bits::capacity);
        out.snsz_osw.source = data.metadata;
        out.snsz_osw.words.count = bytes / (data.metadata.is_osp ? 4 : 3);
        std::memcpy(out.snsz_osw.words.words, data.bits.data, bytes);
        break;
    }
    default:
        break;
    }
}

void Log_Smartzone_overhead(const P25::Trunking_Overhead& overhead) {
    const Overhead_record& record = reinterpret_cast<const Overhead_record&>(overhead);
    Smartzone_overhead slot;
    slot.handle = record.handle;
    slot.interval = record.repeat_time;
    slot.duid = record.duid;
    switch (record.duid) {
    case P25::SMARTZONE_ISW: {
        const P25::Source_info& source = record.snsz_isw.source;
        const unsigned count = std::min<std::uint32_t>(record.snsz_isw.words.count, ISW_log::capacity);
        for (unsigned i = 0; i < count; ++i)
            XML_Log(cooked_info, Word_record(source, traffic_channel, 21, record.snsz_isw.words.words[i], 3),
                    source.phys_channel, Log_protocol_cooked);
        slot.isw.sources[0] = source;
        Assign(slot.isw, record.snsz_isw.words).count = count;
        XML_Log(overhead_info, slot, source.phys_channel, Log_protocol_cooked);
        break;
    }
    case P25::SMARTZONE_OSW: {
        const P25::Source_info& source = record.snsz_osw.source;
        const unsigned count = std::min<std::uint32_t>(record.snsz_osw.words.count, OSW_log::capacity);
        for (unsigned i = 0; i < count; ++i)
            XML_Log(cooked_info, Word_record(source, control_channel, 27, record.snsz_osw.words.words[i], 4),
                    source.phys_channel, Log_protocol_cooked);
        slot.osw.sources[0] = source;
        Assign(slot.osw, record.snsz_osw.words).count = count;
        XML_Log(overhead_info, slot, source.phys_channel, Log_protocol_cooked);
        break;
    }
    case P25::SMARTZONE_RAW:
        slot.data = record.sz_bits;
        XML_Log(overhead_info, slot, slot.data.metadata.phys_channel, Log_protocol_cooked);
        break;
    default:
        break;
    }
}

namespace {

// ---- attributes and sub-elements -------------------------------------------------------------

Attrib::Attrib_Table<Smartzone_overhead> overhead_attr_table[] = {
    Get_attrib("interval", &Smartzone_overhead::interval, "%d"),
    Get_attrib("handle", &Smartzone_overhead::handle, "%08X"),
};
const Attrib::Attrib_Hash<Smartzone_overhead> overhead_attr(overhead_attr_table);

// One child, chosen by the data-unit ID; reading it sets the ID.  A second
// one is refused.
using Duid = Access::GetSet_member<Smartzone_overhead, std::uint32_t>;

Subelement_table<Smartzone_overhead> overhead_subs[] = {
    Subelement(&Smartzone_overhead::data, raw_nested)
        .If(Duid(&Smartzone_overhead::duid), +P25::SMARTZONE_RAW)
        .Commit()
        .Content(),
    Subelement(&Smartzone_overhead::data, cooked_nested)
        .If(Duid(&Smartzone_overhead::duid), +P25::SMARTZONE_COOKED)
        .Commit()
        .Content(),
    Subelement(&Smartzone_overhead::osw, osw_nested)
        .If(Duid(&Smartzone_overhead::duid), +P25::SMARTZONE_OSW)
        .Commit()
        .Content(),
    Subelement(&Smartzone_overhead::isw, isw_nested)
        .If(Duid(&Smartzone_overhead::duid), +P25::SMARTZONE_ISW)
        .Commit()
        .Content(),
};

}  // namespace

const Info<Smartzone_overhead> overhead_info("/P25_log_data/Smartzone_overhead", overhead_attr, overhead_subs);

}  // namespace Smartzone

// A slot read from a document goes to the host when the input filter records
// its class on its channel.
template <>
bool Info<Smartzone::Smartzone_overhead>::Commit(Smartzone::Smartzone_overhead& slot, Input_data& input) const {
    if (!input.Filters().Check(slot.Log_level(), slot.Phys_chan())) return true;
    Smartzone::Overhead_record record;
    slot.To_overhead(record);
    P25::Receive_Overhead_from_XML(reinterpret_cast<const P25::Trunking_Overhead&>(record));
    return true;
}
