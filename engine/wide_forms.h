// The forms of block processing for one instruction set: the kernel (the
// serial passes) and the two wide passes it calls. The baseline set runs on
// every x86-64 processor; the AVX2 and AVX-512 sets where the processor (and
// the operating system's saved register state) offers them. All give the
// same bits.
#pragma once
#include "engine/block_kernel.h"

typedef struct WideForms {
    BlockKernelFn kernel;
    FormantCoefficientsFn coefficients;
    const WideTargetsForm* targets;
} WideForms;

// The sets this processor runs, narrowest first; *count is set to their
// number (1 to 3). [any thread]
const WideForms* wide_forms_available(int* count);

// The set wah_engine_process uses: the widest, chosen once when the module
// loads. [audio thread]
const WideForms* wide_forms_active(void);

// Forces a set, which must stay alive while in force (null: back to the
// widest); tests mix the parts of different sets. [no engine processing]
void wide_forms_force(const WideForms* forms);
