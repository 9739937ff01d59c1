// The parameter hand-off between the host's threads and the audio thread, on
// its own: what a block does when a save or restore holds the lock, which
// values a save stores, and what a refused state leaves.
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>

#include "state/param_handoff.h"
#include "state/state_archive.h"
#include "state/state_restore.h"
#include "state/state_save.h"

namespace {

float keep(uint32_t, float value) {
    return value;
}

float clamp_to_100(uint32_t, float value) {
    return value > 100.0f ? 100.0f : value;
}

class ParamHandoffTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wah_engine_init(&engine_);
        wah_engine_set_sample_rate(&engine_, 48000.0f);
        param_handoff_init(&h_);
        for (uint32_t i = 0; i < kInputParameterCount; ++i)
            defaults_[i] = (float)parameter_record(i)->default_value;
        param_handoff_set_all(&h_, &engine_, defaults_);
    }

    // One audio block that gives the host's value for one parameter.
    void block(uint32_t index, float value) {
        bool locked = param_handoff_begin(&h_, &engine_, nullptr);
        param_handoff_host_value(&h_, &engine_, index, value, locked);
        param_handoff_end(&h_, locked);
    }

    std::vector<uint8_t> state_with(uint32_t index, float value) {
        float values[kInputParameterCount];
        memcpy(values, defaults_, sizeof values);
        values[index] = value;
        size_t length = 0;
        void* bytes = state_save(values, 44100.0f, OKA_STATE_FORMAT_VST3, &length);
        std::vector<uint8_t> out((uint8_t*)bytes, (uint8_t*)bytes + length);
        free(bytes);
        return out;
    }

    int restore(const std::vector<uint8_t>& state, HandoffRestoreConvert convert = keep) {
        return param_handoff_restore(&h_, state.data(), state.size(), convert);
    }

    // The values a save stores, read back from its archive.
    std::vector<float> saved() {
        size_t length = 0;
        void* bytes = param_handoff_save(&h_, &engine_, OKA_STATE_FORMAT_LV2, &length);
        EXPECT_NE(bytes, nullptr);
        std::vector<float> values(kInputParameterCount, NAN);
        EXPECT_EQ(0, state_read_values(bytes, length, values.data()));
        free(bytes);
        return values;
    }

    WahEngine engine_;
    ParamHandoff h_;
    float defaults_[kInputParameterCount];
};

TEST_F(ParamHandoffTest, HostValuesReachTheEngineOnceAndWaitWhileTheLockIsBusy) {
    block(kMix, 20.0f);
    EXPECT_EQ(20.0f, engine_.param_values[kMix]);
    // A repeated value is not applied again: mark the engine's copy.
    engine_.param_values[kMix] = -1.0f;
    block(kMix, 20.0f);
    EXPECT_EQ(-1.0f, engine_.param_values[kMix]);

    param_handoff_lock(&h_); // as a save in progress
    block(kMix, 30.0f);
    EXPECT_EQ(-1.0f, engine_.param_values[kMix]) << "the engine is not touched without the lock";
    EXPECT_EQ(30.0f, h_.host_values[kMix]);
    param_handoff_unlock(&h_);

    bool reconciled = false;
    bool locked = param_handoff_begin(&h_, &engine_, &reconciled);
    param_handoff_end(&h_, locked);
    EXPECT_TRUE(locked);
    EXPECT_TRUE(reconciled);
    EXPECT_EQ(30.0f, engine_.param_values[kMix]);
    EXPECT_EQ(30.0f, h_.shared_values[kMix]);

    locked = param_handoff_begin(&h_, &engine_, &reconciled);
    param_handoff_end(&h_, locked);
    EXPECT_FALSE(reconciled) << "nothing was touched since";
}

TEST_F(ParamHandoffTest, ARestoreWinsOverHostChangesDeferredMeanwhile) {
    param_handoff_lock(&h_);
    block(kMix, 90.0f); // deferred: the lock is busy
    block(kPosition, 10.0f);
    param_handoff_unlock(&h_);
    ASSERT_EQ(0, restore(state_with(kMix, 40.0f)));
    EXPECT_EQ(100.0f, engine_.param_values[kMix]) << "restored values wait for the audio thread";

    block(kMix, 90.0f); // the host repeats its value in the same block
    EXPECT_EQ(90.0f, engine_.param_values[kMix]) << "the block's own host value comes after";
    block(kMix, 90.0f);
    EXPECT_EQ(90.0f, engine_.param_values[kMix]);
    EXPECT_EQ(50.0f, engine_.param_values[kPosition]) << "the deferred change lost to the state";
    EXPECT_FALSE(h_.state_dirty);
}

TEST_F(ParamHandoffTest, ASaveWhileARestoreWaitsStoresTheRestoredValues) {
    ASSERT_EQ(0, restore(state_with(kPosition, 250.0f), clamp_to_100));
    EXPECT_EQ(100.0f, saved()[kPosition]) << "converted by the module's rule, not yet applied";
    EXPECT_EQ(50.0f, engine_.param_values[kPosition]);

    block(kMix, 100.0f); // the restore reaches the engine
    engine_.param_values[kPosition] = 33.0f;
    EXPECT_EQ(33.0f, saved()[kPosition]) << "once applied, a save stores the engine's values";
}

TEST_F(ParamHandoffTest, ARefusedStateChangesNothing) {
    std::vector<uint8_t> state = state_with(kMix, 40.0f);
    state.resize(state.size() / 2);
    EXPECT_EQ(-1, restore(state));
    EXPECT_TRUE(h_.params_in_sync) << "the lock was never taken";
    EXPECT_FALSE(h_.state_dirty);
    EXPECT_EQ(100.0f, h_.shared_values[kMix]);
}

TEST_F(ParamHandoffTest, SettingAllValuesLeavesNothingToReconcile) {
    param_handoff_lock(&h_);
    param_handoff_unlock(&h_);
    float values[kInputParameterCount];
    memcpy(values, defaults_, sizeof values);
    values[kMix] = 12.0f;
    param_handoff_set_all(&h_, &engine_, values);
    EXPECT_EQ(12.0f, engine_.param_values[kMix]);
    EXPECT_EQ(12.0f, h_.host_values[kMix]);
    EXPECT_TRUE(h_.params_in_sync);
}

} // namespace
