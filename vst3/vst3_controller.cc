#include "vst3/vst3_controller.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "state/state_restore.h"
#include "vst3/controller_params.h"
#include "vst3/vst3_stream.h"
#include "vst3/vst3_unknown.h"
#include "vst3/vst3_view.h"

// ---- FUnknown, shared by the three interfaces -------------------------------

// The same answers from every interface of the object. [host UI thread]
static tresult object_query_interface(Vst3Controller* c, const uint8_t* iid, void** obj) {
    const Vst3Facet facets[] = {
        {kIidFUnknown, &c->controller_vtbl},         {kIidIPluginBase, &c->controller_vtbl},
        {kIidIEditController, &c->controller_vtbl},  {kIidIMidiMapping, &c->midi_vtbl},
        {kIidIConnectionPoint, &c->connection_vtbl},
    };
    return vst3_query_facets(facets, sizeof facets / sizeof facets[0], &c->ref_count, iid, obj);
}

// [host UI thread]
static uint32_t object_add_ref(Vst3Controller* c) {
    return ref_count_add(&c->ref_count);
}

// Views the host still holds outlive the controller: they only lose their
// link to it, and the host's own release frees them. [host UI thread]
static void forget_views(Vst3Controller* c) {
    for (size_t i = 0; i < c->views.count; ++i) {
        if (c->views.slots[i] != nullptr)
            vst3_view_forget_controller(c->views.slots[i]);
    }
    view_list_free(&c->views);
}

// Teardown detaches the views the host still holds and releases the
// component handler. [host UI thread]
static uint32_t object_release(Vst3Controller* c) {
    uint32_t count = ref_count_release(&c->ref_count);
    if (count == 0) {
        forget_views(c);
        if (c->component_handler != nullptr)
            c->component_handler->vtbl->release((FUnknown*)c->component_handler);
        free(c);
    }
    return count;
}

#define FACET_SLOTS(member)                                                                        \
    VST3_FACET_SLOTS(Vst3Controller, member, object_query_interface, object_add_ref, object_release)

FACET_SLOTS(controller_vtbl)
FACET_SLOTS(midi_vtbl)
FACET_SLOTS(connection_vtbl)

static Vst3Controller* from_controller(IEditController* self) {
    return VST3_OBJECT_FROM(Vst3Controller, self, controller_vtbl);
}

// ---- the editor view ---------------------------------------------------------

// Every open editor gets the stored value; each call returns once that
// editor took it. [host UI thread]
static void send_to_views(Vst3Controller* c, uint32_t index) {
    for (size_t i = 0; i < c->views.count; ++i) {
        if (c->views.slots[i] != nullptr)
            vst3_view_send_value(c->views.slots[i], index, (float)c->values[index]);
    }
}

// The host owns the view's one reference; the list holds none. [host UI thread]
static IPlugView* controller_create_view(IEditController* self, const char* name) {
    Vst3Controller* c = from_controller(self);
    if (name == nullptr || strcmp(name, "editor") != 0)
        return nullptr;
    Vst3View* view = vst3_view_new(c);
    if (view == nullptr)
        return nullptr;
    if (!view_list_add(&c->views, view)) {
        free(view);
        return nullptr;
    }
    return (IPlugView*)view;
}

// ---- IEditController ---------------------------------------------------------

// [host UI thread]
static tresult controller_initialize(IEditController* self, FUnknown* context) {
    Vst3Controller* c = from_controller(self);
    if (c->host_context != nullptr)
        return kResultFalse;
    c->host_context = context;
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        c->values[i] = parameter_record(i)->default_value;
    for (uint32_t k = 0; k < kOutputParameterCount; ++k)
        c->values[kInputParameterCount + k] = kOutputParameterRecords[k].default_value;
    return kResultOk;
}

// Values, handler and views stay as they are. [host UI thread]
static tresult controller_terminate(IEditController* self) {
    from_controller(self)->host_context = nullptr;
    return kResultOk;
}

// [host UI thread]
static void controller_set_value(void* user_data, uint64_t index, float value) {
    if (index >= kInputParameterCount)
        return;
    ((Vst3Controller*)user_data)->values[index] = snapAndClamp((uint32_t)index, value);
}

// The controller has no lock to take: it is the host UI thread's alone.
// [host UI thread]
static void controller_no_lock(void*) {}

// Takes the component's saved state: all 32 values or none. [host UI thread]
static tresult controller_set_component_state(IEditController* self, IBStream* stream) {
    Vst3Controller* c = from_controller(self);
    RestoreTarget target = {c, controller_no_lock, controller_no_lock, controller_set_value};
    if (!restore_from_stream(stream, &target))
        return kResultFalse;
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        send_to_views(c, i);
    return kResultOk;
}

// The controller keeps no state of its own. [host UI thread]
static tresult controller_set_state(IEditController*, IBStream*) {
    return kNotImplemented;
}
static tresult controller_get_state(IEditController*, IBStream*) {
    return kNotImplemented;
}

// No error channel: a ParamID outside the table reads 0. [host UI thread]
static ParamValue controller_get_param_normalized(IEditController* self, ParamID id) {
    uint32_t index = 0;
    return controller_param_index(id, &index)
               ? plainToNormalized(index, from_controller(self)->values[index])
               : 0.0;
}

// Host automation and the component's output values arrive here. A NaN is
// no value: it is refused, as the component ignores it, so the editor never
// shows a value the engine does not have. [host UI thread]
static tresult controller_set_param_normalized(IEditController* self, ParamID id,
                                               ParamValue normalized) {
    uint32_t index = 0;
    if (!controller_param_index(id, &index) || isnan(normalized))
        return kResultFalse;
    Vst3Controller* c = from_controller(self);
    c->values[index] = snapAndClamp(index, normalizedToPlain(index, normalized));
    send_to_views(c, index);
    return kResultOk;
}

// Holds one reference to the current handler. [host UI thread]
static tresult controller_set_component_handler(IEditController* self, IComponentHandler* handler) {
    Vst3Controller* c = from_controller(self);
    if (handler == c->component_handler)
        return kResultOk;
    if (c->component_handler != nullptr)
        c->component_handler->vtbl->release((FUnknown*)c->component_handler);
    c->component_handler = handler;
    if (handler != nullptr)
        handler->vtbl->addRef((FUnknown*)handler);
    return kResultOk;
}

// ---- IMidiMapping ------------------------------------------------------------

// No MIDI controller is mapped. [host UI thread]
static tresult midi_get_assignment(IMidiMapping*, int32_t, int16_t, int16_t, ParamID*) {
    return kInvalidArgument;
}

static const IEditControllerVtbl kControllerVtbl = {
    controller_vtbl_query_interface,
    controller_vtbl_add_ref,
    controller_vtbl_release,
    controller_initialize,
    controller_terminate,
    controller_set_component_state,
    controller_set_state,
    controller_get_state,
    controller_get_parameter_count,
    controller_get_parameter_info,
    controller_get_param_string_by_value,
    controller_get_param_value_by_string,
    controller_normalized_to_plain,
    controller_plain_to_normalized,
    controller_get_param_normalized,
    controller_set_param_normalized,
    controller_set_component_handler,
    controller_create_view,
};

static const IMidiMappingVtbl kMidiVtbl = {
    midi_vtbl_query_interface,
    midi_vtbl_add_ref,
    midi_vtbl_release,
    midi_get_assignment,
};

static const IConnectionPointVtbl kConnectionVtbl = {
    connection_vtbl_query_interface, connection_vtbl_add_ref,    connection_vtbl_release,
    vst3_connection_connect,         vst3_connection_disconnect, vst3_connection_notify,
};

FUnknown* vst3_controller_new(void) {
    Vst3Controller* c = (Vst3Controller*)calloc(1, sizeof(Vst3Controller));
    if (c == nullptr)
        return nullptr;
    c->controller_vtbl = &kControllerVtbl;
    c->midi_vtbl = &kMidiVtbl;
    c->connection_vtbl = &kConnectionVtbl;
    ref_count_init(&c->ref_count, 1);
    return (FUnknown*)&c->controller_vtbl;
}
