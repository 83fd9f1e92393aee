#pragma once

#include <QHash>
#include <QString>
#include <optional>

// Whether the upper halves of this thread's 256-bit vector registers are in use; nothing
// where the processor cannot tell (no AVX, or no in-use bitmap for XGETBV).
inline std::optional<bool> vectorUppersInUse() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    unsigned a = 0, b = 0, c = 0, d = 0;
    asm volatile("cpuid" : "=a"(a), "=b"(b), "=c"(c), "=d"(d) : "a"(0xD), "c"(1));
    if (!__builtin_cpu_supports("avx") || (a & 4) == 0)
        return std::nullopt;
    unsigned low = 0, high = 0;
    asm volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(1));
    return (low & 4) != 0;
#else
    return std::nullopt;
#endif
}

// Leaves the vector registers as Qt's hashing does; false when it leaves nothing to clear.
inline bool hashAsQtDoes() {
    QHash<QString, int> names;
    names.insert(QStringLiteral("Cash at bank"), 1);
    return vectorUppersInUse().value_or(false);
}
