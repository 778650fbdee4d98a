// The configuration version text and the key path built from it.
#include "portable.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

namespace {

struct Parsed {
    int status;
    VersionNumber number;
};

Parsed parse(const char *text) {
    Parsed p = {0, {-7, -7, -7}};
    p.status = parseVersion(text, &p.number);
    return p;
}

void expectVersion(const char *text, int32_t major, int32_t minor, int32_t patch) {
    SCOPED_TRACE(text);
    Parsed p = parse(text);
    ASSERT_EQ(0, p.status);
    EXPECT_EQ(major, p.number.major);
    EXPECT_EQ(minor, p.number.minor);
    EXPECT_EQ(patch, p.number.patch);
}

void expectRejected(const char *text) {
    SCOPED_TRACE(text);
    Parsed p = parse(text);
    EXPECT_EQ(-1, p.status);
    EXPECT_EQ(-7, p.number.major);
}

TEST(ParseVersion, SplitsAtRunsOfDotsAndReadsLeadingNumbers) {
    expectVersion(configVersion, 1, 3, 0);
    expectVersion("2", 2, 0, 0);
    expectVersion("1.2.3.4", 1, 2, 3); // further parts ignored
    expectVersion("1..3", 1, 3, 0);
    expectVersion("..1...2..", 1, 2, 0);
    expectVersion("10.beta.7", 10, 0, 7);
    expectVersion(" 3.+4rc1", 3, 4, 0);
    expectVersion("-1.2", -1, 2, 0);
}

TEST(ParseVersion, NoUsableMajorNumberIsRejected) {
    expectRejected("0.5");
    expectRejected("x.1");
    expectRejected("");
    expectRejected("...");
    expectRejected("-0.1");
}

TEST(ParseVersion, HugeNumbersDoNotOverflow) {
    expectVersion("99999999999999999999.2", INT32_MAX, 2, 0);
    expectVersion("-99999999999999999999", INT32_MIN, 0, 0);
    expectVersion("2147483647.2147483648", INT32_MAX, INT32_MAX, 0);
}

TEST(ParseVersion, LeavesTheTextAloneAndKeepsNoStateBetweenCalls) {
    char text[] = "5.6.7";
    expectVersion(text, 5, 6, 7);
    EXPECT_STREQ("5.6.7", text);
    // A tokenizer sequence of the caller's survives a call in between.
    char other[] = "a.b";
    char *first = strtok(other, ".");
    expectVersion("8.9", 8, 9, 0);
    char *second = strtok(nullptr, ".");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_STREQ("b", second);
}

TEST(MakeKeyPath, AppendsTheVersionToTheSuitesKey) {
    char *path = nullptr;
    ASSERT_EQ(0, makeKeyPath(configVersion, &path));
    EXPECT_STREQ("SOFTWARE\\Kestrova\\Vemto\\1.3", path);
    free(path);
    ASSERT_EQ(0, makeKeyPath("", &path));
    EXPECT_STREQ("SOFTWARE\\Kestrova\\Vemto\\", path);
    free(path);
}

} // namespace
