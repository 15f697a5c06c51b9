// Writes the seed corpora of the binary harnesses from record scripts: each
// record line becomes an entry-point payload (fuzz/entry_points.cpp), and
// each line a round-trip input (fuzz/roundtrip.cpp): a TSBK or PDU line in
// binary form, and every line as a one-line script.
//
//   fuzz_seeds ENTRY_DIR ROUNDTRIP_DIR SCRIPT...
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "script.h"

extern "C" int Fuzz_entry_index(const char* name);

namespace {

using Octets = std::vector<std::uint8_t>;

void Append(Octets& out, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

// The payload of one record line for the entry-point harness.
Octets Entry_payload(const tessel::Kind& kind, const tessel::Record_line& line) {
    Octets record;
    if (std::strcmp(kind.name, "time") == 0) {
        P25::Time_log t{};
        t.metadata = line.source;
        t.real_time.tm_year = line.date.year - 1900;
        t.real_time.tm_mon = line.date.month - 1;
        t.real_time.tm_mday = line.date.day;
        t.real_time.tm_hour = line.time.hour;
        t.real_time.tm_min = line.time.minute;
        t.real_time.tm_sec = line.time.second;
        Append(record, &t, sizeof t);
    } else {
        const P25::DUID_Header header = tessel::Header_of(line);
        Append(record, &header, sizeof header);
    }
    const std::size_t size = line.fill_crc ? 10 : 12;
    const std::size_t blocks = line.bytes.size() / size;
    for (std::size_t i = 0; i < blocks; ++i) {
        Append(record, &line.bytes[i * size], size);
        if (line.fill_crc) record.insert(record.end(), 2, 0);
    }
    Octets payload = {static_cast<std::uint8_t>(Fuzz_entry_index(kind.name)), static_cast<std::uint8_t>(line.fill_crc ? 1 : 0),
                      static_cast<std::uint8_t>(blocks), static_cast<std::uint8_t>(record.size()),
                      static_cast<std::uint8_t>(record.size() >> 8)};
    payload.insert(payload.end(), record.begin(), record.end());
    return payload;
}

// The round-trip input of a TSBK or PDU line, or nothing.
Octets Round_trip(const tessel::Kind& kind, const tessel::Record_line& line) {
    const bool pdu = std::strcmp(kind.name, "pdu") == 0;
    if (!pdu && std::strcmp(kind.name, "tsbk") != 0) return {};
    Octets out = {static_cast<std::uint8_t>((pdu ? 1 : 0) | (line.source.is_osp ? 2 : 0)), line.source.phys_channel};
    const std::size_t size = line.fill_crc ? 10 : 12;
    for (std::size_t i = 0; i + size <= line.bytes.size(); i += size)
        Append(out, &line.bytes[i], pdu ? 12 : 10);
    return out;
}

bool Write(const std::string& path, const Octets& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_seeds ENTRY_DIR ROUNDTRIP_DIR SCRIPT...\n");
        return 2;
    }
    const std::string entry_dir = argv[1], roundtrip_dir = argv[2];
    int written = 0;
    for (int f = 3; f < argc; ++f) {
        std::ifstream in(argv[f]);
        if (!in) {
            std::fprintf(stderr, "fuzz_seeds: cannot read %s\n", argv[f]);
            return 2;
        }
        Octets whole;
        std::string text;
        for (int number = 1; std::getline(in, text); ++number) {
            const tessel::Kind* kind = nullptr;
            tessel::Record_line line;
            std::string error;
            if (!tessel::Read_line(text, kind, line, error) || !kind) continue;
            const std::string name = std::to_string(f - 2) + "_" + std::to_string(number);
            const Octets payload = Entry_payload(*kind, line);
            whole.insert(whole.end(), payload.begin(), payload.end());
            if (!Write(entry_dir + "/" + name, payload)) return 2;
            const Octets trip = Round_trip(*kind, line);
            if (!trip.empty() && !Write(roundtrip_dir + "/" + name, trip)) return 2;
            // Every line also as a script of its own.
            if (!Write(roundtrip_dir + "/" + name + ".line", Octets(text.begin(), text.end()))) return 2;
            ++written;
        }
        if (!whole.empty() && !Write(entry_dir + "/" + std::to_string(f - 2) + "_all", whole)) return 2;
    }
    return written ? 0 : 2;
}
