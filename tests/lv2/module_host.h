// Shared set-up of the tests that load the built module like a host does.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "engine/parameter_table.h"
#include "tests/support/lv2host/lv2host.h"

#define OKA_PLUGIN_URI "https://zarvosonic.com/oka-oka-wah"
#define OKA_STATE_PROPERTY OKA_PLUGIN_URI "#state_data"

// The module, loaded once per test program.
const LV2_Descriptor* module_descriptor();

// One instance with all 39 ports connected to buffers of its own.
struct ModuleInstance {
    // `urids` is the host's map; give_map false keeps it from the plug-in.
    ModuleInstance(Lv2HostUrids* urids, Lv2HostLog* log, bool give_map = true,
                   double rate = 48000.0);
    ~ModuleInstance();
    void run(uint32_t frames) { d->run(h, frames); }
    const LV2_State_Interface* state() const {
        return (const LV2_State_Interface*)d->extension_data(LV2_STATE__interface);
    }
    // The values the module stores in a save now (empty when the save fails).
    std::vector<float> saved_values(Lv2HostUrids* urids);

    const LV2_Descriptor* d;
    LV2_Handle h;
    Lv2HostFeatures features;
    Lv2HostSequence seq;
    float controls[kInputParameterCount];
    float outputs[4] = {};
    std::vector<float> in, out;
};
