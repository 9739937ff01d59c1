// Vst3Controller: the edit controller. One heap object offering
// IEditController (its identity), IMidiMapping and IConnectionPoint. It
// describes the 36 parameters, converts their values, keeps the current
// plain value of each and holds the host's component handler. It never talks
// to the component: state arrives through setComponentState, values through
// setParamNormalized. All of it runs on the host's UI thread.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "engine/parameter_table.h"
#include "platform/ref_count.h"
#include "vst3/view_list.h"
#include "vst3/vst3_interfaces.h"

typedef struct Vst3Controller {
    const IEditControllerVtbl* controller_vtbl; // identity
    const IMidiMappingVtbl* midi_vtbl;
    const IConnectionPointVtbl* connection_vtbl;
    RefCount ref_count;
    FUnknown* host_context;               // non-null: initialized; not counted
    double values[kParameterCount];       // plain values, outputs included
    IComponentHandler* component_handler; // one reference held
    ViewList views;                       // editor views made by createView
} Vst3Controller;

// A new controller with count 1, not yet initialized; its identity pointer,
// or null when memory runs out. [any thread]
FUnknown* vst3_controller_new(void);
