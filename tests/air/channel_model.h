// What the modem's tests and its benchmark send through: random TSBKs on a
// control channel, white noise with carrier offset, a radio's discriminator
// in front of an audio receiver, and the FFT that measures emissions.
#ifndef TESSEL_TESTS_AIR_CHANNEL_MODEL_H
#define TESSEL_TESTS_AIR_CHANNEL_MODEL_H

#include <complex>
#include <liquid/liquid.h>

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "tessel_air/codes.h"
#include "tessel_air/frames.h"
#include "tessel_air/modem.h"

namespace channel_model {

using tessel_air::Complex;
using Tsbk = std::array<std::uint8_t, 12>;
constexpr double pi = 3.14159265358979323846;

// Random TSBKs with good CRCs, three to a TSDU (the last-block flag on the
// third), the TSDUs back to back as a control channel sends them.
struct Traffic {
    std::vector<Tsbk> tsbks;
    std::vector<std::uint8_t> dibits;
};

inline Traffic Random_tsdus(std::size_t tsdus, unsigned seed) {
    std::mt19937 rng(seed);
    Traffic t;
    tessel_air::Frame_encoder encoder(tessel_air::Status_plan::control_channel);
    for (std::size_t f = 0; f < tsdus; ++f) {
        P25::TSBK_PDU_data unit;
        std::memset(&unit, 0, sizeof unit);
        unit.header.nid.nac = 0x293;
        unit.header.nid.duid = 7;
        unit.block_count = 3;
        for (int b = 0; b < 3; ++b) {
            Tsbk tsbk;
            for (int i = 0; i < 10; ++i) tsbk[std::size_t(i)] = std::uint8_t(rng());
            tsbk[0] = std::uint8_t((tsbk[0] & 0x7F) | (b == 2 ? 0x80 : 0));
            const std::uint16_t crc = tessel_air::Crc16(tsbk.data(), 10);
            tsbk[10] = std::uint8_t(crc >> 8), tsbk[11] = std::uint8_t(crc);
            std::memcpy(unit.tsbk[b].data, tsbk.data(), 12);
            t.tsbks.push_back(tsbk);
        }
        const std::vector<std::uint8_t> frame = encoder.Tsdu(unit);
        t.dibits.insert(t.dibits.end(), frame.begin(), frame.end());
    }
    return t;
}

// A carrier offset, then white noise at an Eb/N0 (dB; infinite: none) for FM
// of unit amplitude: Es is the carrier's energy over a symbol's samples, Eb
// half of it.
inline void Impair(std::vector<Complex>& iq, double rate, double ebn0_db, double offset_hz, unsigned seed) {
    std::mt19937 rng(seed);
    const double sigma2 = (rate / tessel_air::symbol_rate) / (2 * std::pow(10.0, ebn0_db / 10));
    std::normal_distribution<float> noise(0.0f, float(std::sqrt(sigma2 / 2)));
    const double step = 2 * pi * offset_hz / rate;
    for (std::size_t n = 0; n < iq.size(); ++n) {
        if (offset_hz != 0) iq[n] *= Complex(std::polar(1.0, std::fmod(step * double(n), 2 * pi)));
        if (std::isfinite(ebn0_db)) iq[n] += Complex(noise(rng), noise(rng));
    }
}

// The discriminator audio of a radio with a 12.5 kHz channel filter (a
// radian a sample is 1.0, as sample files carry it).
inline std::vector<float> Radio_audio(std::vector<Complex> iq, double rate) {
    firfilt_crcf filter = firfilt_crcf_create_kaiser(63, float(6250 / rate), 60.0f, 0.0f);
    firfilt_crcf_execute_block(filter, iq.data(), unsigned(iq.size()), iq.data());
    firfilt_crcf_destroy(filter);
    std::vector<float> audio(iq.size());
    freqdem discriminator = freqdem_create(float(1 / (2 * pi)));
    freqdem_demodulate_block(discriminator, iq.data(), unsigned(iq.size()), audio.data());
    freqdem_destroy(discriminator);
    return audio;
}

// The fraction of the TSBKs sent that the frame decoder does not give back
// with a good CRC (decoding the trellis blocks from the dibit costs, when given).
inline double Tsbks_lost(const std::vector<Tsbk>& sent, const std::vector<float>& symbols,
                         const std::vector<tessel_air::Symbol_costs>& costs = {}) {
    std::map<Tsbk, int> heard;
    tessel_air::Frame_decoder decoder([&](const tessel_air::Frame& f) {
        for (std::size_t b = 0; f.duid == tessel_air::Duid::TSDU && b < f.record.tsbk.block_count && b < 3; ++b) {
            Tsbk t;
            std::memcpy(t.data(), f.record.tsbk.tsbk[b].data, 12);
            if (tessel_air::Crc16(t.data(), 10) == (t[10] << 8 | t[11])) ++heard[t];
        }
    });
    decoder.Push(symbols.data(), nullptr, symbols.size(), costs.size() == symbols.size() ? costs.data() : nullptr);
    decoder.Flush();
    std::size_t lost = 0;
    for (const Tsbk& t : sent) lost += heard[t]-- > 0 ? 0 : 1;
    return double(lost) / double(sent.size());
}

// The power of IQ within [low, high] Hz of the carrier against the whole, in
// dB: averaged periodograms under a Kaiser window whose sidelobes (-150 dB)
// leave the floor measured to the signal.
inline double Band_power_db(const std::vector<Complex>& iq, double rate, double low, double high) {
    constexpr unsigned n = 4096;
    std::vector<Complex> x(n), y(n);
    std::vector<double> power(n);
    std::vector<float> window(n);
    for (unsigned i = 0; i < n; ++i) window[i] = liquid_kaiser(i, n, 20.0f);
    fftplan plan = fft_create_plan(n, x.data(), y.data(), LIQUID_FFT_FORWARD, 0);
    for (std::size_t at = 0; at + n <= iq.size(); at += n / 2) {
        for (unsigned i = 0; i < n; ++i) x[i] = iq[at + i] * window[i];
        fft_execute(plan);
        for (unsigned i = 0; i < n; ++i) power[i] += std::norm(y[i]);
    }
    fft_destroy_plan(plan);
    double band = 0, total = 0;
    for (unsigned i = 0; i < n; ++i) {
        const double f = (i < n / 2 ? double(i) : double(i) - n) * rate / n;
        total += power[i];
        band += f >= low && f <= high ? power[i] : 0;
    }
    return 10 * std::log10(band / total);
}

}  // namespace channel_model

#endif
