// Cost of the LV2 plug-in's run() per sample: the frame's work (lock try,
// 32 port comparisons, transport intake) on top of the engine's block, for a
// still pedal and for the LFO moving it, with and without a time position
// event in every block. The still and LFO situations and the input are the
// engine benchmark's, so the engine alone and each format compare directly.
#include <benchmark/benchmark.h>
#include <lv2/time/time.h>

#include <vector>

#include "bench/bench_signal.h"
#include "lv2/lv2_plugin.h"
#include "tests/support/lv2host/lv2host.h"

static void run_blocks(benchmark::State& state, bool lfo, bool transport) {
    const uint32_t block = (uint32_t)state.range(0);
    Lv2HostUrids urids;
    Lv2HostFeatures features(&urids, nullptr);
    Lv2HostSequence seq(&urids);
    LV2_Handle h = lv2_plugin_instantiate(lv2_plugin_descriptor(), 48000.0, "", features.list());
    float controls[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        controls[i] = i == kBypass ? 1.0f : lv2_parameter_record(i).default_value;
        lv2_plugin_connect_port(h, lv2_port_of_parameter(i), &controls[i]);
    }
    controls[kLfoOn] = lfo ? 1.0f : 0.0f;
    controls[kLfoFreeRate] = 3.0f;
    std::vector<float> in = bench_noise(block), out(block);
    lv2_plugin_connect_port(h, kLv2PortAudioIn, in.data());
    lv2_plugin_connect_port(h, kLv2PortAudioOut, out.data());
    lv2_plugin_connect_port(h, kLv2PortEvents, seq.sequence());
    if (transport) {
        seq.begin_position(0);
        seq.add_float(LV2_TIME__speed, 1.0f);
        seq.add_float(LV2_TIME__beatsPerMinute, 120.0f);
        seq.add_double(LV2_TIME__beat, 1.0);
        seq.end_event();
    }
    lv2_plugin_activate(h);
    for (int i = 0; i < bench_settle_blocks((int)block); ++i)
        lv2_plugin_run(h, block);
    for (auto _ : state) {
        lv2_plugin_run(h, block);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_sample"] =
        benchmark::Counter((double)state.iterations() * block,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    lv2_plugin_cleanup(h);
}

static void BM_Lv2RunStill(benchmark::State& s) {
    run_blocks(s, false, false);
}
static void BM_Lv2RunLfo(benchmark::State& s) {
    run_blocks(s, true, false);
}
static void BM_Lv2RunLfoTransport(benchmark::State& s) {
    run_blocks(s, true, true);
}
BENCHMARK(BM_Lv2RunStill)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_Lv2RunLfo)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_Lv2RunLfoTransport)->Arg(32)->Arg(256);
BENCHMARK_MAIN();
