// What wideconv guards against but the program cannot be led into from
// outside: a file size whose read block does not fit. The end-to-end tests
// cover the rest.
#include "wideconv.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadBuffer, SizeIsTwoMoreUnlessThatOverflows) {
    EXPECT_EQ(readBufferSize(0), 2u);
    EXPECT_EQ(readBufferSize(static_cast<uint64_t>(SIZE_MAX) - 2), SIZE_MAX);
    EXPECT_EQ(readBufferSize(static_cast<uint64_t>(SIZE_MAX) - 1), 0u);
    EXPECT_EQ(readBufferSize(UINT64_MAX), 0u);
}

} // namespace
