// The input every per-sample benchmark feeds, so that the engine alone and
// the engine inside each plug-in format run the same samples: a quarter-scale
// noise from a fixed linear congruential sequence.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <vector>

inline std::vector<float> bench_noise(size_t n) {
    std::vector<float> v(n);
    uint32_t s = 1u;
    for (float& x : v) {
        s = s * 1664525u + 1013904223u;
        x = (static_cast<float>(s >> 8) * (1.0f / 8388608.0f) - 1.0f) * 0.25f;
    }
    return v;
}

// Blocks that make up one second at 48 kHz: run before timing so that the
// formants (and for a still pedal every smoother) have settled.
inline int bench_settle_blocks(int block) {
    return 48000 / block + 1;
}
