// The round trip: what is logged reads back into the same element.  Two
// kinds of input:
//
// - Binary (first octet 0-7): trunking blocks with valid CRCs, which are
//   logged; each decoded "Trunking_message" is read back as an input
//   document and must give the same element and the same blocks again.  A
//   message that cannot be read back must be one that describes no blocks
//   (an error element).  Input: mode (1 octet: bit 0 a multi-block PDU
//   rather than TSBKs, bit 1 outbound, bit 2 the PDU's blocks repeated to
//   the longest packet, 127 blocks, which inputs kept short reach no other
//   way), channel (1 octet), then the blocks: 10 octets of one TSBK (its
//   CRC is added), or 12 octets a PDU block (2 to 127 of them, CRCs filled
//   in).
// - Text (anything else): a record script, each line logged through its
//   kind as `tessel log` does, so that every family is reached (trunking,
//   link control alone and in voice units, voice, state, SmartZone words and
//   messages, overhead, Status_bits, DateTime).  Each top-level element of
//   the log must be logged again as written when the log is read back, or
//   when it is read back on its own; where the element hides bits, the
//   element read back must read back unchanged.
//
// Catches silent corruption, not only crashes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "script.h"
#include "support.h"

namespace {

// The top-level elements of a log document with the given tag (every one
// for a null tag), each as written: from its line "  <Tag" to the next
// top-level line.
std::vector<std::string> Elements(const std::string& log, const char* tag = nullptr) {
    std::vector<std::size_t> starts;
    for (std::size_t at = log.find("\n  <"); at != std::string::npos; at = log.find("\n  <", at + 1))
        if (at + 4 < log.size() && log[at + 4] != '/') starts.push_back(at + 3);
    const std::size_t root_end = log.rfind("\n</P25_log_data>");
    std::vector<std::string> found;
    const std::string open = std::string("<") + (tag ? tag : "");
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] - 3 : root_end;
        if (end == std::string::npos || end < starts[i]) std::abort();
        const std::string element = log.substr(starts[i], end - starts[i]);
        const char after = element.size() > open.size() ? element[open.size()] : '\0';
        if (!tag || (element.compare(0, open.size(), open) == 0 && (after == ' ' || after == '>' || after == '/')))
            found.push_back(element);
    }
    return found;
}

// The octets an element's text shows ("80 00 ..."), in order.
std::vector<std::uint8_t> Octets(const std::string& element) {
    std::vector<std::uint8_t> octets;
    std::size_t at = element.find('>');
    const std::size_t end = element.rfind("</");
    if (at == std::string::npos || end == std::string::npos) return octets;
    for (++at; at + 1 < end; ++at) {
        if (element[at] == ' ' || element[at] == '\n') continue;
        octets.push_back(static_cast<std::uint8_t>(std::stoul(element.substr(at, 2), nullptr, 16)));
        ++at;
    }
    return octets;
}

// Whether the element names a message: a child other than the headers.  A
// message whose opcode has no definition is logged with its header alone,
// which does not show the rest of its blocks.
bool Has_message(const std::string& message) {
    static const std::vector<std::string> headers = {
        "P25_TSBK_header", "LRA", "System_ID", "Source_address", "Target_address", "Unconfirmed_data_header",
        "Alternate_MBT_header", "Response", "Confirmed_header", "Multiblock_header"};
    for (std::size_t at = message.find("\n    <"); at != std::string::npos; at = message.find("\n    <", at + 1)) {
        if (message[at + 6] == '/') continue;
        const std::size_t end = message.find_first_of(" />", at + 6);
        if (std::find(headers.begin(), headers.end(), message.substr(at + 6, end - at - 6)) == headers.end())
            return true;
    }
    return false;
}

// An element that logs an error in place of a decoded item: it stands for
// no record and is not read back.
bool Is_error(const std::string& element) {
    for (const char* tag : {"<DATA_CRC_ERROR", "<UNKNOWN_FORMAT", "<INVALID_FORMAT", "<Illegal_block_count"})
        if (element.find(tag) != std::string::npos) return true;
    return false;
}

bool Describes_no_blocks(const std::string& message) { return !Has_message(message) || Is_error(message); }

[[noreturn]] void Fail(const char* what, const std::string& message, const std::string& replayed) {
    std::fprintf(stderr, "round trip: %s\n--- logged\n%s\n--- read back\n%s\n", what, message.c_str(),
                 replayed.c_str());
    std::abort();
}

// Reads one logged message back and checks what it gives: the same element
// and the same blocks, or, where the element hides bits, blocks that read
// back unchanged.  A multi-block header is rebuilt from the message's
// definition (its format, SAP, direction and blocks to follow are the
// definition's, whatever the header said), so for a PDU the header block
// may differ, but the data blocks may not, and reading the result once more
// must change nothing at all.
void Read_back(const std::string& message, const std::uint8_t* blocks, std::size_t octets, bool pdu,
               bool again = false) {
    const std::string document = "<P25_log_data>\n  " + message + "\n</P25_log_data>\n";
    fuzz::Log_capture log;
    XML_routines::Input_data input(log.File());
    input.report_errors = false;
    input.report_notes = false;
    const XML_routines::Read_status status =
        XML_routines::Read_memory(document.data(), document.size(), "round trip", XML_routines::P25_log_data, input);
    const std::string replayed = log.Text();
    if (Describes_no_blocks(message)) return;
    if (status != XML_routines::Read_status::ok) {
        Fail(("refused: " + input.Last_error()).c_str(), message, replayed);
    }
    const std::vector<std::string> raw = Elements(replayed, pdu ? "PDU" : "TSBK");
    const std::vector<std::string> logged = Elements(replayed, "Trunking_message");
    if (raw.size() != 1 || logged.size() != 1) Fail("not logged again", message, replayed);
    const std::vector<std::uint8_t> got = Octets(raw[0]);
    const std::size_t from = pdu && !again ? 12 : 0;  // a PDU's header block may be rebuilt
    if (got.size() != octets) Fail("different blocks", message, replayed);
    if (std::memcmp(got.data() + from, blocks + from, octets - from) != 0) {
        // A definition whose element does not show every bit (the sign of a
        // zero offset, an offset in a zero channel spacing, a link ID
        // without a link element): what was read must read back unchanged.
        if (again) Fail("different blocks", message, replayed);
        return Read_back(logged[0], got.data(), octets, pdu, true);
    }
    if (pdu && !again) {
        if (std::memcmp(got.data(), blocks, 12) != 0) return Read_back(logged[0], got.data(), octets, true, true);
    }
    if (logged[0] != message) Fail("a different element", message, replayed);
}

// The tag of an element as written ("<Tag ..." or "<Tag>").
std::string_view Tag_of(const std::string& element) {
    const std::size_t end = element.find_first_of(" />\n", 1);
    return std::string_view(element).substr(1, end == std::string::npos ? std::string::npos : end - 1);
}

// The log of a document read back, with what the assemblers held at its end.
std::string Replayed_document(const std::string& document, bool& accepted) {
    fuzz::Log_capture log;
    XML_routines::Input_data input(log.File());
    input.report_errors = false;
    input.report_notes = false;
    accepted = XML_routines::Read_memory(document.data(), document.size(), "round trip", XML_routines::P25_log_data,
                                         input) == XML_routines::Read_status::ok;
    fuzz::Idle_assemblers();
    return log.Text();
}

// The log of one element read back on its own.
std::string Replayed(const std::string& element, bool& accepted) {
    return Replayed_document("<P25_log_data>\n  " + element + "\n</P25_log_data>\n", accepted);
}

bool Holds(const std::vector<std::string>& elements, const std::string& element) {
    return std::find(elements.begin(), elements.end(), element) != elements.end();
}

// A script's log read back: as a whole, or else element by element.
void Script_round_trip(const std::uint8_t* data, std::size_t size) {
    std::string logged;
    {
        fuzz::Log_capture log;
        const std::string text(reinterpret_cast<const char*>(data), size);
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string error;
            tessel::Log_line(text.substr(start, end - start), error);
            start = end + 1;
        }
        fuzz::Idle_assemblers();
        logged = log.Text();
    }
    // The log read back as a whole gives nearly every element that replay
    // logs again, in its order: one document checks those.  Each element it
    // does not give again (one whose reading depends on what came before
    // it) is read back on its own.  Elements of a kind that reading does
    // not log (what replay hands the host to send: data units, SmartZone
    // words, the status symbols of what follows) are not read again.
    std::vector<std::string> elements;
    std::string document = "<P25_log_data>\n";
    for (const std::string& element : Elements(logged)) {
        const std::string_view tag = Tag_of(element);
        if (tag == "Trunking_message" ? Describes_no_blocks(element) : Is_error(element)) continue;
        document += "  " + element + "\n";
        elements.push_back(element);
    }
    if (elements.empty()) return;
    bool whole_accepted = false;
    const std::string whole = Replayed_document(document + "</P25_log_data>\n", whole_accepted);
    const std::vector<std::string> given = whole_accepted ? Elements(whole) : std::vector<std::string>();
    auto next = given.begin();
    for (const std::string& element : elements) {
        const auto found = std::find(next, given.end(), element);
        if (found != given.end()) {
            next = found + 1;
            continue;
        }
        const std::string_view tag = Tag_of(element);
        if (whole_accepted && std::none_of(given.begin(), given.end(),
                                           [&tag](const std::string& e) { return Tag_of(e) == tag; }))
            continue;
        bool accepted = false;
        const std::string replayed = Replayed(element, accepted);
        if (!accepted) Fail("refused", element, replayed);
        const std::vector<std::string> again = Elements(replayed);
        if (Holds(again, element)) continue;
        // An element that hides bits: the one read back settles them, and
        // must itself read back unchanged.
        const auto same = std::find_if(again.begin(), again.end(),
                                       [&tag](const std::string& e) { return Tag_of(e) == tag; });
        // An element that only sets what follows (the status symbols of the
        // next data unit) is not logged on its own.
        if (same == again.end()) continue;
        const std::string settled = Replayed(*same, accepted);
        if (!accepted || !Holds(Elements(settled), *same)) Fail("a different element", *same, settled);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Listen_as_host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Idle_assemblers();
    if (size >= 1 && data[0] > 7) {
        Script_round_trip(data, size);
        return 0;
    }
    if (size < 2) return 0;
    const bool pdu = data[0] & 1;
    const bool longest = pdu && (data[0] & 4);
    static P25::Log_Dispatch_payload payload;
    std::memset(&payload, 0, sizeof payload);
    P25::TSBK_PDU_data& r = payload.tsbk;
    r.header.metadata.phys_channel = data[1];
    r.header.metadata.is_osp = (data[0] & 2) ? 1 : 0;
    data += 2;
    size -= 2;
    const std::size_t step = pdu ? 12 : 10;
    std::size_t count = size / step;
    if (count > 127) count = 127;
    if (count < (pdu ? 2u : 1u)) return 0;
    // One message an input (a TSBK, or a whole PDU), so that a mutation
    // does not test again messages it left unchanged.
    if (!pdu) count = 1;
    const std::size_t given = count;
    if (longest) count = 127;
    r.block_count = static_cast<std::uint32_t>(count);
    for (std::size_t i = 0; i < count; ++i) std::memcpy(r.tsbk[i].data, data + i % given * step, step);
    if (pdu) {
        fuzz::Fill_packet_crc(r.tsbk, r.block_count);
    } else {
        for (std::size_t i = 0; i < count; ++i) fuzz::Fill_block_crc(r.tsbk[i]);
    }

    std::string logged;
    {
        fuzz::Log_capture log;
        pdu ? P25::Log_PDU(payload) : P25::Log_TSBK(payload);
        logged = log.Text();
    }
    const std::vector<std::string> messages = Elements(logged, "Trunking_message");
    if (messages.size() != 1) Fail("not one message", logged, "");
    Read_back(messages[0], r.tsbk[0].data, 12 * count, pdu);
    return 0;
}
