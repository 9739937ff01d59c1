// The baseline build of block processing.
#define BLOCK_KERNEL_NAME block_kernel_baseline
#include "engine/block_kernel_body.h"
