// The plug-in frame linked directly: how control ports, restores and saves
// meet the engine, seen through the instance's own fields.
#include <gtest/gtest.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <string.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "lv2/lv2_plugin.h"
#include "lv2/lv2_state.h"
#include "state/state_restore.h"
#include "state/state_save.h"
#include "tests/support/lv2host/lv2host.h"

namespace {

struct Frame : ::testing::Test {
    Frame() : log(&urids), features(&urids, &log), seq(&urids) {
        p = (Lv2Plugin*)lv2_plugin_instantiate(lv2_plugin_descriptor(), 48000.0, "/bundle/",
                                               features.list());
        for (uint32_t i = 0; i < kInputParameterCount; ++i) {
            controls[i] = i == kBypass ? 1.0f : lv2_parameter_record(i).default_value;
        }
        in.assign(256, 0.25f);
        out.assign(256, 0.0f);
    }
    ~Frame() override { lv2_plugin_cleanup(p); }

    void connect_all() {
        lv2_plugin_connect_port(p, kLv2PortAudioIn, in.data());
        lv2_plugin_connect_port(p, kLv2PortAudioOut, out.data());
        lv2_plugin_connect_port(p, kLv2PortEvents, seq.sequence());
        for (uint32_t i = 0; i < kInputParameterCount; ++i) {
            lv2_plugin_connect_port(p, lv2_port_of_parameter(i), &controls[i]);
        }
        for (uint32_t k = 0; k < 4; ++k)
            lv2_plugin_connect_port(p, kLv2PortFirstOutput + k, &outputs[k]);
    }
    float engine_value(uint32_t i) { return wah_engine_get_parameter(&p->engine, i); }

    // A saved state with every parameter at `values`.
    static std::vector<uint8_t> state_with(const float values[kInputParameterCount]) {
        size_t n = 0;
        void* buf = state_save(values, 44100.0f, "vst3", &n);
        std::vector<uint8_t> bytes((uint8_t*)buf, (uint8_t*)buf + n);
        free(buf);
        return bytes;
    }
    LV2_State_Status restore(const std::vector<uint8_t>& bytes) {
        Lv2HostState host;
        host.items[urids.map("https://zarvosonic.com/oka-oka-wah#state_data")] =
            Lv2HostState::Item{urids.map(LV2_ATOM__Chunk), 3, bytes};
        return lv2_state_restore(p, Lv2HostState::retrieve, &host, 0, nullptr);
    }
    // The values a save stores now.
    std::vector<float> saved() {
        Lv2HostState host;
        EXPECT_EQ(lv2_state_save(p, Lv2HostState::store, &host, 0, nullptr), LV2_STATE_SUCCESS);
        std::vector<float> v(kInputParameterCount, -1.0f);
        const auto& item = host.items.begin()->second;
        EXPECT_EQ(state_read_values(item.bytes.data(), item.bytes.size(), v.data()), 0);
        return v;
    }

    Lv2HostUrids urids;
    Lv2HostLog log;
    Lv2HostFeatures features;
    Lv2HostSequence seq;
    Lv2Plugin* p;
    float controls[kInputParameterCount];
    float outputs[4] = {-9, -9, -9, -9};
    std::vector<float> in, out;
};

// Activation passes port values through the same conversion as run: the
// enable port's 1 is "not bypassed", and an out-of-range sync rate never
// reaches the engine's ratio table.
TEST_F(Frame, ActivateConvertsPortValues) {
    connect_all();
    controls[kLfoSyncRate] = 30.0f;
    controls[kMidOn] = 0.3f;
    lv2_plugin_activate(p);
    EXPECT_EQ(engine_value(kBypass), 0.0f);
    EXPECT_EQ(p->engine.bypass_target, 1.0f);
    EXPECT_EQ(engine_value(kLfoSyncRate), 24.0f);
    EXPECT_EQ(p->engine.lfo_sync_index, 23);
    EXPECT_EQ(engine_value(kMidOn), 1.0f);
    // A save before the first block stores the plug-in as active.
    EXPECT_EQ(saved()[kBypass], 0.0f);

    controls[kLfoSyncRate] = 0.0f;
    lv2_plugin_activate(p);
    EXPECT_EQ(p->engine.lfo_sync_index, 0);
}

TEST_F(Frame, UnconnectedControlPortsKeepDefaultsAndAreIgnored) {
    lv2_plugin_connect_port(p, kLv2PortAudioIn, in.data());
    lv2_plugin_connect_port(p, kLv2PortAudioOut, out.data());
    lv2_plugin_connect_port(p, lv2_port_of_parameter(kPosition), &controls[kPosition]);
    lv2_plugin_connect_port(p, 39, &controls[kMix]); // no such port: ignored
    controls[kPosition] = 80.0f;
    lv2_plugin_activate(p);
    lv2_plugin_run(p, 64);
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        float want = i == kPosition ? 80.0f : lv2_parameter_record(i).default_value;
        EXPECT_EQ(engine_value(i), want) << i;
    }
}

TEST_F(Frame, ZeroFrameBlockTakesControlsAndTransportAndReportsOutputs) {
    connect_all();
    lv2_plugin_activate(p);
    lv2_plugin_run(p, 64);
    controls[kPosition] = 20.0f;
    controls[kBypass] = 0.0f; // enable off
    seq.begin_position(0);
    seq.add_float(LV2_TIME__beatsPerMinute, 90.0f);
    seq.end_event();
    std::fill(outputs, outputs + 4, -9.0f);
    out.assign(out.size(), 7.0f);
    lv2_plugin_run(p, 0);
    EXPECT_EQ(engine_value(kPosition), 20.0f);
    EXPECT_EQ(engine_value(kBypass), 1.0f);
    EXPECT_EQ(p->engine.tempo, 90.0f);
    EXPECT_EQ(outputs[0], p->engine.mod_position);
    EXPECT_EQ(outputs[1], p->engine.lfo_phase);
    EXPECT_EQ(outputs[2], p->engine.lfo_out);
    EXPECT_EQ(outputs[3], p->engine.env_out);
    EXPECT_EQ(out[0], 7.0f); // no sample written
}

TEST_F(Frame, RestoredValuesReachTheEngineAtBlockStartThenPortsOverride) {
    connect_all();
    lv2_plugin_activate(p);
    lv2_plugin_run(p, 64);
    float values[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        values[i] = lv2_parameter_record(i).default_value;
    values[kPosition] = 250.0f; // clamped to 100
    values[kMix] = 40.0f;
    values[kLfoSyncRate] = 7.5f; // rounds to 8, the default: no port override
    values[kBypass] = 1.0f;
    values[kHeelJaw] = 33.0f;
    ASSERT_EQ(restore(state_with(values)), LV2_STATE_SUCCESS);
    EXPECT_EQ(engine_value(kMix), 100.0f); // not before the next block
    // The host moved heel_jaw's port in the meantime: the port wins.
    controls[kHeelJaw] = 60.0f;
    // mix and position ports are where the host left them (100, 50): they
    // differ from the restored values, so they override them too; the host
    // that restores its ports from the same preset keeps the state.
    controls[kMix] = 40.0f;
    controls[kPosition] = 100.0f;
    controls[kBypass] = 0.0f;
    lv2_plugin_run(p, 64);
    EXPECT_EQ(engine_value(kPosition), 100.0f);
    EXPECT_EQ(engine_value(kMix), 40.0f);
    EXPECT_EQ(engine_value(kBypass), 1.0f);
    EXPECT_EQ(engine_value(kLfoSyncRate), 8.0f);
    EXPECT_EQ(engine_value(kHeelJaw), 60.0f);
    EXPECT_EQ(p->params.state_dirty, 0);
}

// A save right after a restore, before the audio thread took the restored
// values in, stores the restored values rather than the engine's old ones.
TEST_F(Frame, SaveAfterRestoreKeepsTheRestoredValues) {
    connect_all();
    lv2_plugin_activate(p);
    lv2_plugin_run(p, 64);
    float values[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        values[i] = lv2_parameter_record(i).default_value;
    values[kMix] = 25.0f;
    values[kMidOn] = 0.3f;
    ASSERT_EQ(restore(state_with(values)), LV2_STATE_SUCCESS);
    std::vector<float> s = saved();
    EXPECT_EQ(s[kMix], 25.0f);
    EXPECT_EQ(s[kMidOn], 1.0f);
    // The save did not consume the pending restore.
    controls[kMix] = 25.0f;
    controls[kMidOn] = 1.0f;
    lv2_plugin_run(p, 64);
    EXPECT_EQ(engine_value(kMix), 25.0f);
    EXPECT_EQ(saved()[kMix], 25.0f);
}

TEST_F(Frame, PortChangesWaitWhileAnotherThreadHoldsTheLock) {
    connect_all();
    lv2_plugin_activate(p);
    lv2_plugin_run(p, 64);
    p->params.param_lock.store(1); // as a save in progress would
    p->params.params_in_sync = 0;
    controls[kMix] = 10.0f;
    lv2_plugin_run(p, 64);
    EXPECT_EQ(engine_value(kMix), 100.0f);
    EXPECT_EQ(p->params.host_values[kMix], 10.0f);
    p->params.param_lock.store(0);
    lv2_plugin_run(p, 64);
    EXPECT_EQ(engine_value(kMix), 10.0f);
    EXPECT_EQ(p->params.shared_values[kMix], 10.0f);
}

TEST_F(Frame, UnconnectedAudioPortsProcessNothingAndDoNotCrash) {
    connect_all();
    lv2_plugin_activate(p);
    lv2_plugin_connect_port(p, kLv2PortAudioIn, nullptr);
    out.assign(out.size(), 3.0f);
    lv2_plugin_run(p, 64);
    EXPECT_EQ(out[0], 3.0f);
    lv2_plugin_connect_port(p, kLv2PortAudioIn, in.data());
    lv2_plugin_connect_port(p, kLv2PortAudioOut, nullptr);
    outputs[0] = -9.0f;
    lv2_plugin_run(p, 64);
    EXPECT_EQ(outputs[0], p->engine.mod_position);
}

TEST_F(Frame, TransportIsAppliedAfterActivationAndWhenItChanges) {
    connect_all();
    controls[kLfoSync] = 1.0f;
    lv2_plugin_activate(p);
    seq.begin_position(0);
    seq.add_float(LV2_TIME__speed, 1.0f);
    seq.add_float(LV2_TIME__beatsPerMinute, 60.0f);
    seq.add_double(LV2_TIME__beat, 10.25);
    seq.add_int(LV2_TIME__beatUnit, 4);
    seq.end_event();
    lv2_plugin_run(p, 1);
    EXPECT_TRUE(p->engine.rolling);
    EXPECT_EQ(p->engine.tempo, 60.0f);
    EXPECT_EQ(p->transport_pending, 0);
    // Sync rate 8 is one cycle per quarter note: 10.25 quarters is phase 0.25.
    EXPECT_NEAR(p->engine.lfo_phase, 0.25f + 60.0f / 60.0f / 48000.0f, 1e-6);
}

// A restore on another thread while the audio thread runs: every block sees
// either all of one state's values or all of the other's, never a mix.
TEST_F(Frame, ConcurrentRestoreNeverTearsValues) {
    lv2_plugin_connect_port(p, kLv2PortAudioIn, in.data());
    lv2_plugin_connect_port(p, kLv2PortAudioOut, out.data());
    lv2_plugin_activate(p);
    float a[kInputParameterCount], b[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        Lv2ParameterRecord r = lv2_parameter_record(i);
        a[i] = r.minimum;
        b[i] = r.maximum;
    }
    const std::vector<uint8_t> state_a = state_with(a), state_b = state_with(b);
    std::atomic<bool> stop{false}, running{false};
    std::thread restorer([&] {
        while (!running.load())
            std::this_thread::yield();
        for (int k = 0; k < 3000; ++k) {
            Lv2HostState host;
            host.items[p->state_urid] =
                Lv2HostState::Item{p->chunk_urid, 3, k % 2 ? state_b : state_a};
            EXPECT_EQ(lv2_state_restore(p, Lv2HostState::retrieve, &host, 0, nullptr),
                      LV2_STATE_SUCCESS);
        }
        stop = true;
    });
    int torn = 0, seen_a = 0, seen_b = 0;
    while (!stop.load()) {
        lv2_plugin_run(p, 8);
        running = true;
        int from_a = 0, from_b = 0;
        for (uint32_t i = 0; i < kInputParameterCount; ++i) {
            float v = engine_value(i);
            from_a += v == a[i];
            from_b += v == b[i];
        }
        if (from_a == (int)kInputParameterCount)
            ++seen_a;
        else if (from_b == (int)kInputParameterCount)
            ++seen_b;
        else if (from_a + from_b > 0 && seen_a + seen_b > 0)
            ++torn;
    }
    restorer.join();
    lv2_plugin_run(p, 32);
    EXPECT_EQ(torn, 0);
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        EXPECT_EQ(engine_value(i), b[i]) << i;
}

// Without a log feature the messages go to the standard error stream.
TEST(FrameLog, WithoutHostLogErrorsGoToStandardError) {
    ::testing::internal::CaptureStderr();
    LV2_Handle h = lv2_plugin_instantiate(lv2_plugin_descriptor(), 44100.0, "", nullptr);
    std::string err = ::testing::internal::GetCapturedStderr();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(err, "Missing feature <http://lv2plug.in/ns/ext/urid#map>\n");
    EXPECT_EQ(((Lv2Plugin*)h)->engine.sample_rate, 44100.0f);
    lv2_plugin_cleanup(h);
}

} // namespace

// run() skips ports whose raw value has not changed since it last converted
// them. A port left alone while a state was restored must still override the
// restored value, and a port moved away and back must be followed each time.
TEST_F(Frame, UnchangedPortsAreSkippedOnlyWhileTheirValuesStand) {
    connect_all();
    lv2_plugin_activate(p);
    lv2_plugin_run(p, 64);
    float values[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        values[i] = lv2_parameter_record(i).default_value;
    values[kMix] = 25.0f;
    values[kHeelJaw] = 70.0f;
    ASSERT_EQ(restore(state_with(values)), LV2_STATE_SUCCESS);
    lv2_plugin_run(p, 64);
    // Neither port moved, but both differ from the restored values.
    EXPECT_EQ(engine_value(kMix), 100.0f);
    EXPECT_EQ(engine_value(kHeelJaw), controls[kHeelJaw]);

    const float sequence[] = {30.0f, 60.0f, 30.0f, 30.0f, 0.0f, 30.0f};
    for (float v : sequence) {
        controls[kMix] = v;
        lv2_plugin_run(p, 32);
        EXPECT_EQ(engine_value(kMix), v);
    }
    // The enable port (inverted into bypass) and the rounded sync rate.
    controls[kBypass] = 0.0f;
    controls[kLfoSyncRate] = 3.4f;
    lv2_plugin_run(p, 32);
    EXPECT_EQ(engine_value(kBypass), 1.0f);
    EXPECT_EQ(engine_value(kLfoSyncRate), 3.0f);
    controls[kBypass] = 1.0f;
    controls[kLfoSyncRate] = 3.6f;
    lv2_plugin_run(p, 32);
    EXPECT_EQ(engine_value(kBypass), 0.0f);
    EXPECT_EQ(engine_value(kLfoSyncRate), 4.0f);
}
