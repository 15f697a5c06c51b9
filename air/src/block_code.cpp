// Systematic binary block codes by generator rows, decoded by syndrome table.
#include <bitset>

#include "tessel_air/codes.h"

namespace tessel_air {

namespace {

// Calls visit(pattern) for every n-bit pattern of exactly `weight` ones.
template <typename Visit>
void Each_pattern(int n, int weight, std::uint32_t partial, int from, Visit&& visit) {
    if (weight == 0) {
        visit(partial);
        return;
    }
    for (int bit = from; bit < n; ++bit) Each_pattern(n, weight - 1, partial | (1u << bit), bit + 1, visit);
}

}  // namespace

Block_code::Block_code(int n, int k, int t, const std::uint32_t* rows)
    : n_(n), k_(k), t_(t), rows_(rows, rows + k), syndrome_errors_(std::size_t{1} << (n - k), ~0u) {
    const std::uint32_t parity_mask = (1u << (n_ - k_)) - 1;
    // Lightest patterns first, so each syndrome keeps its lightest error.
    for (int weight = 0; weight <= t_; ++weight)
        Each_pattern(n_, weight, 0, 0, [&](std::uint32_t e) {
            const std::uint32_t syndrome = (e & parity_mask) ^ Parity(e >> (n_ - k_));
            if (syndrome_errors_[syndrome] == ~0u) syndrome_errors_[syndrome] = e;
        });
}

std::uint32_t Block_code::Parity(std::uint32_t data) const {
    std::uint32_t parity = 0;
    for (int r = 0; r < k_; ++r)
        if ((data >> (k_ - 1 - r)) & 1u) parity ^= rows_[r];
    return parity & ((1u << (n_ - k_)) - 1);
}

std::uint32_t Block_code::Encode(std::uint32_t data) const {
    data &= (1u << k_) - 1;
    return (data << (n_ - k_)) | Parity(data);
}

bool Block_code::Decode(std::uint32_t word, std::uint32_t& data, int& corrected) const {
    word &= (n_ == 32 ? ~0u : (1u << n_) - 1);
    const std::uint32_t parity_mask = (1u << (n_ - k_)) - 1;
    const std::uint32_t syndrome = (word & parity_mask) ^ Parity(word >> (n_ - k_));
    const std::uint32_t error = syndrome_errors_[syndrome];
    if (error == ~0u) {
        data = word >> (n_ - k_);
        corrected = 0;
        return false;
    }
    data = (word ^ error) >> (n_ - k_);
    corrected = static_cast<int>(std::bitset<32>(error).count());
    return true;
}

}  // namespace tessel_air
