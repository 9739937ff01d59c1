// Nanoseconds per sample of wah_engine_process in typical situations, at
// three block sizes: a still pedal (formants settled), an LFO-moving pedal
// (every formant glides every sample), the envelope follower on noise with
// its default settings (the level holds the pedal at the toe) and an
// envelope set low enough to wander with the noise (every formant glides
// every sample, as with the LFO). Run with flush-to-zero on, as the plug-in
// frames do.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_signal.h"
#include "engine/parameter_table.h"
#include "engine/wah_engine.h"
#include "engine/wide_forms.h"
#include "platform/fp_env.h"

namespace {

enum Situation { kStill, kLfoMoving, kEnvelopeNoise, kEnvelopeWandering };

void prepare(WahEngine* e, Situation s) {
    wah_engine_init(e);
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        wah_engine_set_parameter(e, i, static_cast<float>(kInputParameterRecords[i].default_value));
    if (s == kLfoMoving) {
        wah_engine_set_parameter(e, kLfoOn, 1.0f);
        wah_engine_set_parameter(e, kLfoFreeRate, 3.0f);
    }
    if (s == kEnvelopeNoise)
        wah_engine_set_parameter(e, kEnvOn, 1.0f);
    if (s == kEnvelopeWandering) {
        wah_engine_set_parameter(e, kEnvOn, 1.0f);
        wah_engine_set_parameter(e, kEnvAmount, 3.0f); // the pedal wanders around 0.7
        wah_engine_set_parameter(e, kEnvAttack, 5.0f);
        wah_engine_set_parameter(e, kEnvRelease, 200.0f);
    }
    wah_engine_set_sample_rate(e, 48000.0f);
    wah_engine_reset(e);
}

void run(benchmark::State& state, Situation s) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    WahEngine e;
    prepare(&e, s);
    const std::vector<float> in = bench_noise(static_cast<size_t>(n));
    std::vector<float> out(static_cast<size_t>(n));
    FpDenormalGuard guard;
    fp_denormal_guard_enter(&guard);
    // Settle the formants (and, for the still pedal, every smoother).
    for (int i = 0; i < bench_settle_blocks(n); ++i)
        wah_engine_process(&e, in.data(), out.data(), n);
    for (auto _ : state) {
        wah_engine_process(&e, in.data(), out.data(), n);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    fp_denormal_guard_leave(&guard);
    state.counters["ns_per_sample"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * n,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_StillPedal(benchmark::State& state) {
    run(state, kStill);
}
void BM_LfoMovingPedal(benchmark::State& state) {
    run(state, kLfoMoving);
}
void BM_EnvelopeOnNoise(benchmark::State& state) {
    run(state, kEnvelopeNoise);
}
void BM_EnvelopeWandering(benchmark::State& state) {
    run(state, kEnvelopeWandering);
}

} // namespace

// The situations with block processing held to its baseline forms, as on
// processors without AVX2 and AVX-512 (and in the Windows build).
void baseline(benchmark::State& state, Situation s) {
    int count = 0;
    wide_forms_force(&wide_forms_available(&count)[0]);
    run(state, s);
    wide_forms_force(nullptr);
}
void BM_StillPedalBaseline(benchmark::State& state) {
    baseline(state, kStill);
}
void BM_LfoMovingPedalBaseline(benchmark::State& state) {
    baseline(state, kLfoMoving);
}

BENCHMARK(BM_StillPedal)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_LfoMovingPedal)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_EnvelopeOnNoise)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_EnvelopeWandering)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_StillPedalBaseline)->Arg(256);
BENCHMARK(BM_LfoMovingPedalBaseline)->Arg(256);
BENCHMARK_MAIN();
