// The logging road against two hand-written floors that produce the same
// bytes: one builds the elements as libxml2 trees and dumps them, the other
// prints them with snprintf.  Measured in process (one TSBK through
// P25::Log_TSBK: "Status_bits", "TSBK" and "Trunking_message") and end to end
// (`tessel log` on a generated script against this program's own floor
// modes, which read the same script).  `tessel replay` of the log is timed
// too, against an older tessel when TESSEL_BEFORE names one.
//
// Every floor is checked byte for byte against Tessel's output before it is
// timed.  Timings are interleaved (each round runs every contender once)
// and the medians are reported as ratios: floor time / Tessel time, so that
// 2.0 reads "Tessel runs twice as fast as the floor".
#include <benchmark/benchmark.h>
#include <libxml/tree.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "P25_processing.h"
#include "Trunking_handler.h"
#include "crc.h"

namespace {

// ---- the records -------------------------------------------------------------------

// One grant TSBK with its source, as a script line and the floors see it.
struct Grant {
    std::uint32_t ticks = 0;
    unsigned channel = 1;
    std::uint8_t b[12] = {};
};

// Opcodes of the grant family and their two layouts.
const char* Grant_name(unsigned opcode) {
    switch (opcode) {
    case 0: return "GRP_V_CH_GRANT";
    case 4: return "UU_V_CH_GRANT";
    case 6: return "UU_V_CH_GRANT_UPDT";
    case 16: return "IND_DATA_CH_GRANT";
    case 17: return "GRP_DATA_CH_GRANT";
    default: return nullptr;
    }
}
bool Group_layout(unsigned opcode) { return opcode == 0 || opcode == 17; }

Grant Make_grant(std::mt19937& random, long index) {
    static const std::uint8_t opcodes[] = {0, 4, 6, 16, 17};
    Grant g;
    const long ms = index % 80000;  // the tick count wraps after 85.9 s
    g.ticks = static_cast<std::uint32_t>(ms * 50000);
    for (int k = 2; k < 10; ++k) g.b[k] = static_cast<std::uint8_t>(random());
    g.b[0] = opcodes[random() % 5] | 0x80;
    g.b[1] = 0x00;
    const std::uint16_t crc = static_cast<std::uint16_t>(~ccitt_16(0, g.b, 10));
    g.b[10] = static_cast<std::uint8_t>(crc >> 8);
    g.b[11] = static_cast<std::uint8_t>(crc);
    return g;
}

void To_payload(const Grant& g, P25::Log_Dispatch_payload& payload) {
    std::memset(&payload, 0, sizeof payload);
    P25::TSBK_PDU_data& r = payload.tsbk;
    r.header.metadata.timestamp.value = g.ticks;
    r.header.metadata.phys_channel = static_cast<std::uint8_t>(g.channel);
    r.header.metadata.is_osp = 1;
    std::memcpy(r.tsbk[0].data, g.b, 12);
    r.block_count = 1;
}

double Seconds(const Grant& g) { return g.ticks / 50000000.0; }

const char* Bool(unsigned bit) { return bit ? "true" : "false"; }

// ---- the snprintf floor -------------------------------------------------------------

// Appends the three elements of one grant, as the log writes them.
void Printf_grant(const Grant& g, std::string& out) {
    char buf[1024];
    const std::uint8_t* b = g.b;
    char source[160];
    std::snprintf(source, sizeof source,
                  "timestamp=\"%11.8f\" phys_channel=\"%u\" direction=\"rx\" type=\"osp\" timeslot=\"0\"", Seconds(g),
                  g.channel);
    int n = std::snprintf(buf, sizeof buf,
                          "  <Status_bits %s/>\n"
                          "  <TSBK %s NAC=\"000\">%02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X </TSBK>\n"
                          "  <Trunking_message %s>\n"
                          "    <P25_TSBK_header last_block=\"%s\" protected_flag=\"%s\" opcode=\"%u\" mfid=\"%02X\"/>\n",
                          source, source, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], source,
                          Bool(b[0] & 0x80), Bool(b[0] & 0x40), b[0] & 0x3Fu, b[1]);
    out.append(buf, static_cast<std::size_t>(n));
    const unsigned opcode = b[0] & 0x3F;
    if (Group_layout(opcode)) {
        n = std::snprintf(buf, sizeof buf,
                          "    <%s>\n"
                          "      <Service_options emergency=\"%s\" protected_flag=\"%s\" full_duplex=\"%s\" "
                          "packet_mode=\"%s\" Reserved=\"%u\" priority=\"%u\"/>\n"
                          "      <Channel id=\"%u\" number=\"%u\"/>\n"
                          "      <Group_address>%04X</Group_address>\n"
                          "      <Source_address>%06X</Source_address>\n"
                          "    </%s>\n",
                          Grant_name(opcode), Bool(b[2] & 0x80), Bool(b[2] & 0x40), Bool(b[2] & 0x20), Bool(b[2] & 0x10),
                          (b[2] >> 3) & 1u, b[2] & 7u, b[3] >> 4u, (b[3] & 0x0Fu) << 8 | b[4], b[5] << 8 | b[6],
                          static_cast<unsigned>(b[7] << 16 | b[8] << 8 | b[9]), Grant_name(opcode));
    } else {
        n = std::snprintf(buf, sizeof buf,
                          "    <%s>\n"
                          "      <Channel id=\"%u\" number=\"%u\"/>\n"
                          "      <Target_address>%06X</Target_address>\n"
                          "      <Source_address>%06X</Source_address>\n"
                          "    </%s>\n",
                          Grant_name(opcode), b[2] >> 4u, (b[2] & 0x0Fu) << 8 | b[3],
                          static_cast<unsigned>(b[4] << 16 | b[5] << 8 | b[6]),
                          static_cast<unsigned>(b[7] << 16 | b[8] << 8 | b[9]), Grant_name(opcode));
    }
    out.append(buf, static_cast<std::size_t>(n));
    out += "  </Trunking_message>\n";
}

// ---- the libxml2 floor --------------------------------------------------------------

struct Tree_floor {
    xmlBufferPtr buffer = xmlBufferCreate();
    ~Tree_floor() { xmlBufferFree(buffer); }

    static void Prop(xmlNode* n, const char* name, const char* format, unsigned v) {
        char text[16];
        std::snprintf(text, sizeof text, format, v);
        xmlNewProp(n, BAD_CAST name, BAD_CAST text);
    }
    static void Source(xmlNode* n, const Grant& g) {
        char text[32];
        std::snprintf(text, sizeof text, "%11.8f", Seconds(g));
        xmlNewProp(n, BAD_CAST "timestamp", BAD_CAST text);
        Prop(n, "phys_channel", "%u", g.channel);
        xmlNewProp(n, BAD_CAST "direction", BAD_CAST "rx");
        xmlNewProp(n, BAD_CAST "type", BAD_CAST "osp");
        xmlNewProp(n, BAD_CAST "timeslot", BAD_CAST "0");
    }
    static void Leaf(xmlNode* parent, const char* name, const char* format, unsigned v) {
        char text[16];
        std::snprintf(text, sizeof text, format, v);
        xmlNewChild(parent, nullptr, BAD_CAST name, BAD_CAST text);
    }
    static void Channel(xmlNode* parent, const std::uint8_t* c) {
        xmlNode* n = xmlNewChild(parent, nullptr, BAD_CAST "Channel", nullptr);
        Prop(n, "id", "%u", c[0] >> 4u);
        Prop(n, "number", "%u", (c[0] & 0x0Fu) << 8 | c[1]);
    }
    void Dump(xmlNode* n, std::FILE* out) {
        xmlBufferEmpty(buffer);
        xmlNodeDump(buffer, nullptr, n, 1, 1);
        std::fputs("  ", out);
        std::fwrite(xmlBufferContent(buffer), 1, static_cast<std::size_t>(xmlBufferLength(buffer)), out);
        std::fputc('\n', out);
        xmlFreeNode(n);
    }

    void Grant_to(const Grant& g, std::FILE* out) {
        const std::uint8_t* b = g.b;
        xmlNode* status = xmlNewNode(nullptr, BAD_CAST "Status_bits");
        Source(status, g);
        Dump(status, out);

        xmlNode* tsbk = xmlNewNode(nullptr, BAD_CAST "TSBK");
        Source(tsbk, g);
        xmlNewProp(tsbk, BAD_CAST "NAC", BAD_CAST "000");
        char text[40];
        for (int i = 0; i < 12; ++i) std::snprintf(text + 3 * i, 4, "%02X ", b[i]);
        xmlNodeAddContent(tsbk, BAD_CAST text);
        Dump(tsbk, out);

        xmlNode* message = xmlNewNode(nullptr, BAD_CAST "Trunking_message");
        Source(message, g);
        xmlNode* header = xmlNewChild(message, nullptr, BAD_CAST "P25_TSBK_header", nullptr);
        xmlNewProp(header, BAD_CAST "last_block", BAD_CAST Bool(b[0] & 0x80));
        xmlNewProp(header, BAD_CAST "protected_flag", BAD_CAST Bool(b[0] & 0x40));
        Prop(header, "opcode", "%u", b[0] & 0x3Fu);
        Prop(header, "mfid", "%02X", b[1]);
        const unsigned opcode = b[0] & 0x3F;
        xmlNode* grant = xmlNewChild(message, nullptr, BAD_CAST Grant_name(opcode), nullptr);
        if (Group_layout(opcode)) {
            xmlNode* so = xmlNewChild(grant, nullptr, BAD_CAST "Service_options", nullptr);
            xmlNewProp(so, BAD_CAST "emergency", BAD_CAST Bool(b[2] & 0x80));
            xmlNewProp(so, BAD_CAST "protected_flag", BAD_CAST Bool(b[2] & 0x40));
            xmlNewProp(so, BAD_CAST "full_duplex", BAD_CAST Bool(b[2] & 0x20));
            xmlNewProp(so, BAD_CAST "packet_mode", BAD_CAST Bool(b[2] & 0x10));
            Prop(so, "Reserved", "%u", (b[2] >> 3) & 1u);
            Prop(so, "priority", "%u", b[2] & 7u);
            Channel(grant, b + 3);
            Leaf(grant, "Group_address", "%04X", b[5] << 8 | b[6]);
        } else {
            Channel(grant, b + 2);
            Leaf(grant, "Target_address", "%06X", static_cast<unsigned>(b[4] << 16 | b[5] << 8 | b[6]));
        }
        Leaf(grant, "Source_address", "%06X", static_cast<unsigned>(b[7] << 16 | b[8] << 8 | b[9]));
        Dump(message, out);
    }
};

// ---- in process -----------------------------------------------------------------------

const int Batch = 2000;  // grants per timed call

std::vector<Grant> Batch_grants() {
    std::mt19937 random(7);
    std::vector<Grant> grants;
    for (int i = 0; i < Batch; ++i) grants.push_back(Make_grant(random, i * 37));
    return grants;
}

struct Contender {
    const char* name;
    std::function<void(const std::vector<Grant>&, std::FILE*)> run;
};

// The host keeps one record and fills in what each TSBK changes.
void Run_tessel(const std::vector<Grant>& grants, std::FILE* out) {
    static P25::Log_Dispatch_payload payload;
    To_payload(grants.front(), payload);
    XML_routines::Output_file log(out);
    XML_routines::Output_file::Set_current(&log);
    for (const Grant& g : grants) {
        payload.tsbk.header.metadata.timestamp.value = g.ticks;
        payload.tsbk.header.metadata.phys_channel = static_cast<std::uint8_t>(g.channel);
        std::memcpy(payload.tsbk.tsbk[0].data, g.b, 12);
        P25::Log_TSBK(payload);
    }
    XML_routines::Output_file::Set_current(nullptr);
    log.Close();
}

void Run_tree(const std::vector<Grant>& grants, std::FILE* out) {
    static Tree_floor floor;
    std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P25_log_data>\n", out);
    for (const Grant& g : grants) floor.Grant_to(g, out);
    std::fputs("</P25_log_data>\n", out);
    std::fflush(out);
}

void Run_printf(const std::vector<Grant>& grants, std::FILE* out) {
    static std::string text;
    std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P25_log_data>\n", out);
    for (const Grant& g : grants) {
        text.clear();
        Printf_grant(g, text);
        std::fwrite(text.data(), 1, text.size(), out);
    }
    std::fputs("</P25_log_data>\n", out);
    std::fflush(out);
}

const Contender contenders[] = {
    {"tessel", Run_tessel},
    {"libxml2 floor", Run_tree},
    {"snprintf floor", Run_printf},
};

// What a contender writes for the batch: one whole log document.
std::string Output_of(const Contender& c, const std::vector<Grant>& grants) {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    c.run(grants, f);
    std::fclose(f);
    std::string s(data, size);
    std::free(data);
    return s;
}

bool Same_bytes(const char* what, const std::string& tessel, const std::string& floor) {
    if (tessel == floor) return true;
    std::size_t at = 0;
    while (at < tessel.size() && at < floor.size() && tessel[at] == floor[at]) ++at;
    std::fprintf(stderr, "%s: output differs from tessel's at octet %zu:\n  tessel: %.80s\n  floor:  %.80s\n", what, at,
                 tessel.c_str() + std::min(at, tessel.size()), floor.c_str() + std::min(at, floor.size()));
    return false;
}

bool Check_in_process() {
    const std::vector<Grant> grants = Batch_grants();
    const std::string expected = Output_of(contenders[0], grants);
    bool ok = true;
    for (std::size_t i = 1; i < std::size(contenders); ++i)
        ok = Same_bytes(contenders[i].name, expected, Output_of(contenders[i], grants)) && ok;
    return ok;
}

void BM_Log(benchmark::State& state, const Contender* c) {
    const std::vector<Grant> grants = Batch_grants();
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) c->run(grants, sink);
    std::fclose(sink);
    state.SetItemsProcessed(state.iterations() * Batch);
}
BENCHMARK_CAPTURE(BM_Log, tessel, &contenders[0]);
BENCHMARK_CAPTURE(BM_Log, libxml2_floor, &contenders[1]);
BENCHMARK_CAPTURE(BM_Log, snprintf_floor, &contenders[2]);

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// CPU time (user and system) of this process and of the children it waited
// for: the machine may be shared, so wall time says little.
double Cpu_seconds() {
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        total += u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
    }
    return total;
}

template <class F>
double Time(F&& f) {
    const double start = Cpu_seconds();
    f();
    return Cpu_seconds() - start;
}

// Medians of interleaved rounds, one per contender.
std::vector<double> Interleaved(const std::vector<std::function<void()>>& runs, int rounds) {
    std::vector<std::vector<double>> times(runs.size());
    for (int r = 0; r < rounds; ++r)
        for (std::size_t i = 0; i < runs.size(); ++i) times[i].push_back(Time(runs[i]));
    std::vector<double> medians;
    for (auto& t : times) medians.push_back(Median(t));
    return medians;
}

void Report_in_process() {
    const std::vector<Grant> grants = Batch_grants();
    std::FILE* sink = std::fopen("/dev/null", "w");
    std::vector<std::function<void()>> runs;
    for (const Contender& c : contenders) runs.push_back([&c, &grants, sink] { c.run(grants, sink); });
    const std::vector<double> t = Interleaved(runs, 31);
    std::fclose(sink);
    std::printf("\nIn process, one TSBK (Status_bits + TSBK + Trunking_message), CPU time, median of 31 interleaved "
                "rounds:\n");
    for (std::size_t i = 0; i < t.size(); ++i)
        std::printf("  %-15s %7.2f us/TSBK\n", contenders[i].name, t[i] * 1e6 / Batch);
    std::printf("  speed vs libxml2 floor:  %.2fx\n", t[1] / t[0]);
    std::printf("  speed vs snprintf floor: %.2fx (Tessel takes %.2fx the floor's time)\n", t[2] / t[0], t[0] / t[2]);
}

// ---- end to end --------------------------------------------------------------------------

const long Script_lines = 100000;

std::string Temp_path(const char* tag) {
    char path[64];
    std::snprintf(path, sizeof path, "/tmp/tessel_bench_%s_XXXXXX", tag);
    const int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    return path;
}

void Write_script(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::mt19937 random(2);
    for (long i = 0; i < Script_lines; ++i) {
        const Grant g = Make_grant(random, i);
        std::fprintf(f, "tsbk phys_channel=%u timestamp=%u.%03u", g.channel, g.ticks / 50000000u,
                     g.ticks % 50000000u / 50000u);
        for (int k = 0; k < 12; ++k) std::fprintf(f, " %02X", g.b[k]);
        std::fputc('\n', f);
    }
    std::fclose(f);
}

// Reads a line the script writer wrote; false for anything else.
bool Parse_line(const char* line, Grant& g) {
    unsigned channel, seconds, ms;
    int used = 0;
    if (std::sscanf(line, "tsbk phys_channel=%u timestamp=%u.%3u%n", &channel, &seconds, &ms, &used) != 3) return false;
    g.channel = channel;
    g.ticks = seconds * 50000000u + ms * 50000u;
    const char* p = line + used;
    for (int k = 0; k < 12; ++k) {
        unsigned v;
        int n = 0;
        if (std::sscanf(p, " %2x%n", &v, &n) != 1) return false;
        g.b[k] = static_cast<std::uint8_t>(v);
        p += n;
    }
    return true;
}

// The floor programs: this binary run as `--floor=xml SCRIPT` or
// `--floor=printf SCRIPT`, writing the log document to standard output.
int Floor_main(const char* kind, const char* script) {
    std::FILE* in = std::fopen(script, "r");
    if (!in) return 2;
    const bool tree = std::strcmp(kind, "xml") == 0;
    Tree_floor floor;
    std::string text;
    std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P25_log_data>\n", stdout);
    char line[512];
    while (std::fgets(line, sizeof line, in)) {
        Grant g;
        if (!Parse_line(line, g)) continue;
        if (tree) {
            floor.Grant_to(g, stdout);
        } else {
            text.clear();
            Printf_grant(g, text);
            std::fwrite(text.data(), 1, text.size(), stdout);
        }
    }
    std::fputs("</P25_log_data>\n", stdout);
    std::fclose(in);
    return 0;
}

std::string Self;

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

bool Same_files(const std::string& a, const std::string& b) { return Run("cmp -s " + a + " " + b); }

void Report_end_to_end() {
    const std::string script = Temp_path("script"), log = Temp_path("log"), floor_out = Temp_path("floor");
    Write_script(script);
    const std::string tessel = TESSEL_TOOL;
    const std::string log_cmd = tessel + " log " + script;
    const std::string xml_cmd = Self + " --floor=xml " + script;
    const std::string printf_cmd = Self + " --floor=printf " + script;
    bool ok = Run(log_cmd + " > " + log);
    ok = ok && Run(xml_cmd + " > " + floor_out) && Same_files(log, floor_out);
    ok = ok && Run(printf_cmd + " > " + floor_out) && Same_files(log, floor_out);
    if (!ok) {
        std::printf("\nEnd to end: the floors' output differs from `tessel log`'s; not timed\n");
    } else {
        const std::vector<double> t = Interleaved({[&] { Run(log_cmd + " > /dev/null"); },
                                                   [&] { Run(xml_cmd + " > /dev/null"); },
                                                   [&] { Run(printf_cmd + " > /dev/null"); }},
                                                  7);
        std::printf("\nEnd to end, %ld script lines, CPU time, median of 7 interleaved runs:\n", Script_lines);
        std::printf("  tessel log      %7.1f ms\n  libxml2 floor   %7.1f ms\n  snprintf floor  %7.1f ms\n", t[0] * 1e3,
                    t[1] * 1e3, t[2] * 1e3);
        std::printf("  speed vs libxml2 floor:  %.2fx\n", t[1] / t[0]);
        std::printf("  speed vs snprintf floor: %.2fx\n", t[2] / t[0]);
    }

    // Replay of the log just written, against an older tessel if given.
    const char* before = std::getenv("TESSEL_BEFORE");
    std::vector<std::function<void()>> runs = {[&] { Run(tessel + " replay " + log + " > /dev/null 2>&1"); }};
    if (before) runs.push_back([&] { Run(std::string(before) + " replay " + log + " > /dev/null 2>&1"); });
    const std::vector<double> t = Interleaved(runs, 7);
    std::printf("\nReplay of that log (%ld Status_bits, TSBK and Trunking_message each), CPU time, median of 7 "
                "runs:\n",
                Script_lines);
    std::printf("  tessel replay   %7.1f ms\n", t[0] * 1e3);
    if (before) std::printf("  before (%s) %7.1f ms\n  speed after / before: %.2fx\n", before, t[1] * 1e3, t[1] / t[0]);
    else std::printf("  (set TESSEL_BEFORE to an older tessel to compare)\n");
    std::remove(script.c_str());
    std::remove(log.c_str());
    std::remove(floor_out.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strncmp(argv[1], "--floor=", 8) == 0) return Floor_main(argv[1] + 8, argv[2]);
    Self = argv[0];
    if (argc == 3 && std::strcmp(argv[1], "--profile") == 0) {  // the in-process road alone, for a profiler
        const std::vector<Grant> grants = Batch_grants();
        std::FILE* sink = std::fopen("/dev/null", "w");
        for (int i = std::atoi(argv[2]); i > 0; --i) Run_tessel(grants, sink);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--script") == 0) {  // the end-to-end script alone, for a profiler
        Write_script(argv[2]);
        return 0;
    }
    if (!Check_in_process()) {
        std::fprintf(stderr, "in process: a floor does not write what tessel writes; not timed\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Report_in_process();
    Report_end_to_end();
    return 0;
}
