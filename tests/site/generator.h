// A random site as a record script: a control channel broadcasting its
// channel identifier, status broadcasts and grants, back to back, and
// traffic channels carrying the granted calls at their timestamps, all on
// frequencies of the site's own plan inside a band.
//
// Channels are numbered as wideband receive numbers them: the control
// channel 0, then each traffic channel in the order it is first used (its
// first grant, or its first frame for a call already running at the start,
// which has no grant).
#ifndef TESSEL_TESTS_SITE_GENERATOR_H
#define TESSEL_TESTS_SITE_GENERATOR_H

#include <cstdint>
#include <map>
#include <string>

namespace site_test {

struct Site_shape {
    double center_hz = 851100000;
    double rate = 200000;       // the band is the centre +- rate/2 (less a channel's edge)
    double seconds = 2.5;
    unsigned traffic_channels = 3;  // 2-6
    unsigned plan_after = 0;        // TSDUs sent before the first channel identifier
};

struct Site {
    std::string script;
    std::map<unsigned, std::uint32_t> frequency;  // physical channel -> Hz
    unsigned grants = 0;     // grant and grant-update TSBKs sent
    unsigned calls = 0;
    unsigned voice_frames = 0;
    bool running_call = false;  // a call under way at the start, never granted
};

Site Generate_site(std::uint32_t seed, const Site_shape& shape);

}  // namespace site_test

#endif
