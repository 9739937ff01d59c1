// The scenarios after the first (scenario_everything.cc), each aimed at a
// path of block processing the first never reaches (see scenarios.h).
#include "scenarios.h"

#include "engine_test_util.h"
#include "platform/fp_env.h"
#include "scenario_util.h"

uint64_t render_scenario_everything(ProcessFn process, std::vector<float>* keep);

namespace {

// One block of the scenario's input from sample t on, then the block.
void play(ScenarioRecorder* rec, WahEngine* e, const std::vector<float>& noise, int32_t* t,
          int32_t n, int32_t gate_period = 0, int32_t silent_from = 0) {
    for (int32_t i = 0; i < n; ++i)
        rec->in[static_cast<size_t>(i)] = scenario_input(noise, *t + i, gate_period, silent_from);
    rec->block(e, n);
    *t += n;
}

void set(WahEngine* e, ParameterIndex index, float value) {
    wah_engine_set_parameter(e, index, value);
}

// The host's transport before a block, as a frame hands it over when it
// changed: rolling (speed 1) or stopped, at song position quarters, given
// in quarter notes or, when bars_only, as bar and beat in 4/4.
void transport(WahEngine* e, bool rolling, float tempo, double quarters, bool bars_only) {
    TransportInfo ti = {};
    ti.valid_mask = kTransportRolling | kTransportSpeed | kTransportTempo;
    ti.rolling = rolling;
    ti.speed = rolling ? 1.0f : 0.0f;
    ti.tempo = tempo;
    if (bars_only) {
        ti.valid_mask |=
            kTransportBeatsPerBar | kTransportBeatUnit | kTransportBar | kTransportBarBeat;
        ti.beats_per_bar = 4.0f;
        ti.beat_unit = 4;
        ti.bar = static_cast<uint64_t>(quarters / 4.0);
        ti.bar_beat = static_cast<float>(quarters - 4.0 * static_cast<double>(ti.bar));
    } else {
        ti.valid_mask |= kTransportPositionQuarters;
        ti.position_quarters = quarters;
    }
    ti.changed_mask = ti.valid_mask;
    wah_engine_apply_transport(e, &ti);
}

const float kWaveforms[] = {1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f};

void lfo_moving(ScenarioRecorder* rec) {
    const int32_t kSizes[] = {256, 128, 4096, 64, 300, 129, 1000, 65, 31, 512};
    for (const float fs : {44100.0f, 96000.0f}) {
        WahEngine e;
        prepare_default_engine(&e, fs);
        set(&e, kLfoOn, 1.0f);
        const std::vector<float> noise = test_noise(4096, 0.4f, static_cast<uint32_t>(fs) + 1u);
        int32_t t = 0;
        for (int b = 0; b < 200; ++b) {
            if (b % 25 == 0)
                set(&e, kLfoWaveform, kWaveforms[(b / 25) % 7]);
            if (b % 40 == 10)
                set(&e, kLfoFreeRate, b % 80 == 10 ? 11.0f : 0.7f);
            if (b % 50 == 20)
                set(&e, kLfoSkew, static_cast<float>((b * 37) % 201 - 100));
            if (b == 60 || b == 75) // on, but moving nothing; then off again
                set(&e, kEnvOn, b == 60 ? 1.0f : 0.0f);
            set(&e, kEnvAmount, b >= 60 && b < 75 ? 0.0f : 100.0f);
            if (b == 90)
                set(&e, kPosition, 80.0f);
            if (b == 130 || b == 170) // the mix smoother moves for a while
                set(&e, kMix, b == 130 ? 60.0f : 100.0f);
            if (b == 150 && fs == 96000.0f)
                wah_engine_reset(&e);
            play(rec, &e, noise, &t, kSizes[b % 10]);
        }
    }
}

void still_pedal(ScenarioRecorder* rec) {
    const int32_t kSizes[] = {256, 32, 4096, 1000, 61, 7, 512, 2048};
    const float kPositions[] = {20.0f, 50.0f, 85.0f, 50.0f};
    for (const float fs : {48000.0f, 44100.0f}) {
        WahEngine e;
        prepare_default_engine(&e, fs);
        const std::vector<float> noise = test_noise(4096, 0.4f, static_cast<uint32_t>(fs) + 2u);
        int32_t t = 0;
        for (int b = 0; b < 300; ++b) {
            if (b % 60 == 30)
                set(&e, kPosition, kPositions[(b / 60) % 4]);
            if (b == 100) // the envelope at its defaults pins the pedal at the toe
                set(&e, kEnvOn, 1.0f);
            if (b == 140 || b == 240)
                set(&e, kMix, b == 140 ? 40.0f : 100.0f);
            if (b == 180 || b == 200)
                set(&e, kBypass, b == 180 ? 1.0f : 0.0f);
            // Half a second of sound, then a second and a half of silence.
            play(rec, &e, noise, &t, kSizes[b % 8], 96000, 24000);
        }
    }
}

void synced_lfo(ScenarioRecorder* rec) {
    const int32_t kSizes[] = {256, 512, 64, 1000, 37, 4096, 128};
    for (const float fs : {48000.0f, 44100.0f}) {
        WahEngine e;
        prepare_default_engine(&e, fs);
        set(&e, kLfoOn, 1.0f);
        set(&e, kLfoSync, 1.0f);
        const std::vector<float> noise = test_noise(4096, 0.4f, static_cast<uint32_t>(fs) + 3u);
        int32_t t = 0;
        double song = 3.25;
        for (int b = 0; b < 240; ++b) {
            const int32_t n = kSizes[b % 7];
            const bool rolling = b < 150 || b >= 170;
            const float tempo = 100.0f + static_cast<float>(b / 60) * 17.5f;
            if (b % 23 == 0)
                set(&e, kLfoSyncRate, static_cast<float>(1 + (b * 5) % 24));
            if (b % 37 == 0)
                set(&e, kLfoSyncPhase, static_cast<float>((b * 41) % 361));
            if (b % 29 == 0)
                set(&e, kLfoWaveform, kWaveforms[(b / 29) % 7]);
            if (b == 100 || b == 130) // the envelope moves the pedal for a while
                set(&e, kEnvOn, b == 100 ? 1.0f : 0.0f);
            set(&e, kEnvAmount, 30.0f);
            transport(&e, rolling, tempo, song, b % 5 == 4);
            play(rec, &e, noise, &t, n);
            if (rolling)
                song += static_cast<double>(n) / fs * (tempo / 60.0);
        }
    }
}

void loop_to_bar_one(ScenarioRecorder* rec) {
    const int32_t kSizes[] = {256, 1000, 64, 333, 4096};
    const float fs = 48000.0f;
    WahEngine e;
    prepare_default_engine(&e, fs);
    set(&e, kLfoOn, 1.0f);
    set(&e, kLfoSync, 1.0f);
    set(&e, kEnvAmount, 40.0f);
    const std::vector<float> noise = test_noise(4096, 0.4f, 4u);
    int32_t t = 0;
    double song = 0.0;
    for (int b = 0; b < 200; ++b) {
        const int32_t n = kSizes[b % 5];
        if (song >= 2.0)
            song = 0.0; // the loop's end: back to bar 1
        if (b == 120)
            song = 10000.37; // far later in the song,
        if (b == 140)
            song = 0.0; // and from there back to the start
        if (b % 31 == 0)
            set(&e, kLfoSyncRate, static_cast<float>(2 + (b * 7) % 23));
        if (b % 45 == 15)
            set(&e, kLfoSyncPhase, b % 90 == 15 ? 90.0f : 0.0f);
        set(&e, kEnvOn, b >= 60 && b < 90 ? 1.0f : 0.0f);
        transport(&e, true, 120.0f, song, (b / 50) % 2 == 1);
        play(rec, &e, noise, &t, n);
        song += static_cast<double>(n) / fs * 2.0;
    }
}

} // namespace

const char* scenario_name(Scenario s) {
    static const char* const kNames[kScenarioCount] = {"everything", "LFO moving", "still pedal",
                                                       "synced LFO", "loop to bar 1"};
    return kNames[s];
}

uint64_t render_scenario(Scenario s, ProcessFn process, std::vector<float>* keep, int* lead_taken) {
    if (s == kScenarioEverything)
        return render_scenario_everything(process, keep);
    FpDenormalGuard guard{};
    fp_denormal_guard_enter(&guard);
    ScenarioRecorder rec(process, keep, lead_taken);
    if (s == kScenarioLfoMoving)
        lfo_moving(&rec);
    if (s == kScenarioStillPedal)
        still_pedal(&rec);
    if (s == kScenarioSyncedLfo)
        synced_lfo(&rec);
    if (s == kScenarioLoopToBarOne)
        loop_to_bar_one(&rec);
    fp_denormal_guard_leave(&guard);
    return rec.hash.h;
}
