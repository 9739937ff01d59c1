#include "lv2/lv2_plugin.h"

#include <lv2/atom/atom.h>
#include <stdlib.h>
#include <string.h>

#include "lv2/lv2_state.h"
#include "lv2/lv2_uris.h"
#include "platform/fp_env.h"

static const void* find_feature(const LV2_Feature* const* features, const char* uri) {
    for (const LV2_Feature* const* f = features; f && *f; ++f) {
        if ((*f)->URI && strcmp((*f)->URI, uri) == 0) {
            return (*f)->data;
        }
    }
    return nullptr;
}

static char* copy_text(const char* text) {
    size_t n = text ? strlen(text) : 0;
    char* copy = (char*)malloc(n + 1);
    if (copy) {
        if (n)
            memcpy(copy, text, n);
        copy[n] = 0;
    }
    return copy;
}

static void map_state_urids(Lv2Plugin* p) {
    const LV2_URID_Map* m = p->map;
    p->chunk_urid = m->map(m->handle, LV2_ATOM__Chunk);
    p->state_urid = m->map(m->handle, OKA_LV2_STATE_URI);
    lv2_time_urids_map(&p->time_urids, m);
}

// The engine starts from the table's defaults, so that a save before the
// first activation stores real values rather than zeros.
static void apply_defaults(Lv2Plugin* p) {
    float defaults[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        defaults[i] = lv2_parameter_record(i).default_value;
    param_handoff_set_all(&p->params, &p->engine, defaults);
}

LV2_Handle lv2_plugin_instantiate(const LV2_Descriptor*, double sample_rate,
                                  const char* bundle_path, const LV2_Feature* const* features) {
    Lv2Plugin* p = (Lv2Plugin*)calloc(1, sizeof(Lv2Plugin));
    if (!p) {
        return nullptr;
    }
    p->bundle_path = copy_text(bundle_path);
    if (!p->bundle_path) {
        free(p);
        return nullptr;
    }
    param_handoff_init(&p->params);
    p->map = (const LV2_URID_Map*)find_feature(features, LV2_URID__map);
    lv2_logger_init(&p->logger, (const LV2_Log_Log*)find_feature(features, LV2_LOG__log), p->map);
    if (!p->map) {
        lv2_log_error(&p->logger, "Missing feature <%s>\n", LV2_URID__map);
    } else {
        map_state_urids(p);
    }
    wah_engine_init(&p->engine);
    apply_defaults(p);
    wah_engine_set_sample_rate(&p->engine, (float)sample_rate);
    return p;
}

void lv2_plugin_connect_port(LV2_Handle instance, uint32_t port, void* buffer) {
    Lv2Plugin* p = (Lv2Plugin*)instance;
    if (port < kLv2PortCount) {
        p->ports[port] = buffer;
    }
}

static const float* control_port(const Lv2Plugin* p, uint32_t index) {
    return (const float*)p->ports[lv2_port_of_parameter(index)];
}

// Port values are converted here exactly as run converts them: the enable
// port's 1 must reach the engine as bypass 0, and a sync rate outside 1..24
// must never reach the ratio table. The hand-off takes them under its lock,
// so a concurrent save or restore never sees half of them.
void lv2_plugin_activate(LV2_Handle instance) {
    Lv2Plugin* p = (Lv2Plugin*)instance;
    float values[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        const float* port = control_port(p, i);
        values[i] = port ? lv2_port_to_plain(i, *port) : lv2_parameter_record(i).default_value;
    }
    param_handoff_set_all(&p->params, &p->engine, values);
    p->port_seen_valid = 0;
    wah_engine_reset(&p->engine);
    p->transport_pending = 1;
    p->transport.valid_mask = 0;
}

static uint32_t float_bits(float x) {
    uint32_t b;
    memcpy(&b, &x, sizeof b);
    return b;
}

// Only values that changed reach the engine; without the lock they wait in
// host_values for a later block's reconcile. A port holding the same bits
// as when host_values was last set from it needs no conversion (a NaN is
// converted every time, as it never compares the same). After a reconcile
// host_values may have changed, so every port is compared afresh; a restored
// state thus wins over port changes seen meanwhile, and the ports then get
// the last word.
static void apply_ports(Lv2Plugin* p, bool locked) {
    const bool seen_valid = p->port_seen_valid;
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        const float* port = control_port(p, i);
        if (!port) {
            continue;
        }
        const float raw = *port;
        if (seen_valid && float_bits(raw) == float_bits(p->port_seen[i]) && raw == raw) {
            continue;
        }
        p->port_seen[i] = raw;
        param_handoff_host_value(&p->params, &p->engine, i, lv2_port_to_plain(i, raw), locked);
    }
}

static void write_output(Lv2Plugin* p, uint32_t port, float value) {
    if (p->ports[port]) {
        *(float*)p->ports[port] = value;
    }
}

static void process_audio(Lv2Plugin* p, uint32_t sample_count) {
    const float* in = (const float*)p->ports[kLv2PortAudioIn];
    float* out = (float*)p->ports[kLv2PortAudioOut];
    // A host must connect both audio ports; one that did not gets no audio
    // processed (and nothing dereferenced) rather than a crash.
    if (!in || !out) {
        return;
    }
    // The engine counts frames in a signed 32-bit int.
    do {
        uint32_t n = sample_count > 0x7FFFFFFFu ? 0x7FFFFFFFu : sample_count;
        wah_engine_process(&p->engine, in, out, (int32_t)n);
        in += n;
        out += n;
        sample_count -= n;
    } while (sample_count > 0);
}

void lv2_plugin_run(LV2_Handle instance, uint32_t sample_count) {
    Lv2Plugin* p = (Lv2Plugin*)instance;
    FpDenormalGuard guard;
    fp_denormal_guard_enter(&guard);

    bool reconciled = false;
    bool locked = param_handoff_begin(&p->params, &p->engine, &reconciled);
    if (reconciled) {
        p->port_seen_valid = 0;
    }
    apply_ports(p, locked);
    p->port_seen_valid = 1;
    param_handoff_end(&p->params, locked);

    const LV2_Atom_Sequence* events =
        p->map ? (const LV2_Atom_Sequence*)p->ports[kLv2PortEvents] : nullptr;
    lv2_transport_intake(&p->transport, &p->time_urids, events);
    if (p->transport.changed_mask != 0 || p->transport_pending) {
        wah_engine_apply_transport(&p->engine, &p->transport);
        p->transport_pending = 0;
    }

    process_audio(p, sample_count);

    write_output(p, kLv2PortFirstOutput + 0, p->engine.mod_position);
    write_output(p, kLv2PortFirstOutput + 1, p->engine.lfo_phase);
    write_output(p, kLv2PortFirstOutput + 2, p->engine.lfo_out);
    write_output(p, kLv2PortFirstOutput + 3, p->engine.env_out);
    fp_denormal_guard_leave(&guard);
}

void lv2_plugin_cleanup(LV2_Handle instance) {
    Lv2Plugin* p = (Lv2Plugin*)instance;
    free(p->bundle_path);
    free(p);
}

const void* lv2_plugin_extension_data(const char* uri) {
    if (uri && strcmp(uri, LV2_STATE__interface) == 0) {
        return lv2_state_interface();
    }
    return nullptr;
}

static const LV2_Descriptor kDescriptor = {
    OKA_LV2_PLUGIN_URI,      lv2_plugin_instantiate,
    lv2_plugin_connect_port, lv2_plugin_activate,
    lv2_plugin_run,          nullptr,
    lv2_plugin_cleanup,      lv2_plugin_extension_data,
};

const LV2_Descriptor* lv2_plugin_descriptor(void) {
    return &kDescriptor;
}
