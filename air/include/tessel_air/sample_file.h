// Reading and writing the sample files the modem works on.
//
//   cf32    complex float32, I then Q, native little-endian (".cfile")
//   cu8     complex unsigned 8-bit, offset 127.5
//   cs16    complex signed 16-bit little-endian
//   audio   discriminator audio: WAV/FLAC (anything libsndfile reads; first
//           channel)
//   raw     discriminator audio, headerless signed 16-bit little-endian mono
//   dibits  one dibit (0-3) per byte
#ifndef TESSEL_AIR_SAMPLE_FILE_H
#define TESSEL_AIR_SAMPLE_FILE_H

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tessel_air/modem.h"

namespace tessel_air {

enum class Sample_format { cf32, cu8, cs16, audio, raw, dibits };

struct Sample_format_name {
    Sample_format format;
    const char* name;  // as given to --format
};
constexpr Sample_format_name sample_format_names[] = {
    {Sample_format::cf32, "cf32"},    {Sample_format::cu8, "cu8"},
    {Sample_format::cs16, "cs16"},    {Sample_format::audio, "audio"},
    {Sample_format::raw, "raw"},      {Sample_format::dibits, "dibits"},
};

// By name ("cf32", ...); false when unknown.
bool Parse_sample_format(const std::string& name, Sample_format& format);
// By the file's extension (.cfile .cf32 .cu8 .cs16 .wav .flac .raw .dibits);
// false when the extension names none.
bool Sample_format_of_path(const std::string& path, Sample_format& format);
const char* Name(Sample_format format);
bool Is_iq(Sample_format format);

class Sample_reader {
public:
    // Opens path ("-": standard input); on failure Error() says why.  rate:
    // for headerless formats; an audio file's header gives its own.  IQ may
    // also come in a two-channel WAV or FLAC file (I, then Q), by extension.
    Sample_reader(const std::string& path, Sample_format format, double rate);
    ~Sample_reader();
    Sample_reader(const Sample_reader&) = delete;
    Sample_reader& operator=(const Sample_reader&) = delete;
    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    double Rate() const { return rate_; }
    Sample_format Format() const { return format_; }
    uint64_t Bytes_read() const { return bytes_read_; }
    uint64_t Samples_read() const { return samples_read_; }
    // The input is a pipe or a terminal, not a file: samples arrive as they
    // are made, so a reader takes them in small blocks.
    bool Live() const { return live_; }
    // Channels of a WAV or FLAC file (the first is audio; I and Q for IQ).
    int Channels() const { return channels_; }
    // What a file's header announced, in samples, when more than it held
    // (a truncated file); 0 otherwise.  Known once the end is read.
    uint64_t Announced() const { return samples_read_ < announced_ ? announced_ : 0; }
    // Bytes left at the end that make no whole sample (a truncated file).
    std::size_t Leftover_bytes() const { return at_end_ ? carry_ : 0; }
    // Dibit files: bytes read that were no dibit (above 3).
    uint64_t Not_dibits() const { return not_dibits_; }

    // Reads up to max samples (or dibits); returns how many; 0 at the end or
    // on a read error (then Error() is set).  From a pipe a headerless format
    // returns what has arrived, at least one sample.
    std::size_t Read_iq(std::vector<Complex>& out, std::size_t max);
    std::size_t Read_audio(std::vector<float>& out, std::size_t max);
    std::size_t Read_dibits(std::vector<uint8_t>& out, std::size_t max);

private:
    std::size_t Read_bytes(std::size_t samples);  // whole samples now in bytes_
    void Keep_partial(std::size_t samples_used);
    std::size_t Read_frames(std::size_t max);  // libsndfile: frames now in frames_
    Sample_format format_;
    double rate_;
    int fd_ = -1;
    void* sndfile_ = nullptr;  // SNDFILE*
    int channels_ = 1;
    bool live_ = false, at_end_ = false;
    std::vector<uint8_t> bytes_;
    std::vector<float> frames_;
    std::size_t carry_ = 0;  // bytes of a partial sample kept from the last read
    std::size_t have_ = 0;   // bytes in bytes_ after a read
    uint64_t bytes_read_ = 0, samples_read_ = 0, announced_ = 0, not_dibits_ = 0;
    std::string error_;
};

class Sample_writer {
public:
    // audio is written as 16-bit PCM WAV; raw as headerless s16le.
    Sample_writer(const std::string& path, Sample_format format, double rate);
    ~Sample_writer();
    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    bool Write_iq(const std::vector<Complex>& samples);
    bool Write_audio(const std::vector<float>& samples);
    bool Write_dibits(const std::vector<uint8_t>& dibits);
    // Flushes and closes; false (and Error()) when anything failed.
    bool Close();

private:
    bool Write_bytes();
    Sample_format format_;
    std::FILE* file_ = nullptr;
    void* sndfile_ = nullptr;
    std::vector<uint8_t> bytes_;
    std::vector<int16_t> pcm_;
    std::string error_;
};

}  // namespace tessel_air

#endif
