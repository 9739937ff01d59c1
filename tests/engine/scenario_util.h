// What the scenarios share: the hash, the input signal, and a recorder that
// runs a block and hashes what the host would see of it.
#pragma once
#include <stdint.h>

#include <vector>

#include "scenarios.h"

struct Fnv1a {
    uint64_t h = 0xcbf29ce484222325ull;
    void add(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h ^= (v >> (8 * i)) & 0xFFu;
            h *= 0x100000001b3ull;
        }
    }
};

// Sample t of noise plus a tone, the same bits in every build (no library
// sine); silent from silent_from on in each gate_period samples (when
// gate_period is set).
float scenario_input(const std::vector<float>& noise, int32_t t, int32_t gate_period,
                     int32_t silent_from);

// Runs blocks and hashes each block's output samples and the four output
// values.
struct ScenarioRecorder {
    ProcessFn process;
    std::vector<float>* keep;
    int* lead_taken;
    Fnv1a hash;
    std::vector<float> in, out;

    ScenarioRecorder(ProcessFn p, std::vector<float>* k, int* lead)
        : process(p), keep(k), lead_taken(lead), in(8192), out(8192) {}
    // Processes in[0..n) into out.
    void block(WahEngine* e, int32_t n);
};
