// The engine's block processing in its plainest form: one statement per
// step of the algorithm, no helpers shared with the engine's own sample loop
// beyond the pinned kernels and one-pole steps. Any faster form of
// wah_engine_process must give the same bits as this.
#pragma once
#include "engine/wah_engine.h"

void reference_process(WahEngine* e, const float* input, float* output, int32_t n);
