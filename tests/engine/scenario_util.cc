#include "scenario_util.h"

#include <string.h>

#include "engine/fast_math.h"

float scenario_input(const std::vector<float>& noise, int32_t t, int32_t gate_period,
                     int32_t silent_from) {
    if (gate_period > 0 && t % gate_period >= silent_from)
        return 0.0f;
    const float tone = fast_sin2pi(fast_frac(static_cast<float>(t % 100000) * 0.00731f));
    return noise[static_cast<size_t>(t * 7) % noise.size()] + 0.3f * tone;
}

void ScenarioRecorder::block(WahEngine* e, int32_t n) {
    // A copy whose head start has other glided cutoffs sounds different
    // exactly when the block takes the head start up.
    WahEngine spoiled;
    if (lead_taken) {
        spoiled = *e;
        for (float& cutoff : spoiled.lead.cutoff_cur)
            cutoff *= 1.25f;
    }
    process(e, in.data(), out.data(), n);
    for (int32_t i = 0; i < n; ++i)
        hash.add(fast_bits(out[i]));
    hash.add(fast_bits(e->mod_position));
    hash.add(fast_bits(e->lfo_phase));
    hash.add(fast_bits(e->lfo_out));
    hash.add(fast_bits(e->env_out));
    if (keep)
        keep->insert(keep->end(), out.begin(), out.begin() + n);
    if (lead_taken) {
        std::vector<float> other(static_cast<size_t>(n));
        wah_engine_process(&spoiled, in.data(), other.data(), n);
        *lead_taken += memcmp(other.data(), out.data(), other.size() * sizeof(float)) != 0;
    }
}
