#include "frame_log.h"

#include <cmath>
#include <ctime>

namespace tessel {

namespace {

using tessel_air::Duid;

// The log's clock: 50,000,000 ticks a second in 32 bits.
constexpr std::uint64_t ticks_per_second = 50000000;
constexpr std::uint64_t tick_wrap = std::uint64_t{1} << 32;
// A symbol period is 50,000,000 / 4,800 = 10416 2/3 ticks.
constexpr std::uint64_t ticks_per_12_symbols = 125000;
static_assert(ticks_per_second * 12 == ticks_per_12_symbols * tessel_air::symbol_rate,
              "ticks of a symbol period");

void Log_date_time(std::uint64_t second) {
    P25::Time_log record{};
    record.metadata.timestamp.value = static_cast<std::uint32_t>(second * ticks_per_second);
    const std::time_t t = static_cast<std::time_t>(second);
    std::tm calendar{};
    gmtime_r(&t, &calendar);
    record.real_time = calendar;
    P25::Log_time(record);
}

// The entry point of each data unit.
struct Frame_logger {
    Duid duid;
    void (*log)(const P25::Log_Dispatch_payload& payload);
};
const Frame_logger frame_loggers[] = {
    {Duid::HDU, P25::Log_Voice_header}, {Duid::TDU, P25::Log_voice_term}, {Duid::LDU1, P25::Log_voice_LDU1},
    {Duid::TSDU, P25::Log_TSBK},        {Duid::LDU2, P25::Log_voice_LDU2}, {Duid::PDU, P25::Log_PDU},
    {Duid::TDULC, P25::Log_voice_term_LC},
};

}  // namespace

std::uint64_t Ticks_at(double position, double rate) {
    const double symbols = position / rate * tessel_air::symbol_rate;
    const std::uint64_t k = symbols > 0 ? static_cast<std::uint64_t>(std::llround(symbols)) : 0;
    return (k * ticks_per_12_symbols + 6) / 12;
}

std::uint32_t Log_clock::Timestamp(std::uint64_t ticks) {
    if (ticks / tick_wrap != wrap_ || ticks - reference_ >= tick_wrap) {
        const std::uint64_t second = ticks / ticks_per_second;
        reference_ = second * ticks_per_second;
        wrap_ = ticks / tick_wrap;
        Log_date_time(second);
    }
    return static_cast<std::uint32_t>(ticks);
}

Frame_counts& Frame_counts::operator+=(const Frame_counts& other) {
    logged += other.logged;
    outbound += other.outbound;
    inbound += other.inbound;
    cut_off += other.cut_off;
    for (std::size_t d = 0; d < left_out.size(); ++d) left_out[d] += other.left_out[d];
    return *this;
}

unsigned long Frame_counts::Left_out() const {
    unsigned long n = 0;
    for (unsigned long c : left_out) n += c;
    return n;
}

void Print_left_out(std::FILE* out, const Frame_counts& counts) {
    if (counts.cut_off) std::fprintf(out, "  left out, cut off by the end of the recording: %lu frames\n", counts.cut_off);
    if (!counts.Left_out()) return;
    std::fprintf(out, "  left out, a word beyond correction: %lu frames", counts.Left_out());
    const char* separator = " (";
    for (unsigned duid = 0; duid < counts.left_out.size(); ++duid) {
        if (counts.left_out[duid] == 0) continue;
        std::fprintf(out, "%s%s %lu", separator, tessel_air::Duid_name(Duid(duid)), counts.left_out[duid]);
        separator = ", ";
    }
    std::fputs(")\n", out);
}

bool Frame_judge::Judge(const tessel_air::Frame& frame, bool& osp) {
    const bool by_status = direction_.Outbound(frame);
    osp = forced_ < 0 ? by_status : forced_ == 1;
    if (!frame.complete) {
        ++counts.cut_off;
        return false;
    }
    if (!frame.record_valid) {
        ++counts.left_out[static_cast<std::size_t>(frame.duid) & 0xF];
        return false;
    }
    ++(osp ? counts.outbound : counts.inbound);
    ++counts.logged;
    return true;
}

void Log_frame(const tessel_air::Frame& frame, std::uint32_t timestamp, std::uint8_t phys_channel, bool osp) {
    static P25::Log_Dispatch_payload payload;
    payload = frame.record;
    P25::Source_info& source = payload.header.metadata;
    source.timestamp.value = timestamp;
    source.phys_channel = phys_channel;
    source.dir_tx = 0;
    source.is_osp = osp ? 1 : 0;
    source.timeslot = 0;
    for (const Frame_logger& l : frame_loggers)
        if (l.duid == frame.duid) l.log(payload);
}

}  // namespace tessel
