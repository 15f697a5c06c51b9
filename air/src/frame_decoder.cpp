#include "layout.h"

namespace tessel_air {

struct Frame_decoder::Impl {
    Sink sink;
    Stats stats;
};

Frame_decoder::Frame_decoder(Sink sink) : impl_(new Impl{std::move(sink), {}}) {}
Frame_decoder::~Frame_decoder() = default;
void Frame_decoder::Push(const float*, std::size_t count) { impl_->stats.symbols += count; }
void Frame_decoder::Flush() {}
const Frame_decoder::Stats& Frame_decoder::Statistics() const { return impl_->stats; }

}  // namespace tessel_air
