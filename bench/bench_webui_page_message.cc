// Cost of parsing and dispatching page messages (no Windows calls).
#include "webui/page_message_parse.h"

#include <benchmark/benchmark.h>

#include <string.h>

namespace {

int32_t edit(void* c, uint32_t, float v) {
    *(float*)c += v;
    return 0;
}
int32_t post(void* c, uint32_t, float v) {
    *(float*)c += v;
    return 0;
}

void run(benchmark::State& state, const char* text) {
    float cache[36] = {};
    float sink = 0;
    PageDispatchTable table{&sink, {edit, edit, edit}, nullptr, post, cache, 36};
    size_t length = strlen(text);
    for (auto _ : state) {
        page_message_dispatch(&table, text, length);
        benchmark::DoNotOptimize(sink);
    }
}

void BM_GestureMessage(benchmark::State& state) {
    run(state, "s 1f 3f800000");
}
void BM_GetAllMessage(benchmark::State& state) {
    run(state, "g");
}
BENCHMARK(BM_GestureMessage);
BENCHMARK(BM_GetAllMessage);

} // namespace

BENCHMARK_MAIN();
