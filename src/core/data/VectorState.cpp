#include "VectorState.h"

namespace zelk {

void clearVectorUppers() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // Set only where the processor and the system both keep the 256-bit registers.
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        asm volatile("vzeroupper");
#endif
}

} // namespace zelk
