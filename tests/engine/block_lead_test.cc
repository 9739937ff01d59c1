// The head start a block leaves for the next one: whether the next block
// takes it up or starts afresh, the sound and the engine's state are the
// bits of the plain reference and of a block that never had a lead, in
// every build of the block passes.
#include <gtest/gtest.h>
#include <math.h>
#include <stddef.h>

#include "engine/wide_forms.h"
#include "engine_test_util.h"
#include "platform/fp_env.h"
#include "reference_engine.h"

namespace {

constexpr size_t kFieldsBeforeLead = offsetof(WahEngine, lead);

// Whether the lead the last block left matches the engine's fields.
bool lead_matches(const WahEngine* e) {
    return e->lead.valid && memcmp(e->lead.snapshot, e, kFieldsBeforeLead) == 0;
}

// Whether the block that e (before it) rendered from in into out took up
// the lead: a copy whose lead has other glided cutoffs sounds different
// exactly then.
bool took_up_lead(const WahEngine* e, const std::vector<float>& in, const std::vector<float>& out) {
    WahEngine spoiled = *e;
    for (float& cutoff : spoiled.lead.cutoff_cur)
        cutoff *= 1.25f;
    const std::vector<float> out_spoiled = process_block(&spoiled, in);
    return memcmp(out_spoiled.data(), out.data(), out.size() * sizeof(float)) != 0;
}

// The host's side: between most blocks nothing changes (the lead stands);
// the rest change what the lead was computed from, or keep the positions
// free of the input in the ways the engine must see through.
void host_moves(WahEngine* e, int b) {
    static const float kWaveforms[] = {1.0f, 2.0f, 3.0f, 4.0f, 1.5f};
    switch (b % 24) {
    case 3:
        wah_engine_set_parameter(e, kLfoWaveform, wah_engine_get_parameter(e, kLfoWaveform));
        break; // no change
    case 5:
        wah_engine_set_parameter(e, kLfoFreeRate, b % 48 == 5 ? 3.7f : 2.0f);
        break;
    case 7: // on, but moving nothing: the contribution is +0
        wah_engine_set_parameter(e, kEnvOn, 1.0f);
        wah_engine_set_parameter(e, kEnvAmount, 0.0f);
        break;
    case 9:
        wah_engine_set_parameter(e, kEnvAmount, -0.0f);
        break; // -0
    case 11:
        wah_engine_set_parameter(e, kEnvAmount, 40.0f);
        break; // the envelope moves the pedal
    case 12:
        wah_engine_set_parameter(e, kEnvOn, 0.0f);
        break;
    case 13: // off, with a negative amount: the contribution is -0
        wah_engine_set_parameter(e, kPosition, -0.0f);
        wah_engine_set_parameter(e, kEnvAmount, -30.0f);
        break;
    case 14:
        wah_engine_set_parameter(e, kLfoOn, 0.0f);
        break; // -0 + -0 stays -0
    case 16:
        wah_engine_set_parameter(e, kLfoOn, 1.0f);
        break;
    case 17:
        wah_engine_set_parameter(e, kPosition, 30.0f);
        break;
    case 21:
        wah_engine_reset(e);
        break;
    case 23:
        wah_engine_set_parameter(e, kLfoWaveform, kWaveforms[(b / 24) % 5]);
        break;
    default:
        break;
    }
    if (b % 40 == 30) {
        // A synced LFO re-phased from the song position.
        wah_engine_set_parameter(e, kLfoSync, 1.0f);
        TransportInfo ti = {};
        ti.valid_mask =
            kTransportRolling | kTransportSpeed | kTransportTempo | kTransportPositionQuarters;
        ti.changed_mask = ti.valid_mask;
        ti.rolling = true;
        ti.speed = 1.0f;
        ti.tempo = 120.0f;
        ti.position_quarters = 1.25 * b;
        wah_engine_apply_transport(e, &ti);
    }
    if (b == 200)
        wah_engine_set_parameter(e, kMix, 60.0f); // the mix smoother moves for the rest
    if (b == 150) {
        wah_engine_set_sample_rate(e, 96000.0f);
        wah_engine_reset(e);
    }
}

// Runs body(form, engine) with every build of the block passes, each on a
// fresh engine at 48 kHz with the LFO on, and flush-to-zero set as the
// plug-in frames set it.
template <typename Body> void with_every_form(Body body) {
    FpDenormalGuard guard{};
    fp_denormal_guard_enter(&guard);
    int count = 0;
    const WideForms* forms = wide_forms_available(&count);
    for (int f = 0; f < count; ++f) {
        wide_forms_force(&forms[f]);
        WahEngine e;
        prepare_default_engine(&e, 48000.0f);
        wah_engine_set_parameter(&e, kLfoOn, 1.0f);
        body(f, &e);
    }
    wide_forms_force(nullptr);
    fp_denormal_guard_leave(&guard);
}

} // namespace

TEST(BlockLead, TakenUpOrNotTheBitsAreThePlainReferences) {
    // Blocks that lead in long chunks and in short ones, exactly long
    // enough for either, and too short to lead.
    const int32_t kSizes[] = {256, 128, 129, 300, 64, 100, 65, 31, 1000, 128};
    with_every_form([&](int f, WahEngine* engine) {
        WahEngine& a = *engine;
        WahEngine fresh = a, reference = a;
        int taken_up = 0;
        for (int b = 0; b < 300; ++b) {
            for (WahEngine* e : {&a, &fresh, &reference})
                host_moves(e, b);
            const int32_t n = kSizes[b % 10];
            std::vector<float> in =
                test_noise(static_cast<size_t>(n), 0.3f, 31u + static_cast<uint32_t>(b));
            // A vast but finite sample: the envelope's level may then grow
            // past what the engine proves finite for a while.
            if (b % 24 == 14)
                in[static_cast<size_t>(n) / 2] = 0x1p70f;
            const WahEngine before = a;
            fresh.lead.valid = false;
            std::vector<float> out_a(in.size()), out_fresh(in.size()), out_reference(in.size());
            wah_engine_process(&a, in.data(), out_a.data(), n);
            wah_engine_process(&fresh, in.data(), out_fresh.data(), n);
            reference_process(&reference, in.data(), out_reference.data(), n);
            for (int32_t i = 0; i < n; ++i) {
                ASSERT_EQ(float_bits(out_a[i]), float_bits(out_reference[i]))
                    << f << " " << b << " " << i;
                ASSERT_EQ(float_bits(out_a[i]), float_bits(out_fresh[i]))
                    << f << " " << b << " " << i;
            }
            ASSERT_EQ(memcmp(&a, &fresh, kFieldsBeforeLead), 0) << f << " " << b;
            ASSERT_EQ(float_bits(a.mod_position), float_bits(reference.mod_position))
                << f << " " << b;
            ASSERT_EQ(float_bits(a.lfo_out), float_bits(reference.lfo_out)) << f << " " << b;
            ASSERT_EQ(float_bits(a.env_out), float_bits(reference.env_out)) << f << " " << b;
            taken_up += took_up_lead(&before, in, out_a);
        }
        // Many blocks took the lead up (76 of the 300), so that path ran
        // through the cases.
        EXPECT_GT(taken_up, 60) << f;
    });
}

TEST(BlockLead, NonFiniteInputIsNeverRenderedFromTheLead) {
    // With the envelope off, a non-finite sample still sends its level, and
    // through it the pedal, elsewhere (a NaN contribution puts the pedal at
    // the heel); the lead, and a block whose positions are free of its
    // input, take the level's contribution as zero.
    // The bad samples sit where each width of the input check looks: in
    // whole registers of sixteen and of four, and in the last few samples.
    const float kBad[] = {NAN, INFINITY, -INFINITY};
    const size_t kBadAt[] = {100, 257, 262};
    const size_t kLength = 263;
    with_every_form([&](int f, WahEngine* engine) {
        WahEngine& a = *engine;
        WahEngine fresh = a;
        int matched_before_bad = 0;
        for (int b = 0; b < 40; ++b) {
            std::vector<float> in = test_noise(kLength, 0.3f, 77u + static_cast<uint32_t>(b));
            const bool bad = b % 4 == 3;
            if (bad)
                in[kBadAt[(b / 4) % 3]] = kBad[(b / 12) % 3];
            matched_before_bad += bad && lead_matches(&a);
            const WahEngine before = a;
            fresh.lead.valid = false;
            // The reference has no recovery from the bad sample, so it
            // follows only the bad block itself, from finite state.
            WahEngine reference = a;
            std::vector<float> out_reference(in.size());
            const std::vector<float> out_a = process_block(&a, in);
            const std::vector<float> out_fresh = process_block(&fresh, in);
            reference_process(&reference, in.data(), out_reference.data(),
                              static_cast<int32_t>(kLength));
            ASSERT_EQ(memcmp(out_a.data(), out_fresh.data(), out_a.size() * sizeof(float)), 0)
                << f << " " << b;
            ASSERT_EQ(memcmp(&a, &fresh, kFieldsBeforeLead), 0) << f << " " << b;
            // The level's NaN put the pedal at the heel; the lead was not
            // taken up there, and was elsewhere.
            if (bad) {
                ASSERT_EQ(float_bits(a.mod_position), float_bits(reference.mod_position))
                    << f << " " << b;
            }
            ASSERT_EQ(took_up_lead(&before, in, out_a), !bad && b > 0 && b % 4 != 0)
                << f << " " << b;
        }
        // The bad blocks found a lead that matched the engine.
        EXPECT_GT(matched_before_bad, 3) << f;
    });
}
