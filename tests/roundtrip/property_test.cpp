// The round trip of every family: random valid records of every kind and
// every definition (generator.h) are logged, the log is encoded back into
// record-script lines, and those are logged again.  The two logs must be the
// same bytes, and every line encode writes one that `tessel log` takes.
// Encode reads the log through the library's receive listener, so the
// records the host is handed on replay are the records that were logged.
//
// Definitions whose element hides bits are logged with those bits settled;
// where the settling depends on other fields, their records must read back
// unchanged from the first read-back on.
#include <cstring>
#include <sstream>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "generator.h"
#include "tool_fixture.h"

using namespace roundtrip;
using tool_test::Read_file;
using tool_test::Result;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The first line where the logs differ, with the lines around it in both,
// and the script lines of the records whose timestamps show there.
std::string Difference(const std::string& a, const std::string& b, const std::vector<Record>& records) {
    const std::vector<std::string> x = Lines(a), y = Lines(b);
    std::size_t i = 0;
    while (i < x.size() && i < y.size() && x[i] == y[i]) ++i;
    std::ostringstream out;
    const std::size_t from = i > 6 ? i - 6 : 0;
    out << "first difference at log line " << i + 1 << "\n--- before\n";
    for (std::size_t k = from; k < x.size() && k < i + 6; ++k) out << x[k] << "\n";
    out << "--- after\n";
    for (std::size_t k = from; k < y.size() && k < i + 6; ++k) out << y[k] << "\n";
    for (std::size_t k = from; k < x.size() && k < i + 6; ++k) {
        const std::size_t at = x[k].find("timestamp=\"");
        if (at == std::string::npos) continue;
        std::string seconds = x[k].substr(at + 11, x[k].find('"', at + 11) - at - 11);
        seconds.erase(0, seconds.find_first_not_of(' '));
        for (const Record& r : records)
            if (r.line.find(" timestamp=" + seconds + " ") != std::string::npos ||
                r.line.find(" timestamp=" + seconds) + 11 + seconds.size() == r.line.size())
                out << "record: " << r.label << "\n  " << r.line << "\n";
    }
    return out.str();
}

// Reads a log through the receive listener and checks that every decoded
// element hands the host the record of the raw element before it: a
// message the blocks of its data unit, a decoded word the word received.
// The faults, one line each, with the record they belong to.
std::vector<std::string> Decoded_faults(const std::string& log, const Corpus& corpus) {
    std::vector<std::string> faults;
    std::vector<P25::P25_TSBK_DATA> unit;
    P25::Any_link_control word{};
    bool has_word = false;
    // Random octets of a kind (rather than of a definition) may decode to
    // nothing or to a definition with bits its element hides: only the
    // definitions' records are checked.
    auto fault = [&](std::uint32_t ticks, const std::string& what) {
        const Record* r = corpus.At(ticks);
        if (r && r->label.rfind("kind ", 0) == 0) return;
        faults.push_back(what + (r ? ": " + r->label + "\n  " + r->line : ""));
    };
    // Messages that are not their data unit decoded, unless an overhead slot
    // holding them follows (the messages of the slot's children).
    std::vector<std::pair<std::vector<P25::P25_TSBK_DATA>, std::uint32_t>> suspects;
    auto settle_suspect = [&](const P25::Trunking_Overhead* slot) {
        for (const auto& s : suspects) {
            const bool in_slot = slot && slot->tsbk.block_count == s.first.size() &&
                                 std::memcmp(slot->tsbk.tsbk, s.first.data(), s.first.size() * sizeof s.first[0]) == 0;
            if (!in_slot) fault(s.second, "a decoded message reads back to other blocks");
        }
        suspects.clear();
    };
    P25::Set_receive_listener([&](P25::Received what, const void* record) {
        using P25::Received;
        if (what != Received::trunking_message)
            settle_suspect(what == Received::overhead ? static_cast<const P25::Trunking_Overhead*>(record) : nullptr);
        switch (what) {
        case Received::tsbk:
        case Received::pdu:
        case Received::pdu_header:
        case Received::pdu_cont: {
            const auto& r = *static_cast<const P25::TSBK_PDU_data*>(record);
            if (what != Received::pdu_cont) unit.clear();
            const unsigned n = what == Received::pdu_header || what == Received::pdu_cont ? 1 : r.block_count;
            unit.insert(unit.end(), r.tsbk, r.tsbk + std::min<unsigned>(n, P25::TSBK_PDU_data::max_blocks));
            break;
        }
        case Received::trunking_message: {
            const auto& r = *static_cast<const P25::Trunking_data*>(record);
            const unsigned n = std::min<unsigned>(r.block_count, P25::TSBK_PDU_data::max_blocks);
            bool found = false;
            if (n == 1) {
                for (const auto& b : unit) found = found || std::memcmp(&b, &r.tsbk[0], sizeof b) == 0;
            } else {
                found = unit.size() == n && std::memcmp(unit.data(), r.tsbk, sizeof r.tsbk[0] * n) == 0;
            }
            if (!found) suspects.emplace_back(std::vector<P25::P25_TSBK_DATA>(r.tsbk, r.tsbk + n), r.metadata.timestamp.value);
            break;
        }
        case Received::link_control:
            word = static_cast<const P25::p25_LCO*>(record)->lc;
            has_word = true;
            break;
        case Received::decoded_link_control: {
            const auto& r = *static_cast<const P25::p25_LCO*>(record);
            if (has_word && std::memcmp(&word, &r.lc, sizeof word) != 0)
                fault(r.header.metadata.timestamp.value, "a decoded word reads back to another word");
            has_word = false;
            break;
        }
        case Received::status:
            break;
        default:
            unit.clear();
            has_word = false;
            break;
        }
    });
    XML_routines::Output_file::Set_current(nullptr);
    XML_routines::Input_data input;
    input.report_errors = false;
    XML_routines::Read_memory(log.data(), log.size(), "log", XML_routines::P25_log_data, input);
    settle_suspect(nullptr);
    P25::Set_receive_listener(nullptr);
    return faults;
}

class Round_trip : public tool_test::Tool_fixture {
protected:
    std::string Script(const char* name, const std::vector<Record>& records) {
        std::string text;
        for (const Record& r : records) text += r.line + "\n";
        const std::string path = Temp(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // Logs a script; the log's text, with what went wrong reported.
    std::string Log(const std::string& script, const char* out) {
        const Result r = Run("log " + tool_test::Quote(script) + " --out " + tool_test::Quote(Temp(out)));
        EXPECT_EQ(r.status, 0) << "tessel log " << script << ":\n" << r.err.substr(0, 4000);
        return Read_file(Temp(out));
    }
    // Encodes a log; the path of the script it wrote.
    std::string Encode(const char* log, const char* out) {
        const Result r = Run("encode " + tool_test::Quote(Temp(log)) + " --out " + tool_test::Quote(Temp(out)));
        EXPECT_EQ(r.status, 0) << "tessel encode " << log << ":\n" << r.err.substr(0, 4000);
        return Temp(out);
    }
};

}  // namespace

TEST_F(Round_trip, EveryFamilyLogsEncodesAndLogsTheSameBytes) {
    const Corpus corpus = Generate(20261206, 2);
    for (const std::string& note : corpus.notes) ADD_FAILURE() << note;
    ASSERT_GT(corpus.exact.size(), 1000u);

    const std::string first = Log(Script("exact.log", corpus.exact), "exact1.xml");
    const std::string again = Log(Encode("exact1.xml", "exact.enc"), "exact2.xml");
    EXPECT_TRUE(first == again) << Difference(first, again, corpus.exact);
    const std::vector<std::string> decoded = Decoded_faults(first, corpus);
    for (std::size_t i = 0; i < decoded.size() && i < 20; ++i) ADD_FAILURE() << decoded[i];
    EXPECT_EQ(decoded.size(), 0u);

    // Hidden bits settled by the first read-back.
    Log(Script("settled.log", corpus.settled), "settled1.xml");
    const std::string settled = Log(Encode("settled1.xml", "settled.enc"), "settled2.xml");
    const std::string settled_again = Log(Encode("settled2.xml", "settled2.enc"), "settled3.xml");
    EXPECT_TRUE(settled == settled_again) << Difference(settled, settled_again, corpus.settled);

    // Known faults: taken, and nothing crashes.
    if (!corpus.known.empty()) {
        Log(Script("known.log", corpus.known), "known1.xml");
        Run("encode " + tool_test::Quote(Temp("known1.xml")));
    }
}

// Each row names a definition or kind that is registered, so that the
// tables do not outlive what they describe.
TEST(Round_trip_tables, HiddenBitsNameDefinitionsThatExist) {
    const Corpus corpus = Generate(1, 1);
    std::vector<Record> all = corpus.exact;
    all.insert(all.end(), corpus.settled.begin(), corpus.settled.end());
    all.insert(all.end(), corpus.known.begin(), corpus.known.end());
    for (const Exception& row : Hidden_bits()) {
        bool found = false;
        for (const Record& r : all) found = found || r.label.find(std::string(" ") + row.name) != std::string::npos;
        EXPECT_TRUE(found) << row.family << " " << row.name << " is listed as hiding bits but is not generated";
    }
}
