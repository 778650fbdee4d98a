// Tests of what wideconv's layers guard against but the program cannot be led
// into from outside: a file size whose read block does not fit, and an output
// block smaller than the size answered. The end-to-end tests cover the rest.
#include "wideconv.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <errno.h>
#include <locale.h>
#endif

namespace {

TEST(ReadBuffer, SizeIsTwoMoreUnlessThatOverflows) {
    EXPECT_EQ(readBufferSize(0), 2u);
    EXPECT_EQ(readBufferSize(static_cast<uint64_t>(SIZE_MAX) - 2), SIZE_MAX);
    EXPECT_EQ(readBufferSize(static_cast<uint64_t>(SIZE_MAX) - 1), 0u);
    EXPECT_EQ(readBufferSize(UINT64_MAX), 0u);
}

#ifndef _WIN32
TEST(NativeConversion, TooSmallOutputFailsWithoutOverrun) {
    ASSERT_NE(setlocale(LC_ALL, "C.UTF-8"), nullptr);
    alignas(2) const unsigned char units[] = {0xE9, 0, 0xE9, 0, 0, 0}; // "éé"
    unsigned long error = 0;
    ASSERT_EQ(narrowSize(units, sizeof units, &error), 5u);
    char out[3];
    EXPECT_EQ(convertToNarrow(units, sizeof units, out, sizeof out, &error), 0u);
    EXPECT_EQ(error, static_cast<unsigned long>(E2BIG));
    setlocale(LC_ALL, "C");
}
#endif

} // namespace
