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
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "generator.h"
#include "tool_fixture.h"

using namespace roundtrip;
using tool_test::Result;

namespace {

// The lines where the logs first differ, and the record whose timestamp
// shows last before that point.
std::string Difference(const std::string& a, const std::string& b, const Corpus& corpus) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    const std::size_t line = a.rfind('\n', i) + 1, at = a.rfind("timestamp=\"", i);
    unsigned whole = 0, part = 0;
    if (at != std::string::npos) std::sscanf(a.c_str() + at + 11, "%u.%u", &whole, &part);
    const Record* r = corpus.At(whole * 50000000u + part / 2);
    return "before: " + a.substr(line, a.find('\n', i) - line) + "\nafter:  " + b.substr(line, b.find('\n', i) - line) +
           (r ? "\nrecord: " + r->label + "\n  " + r->line : "");
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
        if (r && r->label.find(" random") != std::string::npos) return;
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
            // One block may be any of its data unit's; more are the whole unit.
            const bool found = n == 1 ? std::any_of(unit.begin(), unit.end(), [&](const P25::P25_TSBK_DATA& b) {
                return std::memcmp(&b, r.tsbk, sizeof b) == 0;
            }) : unit.size() == n && std::memcmp(unit.data(), r.tsbk, sizeof r.tsbk[0] * n) == 0;
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
    // Logs the records; the log's text, with what went wrong reported.
    std::string Log(const std::vector<Record>& records) {
        std::string script;
        for (const Record& r : records) script += r.line + "\n";
        return Log(script);
    }
    std::string Log(const std::string& script) {
        const Result r = Log_text(script);
        EXPECT_EQ(r.status, 0) << "tessel log:\n" << r.err.substr(0, 4000);
        return r.out;
    }
    // Encodes a log; the script it writes, with what went wrong reported.
    std::string Encode(const std::string& log, bool must_succeed = true) {
        std::ofstream(Temp("log.xml"), std::ios::binary) << log;
        const Result r = Run("encode " + tool_test::Quote(Temp("log.xml")));
        // The reports that are not notes, when encode fails.
        std::string errors;
        std::istringstream lines(r.err);
        for (std::string line; std::getline(lines, line) && errors.size() < 4000;)
            if (line.find(": note: ") == std::string::npos) errors += line + "\n";
        EXPECT_TRUE(r.status == 0 || !must_succeed) << "tessel encode:\n" << errors;
        return r.out;
    }
};

}  // namespace

TEST_F(Round_trip, EveryFamilyLogsEncodesAndLogsTheSameBytes) {
    const Corpus corpus = Generate(20261206, 2);
    for (const std::string& note : corpus.notes) ADD_FAILURE() << note;
    ASSERT_GT(corpus.exact.size(), 1000u);

    const std::string first = Log(corpus.exact), again = Log(Encode(first));
    EXPECT_TRUE(first == again) << Difference(first, again, corpus);
    const std::vector<std::string> decoded = Decoded_faults(first, corpus);
    for (std::size_t i = 0; i < decoded.size() && i < 20; ++i) ADD_FAILURE() << decoded[i];
    EXPECT_EQ(decoded.size(), 0u);

    // Hidden bits settled by the first read-back.
    const std::string settled = Log(Encode(Log(corpus.settled))), settled_again = Log(Encode(settled));
    EXPECT_TRUE(settled == settled_again) << Difference(settled, settled_again, corpus);
}
