// Block processing after the block start: the chunked passes described in
// block_kernel_body.h, built three times from that one body: for the x86-64
// baseline, for AVX2 and for AVX-512, each used where the processor has it.
// The wider encodings need fewer instructions, and AVX-512's 32 registers
// hold the filters, the glide and the modulators at once. All perform the
// same operations in the same order and give the same bits.
#pragma once
#include <stdint.h>

#include "engine/formant_coefficients.h"
#include "engine/wah_engine.h"
#include "engine/wide_targets.h"

// One block of n > 0 samples with the given forms of the wide passes.
// [audio thread, after the block start]
typedef void (*BlockKernelFn)(WahEngine* e, const float* input, float* output, int32_t n,
                              FormantCoefficientsFn coefficients,
                              const WideTargetsForm* wide_targets);

void block_kernel_baseline(WahEngine* e, const float* input, float* output, int32_t n,
                           FormantCoefficientsFn coefficients, const WideTargetsForm* wide_targets);
extern const BlockKernelFn block_kernel_avx2;
extern const BlockKernelFn block_kernel_avx512;
