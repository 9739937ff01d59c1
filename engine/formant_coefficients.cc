// The baseline build of the coefficient pass, one row per register.
#define WIDE_LANES 4
#include "engine/formant_coefficients_body.h"

void formant_coefficients_sse2(const CoefficientRates* rates, CoefficientRows* r, int32_t m,
                               bool lower_half, bool under_limit) {
    coefficients_wide(rates, r, m, lower_half, under_limit);
}
