#pragma once

#include "edit/LPSLighting.h"

#include <QtGlobal>

// The pixel loop of brightness and contrast in the forms the processor may offer. All
// give the same bytes as LPSLighting::applyRow; which one is fastest depends on the
// processor (vector gathers are quick on some, slowed down by security fixes on others),
// so a computation measures them on its first rows and keeps the faster one.
namespace lightingrows {

enum class Kernel {
    Plain,   // one pixel at a time
    Gather,  // eight pixels at a time with vector table look-ups (AVX2)
};

// Whether this processor can run the kernel.
bool available(Kernel kernel);

// `count` pixels from `in` through the tables into `out`; the kernel must be available.
void apply(Kernel kernel, const quint32* in, quint32* out, int count,
           const LPSLighting::ShiftedTables& tables);

}  // namespace lightingrows
