#include "ui/qt/VectorState.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ONDULIX_CLEARS_UPPER_VECTOR_STATE 1
#endif

namespace ondulix::ui::qt {

#ifdef ONDULIX_CLEARS_UPPER_VECTOR_STATE
namespace {

// Compiled for AVX on its own; it runs only where the processor says it has AVX.
__attribute__((target("avx"))) void zeroUpperHalves() { _mm256_zeroupper(); }

} // namespace

void ClearUpperVectorState() {
    if (__builtin_cpu_supports("avx"))
        zeroUpperHalves();
}
#else
void ClearUpperVectorState() {}
#endif

} // namespace ondulix::ui::qt
