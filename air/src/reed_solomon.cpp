// Reed-Solomon codes over GF(2^6) (x^6 + x + 1), shortened from 63: RS(24,12,13)
// of the link control, RS(24,16,9) of the encryption sync and RS(36,20,17) of
// the voice header.  Word symbol i is the coefficient of x^(n-1-i); the
// generator's roots are alpha^1 .. alpha^(n-k).  Decoding: syndromes,
// Berlekamp-Massey, a Chien search over the positions the word has, Forney.
#include <array>

#include "tessel_air/codes.h"

namespace tessel_air {

namespace {

struct Gf64 {
    std::array<std::uint8_t, 126> exp{};  // doubled, so products need no reduction
    std::array<int, 64> log{};
    Gf64() {
        unsigned v = 1;
        for (int i = 0; i < 63; ++i) {
            exp[i] = exp[i + 63] = static_cast<std::uint8_t>(v);
            log[v] = i;
            v <<= 1;
            if (v & 0x40) v ^= 0x43;
        }
        log[0] = -1;
    }
};

const Gf64& Field() {
    static const Gf64 field;
    return field;
}

std::uint8_t Mul(std::uint8_t a, std::uint8_t b) {
    if (!a || !b) return 0;
    const Gf64& f = Field();
    return f.exp[f.log[a] + f.log[b]];
}
std::uint8_t Div(std::uint8_t a, std::uint8_t b) {  // b != 0
    if (!a) return 0;
    const Gf64& f = Field();
    return f.exp[(f.log[a] - f.log[b] + 63) % 63];
}
std::uint8_t Inverse_power(int power) { return Field().exp[(63 - power % 63) % 63]; }

// p(x) at x, p's highest coefficient first.
std::uint8_t Eval_high_first(const std::uint8_t* p, int count, std::uint8_t x) {
    std::uint8_t v = 0;
    for (int i = 0; i < count; ++i) v = static_cast<std::uint8_t>(Mul(v, x) ^ p[i]);
    return v;
}
// p(x) at x, p's constant first.
std::uint8_t Eval_low_first(const std::uint8_t* p, int count, std::uint8_t x) {
    std::uint8_t v = 0;
    for (int i = count; i-- > 0;) v = static_cast<std::uint8_t>(Mul(v, x) ^ p[i]);
    return v;
}

}  // namespace

std::uint8_t Gf64_exp(int power) { return Field().exp[((power % 63) + 63) % 63]; }
std::uint8_t Gf64_mul(std::uint8_t a, std::uint8_t b) { return Mul(a & 0x3F, b & 0x3F); }

Reed_solomon::Reed_solomon(int n, int k) : n_(n), k_(k), generator_{1} {
    // g(x) = product of (x - alpha^j), j = 1 .. n-k; highest coefficient first.
    for (int j = 1; j <= n_ - k_; ++j) {
        std::vector<std::uint8_t> next(generator_.size() + 1, 0);
        for (std::size_t i = 0; i < generator_.size(); ++i) {
            next[i] ^= generator_[i];
            next[i + 1] ^= Mul(generator_[i], Gf64_exp(j));
        }
        generator_ = next;
    }
}

void Reed_solomon::Encode(std::uint8_t* word) const {
    const int parity = n_ - k_;
    std::vector<std::uint8_t> rem(parity, 0);
    for (int i = 0; i < k_; ++i) {
        const std::uint8_t feedback = static_cast<std::uint8_t>((word[i] & 0x3F) ^ rem[0]);
        for (int j = 0; j + 1 < parity; ++j) rem[j] = static_cast<std::uint8_t>(rem[j + 1] ^ Mul(feedback, generator_[j + 1]));
        rem[parity - 1] = Mul(feedback, generator_[parity]);
    }
    for (int j = 0; j < parity; ++j) word[k_ + j] = rem[j];
}

bool Reed_solomon::Decode(std::uint8_t* word, int& corrected) const {
    corrected = 0;
    const int two_t = n_ - k_;
    std::array<std::uint8_t, 64> r{};
    for (int i = 0; i < n_; ++i) r[i] = word[i] & 0x3F;

    std::array<std::uint8_t, 64> syndromes{};  // S_1 .. S_2t at 0 .. 2t-1
    bool clean = true;
    for (int j = 0; j < two_t; ++j) {
        syndromes[j] = Eval_high_first(r.data(), n_, Gf64_exp(j + 1));
        clean = clean && syndromes[j] == 0;
    }
    if (clean) {
        for (int i = 0; i < n_; ++i) word[i] = r[i];
        return true;
    }

    // Berlekamp-Massey: the error locator, constant first.
    std::array<std::uint8_t, 64> locator{1}, previous{1}, saved{};
    int degree = 0, shift = 1;
    std::uint8_t last_discrepancy = 1;
    for (int step = 0; step < two_t; ++step) {
        std::uint8_t d = syndromes[step];
        for (int i = 1; i <= degree; ++i) d ^= Mul(locator[i], syndromes[step - i]);
        if (d == 0) {
            ++shift;
            continue;
        }
        const std::uint8_t factor = Div(d, last_discrepancy);
        saved = locator;
        for (int i = 0; i + shift < 64; ++i) locator[i + shift] ^= Mul(factor, previous[i]);
        if (2 * degree <= step) {
            degree = step + 1 - degree;
            previous = saved;
            last_discrepancy = d;
            shift = 1;
        } else {
            ++shift;
        }
    }
    if (degree == 0 || 2 * degree > two_t) return false;

    // Omega(x) = S(x) * Lambda(x) mod x^2t.
    std::array<std::uint8_t, 64> omega{};
    for (int i = 0; i < two_t; ++i)
        for (int j = 0; j <= i && j <= degree; ++j) omega[i] ^= Mul(locator[j], syndromes[i - j]);
    // Lambda'(x): in characteristic 2 only the odd terms survive.
    std::array<std::uint8_t, 64> derivative{};
    for (int i = 1; i <= degree; i += 2) derivative[i - 1] = locator[i];

    int found = 0;
    for (int i = 0; i < n_; ++i) {
        const int power = n_ - 1 - i;
        const std::uint8_t x_inverse = Inverse_power(power);
        if (Eval_low_first(locator.data(), degree + 1, x_inverse) != 0) continue;
        const std::uint8_t denominator = Eval_low_first(derivative.data(), degree, x_inverse);
        if (denominator == 0) return false;
        r[i] ^= Div(Eval_low_first(omega.data(), two_t, x_inverse), denominator);
        ++found;
    }
    // Every root must fall on a position the shortened word has.
    if (found != degree) return false;
    for (int j = 0; j < two_t; ++j)
        if (Eval_high_first(r.data(), n_, Gf64_exp(j + 1)) != 0) return false;
    for (int i = 0; i < n_; ++i) word[i] = r[i];
    corrected = found;
    return true;
}

const Reed_solomon& Rs_24_12() {
    static const Reed_solomon code(24, 12);
    return code;
}
const Reed_solomon& Rs_24_16() {
    static const Reed_solomon code(24, 16);
    return code;
}
const Reed_solomon& Rs_36_20() {
    static const Reed_solomon code(36, 20);
    return code;
}

}  // namespace tessel_air
