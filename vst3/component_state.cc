// Saving and restoring the component's state through the host's stream.
// Both run on a host thread other than the audio thread; the hand-off holds
// the parameter lock only to copy the 32 values in or out.
#include <stdlib.h>

#include "state/state_archive.h"
#include "vst3/vst3_component.h"
#include "vst3/vst3_stream.h"

// A restored value takes the host's snapping and clamping. [non-audio threads]
static float restore_convert(uint32_t index, float value) {
    return (float)snapAndClamp(index, value);
}

tresult component_set_state(Vst3Component* c, IBStream* stream) {
    uint8_t* buffer = nullptr;
    size_t length = 0;
    if (stream == nullptr || !read_stream(stream, &buffer, &length))
        return kResultFalse;
    int result = param_handoff_restore(&c->params, buffer, length, restore_convert);
    free(buffer);
    return result == 0 ? kResultOk : kResultFalse;
}

tresult component_get_state(Vst3Component* c, IBStream* stream) {
    if (stream == nullptr)
        return kResultFalse;
    c->save_stream = stream;
    size_t length = 0;
    void* bytes = param_handoff_save(&c->params, &c->engine, OKA_STATE_FORMAT_VST3, &length);
    bool ok = bytes != nullptr && write_stream(stream, bytes, length);
    free(bytes);
    c->save_stream = nullptr;
    return ok ? kResultOk : kResultFalse;
}
