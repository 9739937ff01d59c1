// The AVX-512 build of the coefficient pass: four rows (one 64-byte line)
// per register. Chosen only where the processor reports AVX-512 (see
// wide_forms.cc).
#define WIDE_LANES 16
#include "engine/formant_coefficients_body.h"

const FormantCoefficientsFn formant_coefficients_avx512 = coefficients_wide;
