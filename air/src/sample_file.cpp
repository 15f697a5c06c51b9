// Sample files: the IQ, audio and dibit formats the modem reads and writes.
#include "tessel_air/sample_file.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace tessel_air {

namespace {

struct Extension {
    const char* suffix;
    Sample_format format;
};
constexpr Extension extensions[] = {
    {".cfile", Sample_format::cf32}, {".cf32", Sample_format::cf32}, {".cu8", Sample_format::cu8},
    {".cs16", Sample_format::cs16},  {".wav", Sample_format::audio}, {".flac", Sample_format::audio},
    {".raw", Sample_format::raw},    {".dibits", Sample_format::dibits},
};

// Bytes per sample (per complex sample for IQ) of the headerless formats.
std::size_t Sample_bytes(Sample_format format) {
    switch (format) {
    case Sample_format::cf32: return 8;
    case Sample_format::cu8: return 2;
    case Sample_format::cs16: return 4;
    case Sample_format::raw: return 2;
    case Sample_format::dibits: return 1;
    case Sample_format::audio: return 0;
    }
    return 0;
}

float Finite(float f) { return std::isfinite(f) ? f : 0.0f; }  // a NaN would poison every filter after it
float Float_le(const uint8_t* p) {
    const uint32_t u = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    float f;
    std::memcpy(&f, &u, sizeof f);
    return Finite(f);
}
float S16_le(const uint8_t* p) { return float(int16_t(uint16_t(p[0] | p[1] << 8))) / 32768.0f; }
float U8(uint8_t v) { return (float(v) - 127.5f) / 127.5f; }

void Put_float_le(std::vector<uint8_t>& out, float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(u >> 8 * i));
}
int16_t To_s16(float v) { return int16_t(std::lrint(std::clamp(v * 32768.0f, -32768.0f, 32767.0f))); }
void Put_s16_le(std::vector<uint8_t>& out, float v) {
    const uint16_t u = uint16_t(To_s16(v));
    out.push_back(uint8_t(u));
    out.push_back(uint8_t(u >> 8));
}
uint8_t To_u8(float v) { return uint8_t(std::lrint(std::clamp(v * 127.5f + 127.5f, 0.0f, 255.0f))); }

bool Ends_with(const std::string& s, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (s.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i]) return false;
    return true;
}

bool Is_sound_file(const std::string& path) { return Ends_with(path, ".wav") || Ends_with(path, ".flac"); }

}  // namespace

bool Parse_sample_format(const std::string& name, Sample_format& format) {
    for (const Sample_format_name& f : sample_format_names)
        if (name == f.name) {
            format = f.format;
            return true;
        }
    return false;
}

bool Sample_format_of_path(const std::string& path, Sample_format& format) {
    for (const Extension& e : extensions)
        if (Ends_with(path, e.suffix)) {
            format = e.format;
            return true;
        }
    return false;
}

const char* Name(Sample_format format) {
    for (const Sample_format_name& f : sample_format_names)
        if (f.format == format) return f.name;
    return "?";
}

bool Is_iq(Sample_format format) {
    return format == Sample_format::cf32 || format == Sample_format::cu8 || format == Sample_format::cs16;
}

// ---------------------------------------------------------------------------------------------------------------------

namespace {

// The samples a WAV header's data chunk announces beyond those the file holds,
// from libsndfile's account of the header ("data : 20000 (should be 9956)").
// A streamed WAV announces no length (0, or a size near 2^31 or 2^32).
uint64_t Announced_frames(SNDFILE* f, const SF_INFO& info) {
    if ((info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV) return uint64_t(std::max<sf_count_t>(info.frames, 0));
    std::vector<char> log(8192);
    sf_command(f, SFC_GET_LOG_INFO, log.data(), int(log.size()));
    const char* data = std::strstr(log.data(), "\ndata : ");
    unsigned long long announced = 0, held = 0;
    if (!data || std::sscanf(data, "\ndata : %llu (should be %llu)", &announced, &held) != 2) return 0;
    if (announced == 0 || announced >= 0x7FFF0000ull) return 0;
    const uint64_t frames = uint64_t(std::max<sf_count_t>(info.frames, 0));
    const uint64_t frame_bytes = frames ? std::max<uint64_t>(held / frames, 1) : uint64_t(std::max(1, info.channels)) * 2;
    return announced / frame_bytes;
}

}  // namespace

Sample_reader::Sample_reader(const std::string& path, Sample_format format, double rate)
    : format_(format), rate_(rate) {
    struct stat st {};
    if (format == Sample_format::audio || (Is_iq(format) && Is_sound_file(path))) {
        // libsndfile reads "-" as standard input.
        SF_INFO info{};
        SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
        if (!f) {
            error_ = sf_strerror(nullptr);
            return;
        }
        sndfile_ = f;
        rate_ = info.samplerate;
        channels_ = std::max(1, info.channels);
        live_ = (path == "-" ? fstat(0, &st) : stat(path.c_str(), &st)) == 0 && !S_ISREG(st.st_mode);
        announced_ = Announced_frames(f, info);
        if (Is_iq(format) && channels_ != 2)
            error_ = std::to_string(channels_) + " channel" + (channels_ == 1 ? "" : "s") + ": IQ needs two, I and Q";
        return;
    }
    fd_ = path == "-" ? 0 : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        return;
    }
    if (fstat(fd_, &st) == 0) {
        live_ = !S_ISREG(st.st_mode);
        if (S_ISDIR(st.st_mode)) error_ = std::strerror(EISDIR);
    }
}

Sample_reader::~Sample_reader() {
    if (sndfile_) sf_close(static_cast<SNDFILE*>(sndfile_));
    if (fd_ > 0) close(fd_);
}

std::size_t Sample_reader::Read_bytes(std::size_t samples) {
    const std::size_t size = Sample_bytes(format_);
    bytes_.resize(carry_ + std::max<std::size_t>(samples, 1) * size);
    have_ = carry_;
    // A file fills the block; a pipe gives what has arrived, once a whole
    // sample is in.
    const std::size_t wanted = live_ ? size : bytes_.size();
    while (!at_end_ && have_ < wanted) {
        const ssize_t got = read(fd_, bytes_.data() + have_, bytes_.size() - have_);
        if (got > 0) {
            have_ += std::size_t(got);
            bytes_read_ += uint64_t(got);
        } else if (got == 0 || errno != EINTR) {
            if (got < 0) error_ = std::strerror(errno);
            at_end_ = true;
        }
    }
    return have_ / size;
}

void Sample_reader::Keep_partial(std::size_t samples) {
    // A partial sample at the end of this read waits for the next.
    const std::size_t used = samples * Sample_bytes(format_);
    carry_ = have_ - used;
    std::memmove(bytes_.data(), bytes_.data() + used, carry_);
    samples_read_ += samples;
}

std::size_t Sample_reader::Read_frames(std::size_t max) {
    frames_.resize(max * std::size_t(channels_));
    const sf_count_t got = sf_readf_float(static_cast<SNDFILE*>(sndfile_), frames_.data(), sf_count_t(max));
    if (got <= 0) {
        at_end_ = true;
        return 0;
    }
    samples_read_ += uint64_t(got);
    bytes_read_ += uint64_t(got) * uint64_t(channels_) * 2;  // an estimate, for progress
    return std::size_t(got);
}

std::size_t Sample_reader::Read_iq(std::vector<Complex>& out, std::size_t max) {
    out.clear();
    if (!Ok() || !Is_iq(format_)) return 0;
    if (sndfile_) {
        out.resize(Read_frames(max));
        const float* frame = frames_.data();
        for (Complex& z : out) {
            z = {Finite(frame[0]), Finite(frame[1])};
            frame += 2;
        }
        return out.size();
    }
    if (fd_ < 0) return 0;
    const std::size_t n = Read_bytes(max);
    out.resize(n);
    // I and Q alike: the values in order, one loop a format.
    const uint8_t* p = bytes_.data();
    float* v = reinterpret_cast<float*>(out.data());
    static const std::array<float, 256> u8_levels = [] {
        std::array<float, 256> levels;
        for (unsigned b = 0; b < levels.size(); ++b) levels[b] = U8(uint8_t(b));
        return levels;
    }();
    switch (format_) {
    case Sample_format::cf32:
        for (std::size_t i = 0; i < 2 * n; ++i) v[i] = Float_le(p + 4 * i);
        break;
    case Sample_format::cu8:
        for (std::size_t i = 0; i < 2 * n; ++i) v[i] = u8_levels[p[i]];
        break;
    default:
        for (std::size_t i = 0; i < 2 * n; ++i) v[i] = S16_le(p + 2 * i);
        break;
    }
    Keep_partial(n);
    return n;
}

std::size_t Sample_reader::Read_audio(std::vector<float>& out, std::size_t max) {
    out.clear();
    if (!Ok()) return 0;
    if (sndfile_) {
        out.resize(Read_frames(max));
        const float* frame = frames_.data();  // the first channel of each frame
        for (float& v : out) {
            v = Finite(*frame);
            frame += channels_;
        }
        return out.size();
    }
    if (fd_ < 0 || format_ != Sample_format::raw) return 0;
    const std::size_t n = Read_bytes(max);
    out.resize(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = S16_le(&bytes_[2 * i]);
    Keep_partial(n);
    return n;
}

std::size_t Sample_reader::Read_dibits(std::vector<uint8_t>& out, std::size_t max) {
    out.clear();
    if (!Ok() || fd_ < 0 || format_ != Sample_format::dibits) return 0;
    const std::size_t n = Read_bytes(max);
    out.assign(bytes_.begin(), bytes_.begin() + std::ptrdiff_t(n));
    not_dibits_ += uint64_t(std::count_if(out.begin(), out.end(), [](uint8_t d) { return d > 3; }));
    Keep_partial(n);
    return n;
}

// ---------------------------------------------------------------------------------------------------------------------

namespace {

// Whether what path names (standard output for "-") can be written back
// into: a regular file, or a path that does not exist yet.
bool Seekable(const std::string& path) {
    struct stat st;
    if (path == "-") return fstat(STDOUT_FILENO, &st) == 0 && S_ISREG(st.st_mode);
    return stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode);
}

void Put_le(std::vector<uint8_t>& out, uint32_t value, int octets) {
    for (int i = 0; i < octets; ++i) out.push_back(uint8_t(value >> 8 * i));
}

// The header of a 16-bit mono WAV stream whose length is not known when it
// starts: the RIFF and data sizes say the most they can, and a reader takes
// the data to the end of the stream.
std::vector<uint8_t> Streaming_wav_header(double rate) {
    const uint32_t unknown = 0xFFFFFFFFu, samples_a_second = uint32_t(std::lround(rate));
    std::vector<uint8_t> h;
    auto tag = [&h](const char* t) { h.insert(h.end(), t, t + 4); };
    tag("RIFF"), Put_le(h, unknown, 4), tag("WAVE");
    tag("fmt "), Put_le(h, 16, 4), Put_le(h, 1, 2), Put_le(h, 1, 2);  // PCM, one channel
    Put_le(h, samples_a_second, 4), Put_le(h, samples_a_second * 2, 4), Put_le(h, 2, 2), Put_le(h, 16, 2);
    tag("data"), Put_le(h, unknown, 4);
    return h;
}

}  // namespace

Sample_writer::Sample_writer(const std::string& path, Sample_format format, double rate) : format_(format) {
    const bool to_stdout = path == "-";
    if (format == Sample_format::audio && (Ends_with(path, ".flac") || Seekable(path))) {
        // The container follows the extension; libsndfile writes the sizes
        // into the header when the file is closed.
        SF_INFO info{};
        info.samplerate = int(std::lround(rate));
        info.channels = 1;
        info.format = (Ends_with(path, ".flac") ? SF_FORMAT_FLAC : SF_FORMAT_WAV) | SF_FORMAT_PCM_16;
        SNDFILE* f = to_stdout ? sf_open_fd(STDOUT_FILENO, SFM_WRITE, &info, SF_FALSE)
                               : sf_open(path.c_str(), SFM_WRITE, &info);
        if (!f) {
            error_ = sf_strerror(nullptr);
            return;
        }
        sndfile_ = f;
        return;
    }
    file_ = to_stdout ? stdout : std::fopen(path.c_str(), "wb");
    if (!file_) {
        error_ = std::strerror(errno);
        return;
    }
    if (format == Sample_format::audio) {
        // A pipe: WAV as a stream, its header first.
        bytes_ = Streaming_wav_header(rate);
        Write_bytes();
    }
}

Sample_writer::~Sample_writer() { Close(); }

bool Sample_writer::Write_bytes() {
    if (!file_) return false;
    if (std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size()) {
        if (error_.empty()) error_ = std::strerror(errno);
        return false;
    }
    return true;
}

bool Sample_writer::Write_iq(const std::vector<Complex>& samples) {
    bytes_.clear();
    for (const Complex& z : samples) switch (format_) {
        case Sample_format::cf32: Put_float_le(bytes_, z.real()), Put_float_le(bytes_, z.imag()); break;
        case Sample_format::cu8: bytes_.push_back(To_u8(z.real())), bytes_.push_back(To_u8(z.imag())); break;
        case Sample_format::cs16: Put_s16_le(bytes_, z.real()), Put_s16_le(bytes_, z.imag()); break;
        default: return false;
        }
    return Write_bytes();
}

bool Sample_writer::Write_audio(const std::vector<float>& samples) {
    if (sndfile_) {
        pcm_.resize(samples.size());
        std::transform(samples.begin(), samples.end(), pcm_.begin(), To_s16);
        const sf_count_t n = sf_write_short(static_cast<SNDFILE*>(sndfile_), pcm_.data(), sf_count_t(pcm_.size()));
        if (n != sf_count_t(pcm_.size())) {
            if (error_.empty()) error_ = sf_strerror(static_cast<SNDFILE*>(sndfile_));
            return false;
        }
        return true;
    }
    if (format_ != Sample_format::raw && format_ != Sample_format::audio) return false;
    bytes_.clear();
    for (float v : samples) Put_s16_le(bytes_, v);
    return Write_bytes();
}

bool Sample_writer::Write_dibits(const std::vector<uint8_t>& dibits) {
    if (format_ != Sample_format::dibits) return false;
    bytes_.assign(dibits.begin(), dibits.end());
    for (uint8_t& d : bytes_) d &= 3;
    return Write_bytes();
}

bool Sample_writer::Close() {
    if (sndfile_) {
        if (sf_close(static_cast<SNDFILE*>(sndfile_)) != 0 && error_.empty()) error_ = "cannot close the audio file";
        sndfile_ = nullptr;
    }
    if (file_) {
        errno = 0;
        const bool failed = std::fflush(file_) != 0 || std::ferror(file_);
        if (failed && error_.empty()) error_ = std::strerror(errno ? errno : EIO);
        if (file_ != stdout) std::fclose(file_);
        file_ = nullptr;
    }
    return error_.empty();
}

}  // namespace tessel_air
