// Which instruction-set level the conversion and scaling kernels use. The scalar kernels are the
// reference; every vector kernel gives exactly the same bytes.
#pragma once

namespace krvx {

enum class KernelLevel : int { Scalar = 0, Sse2 = 1, Avx2 = 2 };

// The best level this processor runs.
KernelLevel SupportedKernelLevel();
// The level in use (the supported one unless lowered).
KernelLevel ActiveKernelLevel();
// Lowers (or restores) the level in use, capped at the supported one. For tests and benchmarks that
// compare the vector kernels with the reference.
void SetKernelLevel(KernelLevel level);

}  // namespace krvx
