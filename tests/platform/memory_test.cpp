// The memory figures relative heap and stack sizes are computed from.
#include "platform/memory.h"

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr uint64_t kTiB = uint64_t{1} << 40;

TEST(ReadMemoryFigures, ThisMachineHasPlausibleFigures) {
    MemoryFigures figures = readMemoryFigures();
    EXPECT_GE(figures.totalPhysicalBytes, 64 * kMiB);
    EXPECT_LT(figures.totalPhysicalBytes, 1024 * kTiB);
    EXPECT_GT(figures.availableVirtualBytes, 0u);
    // A 64-bit process has far more address space than 4 GiB left.
    EXPECT_GT(figures.availableVirtualBytes, 4 * kGiB);
}

} // namespace
} // namespace launcher::platform
