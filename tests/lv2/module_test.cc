// The built module loaded by our host: entry point, features, the sound.
#include <lv2/time/time.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "engine/wah_engine.h"
#include "lv2/lv2_ports.h"
#include "platform/fp_env.h"
#include "state/state_restore.h"
#include "tests/lv2/module_host.h"

const LV2_Descriptor* module_descriptor() {
    static Lv2HostModule module;
    if (!module.handle && !module.open(OKA_LV2_MODULE_PATH)) {
        ADD_FAILURE() << "cannot load " << OKA_LV2_MODULE_PATH;
        return nullptr;
    }
    return module.descriptor(0);
}

ModuleInstance::ModuleInstance(Lv2HostUrids* urids, Lv2HostLog* log, bool give_map, double rate)
    : d(module_descriptor()), features(give_map ? urids : nullptr, log), seq(urids) {
    h = d->instantiate(d, rate, "/bundle/", features.list());
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        controls[i] = i == kBypass ? 1.0f : (float)kInputParameterRecords[i].default_value;
        d->connect_port(h, i + 3, &controls[i]);
    }
    for (uint32_t k = 0; k < 4; ++k)
        d->connect_port(h, 35 + k, &outputs[k]);
    in.resize(4096);
    out.resize(4096);
    // A plucked-string-like test signal: decaying harmonics.
    for (size_t i = 0; i < in.size(); ++i) {
        float t = (float)i / 48000.0f;
        in[i] = 0.5f * expf(-t * 8.0f) *
                (sinf(6.2831853f * 110.0f * t) + 0.5f * sinf(6.2831853f * 330.0f * t));
    }
    d->connect_port(h, 0, in.data());
    d->connect_port(h, 1, out.data());
    d->connect_port(h, 2, seq.sequence());
    d->activate(h);
}

ModuleInstance::~ModuleInstance() {
    d->cleanup(h);
}

std::vector<float> ModuleInstance::saved_values(Lv2HostUrids* urids) {
    Lv2HostState host;
    if (state()->save(h, Lv2HostState::store, &host, 0, nullptr) != LV2_STATE_SUCCESS)
        return {};
    auto it = host.items.find(urids->map(OKA_STATE_PROPERTY));
    if (it == host.items.end())
        return {};
    std::vector<float> v(kInputParameterCount);
    if (state_read_values(it->second.bytes.data(), it->second.bytes.size(), v.data()) != 0)
        return {};
    return v;
}

namespace {

TEST(Lv2Module, DescriptorAndExtensionData) {
    const LV2_Descriptor* d = module_descriptor();
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->URI, OKA_PLUGIN_URI);
    EXPECT_EQ(d->deactivate, nullptr);
    Lv2HostModule again;
    ASSERT_TRUE(again.open(OKA_LV2_MODULE_PATH));
    EXPECT_EQ(again.descriptor(1), nullptr);
    EXPECT_EQ(again.descriptor(0), d);
    again.close();
    const LV2_State_Interface* st =
        (const LV2_State_Interface*)d->extension_data(LV2_STATE__interface);
    ASSERT_NE(st, nullptr);
    EXPECT_NE(st->save, nullptr);
    EXPECT_NE(st->restore, nullptr);
    EXPECT_EQ(d->extension_data("http://lv2plug.in/ns/ext/worker#interface"), nullptr);
}

// The module's output is bit for bit the engine's, driven the way the frame
// drives it: defaults, sample rate, converted port values, reset, blocks.
TEST(Lv2Module, OutputMatchesTheEngineBitForBit) {
    Lv2HostUrids urids;
    Lv2HostLog log(&urids);
    ModuleInstance m(&urids, &log);
    m.controls[kLfoOn] = 0.7f;        // a switch above 0: on
    m.controls[kLfoSyncRate] = 30.0f; // clamps to 24
    m.controls[kPosition] = 30.0f;
    m.controls[kEnvOn] = 1.0f;
    m.controls[kEnvAmount] = -40.0f;
    m.d->activate(m.h);

    static WahEngine e;
    wah_engine_init(&e);
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        wah_engine_set_parameter(&e, i, lv2_parameter_record(i).default_value);
    wah_engine_set_sample_rate(&e, 48000.0f);
    wah_engine_reset(&e); // the first activation, with the default ports
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        wah_engine_set_parameter(&e, i, lv2_port_to_plain(i, m.controls[i]));
    wah_engine_reset(&e);
    TransportInfo t = {};
    wah_engine_apply_transport(&e, &t);

    std::vector<float> want(m.in.size());
    const uint32_t blocks[] = {256, 1, 0, 1000, 839, 2000};
    size_t at = 0;
    for (uint32_t n : blocks) {
        if (n == 1000) { // the host moves the pedal and turns on bypass mid-stream
            m.controls[kPosition] = 90.0f;
            m.controls[kBypass] = 0.0f;
            wah_engine_set_parameter(&e, kPosition, 90.0f);
            wah_engine_set_parameter(&e, kBypass, 1.0f);
        }
        m.d->connect_port(m.h, 0, m.in.data() + at);
        m.d->connect_port(m.h, 1, m.out.data() + at);
        m.run(n);
        FpDenormalGuard g;
        fp_denormal_guard_enter(&g);
        wah_engine_process(&e, m.in.data() + at, want.data() + at, (int32_t)n);
        fp_denormal_guard_leave(&g);
        EXPECT_EQ(m.outputs[0], e.mod_position);
        EXPECT_EQ(m.outputs[1], e.lfo_phase);
        EXPECT_EQ(m.outputs[2], e.lfo_out);
        EXPECT_EQ(m.outputs[3], e.env_out);
        at += n;
    }
    ASSERT_EQ(at, m.in.size());
    EXPECT_EQ(memcmp(m.out.data(), want.data(), at * sizeof(float)), 0);
    double diff = 0;
    for (size_t i = 0; i < at; ++i)
        diff += fabs(m.out[i] - m.in[i]);
    EXPECT_GT(diff, 1.0); // the effect is audible
}

TEST(Lv2Module, InPlaceProcessingGivesTheSameSound) {
    Lv2HostUrids urids;
    ModuleInstance a(&urids, nullptr), b(&urids, nullptr);
    std::vector<float> buf = b.in;
    b.d->connect_port(b.h, 0, buf.data());
    b.d->connect_port(b.h, 1, buf.data());
    a.run(4096);
    b.run(4096);
    EXPECT_EQ(memcmp(a.out.data(), buf.data(), buf.size() * sizeof(float)), 0);
}

// Without urid:map the host is told which feature is missing; audio still
// runs, time positions are ignored, and the state operations refuse.
TEST(Lv2Module, HostWithoutUridMap) {
    Lv2HostUrids host_urids; // the host's own, not given to the plug-in
    Lv2HostLog log(&host_urids);
    ModuleInstance m(&host_urids, &log, false);
    EXPECT_EQ(log.text(), "Missing feature <http://lv2plug.in/ns/ext/urid#map>\n");
    ASSERT_EQ(log.types().size(), 1u);
    EXPECT_EQ(log.types()[0], 0u); // no map, so no URID for the error type

    m.controls[kLfoSync] = 1.0f;
    m.seq.begin_position(0);
    m.seq.add_float(LV2_TIME__beatsPerMinute, 60.0f);
    m.seq.end_event();
    m.run(4096);
    double diff = 0;
    for (size_t i = 0; i < m.in.size(); ++i)
        diff += fabs(m.out[i] - m.in[i]);
    EXPECT_GT(diff, 1.0);
    // At the default 120 bpm, sync rate 8 runs at 2 Hz, not at the 1 Hz of
    // the ignored 60 bpm.
    EXPECT_NEAR(m.outputs[1], 2.0f * 4096.0f / 48000.0f, 1e-4);

    Lv2HostState host;
    EXPECT_EQ(m.state()->save(m.h, Lv2HostState::store, &host, 0, nullptr), LV2_STATE_ERR_UNKNOWN);
    EXPECT_TRUE(host.items.empty());
    EXPECT_EQ(m.state()->restore(m.h, Lv2HostState::retrieve, &host, 0, nullptr),
              LV2_STATE_ERR_UNKNOWN);
    EXPECT_EQ(log.text(), "Missing feature <http://lv2plug.in/ns/ext/urid#map>\n"
                          "Host is trying to store state but didn't provide URID map\n"
                          "Host is trying to restore state but didn't provide URID map\n");
}

// Host transport through the event port: a synced LFO takes its phase from
// the song position and its rate from the tempo; once the transport stops,
// it runs on at the tempo rate.
TEST(Lv2Module, SyncedLfoFollowsTheHostTransport) {
    Lv2HostUrids urids;
    ModuleInstance m(&urids, nullptr);
    m.controls[kLfoSync] = 1.0f;
    m.controls[kLfoSyncRate] = 14.0f; // four cycles per quarter note
    m.d->activate(m.h);
    m.seq.begin_position(0);
    m.seq.add_float(LV2_TIME__speed, 1.0f);
    m.seq.add_double(LV2_TIME__beatsPerMinute, 60.0); // any number type
    m.seq.add_double(LV2_TIME__beat, 10.3);
    m.seq.add_int(LV2_TIME__beatUnit, 4);
    m.seq.end_event();
    const float step = 4.0f / 48000.0f;
    m.run(1);
    EXPECT_NEAR(m.outputs[1], 0.2f + step, 1e-4); // 41.2 cycles in
    m.seq.clear();
    m.run(480); // 4 Hz for 10 ms
    EXPECT_NEAR(m.outputs[1], 0.24f + step, 1e-4);
    m.seq.begin_position(0);
    m.seq.add_float(LV2_TIME__speed, 0.0f);
    m.seq.add_double(LV2_TIME__beat, 10.0);
    m.seq.end_event();
    m.run(480); // stopped: no re-phase, still 4 Hz
    EXPECT_NEAR(m.outputs[1], 0.28f + step, 1e-4);
}

TEST(Lv2Module, ErrorsGoToTheHostLogAsErrors) {
    Lv2HostUrids urids;
    Lv2HostLog log(&urids);
    ModuleInstance m(&urids, &log);
    Lv2HostState empty;
    EXPECT_EQ(m.state()->restore(m.h, Lv2HostState::retrieve, &empty, 0, nullptr),
              LV2_STATE_ERR_NO_PROPERTY);
    ASSERT_EQ(log.types().size(), 1u);
    EXPECT_EQ(log.types()[0], urids.map(LV2_LOG__Error));
}

} // namespace
