#include "edit/LightingRows.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define SORAKADO_GATHER_KERNEL 1
#include <immintrin.h>
#endif

namespace lightingrows {
namespace {

#ifdef SORAKADO_GATHER_KERNEL

__attribute__((target("avx2"))) void applyGather(const quint32* in, quint32* out, int count,
                                                 const LPSLighting::ShiftedTables& tables)
{
    const auto* red = reinterpret_cast<const int*>(tables.red.data());
    const auto* greenBlue = reinterpret_cast<const int*>(tables.greenBlue.data());
    const __m256i lowByte = _mm256_set1_epi32(0xFF);
    const __m256i lowHalf = _mm256_set1_epi32(0xFFFF);
    const __m256i fourthByte = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + x));
        const __m256i redIndex = _mm256_and_si256(_mm256_srli_epi32(pixels, 16), lowByte);
        const __m256i pairIndex = _mm256_and_si256(pixels, lowHalf);
        const __m256i reds = _mm256_i32gather_epi32(red, redIndex, 4);
        const __m256i pairs = _mm256_i32gather_epi32(greenBlue, pairIndex, 4);
        const __m256i result =
            _mm256_or_si256(_mm256_or_si256(reds, pairs), _mm256_and_si256(pixels, fourthByte));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), result);
    }
    LPSLighting::applyRow(in + x, out + x, count - x, tables);
}

#endif

}  // namespace

bool available(Kernel kernel)
{
    switch (kernel) {
        case Kernel::Plain:
            return true;
        case Kernel::Gather:
#ifdef SORAKADO_GATHER_KERNEL
            return __builtin_cpu_supports("avx2") != 0;
#else
            return false;
#endif
    }
    return false;
}

void apply(Kernel kernel, const quint32* in, quint32* out, int count,
           const LPSLighting::ShiftedTables& tables)
{
#ifdef SORAKADO_GATHER_KERNEL
    if (kernel == Kernel::Gather) {
        applyGather(in, out, count, tables);
        return;
    }
#else
    Q_UNUSED(kernel);
#endif
    LPSLighting::applyRow(in, out, count, tables);
}

}  // namespace lightingrows
