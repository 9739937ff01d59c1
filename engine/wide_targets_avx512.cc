// The AVX-512 build of the wide targets pass: one register per vector.
// Chosen only where the processor reports AVX-512 (see wide_forms.cc).
#include "engine/wide_targets.h"

#define WIDE_LANES 16
#define WIDE_TARGETS_FORM wide_targets_avx512
#include "engine/wide_targets_body.h"
