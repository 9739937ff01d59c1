// Cost of the Linux VST3 module's process() per sample, through the bundle's
// .so loaded as a host loads it (dlopen, ModuleEntry, GetPluginFactory): the
// frame's work (lock tries, queue reading, transport update, output
// reporting) on top of the engine's block. The still pedal and the LFO-moving
// pedal are the engine benchmark's situations with its input, so the three
// (engine, VST3, LV2) compare directly; a third case adds parameter changes
// and a process context to every block.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_signal.h"
#include "engine/parameter_table.h"
#include "tests/support/vst3host/vst3host.h"

namespace {

ParamID id_of(uint32_t index) {
    return kParameterDescriptions[index].param_id;
}

// The module's component and its processor, set up and active at 48 kHz.
struct LoadedComponent {
    Vst3HostModule module{};
    HostContext context;
    IComponent* component = nullptr;
    IAudioProcessor* processor = nullptr;

    bool open() {
        if (!vst3host_open(&module, OKA_VST3_MODULE_PATH))
            return false;
        IPluginFactory3* f = module.factory;
        PClassInfo info;
        void* obj = nullptr;
        if (f->vtbl->getClassInfo(f, 0, &info) != kResultOk ||
            f->vtbl->createInstance(f, info.cid, kIidIComponent, &obj) != kResultOk)
            return false;
        component = (IComponent*)obj;
        processor = (IAudioProcessor*)vst3host_query(component, kIidIAudioProcessor);
        host_context_init(&context);
        component->vtbl->initialize(component, &context.iface);
        ProcessSetup setup = {0, kSample32, 4096, 48000.0};
        processor->vtbl->setupProcessing(processor, &setup);
        component->vtbl->activateBus(component, kAudio, kInput, 0, 1);
        component->vtbl->activateBus(component, kAudio, kOutput, 0, 1);
        return component->vtbl->setActive(component, 1) == kResultOk;
    }
    void close() {
        if (processor != nullptr)
            vst3host_release(processor);
        if (component != nullptr) {
            component->vtbl->terminate(component);
            vst3host_release(component);
        }
        vst3host_close(&module);
    }
};

void run_blocks(benchmark::State& state, bool lfo, bool changes_and_context) {
    const int32_t block = (int32_t)state.range(0);
    LoadedComponent c;
    if (!c.open()) {
        state.SkipWithError("the module did not load: " OKA_VST3_MODULE_PATH);
        c.close();
        return;
    }
    std::vector<float> in = bench_noise((size_t)block), out((size_t)block);
    float* ins[1] = {in.data()};
    float* outs[1] = {out.data()};
    AudioBusBuffers in_bus = {}, out_bus = {};
    in_bus.numChannels = out_bus.numChannels = 1;
    in_bus.channelBuffers32 = ins;
    out_bus.channelBuffers32 = outs;
    HostChanges input, output;
    host_changes_init(&input);
    host_changes_init(&output);
    host_changes_add(&input, id_of(kLfoOn), 0, lfo ? 1.0 : 0.0);
    host_changes_add(&input, id_of(kLfoFreeRate), 0, plainToNormalized(kLfoFreeRate, 3.0));
    ProcessContext transport = {};
    transport.state = kContextPlaying | kContextTempoValid | kContextProjectTimeMusicValid;
    transport.tempo = 120.0;
    ProcessData data = {};
    data.numSamples = block;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &in_bus;
    data.outputs = &out_bus;
    data.inputParameterChanges = &input.iface;
    data.outputParameterChanges = &output.iface;
    c.processor->vtbl->process(c.processor, &data);
    data.inputParameterChanges = nullptr;
    for (int i = 0; i < bench_settle_blocks(block); ++i) {
        output.count = 0;
        c.processor->vtbl->process(c.processor, &data);
    }
    if (changes_and_context) {
        host_changes_init(&input);
        host_changes_add(&input, id_of(kMix), 0, 0.8);
        host_changes_add(&input, id_of(kHeelJaw), block - 1, 0.3);
        data.inputParameterChanges = &input.iface;
        data.processContext = &transport;
    }
    for (auto _ : state) {
        output.count = 0;
        transport.projectTimeMusic += (double)block / 24000.0;
        c.processor->vtbl->process(c.processor, &data);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_sample"] =
        benchmark::Counter((double)state.iterations() * block,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    c.close();
}

void BM_Vst3ProcessStill(benchmark::State& s) {
    run_blocks(s, false, false);
}
void BM_Vst3ProcessLfo(benchmark::State& s) {
    run_blocks(s, true, false);
}
void BM_Vst3ProcessLfoChangesContext(benchmark::State& s) {
    run_blocks(s, true, true);
}

} // namespace

BENCHMARK(BM_Vst3ProcessStill)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_Vst3ProcessLfo)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_Vst3ProcessLfoChangesContext)->Arg(32)->Arg(256);
BENCHMARK_MAIN();
