// The configuration version text, parsed as tokens between runs of dots.
#include "portable.h"

#include <gtest/gtest.h>

#include <string.h>

#include <tuple>

namespace {

TEST(ParseVersion, TokensAreRunsOfDotsAndNumbersTheirLeadingDigits) {
    const int32_t untouched = -7;
    struct {
        const char *text;
        int status;
        int32_t major, minor, patch;
    } cases[] = {
        {configVersion, 0, 1, 3, 0},
        {"..1...2..", 0, 1, 2, 0},
        {"10.beta.7.4", 0, 10, 0, 7},
        {" -1.+4rc1", 0, -1, 4, 0},
        // Huge numbers saturate instead of overflowing.
        {"99999999999999999999.2", 0, INT32_MAX, 2, 0},
        {"-99999999999999999999", 0, INT32_MIN, 0, 0},
        // No usable major number: rejected, the result untouched.
        {"0.5", -1, untouched, untouched, untouched},
        {"x.1", -1, untouched, untouched, untouched},
    };
    for (const auto &c : cases) {
        VersionNumber v = {untouched, untouched, untouched};
        EXPECT_EQ(c.status, parseVersion(c.text, &v)) << c.text;
        EXPECT_EQ(std::make_tuple(c.major, c.minor, c.patch),
                  std::make_tuple(v.major, v.minor, v.patch))
            << c.text;
    }
}

TEST(ParseVersion, LeavesTheTextAloneAndTheCallersTokenizerToo) {
    char text[] = "5.6.7";
    char other[] = "a.b";
    VersionNumber v;
    EXPECT_STREQ("a", strtok(other, "."));
    ASSERT_EQ(0, parseVersion(text, &v));
    EXPECT_STREQ("5.6.7", text);
    EXPECT_STREQ("b", strtok(nullptr, "."));
}

} // namespace
