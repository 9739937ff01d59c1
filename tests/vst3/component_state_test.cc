// Saving and restoring the component's state through host streams,
// including restores and saves that meet a running audio thread.
#include <math.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "state/state_restore.h"
#include "tests/vst3/vst3_test_util.h"

namespace {

class ComponentStateTest : public Vst3Fixture {};

TEST_F(ComponentStateTest, RoundTripsThroughAMemoryStream) {
    start(44100.0);
    TestBlock block;
    test_block_init(&block, 64, 0.1f);
    HostChanges in;
    host_changes_init(&in);
    host_changes_add(&in, param_id(kPosition), 0, 0.75);
    host_changes_add(&in, param_id(kLfoSyncRate), 0, 1.0);
    host_changes_add(&in, param_id(kEnvAttack), 0, 0.0);
    ASSERT_EQ(kResultOk, run(&block, &in));
    tresult result = kResultFalse;
    std::vector<uint8_t> bytes = save(&result);
    ASSERT_EQ(kResultOk, result);

    // The info map names this module's format and the engine's rate.
    std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(std::string::npos, text.find("vst3"));
    float values[kInputParameterCount];
    ASSERT_EQ(0, state_read_values(bytes.data(), bytes.size(), values));
    EXPECT_FLOAT_EQ(75.0f, values[kPosition]);
    EXPECT_EQ(24.0f, values[kLfoSyncRate]);
    EXPECT_FLOAT_EQ(1.0f, values[kEnvAttack]);

    // A fresh instance restores it, and saves the same values back after a
    // block.
    TearDown();
    SetUp();
    start(44100.0);
    ASSERT_EQ(kResultOk, restore(bytes));
    ASSERT_EQ(kResultOk, run(&block));
    float again[kInputParameterCount];
    saved_values(again);
    EXPECT_EQ(0, memcmp(values, again, sizeof values));
}

// A host that loads a project and saves it before any block is processed
// (engine stopped, offline conversion) must get the project back, not the
// values from before the load.
TEST_F(ComponentStateTest, SavingBeforeTheNextBlockKeepsTheRestoredValues) {
    start();
    float wanted[kInputParameterCount];
    default_values(wanted);
    wanted[kPosition] = 12.0f;
    wanted[kBypass] = 1.0f;
    wanted[kLfoWaveform] = 3.0f;
    ASSERT_EQ(kResultOk, restore(make_state(wanted, "vst3")));
    float saved[kInputParameterCount];
    saved_values(saved);
    EXPECT_EQ(0, memcmp(wanted, saved, sizeof saved));

    // And after the block that applies them, the engine holds the same.
    TestBlock block;
    test_block_init(&block, 16, 0.0f);
    ASSERT_EQ(kResultOk, run(&block));
    saved_values(saved);
    EXPECT_EQ(0, memcmp(wanted, saved, sizeof saved));
}

TEST_F(ComponentStateTest, RefusesBadStatesAndKeepsEveryValue) {
    start();
    TestBlock block;
    test_block_init(&block, 16, 0.0f);
    HostChanges in;
    host_changes_init(&in);
    host_changes_add(&in, param_id(kMix), 0, 0.5);
    ASSERT_EQ(kResultOk, run(&block, &in));
    float before[kInputParameterCount];
    saved_values(before);

    float values[kInputParameterCount];
    default_values(values);
    values[kPosition] = 1.0f;
    std::vector<uint8_t> good = make_state(values, "vst3");
    std::vector<uint8_t> truncated(good.begin(), good.begin() + (long)good.size() / 2);
    std::vector<uint8_t> wrong_id = good;
    size_t at = std::string(wrong_id.begin(), wrong_id.end()).find("zarvo-oka-oka-wah");
    ASSERT_NE(std::string::npos, at);
    wrong_id[at] = 'Z';
    values[kMix] = NAN;
    std::vector<uint8_t> with_nan = make_state(values, "vst3");

    for (const std::vector<uint8_t>* bad : {&truncated, &wrong_id, &with_nan}) {
        EXPECT_EQ(kResultFalse, restore(*bad));
    }
    EXPECT_EQ(kResultFalse, restore(std::vector<uint8_t>()));
    EXPECT_EQ(kResultFalse, component_->vtbl->setState(component_, nullptr));
    ASSERT_EQ(kResultOk, run(&block));
    float after[kInputParameterCount];
    saved_values(after);
    EXPECT_EQ(0, memcmp(before, after, sizeof after));
}

TEST_F(ComponentStateTest, ClampsStoredValuesOutsideTheirRanges) {
    start();
    float values[kInputParameterCount];
    default_values(values);
    values[kPosition] = 250.0f;
    values[kLfoSyncRate] = 0.0f;
    values[kMidOn] = 0.7f;
    ASSERT_EQ(kResultOk, restore(make_state(values, "lv2")));
    float saved[kInputParameterCount];
    saved_values(saved);
    EXPECT_EQ(100.0f, saved[kPosition]);
    EXPECT_EQ(1.0f, saved[kLfoSyncRate]);
    EXPECT_EQ(1.0f, saved[kMidOn]);
}

TEST_F(ComponentStateTest, ShortStreamsFail) {
    start();
    MemoryStream stream;
    memory_stream_init(&stream);
    stream.write_limit = 100;
    EXPECT_EQ(kResultFalse, component_->vtbl->getState(component_, &stream.iface));
    EXPECT_EQ(kResultFalse, component_->vtbl->getState(component_, nullptr));

    tresult result = kResultFalse;
    std::vector<uint8_t> bytes = save(&result);
    ASSERT_EQ(kResultOk, result);
    memory_stream_init(&stream);
    stream.bytes = bytes;
    stream.read_limit = 100;
    EXPECT_EQ(kResultFalse, component_->vtbl->setState(component_, &stream.iface));
}

// Pauses the audio thread inside its first parameter enumeration of a block,
// that is while it holds the component's parameter lock.
struct AudioPause {
    std::atomic<int> calls{0};
    std::atomic<bool> inside{false};
    std::atomic<bool> go{false};
};

static void pause_in_first_enumeration(void* user) {
    AudioPause* pause = (AudioPause*)user;
    if (pause->calls.fetch_add(1) != 0)
        return;
    pause->inside = true;
    while (!pause->go)
        std::this_thread::yield();
}

static void wait_for(const std::atomic<bool>& flag) {
    while (!flag)
        std::this_thread::yield();
}

TEST_F(ComponentStateTest, RestoreDuringProcessingWinsAtTheNextBlock) {
    start();
    float restored[kInputParameterCount];
    default_values(restored);
    restored[kPosition] = 80.0f;
    std::vector<uint8_t> bytes = make_state(restored, "vst3");

    AudioPause pause;
    HostChanges in;
    host_changes_init(&in);
    host_changes_add(&in, param_id(kPosition), 0, 0.3);
    in.on_enumerate = pause_in_first_enumeration;
    in.user = &pause;
    TestBlock block;
    test_block_init(&block, 128, 0.2f);
    std::thread audio([&] { run(&block, &in); });
    wait_for(pause.inside);

    std::atomic<bool> restored_done{false};
    tresult restore_result = kResultFalse;
    std::thread restorer([&] {
        restore_result = restore(bytes);
        restored_done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(restored_done) << "the restore must wait for the audio thread's lock";
    pause.go = true;
    audio.join();
    restorer.join();
    EXPECT_EQ(kResultOk, restore_result);

    // The host's change of the paused block loses to the restored state,
    // whether the restore got the lock before that block's end or after it.
    HostChanges out;
    host_changes_init(&out);
    ASSERT_EQ(kResultOk, run(&block, nullptr, &out));
    const HostQueue* position = host_changes_find(&out, param_id(kModPosition));
    ASSERT_NE(nullptr, position);
    EXPECT_NEAR(0.8, position->values[0], 1e-6);
    float saved[kInputParameterCount];
    saved_values(saved);
    EXPECT_EQ(80.0f, saved[kPosition]);
}

TEST_F(ComponentStateTest, SaveWaitsForTheAudioThreadsLock) {
    start();
    AudioPause pause;
    HostChanges in;
    host_changes_init(&in);
    host_changes_add(&in, param_id(kMix), 0, 0.6);
    in.on_enumerate = pause_in_first_enumeration;
    in.user = &pause;
    TestBlock block;
    test_block_init(&block, 64, 0.2f);
    std::thread audio([&] { run(&block, &in); });
    wait_for(pause.inside);

    std::atomic<bool> saved_done{false};
    tresult save_result = kResultFalse;
    std::vector<uint8_t> bytes;
    std::thread saver([&] {
        bytes = save(&save_result);
        saved_done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(saved_done) << "the save must wait for the audio thread's lock";
    pause.go = true;
    audio.join();
    saver.join();
    ASSERT_EQ(kResultOk, save_result);
    float values[kInputParameterCount];
    ASSERT_EQ(0, state_read_values(bytes.data(), bytes.size(), values));
    EXPECT_FLOAT_EQ(60.0f, values[kMix]) << "the change applied under the lock is saved";
}

// Many restores against a running audio thread: every restore lands whole,
// and process never fails.
TEST_F(ComponentStateTest, RestoresRaceProcessingWithoutTearing) {
    start();
    std::vector<std::vector<uint8_t>> states;
    for (int k = 0; k < 2; ++k) {
        float values[kInputParameterCount];
        for (uint32_t i = 0; i < kInputParameterCount; ++i) {
            const ParameterRecord* r = parameter_record(i);
            values[i] = (float)(k == 0 ? r->minimum : r->maximum);
        }
        states.push_back(make_state(values, "vst3"));
    }
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::thread audio([&] {
        TestBlock block;
        test_block_init(&block, 32, 0.1f);
        HostChanges in;
        int n = 0;
        while (!stop) {
            host_changes_init(&in);
            host_changes_add(&in, param_id(kEnvAmount), 0, (n++ % 10) / 10.0);
            if (run(&block, &in) != kResultOk)
                ++failures;
        }
    });
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(kResultOk, restore(states[(size_t)i % 2]));
    stop = true;
    audio.join();
    EXPECT_EQ(0, failures);

    TestBlock block;
    test_block_init(&block, 32, 0.1f);
    run(&block);
    float saved[kInputParameterCount];
    saved_values(saved);
    // The last restore set every value to its maximum; only the parameter
    // the audio thread kept changing may differ.
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        if (i == kEnvAmount)
            continue;
        EXPECT_EQ((float)parameter_record(i)->maximum, saved[i]) << kParameterDescriptions[i].id;
    }
}

} // namespace
