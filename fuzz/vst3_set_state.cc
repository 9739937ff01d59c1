// Arbitrary bytes as a host's state stream, into the VST3 component's
// setState and the controller's setComponentState; a state that loads must
// save again and every value must stay inside its range.
#include <stdint.h>
#include <stdlib.h>

#include <vector>

#include "engine/parameter_table.h"
#include "state/state_restore.h"
#include "tests/support/vst3host/vst3host.h"
#include "vst3/factory.h"

static void* create(const uint8_t* cid, const uint8_t* iid) {
    void* obj = nullptr;
    IPluginFactory3* factory = GetPluginFactory();
    factory->vtbl->createInstance(factory, cid, iid, &obj);
    return obj;
}

// A state that loaded saves again, and every value, in the component's save
// and in the controller, lies inside its range.
static void check_saved_values(IComponent* component, IEditController* controller) {
    MemoryStream saved;
    memory_stream_init(&saved);
    if (component->vtbl->getState(component, &saved.iface) != kResultOk)
        abort();
    float values[kInputParameterCount];
    if (state_read_values(saved.bytes.data(), saved.bytes.size(), values) != 0)
        abort();
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        const ParameterRecord* r = parameter_record(i);
        if (!(values[i] >= (float)r->minimum && values[i] <= (float)r->maximum))
            abort();
        double shown =
            controller->vtbl->getParamNormalized(controller, kParameterDescriptions[i].param_id);
        if (!(shown >= 0.0 && shown <= 1.0))
            abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostContext context;
    host_context_init(&context);
    IComponent* component = (IComponent*)create(kComponentClassId, kIidIComponent);
    IEditController* controller = (IEditController*)create(kControllerClassId, kIidIEditController);
    component->vtbl->initialize(component, &context.iface);
    controller->vtbl->initialize(controller, &context.iface);

    MemoryStream stream;
    memory_stream_init(&stream);
    stream.bytes.assign(data, data + size);
    tresult component_result = component->vtbl->setState(component, &stream.iface);
    memory_stream_rewind(&stream);
    tresult controller_result = controller->vtbl->setComponentState(controller, &stream.iface);
    if (component_result != controller_result)
        abort();
    if (component_result == kResultOk)
        check_saved_values(component, controller);
    component->vtbl->terminate(component);
    controller->vtbl->terminate(controller);
    vst3host_release(component);
    vst3host_release(controller);
    return 0;
}
