// The host's receive listener.
#include <utility>

#include "P25_processing.h"
#include "shared/P25/P25_receive.h"

namespace P25 {

namespace {
Receive_listener& Listener() {
    static Receive_listener listener;
    return listener;
}
}  // namespace

void Set_receive_listener(Receive_listener listener) { Listener() = std::move(listener); }

bool Has_receive_listener() { return static_cast<bool>(Listener()); }

void Tell_receive_listener(Received what, const void* record) {
    if (const Receive_listener& listener = Listener()) listener(what, record);
}

}  // namespace P25

// The commits of the elements that feed no hook of their own: each hands
// its element to the listener.
P25_COMMIT_TELLS_ELEMENT(P25::p25_Voice_Hdr) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::p25_Ldu1) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::p25_Ldu2) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::p25_Term) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::p25_TermLC) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::F2_Voice_SF) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::F2_Burst) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::F2_Encrypt_Sync_Hdr) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::F2_Link_Control_Hdr) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::Chan_operation) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::Chan_set_enable) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::Chan_freq) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::Mobile_sim_state) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::Control_sim_state) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::Traffic_sim_state) { return P25::Tell_element(*this, record); }
P25_COMMIT_TELLS_ELEMENT(P25::Smartnet_data_log) { return P25::Tell_element(*this, record); }
