// Cost of a full save and of a full restore of the plug-in state, the work a
// host waits for when it stores or recalls a project.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <vector>

#include "platform/spin_lock.h"
#include "state/state_archive.h"
#include "state/state_restore.h"
#include "state/state_save.h"

namespace {

// What a module's restore target does: store under the parameter lock.
struct Instance {
    SpinLock lock{0};
    float values[kInputParameterCount];
};

void instance_lock(void* user) {
    spin_lock_acquire(&static_cast<Instance*>(user)->lock);
}
void instance_unlock(void* user) {
    spin_lock_release(&static_cast<Instance*>(user)->lock);
}
void instance_set(void* user, uint64_t index, float value) {
    static_cast<Instance*>(user)->values[index] = value;
}

void defaults(float* values) {
    for (uint32_t i = 0; i < kInputParameterCount; i++)
        values[i] = (float)kInputParameterRecords[i].default_value;
}

void BM_StateSave(benchmark::State& state) {
    float values[kInputParameterCount];
    defaults(values);
    size_t length = 0;
    for (auto _ : state) {
        void* bytes = state_save(values, 48000.0f, OKA_STATE_FORMAT_VST3, &length);
        benchmark::DoNotOptimize(bytes);
        free(bytes);
    }
    state.counters["bytes"] = (double)length;
}

void BM_StateRestore(benchmark::State& state) {
    float values[kInputParameterCount];
    defaults(values);
    size_t length = 0;
    void* bytes = state_save(values, 48000.0f, OKA_STATE_FORMAT_VST3, &length);
    Instance instance;
    RestoreTarget target = {&instance, instance_lock, instance_unlock, instance_set};
    for (auto _ : state) {
        int result = state_restore(&target, bytes, length);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(instance.values);
    }
    free(bytes);
}

} // namespace

BENCHMARK(BM_StateSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StateRestore)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
