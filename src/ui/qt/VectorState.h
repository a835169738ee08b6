#pragma once

namespace ondulix::ui::qt {

// Qt 6.4's AVX2 fill (QImage::fill, solid rectangles) and its VAES string hash return with the
// upper halves of the YMM registers still marked in use. Until something clears that state,
// every SSE instruction of the process pays for it, and ours are all SSE: the program and libm's
// fallbacks are built for plain x86-64. A table's 16,385 sines took 30 times as long on the
// Xeon virtual machines we measure on. The handlers call this first thing, where control passes
// from Qt to the window logic, and the picture box after Qt has filled its picture. It is one
// instruction, and nothing where the processor has no AVX.
void ClearUpperVectorState();

} // namespace ondulix::ui::qt
