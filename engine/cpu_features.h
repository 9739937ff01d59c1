// What the processor (and the operating system's saved register state)
// offers the wide forms of block processing. [any thread]
#pragma once

// AVX2, for the two-samples-per-register coefficient pass.
bool cpu_has_avx2(void);
// AVX-512 F, DQ and VL: everything the AVX-512 builds may use.
bool cpu_has_avx512(void);
