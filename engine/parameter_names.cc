#include "engine/parameter_names.h"

static const char* const kSyncRateNames[24] = {
    "1/1.", "1/1",   "1/1T",  "1/2.", "1/2",   "1/2T",   "1/4.",  "1/4",
    "1/4T", "1/8.",  "1/8",   "1/8T", "1/16.", "1/16",   "1/16T", "1/32.",
    "1/32", "1/32T", "1/64.", "1/64", "1/64T", "1/128.", "1/128", "1/128T",
};

const char* sync_rate_name(uint32_t k) {
    return k >= 1 && k <= 24 ? kSyncRateNames[k - 1] : nullptr;
}

double sync_rate_cycles_per_quarter(uint32_t k) {
    if (k < 1 || k > 24)
        return 0.0;
    uint32_t group = (k - 1) / 3; // whole, half, quarter, ...
    double note_quarters = 4.0 / (double)(1u << group);
    static const double kLength[3] = {1.5, 1.0, 2.0 / 3.0}; // dotted, plain, triplet
    return 1.0 / (note_quarters * kLength[(k - 1) % 3]);
}

static const char* const kWaveformNames[4] = {"Sine", "Triangle", "Square", "Random"};

const char* waveform_name(uint32_t w) {
    return w >= 1 && w <= 4 ? kWaveformNames[w - 1] : nullptr;
}
