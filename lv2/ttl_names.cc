#include "lv2/ttl_names.h"

static const char* const kSyncRateNames[24] = {
    "1/1 dotted",  "1/1",  "1/1 triplet",  "1/2 dotted",   "1/2",   "1/2 triplet",
    "1/4 dotted",  "1/4",  "1/4 triplet",  "1/8 dotted",   "1/8",   "1/8 triplet",
    "1/16 dotted", "1/16", "1/16 triplet", "1/32 dotted",  "1/32",  "1/32 triplet",
    "1/64 dotted", "1/64", "1/64 triplet", "1/128 dotted", "1/128", "1/128 triplet",
};

const char* lv2_sync_rate_name(uint32_t k) {
    return k >= 1 && k <= 24 ? kSyncRateNames[k - 1] : nullptr;
}

double lv2_sync_rate_cycles_per_quarter(uint32_t k) {
    if (k < 1 || k > 24)
        return 0.0;
    uint32_t group = (k - 1) / 3; // whole, half, quarter, ...
    double note_quarters = 4.0 / (double)(1u << group);
    static const double kLength[3] = {1.5, 1.0, 2.0 / 3.0}; // dotted, plain, triplet
    return 1.0 / (note_quarters * kLength[(k - 1) % 3]);
}

static const char* const kWaveformNames[4] = {"Sine", "Triangle", "Square", "Random"};

const char* lv2_waveform_name(uint32_t w) {
    return w >= 1 && w <= 4 ? kWaveformNames[w - 1] : nullptr;
}
