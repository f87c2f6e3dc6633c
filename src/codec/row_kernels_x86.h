#pragma once

#include "codec/row_kernels.h"

// The vector forms, defined only where the processor family has them.
namespace lumigram {

#if defined(__x86_64__) || defined(_M_X64)
#define LUMIGRAM_X86_ROW_KERNELS 1
extern const RowKernels kSse2RowKernels;
extern const RowKernels kAvx2RowKernels;
// Whether this processor (and its operating system) runs the AVX2 form.
bool CpuRunsAvx2();
#endif

}  // namespace lumigram
