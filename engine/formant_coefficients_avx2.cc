// The AVX2 build of the coefficient pass: two rows per register. Chosen only
// where the processor reports AVX2 (see wide_forms.cc).
#define WIDE_LANES 8
#include "engine/formant_coefficients_body.h"

const FormantCoefficientsFn formant_coefficients_avx2 = coefficients_wide;
