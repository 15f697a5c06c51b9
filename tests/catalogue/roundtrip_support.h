// Helpers of the catalogue tests: every registered definition, logging a
// framed message through the host entry points, and golden files under
// tests/data/catalogue/.
#ifndef TESSEL_TESTS_CATALOGUE_ROUNDTRIP_SUPPORT_H
#define TESSEL_TESTS_CATALOGUE_ROUNDTRIP_SUPPORT_H

#include <string>
#include <vector>

#include "trunking/support.h"

namespace catalogue {

using trk::Blocks;

// The definitions in registry order.
inline const std::vector<const P25::Trunking_handler_base*>& Definitions() {
    static const std::vector<const P25::Trunking_handler_base*> all = P25::MFID_record::Handlers();
    return all;
}

// "GRP_V_CH_GRANT osp 1".
inline std::string Label(const P25::Trunking_handler_base& h) {
    return std::string(h.Name()) + (h.Outbound() ? " osp " : " isp ") + std::to_string(h.BlockCount());
}

// Logs a framed message of h through the entry point of its kind (TSBK or
// PDU), as received on channel 2 at the given time.
inline void Log_message(const P25::Trunking_handler_base& h, const Blocks& m, std::uint32_t ticks = 50000000) {
    const P25::Source_info source = trk::Source(2, 0, h.Outbound() ? 1 : 0, ticks);
    (h.BlockCount() == 1 ? P25::Log_TSBK : P25::Log_PDU)(trk::Payload(source, m));
}

// The definition filed under name, direction and block count, or null.
inline const P25::Trunking_handler_base* Find(const char* name, bool outbound, unsigned blocks) {
    for (const P25::Trunking_handler_base* h : Definitions())
        if (h->Outbound() == outbound && h->BlockCount() == blocks && std::string(h->Name()) == name) return h;
    return nullptr;
}

// Compares text with tests/data/catalogue/<name>.
inline void Expect_golden(const std::string& name, const std::string& text) { Expect_golden_file("catalogue", name, text); }

}  // namespace catalogue

#endif
