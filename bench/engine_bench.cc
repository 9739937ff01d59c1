// Nanoseconds per sample of wah_engine_process in typical situations, at
// three block sizes, in the form of block processing the frames run (the
// widest; BM_StillPedal/256 and so on) and in each form this processor has
// (0 baseline, 1 AVX2, 2 AVX-512; BM_StillPedalForm/0/256 and so on): a still pedal (formants
// settled), an LFO-moving pedal (every formant glides every sample), the
// envelope follower on noise with its default settings (the level holds the
// pedal at the toe) and an envelope set low enough to wander with the noise
// (every formant glides every sample, as with the LFO). Run with
// flush-to-zero on, as the plug-in frames do. bench/compare.py runs builds
// of this program interleaved.
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

// Form -1: the one wah_engine_process chooses.
void run_in(benchmark::State& state, Situation s, int form, int32_t n) {
    int count = 0;
    const WideForms* forms = wide_forms_available(&count);
    if (form >= count) {
        state.SkipWithError("this processor lacks the form");
        return;
    }
    wide_forms_force(form >= 0 ? &forms[form] : nullptr);
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
    wide_forms_force(nullptr);
    state.counters["ns_per_sample"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * n,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void run(benchmark::State& state, Situation s) {
    run_in(state, s, -1, static_cast<int32_t>(state.range(0)));
}
void run_form(benchmark::State& state, Situation s) {
    run_in(state, s, static_cast<int>(state.range(0)), static_cast<int32_t>(state.range(1)));
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
void BM_StillPedalForm(benchmark::State& state) {
    run_form(state, kStill);
}
void BM_LfoMovingPedalForm(benchmark::State& state) {
    run_form(state, kLfoMoving);
}
void BM_EnvelopeOnNoiseForm(benchmark::State& state) {
    run_form(state, kEnvelopeNoise);
}

} // namespace

BENCHMARK(BM_StillPedal)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_LfoMovingPedal)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_EnvelopeOnNoise)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_EnvelopeWandering)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_StillPedalForm)->ArgsProduct({{0, 1, 2}, {32, 256, 4096}});
BENCHMARK(BM_LfoMovingPedalForm)->ArgsProduct({{0, 1, 2}, {32, 256, 4096}});
BENCHMARK(BM_EnvelopeOnNoiseForm)->ArgsProduct({{0, 1, 2}, {32, 256, 4096}});
BENCHMARK_MAIN();
