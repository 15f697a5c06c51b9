// The trellis codes of trunking and data blocks, and their 98-dibit
// interleave.  The 1/2-rate code takes dibits through a 4-state machine, the
// 3/4-rate code tribits through an 8-state one; both emit a constellation
// point per input, which goes on air as a pair of dibits.  Decoding is a
// Viterbi search scored by the soft distance of the received symbol values
// (below), or by bit differences from their hard decisions.
#include <algorithm>
#include <cmath>
#include <limits>

#include "tessel_air/codes.h"
#include "tessel_air/symbols.h"

namespace tessel_air {

namespace {

// Point sent for input x in state s; the next state is x.
constexpr std::uint8_t half_rate_points[4][4] = {
    {0, 15, 12, 3},
    {4, 11, 8, 7},
    {13, 2, 1, 14},
    {9, 6, 5, 10},
};
constexpr std::uint8_t three_quarter_points[8][8] = {
    {0, 8, 4, 12, 2, 10, 6, 14},
    {4, 12, 2, 10, 6, 14, 0, 8},
    {1, 9, 5, 13, 3, 11, 7, 15},
    {5, 13, 3, 11, 7, 15, 1, 9},
    {3, 11, 7, 15, 1, 9, 5, 13},
    {7, 15, 1, 9, 5, 13, 3, 11},
    {2, 10, 6, 14, 0, 8, 4, 12},
    {6, 14, 0, 8, 4, 12, 2, 10},
};
// Point -> dibit pair (first dibit in the high two bits).
constexpr std::uint8_t point_dibits[16] = {0x2, 0xA, 0x7, 0xF, 0xE, 0x6, 0xB, 0x3,
                                           0xD, 0x5, 0x8, 0x0, 0x1, 0x9, 0x4, 0xC};

constexpr int steps = 49;  // 48 inputs and the flush

// The soft distance of a received pair of symbols from a point, as errors
// a and b in level units.  A symbol is the phase step of the carrier over a
// symbol period, so neighbours share the noise of the phase at the instant
// between them and their errors correlate at -1/2; a point's two symbols go
// out side by side, so their errors are weighed together, by the inverse of
// that covariance (a^2 + ab + b^2).  Noise taking the carrier round the
// origin (a click) adds a whole turn, 8 level units, to one symbol: an error
// beyond half a turn is scored as the turn taken back plus click_cost, so
// one click cannot outweigh the rest of the block.
constexpr float turn = 8.0f, click_cost = 3.0f;

float Unclicked(float& error) {
    if (error > turn / 2) {
        error -= turn;
        return click_cost;
    }
    if (error < -turn / 2) {
        error += turn;
        return click_cost;
    }
    return 0.0f;
}


float Soft_distance(float a, float b) {
    const float clicks = Unclicked(a) + Unclicked(b);
    return a * a + a * b + b * b + clicks;
}

std::uint8_t Hard_dibit(float s) {
    if (s >= 2.0f) return 1;
    if (s >= 0.0f) return 0;
    if (s >= -2.0f) return 2;
    return 3;
}

template <int States>
void Encode(const std::uint8_t (&points)[States][States], const std::uint8_t* inputs48,
            std::array<std::uint8_t, block_dibits>& out) {
    std::array<std::uint8_t, block_dibits> coded{};
    unsigned state = 0;
    for (int t = 0; t < steps; ++t) {
        const unsigned x = t < steps - 1 ? inputs48[t] : 0;
        const std::uint8_t pair = point_dibits[points[state][x]];
        coded[2 * t] = pair >> 2;
        coded[2 * t + 1] = pair & 3;
        state = x;
    }
    const auto& order = Block_interleave();
    for (std::size_t j = 0; j < block_dibits; ++j) out[j] = coded[order[j]];
}

// The Viterbi search: branch(t, p) scores point p at step t (coded symbols
// 2t and 2t+1); heard[i] is coded symbol i's hard decision, against which
// the corrected bits are counted.
template <int States, class Branch>
Trellis_result Search(const std::uint8_t (&points)[States][States], Branch branch, const std::uint8_t* heard,
                      std::uint8_t* inputs48) {
    constexpr float unreachable = std::numeric_limits<float>::infinity();
    std::array<float, States> metric;
    metric.fill(unreachable);
    metric[0] = 0;
    std::array<std::array<std::uint8_t, States>, steps> from{};
    for (int t = 0; t < steps; ++t) {
        std::array<float, 16> cost;
        for (int p = 0; p < 16; ++p) cost[p] = branch(t, p);
        std::array<float, States> next;
        next.fill(unreachable);
        const int inputs = t < steps - 1 ? States : 1;  // the flush input is 0
        for (int x = 0; x < inputs; ++x)
            for (int s = 0; s < States; ++s) {
                const float m = metric[s] + cost[points[s][x]];
                if (m < next[x]) {
                    next[x] = m;
                    from[t][x] = static_cast<std::uint8_t>(s);
                }
            }
        metric = next;
    }
    Trellis_result result;
    result.ok = metric[0] < unreachable;
    unsigned state = 0;
    for (int t = steps - 1; t >= 1; --t) {
        state = from[t][state];
        inputs48[t - 1] = static_cast<std::uint8_t>(state);
    }
    // Channel bits the chosen path disagrees with.
    unsigned s = 0;
    for (int t = 0; t < steps; ++t) {
        const unsigned x = t < steps - 1 ? inputs48[t] : 0;
        const std::uint8_t pair = point_dibits[points[s][x]];
        result.bits_corrected += __builtin_popcount(pair ^ (heard[2 * t] << 2 | heard[2 * t + 1]));
        s = x;
    }
    return result;
}

template <int States>
Trellis_result Decode(const std::uint8_t (&points)[States][States], const float* symbols98, Trellis_metric score,
                      std::uint8_t* inputs48) {
    const auto& order = Block_interleave();
    std::array<float, block_dibits> coded{};
    std::array<std::uint8_t, block_dibits> heard{};
    for (std::size_t j = 0; j < block_dibits; ++j) {
        const float s = std::isfinite(symbols98[j]) ? symbols98[j] : 0.0f;
        heard[order[j]] = Hard_dibit(s);
        coded[order[j]] = score == Trellis_metric::hard ? dibit_level[heard[order[j]]] : s;
    }
    return Search(
        points,
        [&](int t, int p) {
            const float a = coded[2 * t] - dibit_level[point_dibits[p] >> 2];
            const float b = coded[2 * t + 1] - dibit_level[point_dibits[p] & 3];
            // Hard decisions differ from a point by 0, 2, 4 or 6 levels a
            // symbol; a bit difference count is what a hard decoder scores.
            switch (score) {
            case Trellis_metric::receiver: return Soft_distance(a, b);
            case Trellis_metric::euclidean: return a * a + b * b;
            case Trellis_metric::hard: break;
            }
            const unsigned pair = heard[2 * t] << 2 | heard[2 * t + 1];
            return static_cast<float>(__builtin_popcount(point_dibits[p] ^ pair));
        },
        heard.data(), inputs48);
}

template <int States>
Trellis_result Decode(const std::uint8_t (&points)[States][States], const Symbol_costs* costs98,
                      std::uint8_t* inputs48) {
    const auto& order = Block_interleave();
    std::array<Symbol_costs, block_dibits> coded{};
    std::array<std::uint8_t, block_dibits> heard{};
    for (std::size_t j = 0; j < block_dibits; ++j) {
        Symbol_costs& c = coded[order[j]];
        for (int d = 0; d < 4; ++d) c[d] = std::isfinite(costs98[j][d]) ? costs98[j][d] : 0.0f;
        heard[order[j]] = static_cast<std::uint8_t>(std::min_element(c.begin(), c.end()) - c.begin());
    }
    return Search(
        points,
        [&](int t, int p) { return coded[2 * t][point_dibits[p] >> 2] + coded[2 * t + 1][point_dibits[p] & 3]; },
        heard.data(), inputs48);
}

}  // namespace

const std::array<std::uint8_t, block_dibits>& Block_interleave() {
    // Transmitted pair k carries coded pair 0, 4, 8, ..., 48, 1, 5, ..., 45, 2, ..., 46, 3, ..., 47.
    static const std::array<std::uint8_t, block_dibits> order = [] {
        std::array<std::uint8_t, block_dibits> o{};
        int k = 0;
        for (int phase = 0; phase < 4; ++phase)
            for (int pair = phase; pair < 49; pair += 4, ++k) {
                o[2 * k] = static_cast<std::uint8_t>(2 * pair);
                o[2 * k + 1] = static_cast<std::uint8_t>(2 * pair + 1);
            }
        return o;
    }();
    return order;
}

std::array<std::uint8_t, block_dibits> Trellis_half_encode(const std::uint8_t* octets12) {
    std::uint8_t inputs[48];
    for (int i = 0; i < 48; ++i) inputs[i] = (octets12[i / 4] >> (6 - 2 * (i % 4))) & 3;
    std::array<std::uint8_t, block_dibits> out{};
    Encode<4>(half_rate_points, inputs, out);
    return out;
}

std::array<std::uint8_t, block_dibits> Trellis_three_quarter_encode(const std::uint8_t* octets18) {
    std::uint8_t inputs[48];
    for (int i = 0; i < 48; ++i) {
        unsigned tribit = 0;
        for (int b = 0; b < 3; ++b) {
            const int bit = 3 * i + b;
            tribit = (tribit << 1) | ((octets18[bit / 8] >> (7 - bit % 8)) & 1u);
        }
        inputs[i] = static_cast<std::uint8_t>(tribit);
    }
    std::array<std::uint8_t, block_dibits> out{};
    Encode<8>(three_quarter_points, inputs, out);
    return out;
}

namespace {

void Half_octets(const std::uint8_t* inputs, std::uint8_t* octets12) {
    for (int i = 0; i < 12; ++i)
        octets12[i] = static_cast<std::uint8_t>(inputs[4 * i] << 6 | inputs[4 * i + 1] << 4 | inputs[4 * i + 2] << 2 |
                                                inputs[4 * i + 3]);
}

void Three_quarter_octets(const std::uint8_t* inputs, std::uint8_t* octets18) {
    for (int i = 0; i < 18; ++i) octets18[i] = 0;
    for (int i = 0; i < 48; ++i)
        for (int b = 0; b < 3; ++b) {
            const int bit = 3 * i + b;
            if ((inputs[i] >> (2 - b)) & 1u) octets18[bit / 8] |= static_cast<std::uint8_t>(0x80u >> (bit % 8));
        }
}

}  // namespace

Trellis_result Trellis_half_decode(const float* symbols98, std::uint8_t* octets12, bool hard) {
    return Trellis_half_decode(symbols98, octets12, hard ? Trellis_metric::hard : Trellis_metric::receiver);
}

Trellis_result Trellis_three_quarter_decode(const float* symbols98, std::uint8_t* octets18, bool hard) {
    return Trellis_three_quarter_decode(symbols98, octets18, hard ? Trellis_metric::hard : Trellis_metric::receiver);
}

Trellis_result Trellis_half_decode(const float* symbols98, std::uint8_t* octets12, Trellis_metric metric) {
    std::uint8_t inputs[48];
    const Trellis_result result = Decode<4>(half_rate_points, symbols98, metric, inputs);
    Half_octets(inputs, octets12);
    return result;
}

Trellis_result Trellis_three_quarter_decode(const float* symbols98, std::uint8_t* octets18, Trellis_metric metric) {
    std::uint8_t inputs[48];
    const Trellis_result result = Decode<8>(three_quarter_points, symbols98, metric, inputs);
    Three_quarter_octets(inputs, octets18);
    return result;
}

Trellis_result Trellis_half_decode(const Symbol_costs* costs98, std::uint8_t* octets12) {
    std::uint8_t inputs[48];
    const Trellis_result result = Decode<4>(half_rate_points, costs98, inputs);
    Half_octets(inputs, octets12);
    return result;
}

Trellis_result Trellis_three_quarter_decode(const Symbol_costs* costs98, std::uint8_t* octets18) {
    std::uint8_t inputs[48];
    const Trellis_result result = Decode<8>(three_quarter_points, costs98, inputs);
    Three_quarter_octets(inputs, octets18);
    return result;
}

}  // namespace tessel_air
