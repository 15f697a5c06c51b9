// The eye diagram and the symbol histogram as one self-contained SVG: traces
// two symbol periods long overlaid on the left, the histogram of the soft
// symbols (level units) on the right, the nominal levels and the slicer
// thresholds marked on both.
#include <algorithm>
#include <cstdio>

#include "tessel_air/modem.h"

namespace tessel_air {

namespace {

constexpr int width = 900, height = 420, margin = 40;
constexpr int eye_width = 560, histogram_left = margin + eye_width + 40;
constexpr float level_top = 4.5f;  // the plots span -4.5 .. +4.5 level units

float Y(float level) {
    const float clamped = std::clamp(level, -level_top, level_top);
    return margin + (level_top - clamped) / (2 * level_top) * float(height - 2 * margin);
}

}  // namespace

bool Write_eye_svg(const Eye& eye, const Demodulator_statistics& stats, const char* path) {
    std::FILE* f = std::fopen(path, "w");
    if (!f) return false;
    std::fprintf(f,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
                 "font-family=\"sans-serif\" font-size=\"12\">\n"
                 "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
                 width, height, width, height);
    std::fprintf(f,
                 "<text x=\"%d\" y=\"20\">Eye: %zu traces, two symbols; deviation %.0f Hz per level unit, "
                 "slicer noise %.3f</text>\n",
                 margin, eye.traces.size(), stats.deviation_hz, stats.noise_rms);
    std::fprintf(f, "<text x=\"%d\" y=\"20\">Symbol levels</text>\n", histogram_left);
    // Levels (solid) and thresholds (dashed) across both plots.
    for (int level = -3; level <= 3; ++level) {
        const bool threshold = level % 2 == 0;
        std::fprintf(f,
                     "<line x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\" stroke=\"%s\" %s/>\n"
                     "<text x=\"%d\" y=\"%.1f\" text-anchor=\"end\">%+d</text>\n",
                     margin, Y(float(level)), width - margin, Y(float(level)), threshold ? "#c66" : "#999",
                     threshold ? "stroke-dasharray=\"4 4\"" : "", margin - 4, Y(float(level)) + 4, level);
    }
    // Traces.
    const float dx = float(eye_width) / (Eye::trace_length - 1);
    std::fprintf(f, "<g fill=\"none\" stroke=\"#1f5fa8\" stroke-opacity=\"0.15\" stroke-width=\"1\">\n");
    for (const auto& trace : eye.traces) {
        std::fprintf(f, "<polyline points=\"");
        for (int k = 0; k < Eye::trace_length; ++k)
            std::fprintf(f, "%.1f,%.1f ", margin + k * dx, Y(trace[std::size_t(k)]));
        std::fprintf(f, "\"/>\n");
    }
    std::fprintf(f, "</g>\n");
    // The symbol instant.
    std::fprintf(f, "<line x1=\"%.1f\" y1=\"%d\" x2=\"%.1f\" y2=\"%d\" stroke=\"#333\" stroke-dasharray=\"2 3\"/>\n",
                 margin + eye_width / 2.0, margin, margin + eye_width / 2.0, height - margin);
    // Histogram: bars to the right, scaled to the fullest bin.
    const uint64_t fullest = *std::max_element(eye.histogram.begin(), eye.histogram.end());
    const float bin_height = (Eye::histogram_high - Eye::histogram_low) / Eye::histogram_bins;
    const int bar_room = width - margin - histogram_left;
    std::fprintf(f, "<g fill=\"#1f5fa8\">\n");
    for (int b = 0; b < Eye::histogram_bins && fullest > 0; ++b) {
        const uint64_t count = eye.histogram[std::size_t(b)];
        if (count == 0) continue;
        const float low = Eye::histogram_low + b * bin_height;
        const float top = Y(low + bin_height), bottom = Y(low);
        std::fprintf(f, "<rect x=\"%d\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\"/>\n", histogram_left, top,
                     double(bar_room) * double(count) / double(fullest), std::max(bottom - top, 0.5f));
    }
    std::fprintf(f, "</g>\n</svg>\n");
    const bool ok = !std::ferror(f);
    return std::fclose(f) == 0 && ok;
}

}  // namespace tessel_air
