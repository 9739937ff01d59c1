// Vst3Component: the audio side of the plug-in. One heap object offering
// IComponent (its identity), IAudioProcessor, IProcessContextRequirements and
// IConnectionPoint. It owns one WahEngine and connects it to the host:
// buses, parameter queues, transport, output values and the saved state.
#pragma once
#include <stdint.h>

#include "engine/parameter_table.h"
#include "engine/wah_engine.h"
#include "platform/ref_count.h"
#include "state/param_handoff.h"
#include "vst3/vst3_interfaces.h"

typedef struct Vst3Component {
    const IComponentVtbl* component_vtbl; // identity
    const IAudioProcessorVtbl* processor_vtbl;
    const IProcessContextRequirementsVtbl* requirements_vtbl;
    const IConnectionPointVtbl* connection_vtbl;
    RefCount ref_count;
    FUnknown* host_context; // non-null: initialized; not counted
    WahEngine engine;
    float setup_sample_rate;
    ParamHandoff params; // host values and the state's, between the threads
    float last_outputs[kOutputParameterCount];
    float* input_channel;
    float* output_channel;
    bool processing_enabled;
    bool input_bus_active;
    bool output_bus_active;
    bool transport_pending;
    TransportInfo transport;
    IBStream* save_stream;
} Vst3Component;

// A new component with count 1, not yet initialized; its identity pointer,
// or null when memory runs out. [any thread]
FUnknown* vst3_component_new(void);

// The slots implemented in their own files.
tresult component_process(Vst3Component* c, ProcessData* data);  // [audio thread]
tresult component_set_state(Vst3Component* c, IBStream* stream); // [non-audio threads]
tresult component_get_state(Vst3Component* c, IBStream* stream); // [non-audio threads]
