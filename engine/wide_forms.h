// The builds of block processing, one per instruction set (forms_sse2.cc,
// forms_avx2.cc, forms_avx512.cc): each hands out its kernel (the chunk
// pipeline after the block start) and the two wide passes the kernel calls.
// The baseline set runs on every x86-64 processor; the AVX2 and AVX-512
// sets where the processor (and the operating system's saved register
// state) offers them. All give the same bits, so tests mix the parts of
// different sets.
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

typedef struct WideForms {
    const char* name; // "sse2", "avx2", "avx512"
    BlockKernelFn kernel;
    FormantCoefficientsFn coefficients;
    const WideTargetsForm* targets;
} WideForms;

extern const WideForms wide_forms_sse2;
extern const WideForms wide_forms_avx2;
extern const WideForms wide_forms_avx512;

// The sets this processor runs, narrowest first; *count is set to their
// number (1 to 3). [any thread]
const WideForms* wide_forms_available(int* count);

// The set wah_engine_process uses: the widest, chosen once when the module
// loads. [audio thread]
const WideForms* wide_forms_active(void);

// Forces a set, which must stay alive while in force (null: back to the
// widest); tests mix the parts of different sets. [no engine processing]
void wide_forms_force(const WideForms* forms);
