// Object plumbing, buses and set-up of Vst3Component. Processing is in
// component_process.cc, the saved state in component_state.cc.
#include "vst3/vst3_component.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include "vst3/factory.h"
#include "vst3/vst3_unknown.h"

static void set_initial_outputs(Vst3Component* c) {
    for (uint32_t k = 0; k < kOutputParameterCount; ++k)
        c->last_outputs[k] = (float)kOutputParameterRecords[k].default_value;
}

// ---- FUnknown, shared by the four interfaces ------------------------------

// The same answers from every interface of the object. [any thread]
static tresult object_query_interface(Vst3Component* c, const uint8_t* iid, void** obj) {
    const Vst3Facet facets[] = {
        {kIidFUnknown, &c->component_vtbl},
        {kIidIPluginBase, &c->component_vtbl},
        {kIidIComponent, &c->component_vtbl},
        {kIidIAudioProcessor, &c->processor_vtbl},
        {kIidIProcessContextRequirements, &c->requirements_vtbl},
        {kIidIConnectionPoint, &c->connection_vtbl},
    };
    return vst3_query_facets(facets, sizeof facets / sizeof facets[0], &c->ref_count, iid, obj);
}

// [any thread]
static uint32_t object_add_ref(Vst3Component* c) {
    return ref_count_add(&c->ref_count);
}

// [any thread]
static uint32_t object_release(Vst3Component* c) {
    uint32_t count = ref_count_release(&c->ref_count);
    if (count == 0) {
        free(c);
    }
    return count;
}

#define FACET_SLOTS(member)                                                                        \
    VST3_FACET_SLOTS(Vst3Component, member, object_query_interface, object_add_ref, object_release)

FACET_SLOTS(component_vtbl)
FACET_SLOTS(processor_vtbl)
FACET_SLOTS(requirements_vtbl)
FACET_SLOTS(connection_vtbl)

static Vst3Component* from_component(IComponent* self) {
    return VST3_OBJECT_FROM(Vst3Component, self, component_vtbl);
}
static Vst3Component* from_processor(IAudioProcessor* self) {
    return VST3_OBJECT_FROM(Vst3Component, self, processor_vtbl);
}

// ---- IComponent ------------------------------------------------------------

// Puts the engine and the value copies in their starting state, the 32
// defaults applied in index order. [host UI thread]
static tresult component_initialize(IComponent* self, FUnknown* context) {
    Vst3Component* c = from_component(self);
    if (c->host_context != nullptr)
        return kResultFalse;
    c->host_context = context;
    c->setup_sample_rate = 0.0f;
    wah_engine_init(&c->engine);
    float defaults[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        defaults[i] = (float)parameter_record(i)->default_value;
    param_handoff_set_all(&c->params, &c->engine, defaults);
    set_initial_outputs(c);
    c->processing_enabled = false;
    c->input_bus_active = false;
    c->output_bus_active = false;
    return kResultOk;
}

// [host UI thread]
static tresult component_terminate(IComponent* self) {
    from_component(self)->host_context = nullptr;
    return kResultOk;
}

// [host UI thread]
static tresult component_get_controller_class_id(IComponent*, uint8_t* class_id) {
    if (class_id == nullptr)
        return kResultFalse;
    memcpy(class_id, kControllerClassId, 16);
    return kResultOk;
}

// [host UI thread]
static tresult component_set_io_mode(IComponent*, int32_t) {
    return kNotImplemented;
}

// [host UI thread]
static int32_t component_get_bus_count(IComponent*, int32_t type, int32_t dir) {
    return type == kAudio && (dir == kInput || dir == kOutput) ? 1 : 0;
}

// [host UI thread]
static tresult component_get_bus_info(IComponent*, int32_t type, int32_t dir, int32_t index,
                                      BusInfo* bus) {
    if (type != kAudio || index != 0 || (dir != kInput && dir != kOutput) || bus == nullptr) {
        return kInvalidArgument;
    }
    memset(bus, 0, sizeof *bus);
    bus->mediaType = kAudio;
    bus->direction = dir;
    bus->channelCount = 1;
    const char16* name = dir == kInput ? u"Input" : u"Output";
    for (size_t i = 0; name[i] != 0; ++i)
        bus->name[i] = name[i];
    bus->busType = kMain;
    bus->flags = kBusDefaultActive;
    return kResultOk;
}

// [host UI thread]
static tresult component_get_routing_info(IComponent*, void*, void*) {
    return kNotImplemented;
}

// [host UI thread, processing stopped]
static tresult component_activate_bus(IComponent* self, int32_t type, int32_t dir, int32_t index,
                                      TBool state) {
    Vst3Component* c = from_component(self);
    if (type != kAudio || index != 0 || (dir != kInput && dir != kOutput))
        return kInvalidArgument;
    if (dir == kInput) {
        c->input_bus_active = state != 0;
    } else {
        c->output_bus_active = state != 0;
    }
    return kResultOk;
}

// Activation resets the engine at the set-up rate and keeps the parameter
// values. Without a usable sample rate (no setupProcessing yet) the engine
// cannot be prepared, so the component stays silent instead of running an
// engine with an infinite sample period. [host UI thread, processing stopped]
static tresult component_set_active(IComponent* self, TBool state) {
    Vst3Component* c = from_component(self);
    if (!state)
        return kResultOk;
    bool rate_ok = c->setup_sample_rate > 0.0f && c->setup_sample_rate <= 1.0e7f;
    c->processing_enabled = c->input_bus_active && c->output_bus_active && rate_ok;
    if (rate_ok) {
        wah_engine_set_sample_rate(&c->engine, c->setup_sample_rate);
        wah_engine_reset(&c->engine);
    }
    c->transport_pending = true;
    c->transport.valid_mask = 0;
    return kResultOk;
}

// [non-audio threads]
static tresult component_slot_set_state(IComponent* self, IBStream* stream) {
    return component_set_state(from_component(self), stream);
}

// [non-audio threads]
static tresult component_slot_get_state(IComponent* self, IBStream* stream) {
    return component_get_state(from_component(self), stream);
}

// ---- IAudioProcessor -------------------------------------------------------

// Only mono in, mono out is accepted; nothing is stored. [host UI thread]
static tresult processor_set_bus_arrangements(IAudioProcessor*, SpeakerArrangement* inputs,
                                              int32_t num_ins, SpeakerArrangement* outputs,
                                              int32_t num_outs) {
    if (num_ins < 0 || num_outs < 0)
        return kInvalidArgument;
    if (num_ins == 1 && num_outs == 1 && inputs != nullptr && outputs != nullptr &&
        inputs[0] == kSpeakerM && outputs[0] == kSpeakerM) {
        return kResultOk;
    }
    return kResultFalse;
}

// [host UI thread]
static tresult processor_get_bus_arrangement(IAudioProcessor*, int32_t dir, int32_t index,
                                             SpeakerArrangement* arr) {
    if ((dir != kInput && dir != kOutput) || index != 0 || arr == nullptr)
        return kInvalidArgument;
    *arr = kSpeakerM;
    return kResultOk;
}

// [host UI thread]
static tresult processor_can_process_sample_size(IAudioProcessor*, int32_t size) {
    return size == kSample32 ? kResultOk : kNotImplemented;
}

// [any thread]
static uint32_t processor_get_latency_samples(IAudioProcessor*) {
    return 0;
}

// [host UI thread, processing stopped]
static tresult processor_setup_processing(IAudioProcessor* self, ProcessSetup* setup) {
    if (setup != nullptr)
        from_processor(self)->setup_sample_rate = (float)setup->sampleRate;
    return kResultOk;
}

// [audio thread or host UI thread]
static tresult processor_set_processing(IAudioProcessor*, TBool) {
    return kNotImplemented;
}

// [audio thread]
static tresult processor_process(IAudioProcessor* self, ProcessData* data) {
    return component_process(from_processor(self), data);
}

// [any thread]
static uint32_t processor_get_tail_samples(IAudioProcessor*) {
    return 0;
}

// ---- IProcessContextRequirements -------------------------------------------

// Nothing is requested; whatever the host provides is read. [host UI thread]
static uint32_t requirements_get(IProcessContextRequirements*) {
    return 0;
}

static const IComponentVtbl kComponentVtbl = {
    component_vtbl_query_interface, component_vtbl_add_ref,   component_vtbl_release,
    component_initialize,           component_terminate,      component_get_controller_class_id,
    component_set_io_mode,          component_get_bus_count,  component_get_bus_info,
    component_get_routing_info,     component_activate_bus,   component_set_active,
    component_slot_set_state,       component_slot_get_state,
};

static const IAudioProcessorVtbl kProcessorVtbl = {
    processor_vtbl_query_interface, processor_vtbl_add_ref,
    processor_vtbl_release,         processor_set_bus_arrangements,
    processor_get_bus_arrangement,  processor_can_process_sample_size,
    processor_get_latency_samples,  processor_setup_processing,
    processor_set_processing,       processor_process,
    processor_get_tail_samples,
};

static const IProcessContextRequirementsVtbl kRequirementsVtbl = {
    requirements_vtbl_query_interface,
    requirements_vtbl_add_ref,
    requirements_vtbl_release,
    requirements_get,
};

static const IConnectionPointVtbl kConnectionVtbl = {
    connection_vtbl_query_interface, connection_vtbl_add_ref,    connection_vtbl_release,
    vst3_connection_connect,         vst3_connection_disconnect, vst3_connection_notify,
};

// The heap gives 16-byte alignment on x64; the engine must not ask for more.
static_assert(alignof(Vst3Component) <= 16, "Vst3Component needs an aligned allocation");

FUnknown* vst3_component_new(void) {
    Vst3Component* c = (Vst3Component*)calloc(1, sizeof(Vst3Component));
    if (c == nullptr)
        return nullptr;
    param_handoff_init(&c->params);
    c->component_vtbl = &kComponentVtbl;
    c->processor_vtbl = &kProcessorVtbl;
    c->requirements_vtbl = &kRequirementsVtbl;
    c->connection_vtbl = &kConnectionVtbl;
    ref_count_init(&c->ref_count, 1);
    c->host_context = nullptr;
    set_initial_outputs(c);
    return (FUnknown*)&c->component_vtbl;
}
