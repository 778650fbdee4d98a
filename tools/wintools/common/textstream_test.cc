// Tests of the line-feed expansion at the ends of its blocks, natively under
// AddressSanitizer and under Wine; the rest of the text streams is fuzzed.
#include "textstream.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(TextStream, ExpandsEveryLineFeed) {
    // Inputs that end in a part block and no line feed, in blocks of exactly
    // their size, so that reading or writing past either end is seen.
    for (size_t size : {15, 16, 17, 32 * 1024 + 15}) {
        std::vector<unsigned char> bytes(size), expanded(2 * size);
        std::string expected;
        for (size_t i = 0; i < size; i++) {
            bytes[i] =
                static_cast<unsigned char>(i % 37 == 5 && i + 15 < size ? '\n' : 'a' + i % 26);
            expected += bytes[i] == '\n' ? "\r\n" : std::string(1, bytes[i]);
        }
        size_t length = expandLineFeeds(bytes.data(), size, expanded.data());
        EXPECT_EQ(expected, std::string(expanded.begin(), expanded.begin() + length)) << size;
    }
}

} // namespace
