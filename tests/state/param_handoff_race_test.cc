// Two threads on one hand-off, as a host drives it: an audio thread running
// blocks with host changes, and a state thread restoring and saving. Every
// block's engine and every save must hold one whole state, never a mix. The
// tsan tree runs this under ThreadSanitizer, which also fails it on any
// access to the shared values outside the lock.
#include <atomic>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <thread>
#include <vector>

#include "state/param_handoff.h"
#include "state/state_archive.h"
#include "state/state_restore.h"
#include "state/state_save.h"

namespace {

enum : int { kRestores = 400, kSetCount = 3 };

float keep(uint32_t, float value) {
    return value;
}

// Three whole states: the defaults, every minimum, every maximum. Position
// (index 0) is the host's to change and is left out of the comparison.
struct States {
    float values[kSetCount][kInputParameterCount];
    std::vector<uint8_t> bytes[kSetCount];

    States() {
        for (uint32_t i = 0; i < kInputParameterCount; ++i) {
            values[0][i] = (float)parameter_record(i)->default_value;
            values[1][i] = (float)parameter_record(i)->minimum;
            values[2][i] = (float)parameter_record(i)->maximum;
        }
        for (int s = 0; s < kSetCount; ++s) {
            size_t length = 0;
            void* b = state_save(values[s], 48000.0f, OKA_STATE_FORMAT_VST3, &length);
            bytes[s].assign((uint8_t*)b, (uint8_t*)b + length);
            free(b);
        }
    }

    // The state `v` holds whole, or -1 when it mixes two.
    int which(const float* v) const {
        for (int s = 0; s < kSetCount; ++s) {
            if (memcmp(v + 1, values[s] + 1, sizeof(float) * (kInputParameterCount - 1)) == 0)
                return s;
        }
        return -1;
    }
};

TEST(ParamHandoffRace, BlocksAndSavesAlwaysSeeWholeStates) {
    States states;
    WahEngine engine;
    wah_engine_init(&engine);
    wah_engine_set_sample_rate(&engine, 48000.0f);
    ParamHandoff h;
    param_handoff_init(&h);
    param_handoff_set_all(&h, &engine, states.values[0]);

    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    long reconciled_blocks = 0, mixed_blocks = 0;
    std::thread audio([&] {
        while (!stop.load(std::memory_order_acquire)) {
            bool reconciled = false;
            bool locked = param_handoff_begin(&h, &engine, &reconciled);
            param_handoff_host_value(&h, &engine, kPosition, blocks % 2 ? 10.0f : 20.0f, locked);
            param_handoff_end(&h, locked);
            reconciled_blocks += reconciled;
            mixed_blocks += states.which(engine.param_values) < 0;
            blocks.fetch_add(1, std::memory_order_release);
        }
    });
    // On a loaded machine the state thread could finish before the audio
    // thread first runs: each restore waits for a block to start after it.
    auto await_block = [&blocks] {
        const long seen = blocks.load(std::memory_order_acquire);
        while (blocks.load(std::memory_order_acquire) < seen + 2)
            std::this_thread::yield();
    };

    int mixed_saves = 0, failures = 0;
    for (int n = 0; n < kRestores; ++n) {
        const std::vector<uint8_t>& state = states.bytes[1 + n % 2];
        failures += param_handoff_restore(&h, state.data(), state.size(), keep) != 0;
        await_block();
        size_t length = 0;
        void* saved = param_handoff_save(&h, &engine, OKA_STATE_FORMAT_LV2, &length);
        float values[kInputParameterCount];
        failures += saved == nullptr || state_read_values(saved, length, values) != 0;
        free(saved);
        mixed_saves += states.which(values) < 0;
        std::this_thread::yield();
    }
    stop.store(true, std::memory_order_release);
    audio.join();

    EXPECT_EQ(0, failures);
    EXPECT_EQ(0, mixed_saves);
    EXPECT_EQ(0, mixed_blocks) << "of " << blocks.load() << " blocks";
    EXPECT_GT(reconciled_blocks, 0) << "the threads never met";
    // The next block brings the last restored state to the engine.
    bool locked = param_handoff_begin(&h, &engine, nullptr);
    param_handoff_end(&h, locked);
    EXPECT_EQ(1 + (kRestores - 1) % 2, states.which(engine.param_values));
}

} // namespace
