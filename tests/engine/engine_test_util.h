// Helpers shared by the engine tests: a prepared engine at the table's
// defaults, and exact float comparison by bit pattern.
#pragma once
#include <emmintrin.h>
#include <string.h>

#include <vector>

#include "engine/parameter_table.h"
#include "engine/wah_engine.h"

inline uint32_t float_bits(float x) {
    uint32_t b;
    memcpy(&b, &x, sizeof b);
    return b;
}

// One lane of an SSE register, and its bit pattern.
inline float lane_of(__m128 v, int lane) {
    float f[4];
    _mm_storeu_ps(f, v);
    return f[lane];
}

inline uint32_t lane_bits(__m128 v, int lane) {
    return float_bits(lane_of(v, lane));
}

inline float bits_float(uint32_t b) {
    float x;
    memcpy(&x, &b, sizeof x);
    return x;
}

// init, the 32 defaults in index order, sample rate, reset: what a frame does.
inline void prepare_default_engine(WahEngine* e, float fs) {
    wah_engine_init(e);
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        wah_engine_set_parameter(e, i, static_cast<float>(kInputParameterRecords[i].default_value));
    wah_engine_set_sample_rate(e, fs);
    wah_engine_reset(e);
}

inline std::vector<float> process_block(WahEngine* e, const std::vector<float>& in) {
    std::vector<float> out(in.size());
    wah_engine_process(e, in.data(), out.data(), static_cast<int32_t>(in.size()));
    return out;
}

// Deterministic test noise in [-amp, amp).
inline std::vector<float> test_noise(size_t n, float amp, uint32_t seed = 12345u) {
    std::vector<float> v(n);
    uint32_t s = seed;
    for (float& x : v) {
        s = s * 1664525u + 1013904223u;
        x = (static_cast<float>(s >> 8) * (1.0f / 8388608.0f) - 1.0f) * amp;
    }
    return v;
}
