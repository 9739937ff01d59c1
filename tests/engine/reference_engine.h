// The engine's block processing in its plainest form: one statement per
// step of the algorithm, restated here with its own kernels, one-pole
// steps and constants; from the engine it takes only the fields of
// WahEngine and the sync ratio table. Any faster form of wah_engine_process
// must give the same bits as this.
#pragma once
#include "engine/wah_engine.h"

void reference_process(WahEngine* e, const float* input, float* output, int32_t n);
