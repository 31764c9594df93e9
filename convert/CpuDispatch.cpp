#include "convert/CpuDispatch.h"

#include <atomic>

namespace krvx {

namespace {
KernelLevel DetectLevel() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
#if !defined(_WIN32)
    // Not on Windows: the compiler there cannot keep 32-byte stack slots aligned for AVX spills.
    if (__builtin_cpu_supports("avx2")) return KernelLevel::Avx2;
#endif
    if (__builtin_cpu_supports("sse2")) return KernelLevel::Sse2;
#endif
    return KernelLevel::Scalar;
}

std::atomic<int>& LevelInUse() {
    static std::atomic<int> level{static_cast<int>(SupportedKernelLevel())};
    return level;
}
}  // namespace

KernelLevel SupportedKernelLevel() {
    static const KernelLevel supported = DetectLevel();
    return supported;
}

KernelLevel ActiveKernelLevel() {
    return static_cast<KernelLevel>(LevelInUse().load(std::memory_order_relaxed));
}

void SetKernelLevel(KernelLevel level) {
    int wanted = static_cast<int>(level);
    int best = static_cast<int>(SupportedKernelLevel());
    LevelInUse().store(wanted < best ? wanted : best, std::memory_order_relaxed);
}

}  // namespace krvx
