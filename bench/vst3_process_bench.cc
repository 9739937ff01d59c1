// Cost of the VST3 component's process() per sample: the frame's work (lock
// tries, queue reading, transport update, output reporting) on top of the
// engine's block, for a still pedal and the LFO moving it, with and without
// parameter changes and a process context in every block.
#include <benchmark/benchmark.h>
#include <math.h>

#include <vector>

#include "engine/parameter_table.h"
#include "tests/support/vst3host/vst3host.h"
#include "vst3/factory.h"

static void run_blocks(benchmark::State& state, bool lfo, bool changes_and_context) {
    const int32_t block = (int32_t)state.range(0);
    IPluginFactory3* factory = GetPluginFactory();
    void* obj = nullptr;
    factory->vtbl->createInstance(factory, kComponentClassId, kIidIComponent, &obj);
    IComponent* component = (IComponent*)obj;
    IAudioProcessor* processor = (IAudioProcessor*)vst3host_query(component, kIidIAudioProcessor);
    HostContext context;
    host_context_init(&context);
    component->vtbl->initialize(component, &context.iface);
    ProcessSetup setup = {0, kSample32, 4096, 48000.0};
    processor->vtbl->setupProcessing(processor, &setup);
    component->vtbl->activateBus(component, kAudio, kInput, 0, 1);
    component->vtbl->activateBus(component, kAudio, kOutput, 0, 1);
    component->vtbl->setActive(component, 1);

    std::vector<float> in((size_t)block), out((size_t)block);
    for (int32_t i = 0; i < block; ++i)
        in[(size_t)i] = 0.3f * sinf(0.05f * (float)i);
    float* ins[1] = {in.data()};
    float* outs[1] = {out.data()};
    AudioBusBuffers in_bus = {}, out_bus = {};
    in_bus.numChannels = out_bus.numChannels = 1;
    in_bus.channelBuffers32 = ins;
    out_bus.channelBuffers32 = outs;
    HostChanges input, output;
    host_changes_init(&input);
    host_changes_init(&output);
    host_changes_add(&input, kParameterDescriptions[kLfoOn].param_id, 0, lfo ? 1.0 : 0.0);
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
    processor->vtbl->process(processor, &data);
    if (changes_and_context) {
        host_changes_add(&input, kParameterDescriptions[kMix].param_id, 0, 0.8);
        host_changes_add(&input, kParameterDescriptions[kHeelJaw].param_id, block - 1, 0.3);
        data.processContext = &transport;
    } else {
        data.inputParameterChanges = nullptr;
    }
    for (auto _ : state) {
        output.count = 0;
        transport.projectTimeMusic += (double)block / 24000.0;
        processor->vtbl->process(processor, &data);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * block);
    vst3host_release(processor);
    component->vtbl->terminate(component);
    vst3host_release(component);
}

static void BM_Vst3ProcessStill(benchmark::State& s) {
    run_blocks(s, false, false);
}
static void BM_Vst3ProcessLfo(benchmark::State& s) {
    run_blocks(s, true, false);
}
static void BM_Vst3ProcessLfoChangesContext(benchmark::State& s) {
    run_blocks(s, true, true);
}
BENCHMARK(BM_Vst3ProcessStill)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_Vst3ProcessLfo)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_Vst3ProcessLfoChangesContext)->Arg(32)->Arg(256);
BENCHMARK_MAIN();
