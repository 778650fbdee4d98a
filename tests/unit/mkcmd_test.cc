// Tests of mkcmd: argument quoting and the growing string it is built on.
// How the C runtime reads the quoted text back is tested under Wine, against
// the real parser (tests/tools/orviinst_quoting_test.cc).
#include "mkcmd.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <utility>

// The allocator that the tool module provides, here with a switch that makes
// the n-th allocation from now fail (0: none fails).
static int allocationsUntilFailure = 0;
static int allocationsFailed = 0;

void *allocOrReport(int size) {
    if (allocationsUntilFailure > 0 && --allocationsUntilFailure == 0) {
        allocationsFailed++;
        return nullptr;
    }
    return malloc((size_t)size);
}

TEST(QuoteArg, WrapsWhiteSpaceEscapesQuotesAndTheBackslashesBeforeThem) {
    const std::pair<const char *, const char *> cases[] = {
        {"D:\\cov\\lib\\revedor.exe", "D:\\cov\\lib\\revedor.exe"},
        {"D:\\Program Files\\cov\\lib\\xconfig.tcl",
         "\"D:\\Program Files\\cov\\lib\\xconfig.tcl\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\"b", "a\\\"b"},
        {"a\\\"b", "a\\\\\\\"b"},
        {"a\\\\\"b", "a\\\\\\\\\\\"b"},
        {"a\\\\b", "a\\\\b"},
        {"\\\\server\\share\\x.tcl", "\\\\server\\share\\x.tcl"},
        {"x y\\\"z", "\"x y\\\\\\\"z\""},
        {"dir\\\\\\", "dir\\\\\\"},             // trailing backslashes of a bare argument stay
        {"caf\xe9\xa0\x85", "caf\xe9\xa0\x85"}, // high bytes are not white space
        {"a\tb", "\"a\tb\""},
        {"a\nb", "\"a\nb\""},
        {" ", "\" \""},
        // Decided: the empty string is "", and a run of backslashes that ends a
        // wrapped argument is doubled so that it does not escape the quote.
        {"", "\"\""},
        {"a b\\", "\"a b\\\\\""},
        {"C:\\Program Files\\", "\"C:\\Program Files\\\\\""},
    };
    for (const auto &c : cases) {
        char *quoted = quoteArg(c.first);
        EXPECT_STREQ(quoted, c.second) << c.first;
        free(quoted);
    }
}

TEST(AppendText, GrowsReplacesAndKeeps) {
    const char *t = "abc";
    char *s = appendText(nullptr, t, -1);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "abc");
    EXPECT_EQ(appendText(s, t, 0), s);
    s = appendText(s, t, 2);
    EXPECT_STREQ(s, "abcab");
    s = appendText(s, t, 50); // the text ends first
    EXPECT_STREQ(s, "abcababc");
    free(s);
    EXPECT_EQ(appendText(nullptr, t, 0), nullptr);
    EXPECT_STREQ(s = appendText(nullptr, "", 5), "");
    free(s);
}

// Every allocation of a quoting in turn fails: the result is null (never a
// cut-off argument) and nothing leaks (AddressSanitizer checks that).
TEST(OutOfMemory, FailsWholeAndReleasesEverything) {
    const char *text = "x y\\\"z \\\\ end\\";
    bool succeeded = false;
    for (int failAt = 1; failAt < 30 && !succeeded; failAt++) {
        allocationsUntilFailure = failAt;
        allocationsFailed = 0;
        char *q = quoteArg(text);
        bool failed = allocationsFailed > 0;
        allocationsUntilFailure = 0;
        if (!failed) {
            EXPECT_STREQ(q, "\"x y\\\\\\\"z \\\\ end\\\\\"");
            free(q);
            succeeded = true;
            continue;
        }
        EXPECT_EQ(q, nullptr) << failAt;
    }
    EXPECT_TRUE(succeeded);
    allocationsUntilFailure = 1;
    char *s = (char *)malloc(4);
    strcpy(s, "abc");
    EXPECT_EQ(appendText(s, "def", -1), nullptr); // s released, not leaked
    allocationsUntilFailure = 0;
}
