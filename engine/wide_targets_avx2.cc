// The AVX2 build of the wide targets pass: eight samples per register.
// Chosen only where the processor reports AVX2 (see wide_forms.cc).
#include "engine/wide_targets.h"

#define WIDE_LANES 8
#define WIDE_TARGETS_FORM wide_targets_avx2
#include "engine/wide_targets_body.h"
