// Lv2Plugin: one instance of the effect as an LV2 host sees it, a thin frame
// around one WahEngine. The host's control ports and a state restore on
// another thread meet in the parameter hand-off (state/param_handoff.h),
// whose lock the audio thread only ever tries once per block.
#pragma once
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/urid/urid.h>
#include <stdint.h>

#include "engine/wah_engine.h"
#include "lv2/lv2_log.h"
#include "lv2/lv2_ports.h"
#include "lv2/lv2_transport.h"
#include "state/param_handoff.h"

typedef struct Lv2Plugin {
    WahEngine engine;           // its sample_rate is the instance's, for the state
    void* ports[kLv2PortCount]; // host buffers, null until connected

    // Its host_values are the last converted value seen on each port.
    ParamHandoff params;
    // Per writable parameter: the raw port value host_values[i] was last
    // converted from, valid while port_seen_valid is 1. A port whose value
    // has the same bits converts to the same value, so run() skips it.
    float port_seen[kInputParameterCount];
    uint8_t port_seen_valid;

    char* bundle_path;
    Lv2Logger logger;
    const LV2_URID_Map* map; // null: no transport, no state
    LV2_URID chunk_urid;     // atom:Chunk
    LV2_URID state_urid;     // the state property

    uint8_t transport_pending; // the next block applies the transport
    TransportInfo transport;   // as last received
    Lv2TimeUrids time_urids;
} Lv2Plugin;

// The plug-in's descriptor (index 0 of lv2_descriptor). [any thread]
const LV2_Descriptor* lv2_plugin_descriptor(void);

// The descriptor's members, callable directly (tests use them).
// [instantiation thread]
LV2_Handle lv2_plugin_instantiate(const LV2_Descriptor* descriptor, double sample_rate,
                                  const char* bundle_path, const LV2_Feature* const* features);
// [any thread outside run]
void lv2_plugin_connect_port(LV2_Handle instance, uint32_t port, void* buffer);
// [instantiation thread]
void lv2_plugin_activate(LV2_Handle instance);
// [audio thread]
void lv2_plugin_run(LV2_Handle instance, uint32_t sample_count);
// [instantiation thread]
void lv2_plugin_cleanup(LV2_Handle instance);
// [any thread]
const void* lv2_plugin_extension_data(const char* uri);
