// The block-processing steps of the baseline and AVX2 builds where the
// AVX-512 build has its own (block_avx512.h, block_still_ahead.h): here
// pass 4 goes four samples at a time from the start, and no chunk is
// rendered ahead. Included by forms_sse2.cc and forms_avx2.cc.
#pragma once
#include "engine/block_chunk.h"

namespace {

// The samples of a chunk's output written in steps wider than four: none.
WAH_INLINE int32_t wide_output(const Chunk*, int32_t, const MixerRun*, const float*, float*) {
    return 0;
}

// No chunk is rendered ahead of its targets in these builds (see
// block_still_ahead.h): the pipeline goes on from first_step.
struct LastTargets;
WAH_INLINE int32_t still_chunks_ahead(const WahEngine*, Modulators*, MixerRun*, FormantLanes*,
                                      LastTargets*, Chunk*, const float*, float*, int32_t, int32_t,
                                      int32_t, int32_t first_step) {
    return first_step;
}

} // namespace
