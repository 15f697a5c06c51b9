// tessel encode: reads an input document through the library and writes,
// for every element that yields a record, one record-script line that
// `tessel log` reads back: the air bytes of TSBKs and PDUs with their
// headers and CRCs completed as the library completes them, and the status
// symbols and times of the log document.
//
// The records come through the library's receive listener, one call an
// element; each kind of record has one writer in the table at the bottom.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "commands.h"

namespace tessel {

const char encode_usage[] =
    "Usage: tessel encode [FILE] [--out FILE]\n"
    "\n"
    "Reads an input document (standard input when FILE is absent or \"-\") and\n"
    "writes one record-script line (as `tessel log` reads them) for every\n"
    "element that yields a record: tsbk and pdu lines for \"Trunking_message\",\n"
    "\"TSBK\" and \"PDU\" (headers and CRCs completed), pdu_header and pdu_cont\n"
    "lines for \"PDU_Header\" and \"PDU_Continuation\", status lines for\n"
    "\"Status_bits\" and time lines for \"DateTime\".  So the log of a script\n"
    "encodes back to the script's records.\n"
    "\n"
    "  --out FILE  write the script to FILE instead of standard output\n"
    "\n"
    "The symbols of a \"Status_bits\" go into the data unit that follows it\n"
    "from the same source.  A \"Trunking_message\" whose blocks the data unit\n"
    "before it carried is that data unit decoded, and gives no line of its own.\n"
    "\n"
    "Errors are reported on standard error as in replay.  Exit status: 0 when\n"
    "every element was accepted, 1 when anything was refused or reported, 2\n"
    "for a document that is not well-formed, an unreadable file or a bad\n"
    "command line.\n";

namespace {

using P25::Received;
using Block = P25::P25_TSBK_DATA;

// Writes the lines, keeping what joins one element's record to the next:
// status symbols waiting for their data unit, and the blocks of the last
// data unit, which its decoded messages repeat.
class Script_writer {
public:
    explicit Script_writer(std::FILE* out) : out_(out) {}
    ~Script_writer() { Flush_status(); }

    void Status(const P25::DUID_Header& header) {
        Flush_status();
        status_ = header;
        has_status_ = true;
    }
    void Time(const P25::Time_log& record) {
        Flush_status();
        std::string line = "time" + Source_keys(record.metadata);
        const P25::Calendar_time& t = record.real_time;
        char text[64];
        std::snprintf(text, sizeof text, " date=%04d/%02d/%02d time=%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                      t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
        Put(line + text);
    }
    // A data unit as the host had it: its blocks are remembered, those of a
    // PDU fed block by block added up from its header block on.
    void Data_unit(const char* kind, const P25::TSBK_PDU_data& r, unsigned blocks, bool continued) {
        const P25::DUID_Header* status = nullptr;
        if (has_status_ && Same_source(status_.metadata, r.header.metadata)) status = &status_;
        if (!status) Flush_status();
        has_status_ = false;
        if (!continued) last_blocks_.clear();
        last_channel_ = r.header.metadata.phys_channel;
        last_blocks_.insert(last_blocks_.end(), r.tsbk, r.tsbk + blocks);
        Put(kind + Source_keys(r.header.metadata) + Nac_key(r.header.nid.nac) + (status ? Status_key(*status) : "") +
            Hex(r.tsbk, blocks));
    }
    void Message(const P25::Trunking_data& r) {
        if (r.block_count == 0 || r.block_count > 127 || Decoded(r)) return;
        Flush_status();
        const char* kind = r.duid == P25::PDU ? "pdu" : "tsbk";
        Put(kind + Source_keys(r.metadata) + Nac_key(r.nac) + Hex(r.tsbk, r.block_count));
    }
    bool Failed() const { return std::ferror(out_) != 0; }

private:
    static bool Same_source(const P25::Source_info& a, const P25::Source_info& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
    // Every block of the message was a block of the last data unit on its
    // channel: the message is that unit decoded.
    bool Decoded(const P25::Trunking_data& r) const {
        if (last_blocks_.empty() || r.metadata.phys_channel != last_channel_) return false;
        for (unsigned i = 0; i < r.block_count; ++i) {
            bool found = false;
            for (const Block& b : last_blocks_) found = found || std::memcmp(&b, &r.tsbk[i], sizeof b) == 0;
            if (!found) return false;
        }
        return true;
    }
    // The keys whose values differ from a script line's defaults.
    static std::string Source_keys(const P25::Source_info& s) {
        std::string keys;
        char text[32];
        if (const std::uint32_t ticks = s.timestamp.value) {
            std::snprintf(text, sizeof text, "%u.%08u", ticks / 50000000u, ticks % 50000000u * 2u);
            std::string seconds = text;
            seconds.erase(seconds.find_last_not_of('0') + 1);
            if (seconds.back() == '.') seconds.pop_back();
            keys += " timestamp=" + seconds;
        }
        if (s.phys_channel) keys += " phys_channel=" + std::to_string(s.phys_channel);
        if (s.dir_tx != 0) keys += std::string(" direction=") + Name(XML_routines::direction_names, s.dir_tx);
        if (s.is_osp != 1) keys += std::string(" type=") + Name(XML_routines::type_names, s.is_osp);
        if (s.timeslot) keys += " timeslot=" + std::to_string(s.timeslot);
        return keys;
    }
    static std::string Name(const XML_routines::Value_hash<unsigned char>& names, unsigned char value) {
        const char* name = names.Lookup(value);
        return name ? name : std::to_string(value);
    }
    static std::string Nac_key(std::uint32_t nac) {
        char text[16];
        std::snprintf(text, sizeof text, " NAC=%03X", nac & 0xFFFu);
        return nac & 0xFFFu ? text : "";
    }
    static std::string Status_key(const P25::DUID_Header& header) {
        const P25::Status_symbols& s = header.statuses;
        std::string key;
        for (std::uint32_t i = 0; i < s.count && i < P25::Status_symbols::capacity; ++i)
            key += (i ? "," : " status=") + Name(XML_routines::status_names, s.syms[i]);
        return key;
    }
    static std::string Hex(const Block* blocks, unsigned count) {
        std::string hex;
        char pair[4];
        for (unsigned i = 0; i < count; ++i)
            for (std::uint8_t octet : blocks[i].data) {
                std::snprintf(pair, sizeof pair, " %02X", octet);
                hex += pair;
            }
        return hex;
    }
    void Flush_status() {
        if (!has_status_) return;
        has_status_ = false;
        Put("status" + Source_keys(status_.metadata) + Status_key(status_));
    }
    void Put(const std::string& line) { std::fprintf(out_, "%s\n", line.c_str()); }

    std::FILE* out_;
    P25::DUID_Header status_{};
    bool has_status_ = false;
    std::vector<Block> last_blocks_;
    unsigned last_channel_ = 0;
};

const P25::TSBK_PDU_data& Unit(const void* record) { return *static_cast<const P25::TSBK_PDU_data*>(record); }

// One writer for each kind of record the listener hands over.
struct Encoder {
    Received what;
    void (*write)(Script_writer& out, const void* record);
};

const Encoder encoders[] = {
    {Received::status, [](Script_writer& w, const void* r) { w.Status(*static_cast<const P25::DUID_Header*>(r)); }},
    {Received::time, [](Script_writer& w, const void* r) { w.Time(*static_cast<const P25::Time_log*>(r)); }},
    {Received::tsbk, [](Script_writer& w, const void* r) { w.Data_unit("tsbk", Unit(r), Unit(r).block_count, false); }},
    {Received::pdu, [](Script_writer& w, const void* r) { w.Data_unit("pdu", Unit(r), Unit(r).block_count, false); }},
    {Received::pdu_header, [](Script_writer& w, const void* r) { w.Data_unit("pdu_header", Unit(r), 1, false); }},
    {Received::pdu_cont, [](Script_writer& w, const void* r) { w.Data_unit("pdu_cont", Unit(r), 1, true); }},
    {Received::trunking_message, [](Script_writer& w, const void* r) { w.Message(*static_cast<const P25::Trunking_data*>(r)); }},
};

}  // namespace

int Encode(const Arguments& args) {
    std::string out_path;
    std::vector<std::string> files;
    if (!Parse_options("encode", args, {{"--out", &out_path, nullptr}}, files)) return exit_usage;
    if (files.size() > 1) return Usage_error("encode", "more than one input document");
    const std::string input_path = files.empty() ? "-" : files[0];
    const bool from_stdin = input_path == "-";
    if (!from_stdin) {
        errno = 0;
        File f(std::fopen(input_path.c_str(), "rb"));
        if (!f || (std::getc(f.get()) == EOF && std::ferror(f.get())))
            return Usage_error("encode", "cannot read " + input_path + ": " + std::strerror(errno ? errno : EIO));
        if (!out_path.empty() && Same_file(out_path, input_path))
            return Usage_error("encode", "would overwrite the input document " + input_path);
    }
    File out_file;
    if (!out_path.empty()) {
        out_file.reset(std::fopen(out_path.c_str(), "w"));
        if (!out_file) return Usage_error("encode", "cannot write " + out_path + ": " + std::strerror(errno));
    }
    std::FILE* out = out_file ? out_file.get() : stdout;

    XML_routines::Read_status status;
    bool write_failed;
    {
        Script_writer writer(out);
        P25::Set_receive_listener([&writer](Received what, const void* record) {
            for (const Encoder& e : encoders)
                if (e.what == what) e.write(writer, record);
        });
        // Nothing is logged: the document is only read.
        XML_routines::Output_file::Set_current(nullptr);
        XML_routines::Input_data input;
        status = XML_routines::Read_document(from_stdin ? nullptr : input_path.c_str(), XML_routines::P25_log_data,
                                             input);
        P25::Set_receive_listener(nullptr);
        if (status == XML_routines::Read_status::ok && input.Error_count() > 0)
            status = XML_routines::Read_status::reported;
        write_failed = writer.Failed();
    }
    if (std::fflush(out) != 0 || write_failed || (out_file && std::fclose(out_file.release()) != 0)) {
        std::fprintf(stderr, "tessel encode: error writing %s\n", out_path.empty() ? "standard output" : out_path.c_str());
        return exit_usage;
    }
    if (status == XML_routines::Read_status::not_well_formed) return exit_usage;
    return status == XML_routines::Read_status::reported ? exit_reported : exit_ok;
}

}  // namespace tessel
