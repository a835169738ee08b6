#include "ui/qt/QtTextBox.h"
#include "ui/qt/VectorState.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <optional>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#endif

namespace ondulix::ui::qt {
namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// Whether the upper halves of the YMM registers are in use, where the processor can tell: the
// state-in-use bits (XGETBV with ECX = 1) exist when CPUID leaf 0xD, subleaf 1 says so.
std::optional<bool> upperHalvesInUse() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__builtin_cpu_supports("avx") || !__get_cpuid_count(0xD, 1, &eax, &ebx, &ecx, &edx) || !(eax & (1u << 2)))
        return std::nullopt;
    unsigned low = 0, high = 0;
    asm volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(1));
    return (low & (1u << 2)) != 0;
}

// What Qt's AVX2 fill does on its way out: a 256-bit write, and no VZEROUPPER after it.
void leaveUpperHalvesInUse() { asm volatile("vpcmpeqd %%ymm1, %%ymm1, %%ymm1" ::: "xmm1"); }
#else
std::optional<bool> upperHalvesInUse() { return std::nullopt; }
void leaveUpperHalvesInUse() {}
#endif

TEST(VectorState, TheTextBoxHandlerStartsWithTheUpperHalvesClear) {
    if (!upperHalvesInUse())
        GTEST_SKIP() << "this processor does not say which register states are in use";
    leaveUpperHalvesInUse();
    ASSERT_EQ(upperHalvesInUse(), true); // the test can tell the two states apart
    ClearUpperVectorState();
    EXPECT_EQ(upperHalvesInUse(), false);

    // Qt code that runs just before the text box hears of the change leaves the state in use.
    QLineEdit edit;
    QObject::connect(&edit, &QLineEdit::textChanged, [] { leaveUpperHalvesInUse(); });
    QtTextBox box(edit);
    std::optional<bool> seen;
    box.setChangeHandler([&] { seen = upperHalvesInUse(); });
    edit.setText(QStringLiteral("16384")); // as typing does
    EXPECT_EQ(seen, false);
}

} // namespace
} // namespace ondulix::ui::qt
