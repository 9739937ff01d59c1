// The audio callback of Vst3Component: parameter queues at the block's start
// and end, transport, the engine run and the output values. Nothing here
// allocates, waits or calls into the system.
#include <math.h>
#include <string.h>

#include "platform/fp_env.h"
#include "vst3/component_transport.h"
#include "vst3/vst3_component.h"

typedef enum QueueMode { kBlockStart, kBlockEnd } QueueMode;

// Differs, with a NaN on either side counting as different. [any thread]
static bool value_differs(float a, float b) {
    return !(a == b);
}

// Applies one queue's point, if this mode uses it. [audio thread]
static void apply_queue(Vst3Component* c, IParamValueQueue* queue, QueueMode mode, bool locked) {
    int32_t count = queue->vtbl->getPointCount(queue);
    if (count <= 0)
        return;
    int32_t offset = 0;
    double normalized = 0.0;
    int32_t point = mode == kBlockStart ? 0 : count - 1;
    if (queue->vtbl->getPoint(queue, point, &offset, &normalized) != kResultOk)
        return;
    if (mode == kBlockStart ? offset != 0 : offset <= 0)
        return;
    if (isnan(normalized))
        return; // no value at all; never hand NaN to the engine
    uint32_t index = 0;
    if (!indexFromParamId(queue->vtbl->getParameterId(queue), &index) ||
        index >= kInputParameterCount)
        return;
    float value = (float)snapAndClamp(index, normalizedToPlain(index, normalized));
    param_handoff_host_value(&c->params, &c->engine, index, value, locked);
}

// Takes the host's parameter changes for one end of the block. The lock is
// tried once; when another thread holds it the changes wait in host_values
// for the next reconciliation. [audio thread]
static void apply_parameter_changes(Vst3Component* c, ProcessData* data, QueueMode mode) {
    bool locked = param_handoff_begin(&c->params, &c->engine, nullptr);
    IParameterChanges* changes = data->inputParameterChanges;
    if (changes != nullptr) {
        int32_t count = changes->vtbl->getParameterCount(changes);
        for (int32_t i = 0; i < count; ++i) {
            IParamValueQueue* queue = changes->vtbl->getParameterData(changes, i);
            if (queue != nullptr)
                apply_queue(c, queue, mode, locked);
        }
    }
    param_handoff_end(&c->params, locked);
}

// The first channel of the first bus, or null when the host gave none.
// [audio thread]
static float* first_channel(AudioBusBuffers* buses, int32_t bus_count) {
    if (buses == nullptr || bus_count < 1)
        return nullptr;
    if (buses[0].numChannels < 1 || buses[0].channelBuffers32 == nullptr)
        return nullptr;
    return buses[0].channelBuffers32[0];
}

// Zeros every channel the host handed over, skipping missing buffers.
// [audio thread]
static void write_silence(ProcessData* data) {
    if (data->outputs == nullptr || data->numSamples <= 0)
        return;
    bool wide = data->symbolicSampleSize == kSample64;
    size_t bytes = (size_t)data->numSamples * (wide ? sizeof(double) : sizeof(float));
    for (int32_t b = 0; b < data->numOutputs; ++b) {
        AudioBusBuffers* bus = &data->outputs[b];
        void** channels = wide ? (void**)bus->channelBuffers64 : (void**)bus->channelBuffers32;
        if (channels == nullptr)
            continue;
        for (int32_t ch = 0; ch < bus->numChannels; ++ch) {
            if (channels[ch] != nullptr)
                memset(channels[ch], 0, bytes);
        }
    }
}

// Runs the engine over the block when the host gave a usable input and
// output channel in single precision; otherwise the block is silent and the
// engine does not run. [audio thread]
static bool run_engine(Vst3Component* c, ProcessData* data) {
    if (!c->processing_enabled || data->numSamples < 0 || data->symbolicSampleSize != kSample32)
        return false;
    // A block of 0 samples (a host's parameter flush) still does the engine's
    // block-start work: a pending resync is consumed, new envelope times and
    // the LFO rate take effect. No buffer is touched, and the output values
    // cannot change, so there is nothing to report.
    if (data->numSamples == 0) {
        wah_engine_process(&c->engine, nullptr, nullptr, 0);
        return false;
    }
    c->input_channel = first_channel(data->inputs, data->numInputs);
    c->output_channel = first_channel(data->outputs, data->numOutputs);
    if (c->input_channel == nullptr || c->output_channel == nullptr)
        return false;
    wah_engine_process(&c->engine, c->input_channel, c->output_channel, data->numSamples);
    return true;
}

// Reports the output values that changed, at the block's last sample.
// [audio thread]
static void report_outputs(Vst3Component* c, ProcessData* data) {
    const float current[kOutputParameterCount] = {c->engine.mod_position, c->engine.lfo_phase,
                                                  c->engine.lfo_out, c->engine.env_out};
    const double normalized[kOutputParameterCount] = {
        (double)current[0] / 100.0,
        (double)current[1],
        ((double)current[2] + 1.0) * 0.5,
        ((double)current[3] + 1.0) * 0.5,
    };
    IParameterChanges* out = data->outputParameterChanges;
    for (uint32_t k = 0; k < kOutputParameterCount; ++k) {
        if (!value_differs(current[k], c->last_outputs[k]))
            continue;
        c->last_outputs[k] = current[k];
        if (out == nullptr)
            continue;
        ParamID id = kParameterDescriptions[kInputParameterCount + k].param_id;
        int32_t queue_index = 0;
        IParamValueQueue* queue = out->vtbl->addParameterData(out, &id, &queue_index);
        if (queue == nullptr)
            continue;
        int32_t point_index = 0;
        queue->vtbl->addPoint(queue, data->numSamples - 1, normalized[k], &point_index);
    }
}

tresult component_process(Vst3Component* c, ProcessData* data) {
    if (data == nullptr)
        return kResultOk;
    FpDenormalGuard guard;
    fp_denormal_guard_enter(&guard);
    apply_parameter_changes(c, data, kBlockStart);
    transport_update(&c->transport, data->processContext);
    if (c->transport.changed_mask != 0 || c->transport_pending) {
        wah_engine_apply_transport(&c->engine, &c->transport);
        c->transport_pending = false;
    }
    bool ran = run_engine(c, data);
    if (!ran)
        write_silence(data);
    apply_parameter_changes(c, data, kBlockEnd);
    // Only a block that ran the engine can have new output values, and it has
    // a last sample to report them at.
    if (ran)
        report_outputs(c, data);
    fp_denormal_guard_leave(&guard);
    return kResultOk;
}
