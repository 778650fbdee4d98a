// The configuration version text and the key path built from it.
#include "portable.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

namespace {

TEST(ParseVersion, TokensAreRunsOfDotsAndNumbersTheirLeadingDigits) {
    const int32_t untouched = -7;
    struct {
        const char *text;
        int status;
        int32_t major, minor, patch;
    } cases[] = {
        {configVersion, 0, 1, 3, 0},
        {"1.2.3.4", 0, 1, 2, 3}, // further parts ignored
        {"..1...2..", 0, 1, 2, 0},
        {"10.beta.7", 0, 10, 0, 7},
        {" 3.+4rc1", 0, 3, 4, 0},
        {"-1.2", 0, -1, 2, 0},
        // Huge numbers saturate instead of overflowing.
        {"99999999999999999999.2", 0, INT32_MAX, 2, 0},
        {"-99999999999999999999", 0, INT32_MIN, 0, 0},
        // No usable major number: rejected, the result untouched.
        {"0.5", -1, untouched, untouched, untouched},
        {"x.1", -1, untouched, untouched, untouched},
        {"...", -1, untouched, untouched, untouched},
        {"-0.1", -1, untouched, untouched, untouched},
    };
    for (const auto &c : cases) {
        VersionNumber v = {untouched, untouched, untouched};
        EXPECT_EQ(c.status, parseVersion(c.text, &v)) << c.text;
        EXPECT_EQ(c.major, v.major) << c.text;
        EXPECT_EQ(c.minor, v.minor) << c.text;
        EXPECT_EQ(c.patch, v.patch) << c.text;
    }
}

TEST(ParseVersion, LeavesTheTextAloneAndTheCallersTokenizerToo) {
    char text[] = "5.6.7";
    char other[] = "a.b";
    VersionNumber v;
    char *first = strtok(other, ".");
    ASSERT_EQ(0, parseVersion(text, &v));
    EXPECT_STREQ("5.6.7", text);
    EXPECT_EQ(7, v.patch);
    char *second = strtok(nullptr, ".");
    EXPECT_STREQ("a", first);
    EXPECT_STREQ("b", second);
}

TEST(MakeKeyPath, AppendsTheVersionToTheSuitesKey) {
    char *path = nullptr;
    ASSERT_EQ(0, makeKeyPath(configVersion, &path));
    EXPECT_STREQ("SOFTWARE\\Kestrova\\Vemto\\1.3", path);
    free(path);
}

} // namespace
