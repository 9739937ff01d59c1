// The first scenario: everything at once (see scenarios.h). Its hash was
// committed before the others and must never change.
#include "engine/fast_math.h"
#include "engine_test_util.h"
#include "platform/fp_env.h"
#include "scenario_util.h"

namespace {

const int32_t kBlockSizes[] = {1, 32, 256, 4096, 7, 333, 1000, 61};

// The host's side of the scenario: parameter moves and transport before
// block number b.
void drive(WahEngine* e, TransportInfo* ti, int b, double* song_quarters, int32_t n, float fs) {
    static const float kWaveforms[] = {1.0f, 1.5f, 2.0f, 2.5f, 2.9995f, 3.0f, 3.5f, 4.0f};
    ti->changed_mask = 0;
    if (b % 5 == 0) {
        wah_engine_set_parameter(e, kLfoWaveform, kWaveforms[(b / 5) % 8]);
        wah_engine_set_parameter(e, kLfoSkew, static_cast<float>((b * 37) % 201 - 100));
    }
    if (b % 7 == 0)
        wah_engine_set_parameter(e, kPosition, static_cast<float>((b * 53) % 101));
    if (b % 11 == 0)
        wah_engine_set_parameter(e, kMix, static_cast<float>((b * 29) % 101));
    if (b % 13 == 0)
        wah_engine_set_parameter(e, kMidOn, static_cast<float>(b / 13 % 2));
    if (b % 17 == 0)
        wah_engine_set_parameter(e, kLfoSync, static_cast<float>(b / 17 % 2));
    if (b % 19 == 0)
        wah_engine_set_parameter(e, kLfoSyncRate, static_cast<float>(1 + b % 24));
    if (b % 23 == 0)
        wah_engine_set_parameter(e, kLfoSyncPhase, static_cast<float>((b * 41) % 361));
    if (b % 29 == 0)
        wah_engine_set_parameter(e, kBypass, static_cast<float>(b / 29 % 2));
    if (b % 31 == 0)
        wah_engine_set_parameter(e, kEnvAmount, static_cast<float>((b * 7) % 201 - 100));
    static const float kFreeRates[] = {0.2f, 0.5f, 1.0f, 2.0f, 3.7f, 7.0f, 11.0f, 20.0f};
    if (b % 9 == 0)
        wah_engine_set_parameter(e, kLfoFreeRate, kFreeRates[(b / 9) % 8]);
    if (b % 43 == 0) {
        wah_engine_set_parameter(e, kEnvAttack, static_cast<float>(1 + (b * 97) % 1000));
        wah_engine_set_parameter(e, kEnvRelease, static_cast<float>(1 + (b * 61) % 1000));
    }
    if (b % 37 == 0)
        wah_engine_set_parameter(e, kToeSex, static_cast<float>((b * 11) % 101));
    // Transport: rolling most of the time, with tempo changes and a loop jump.
    const bool rolling = (b / 40) % 4 != 3;
    ti->valid_mask = kTransportRolling | kTransportSpeed | kTransportTempo;
    if (b % 3 != 2)
        ti->valid_mask |= kTransportPositionQuarters;
    else
        ti->valid_mask |=
            kTransportBar | kTransportBarBeat | kTransportBeatsPerBar | kTransportBeatUnit;
    if (ti->rolling != rolling)
        ti->changed_mask |= kTransportRolling;
    ti->rolling = rolling;
    ti->speed = rolling ? 1.0f : 0.0f;
    const float tempo = 90.0f + static_cast<float>((b / 50) % 4) * 25.0f;
    if (tempo != ti->tempo)
        ti->changed_mask |= kTransportTempo;
    ti->tempo = tempo;
    if (b % 97 == 96)
        *song_quarters = 4.0; // loop back
    ti->position_quarters = *song_quarters;
    ti->beats_per_bar = 3.0f;
    ti->beat_unit = 4;
    ti->bar = static_cast<uint64_t>(*song_quarters / 3.0);
    ti->bar_beat = static_cast<float>(*song_quarters - 3.0 * static_cast<double>(ti->bar));
    if (rolling) {
        ti->changed_mask |= kTransportPositionQuarters;
        *song_quarters += static_cast<double>(n) / fs * (tempo / 60.0);
    }
    if (ti->changed_mask)
        wah_engine_apply_transport(e, ti);
}

// Rendered as the plug-in frames run the engine: flush-to-zero and
// denormals-are-zero on.
uint64_t render_everything(ProcessFn process, std::vector<float>* keep) {
    FpDenormalGuard guard{};
    fp_denormal_guard_enter(&guard);
    Fnv1a hash;
    const float rates[] = {44100.0f, 48000.0f, 96000.0f};
    for (float fs : rates) {
        WahEngine e;
        prepare_default_engine(&e, fs);
        wah_engine_set_parameter(&e, kLfoOn, 1.0f);
        wah_engine_set_parameter(&e, kEnvOn, 1.0f);
        TransportInfo ti{};
        wah_engine_apply_transport(&e, &ti); // first block after a reset
        double song = 0.0;
        const std::vector<float> noise = test_noise(4096, 0.4f, static_cast<uint32_t>(fs));
        std::vector<float> in(4096), out(4096);
        int32_t sample = 0;
        for (int b = 0; b < 260; ++b) {
            const int32_t n = kBlockSizes[b % 8];
            drive(&e, &ti, b, &song, n, fs);
            for (int32_t i = 0; i < n; ++i) {
                const int32_t t = sample + i;
                // Bursts of noise and a tone with silent gaps feed the envelope.
                const float gate = (t / 3000) % 3 == 2 ? 0.0f : 1.0f;
                // No library sine: the input must be the same bits in every build.
                const float tone =
                    fast_sin2pi(fast_frac(static_cast<float>(t % 100000) * 0.00731f));
                in[i] = gate * (noise[(t * 7) % 4096] + 0.3f * tone);
            }
            process(&e, in.data(), out.data(), n);
            sample += n;
            for (int32_t i = 0; i < n; ++i)
                hash.add(float_bits(out[i]));
            hash.add(float_bits(e.mod_position));
            hash.add(float_bits(e.lfo_phase));
            hash.add(float_bits(e.lfo_out));
            hash.add(float_bits(e.env_out));
            if (keep)
                keep->insert(keep->end(), out.begin(), out.begin() + n);
        }
        if (fs == 96000.0f) {
            // A reset mid-stream, then more sound.
            wah_engine_reset(&e);
            for (int32_t i = 0; i < 4096; ++i)
                in[i] = noise[i];
            process(&e, in.data(), out.data(), 4096);
            for (int32_t i = 0; i < 4096; ++i)
                hash.add(float_bits(out[i]));
            if (keep)
                keep->insert(keep->end(), out.begin(), out.end());
            // A long silence: the decaying memories reach the denormal range.
            for (int32_t i = 0; i < 4096; ++i)
                in[i] = 0.0f;
            for (int k = 0; k < 12; ++k) {
                process(&e, in.data(), out.data(), 4096);
                for (int32_t i = 0; i < 4096; ++i)
                    hash.add(float_bits(out[i]));
                for (uint32_t f = 0; f < kFormantCount; ++f)
                    hash.add(float_bits(e.svf_state[f].bp_z1));
            }
        }
    }
    fp_denormal_guard_leave(&guard);
    return hash.h;
}

} // namespace

uint64_t render_scenario_everything(ProcessFn process, std::vector<float>* keep) {
    return render_everything(process, keep);
}
