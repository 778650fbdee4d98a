// Tests of mkcmd: argument quoting and the growing string it is built on.
#include "mkcmd.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <utility>

// An allocator with a switch that makes the n-th allocation from now fail (0:
// none fails).
static int allocationsUntilFailure = 0;

static void *failingAlloc(int size) {
    if (allocationsUntilFailure > 0 && --allocationsUntilFailure == 0) return nullptr;
    return malloc((size_t)size);
}

// The exact forms of what the property test under Wine can't tell apart: an
// argument left bare, and the decided forms.
TEST(QuoteArg, WrapsOnlyWhiteSpaceAndKeepsClosingQuotesAndEmptyArguments) {
    const std::pair<const char *, const char *> cases[] = {
        {"dir\\\\\\", "dir\\\\\\"},             // trailing backslashes of a bare argument stay
        {"caf\xe9\xa0\x85", "caf\xe9\xa0\x85"}, // high bytes are not white space
        {"", "\"\""},
        {"C:\\Program Files\\", "\"C:\\Program Files\\\\\""},
    };
    for (const auto &c : cases) {
        char *quoted = quoteArg(c.first, failingAlloc);
        EXPECT_STREQ(quoted, c.second) << c.first;
        free(quoted);
    }
    char *s = appendText(appendText(nullptr, "abc", -1, failingAlloc), "abc", 2, failingAlloc);
    EXPECT_STREQ(s = appendText(s, "abc", 50, failingAlloc), "abcababc"); // the text ends first
    free(s);
    EXPECT_EQ(appendText(nullptr, "abc", 0, failingAlloc), nullptr);
}

// Every allocation of a quoting in turn fails until one succeeds whole: a
// failure gives null (a cut-off argument would end the loop and differ), and
// nothing leaks (AddressSanitizer checks that).
TEST(OutOfMemory, FailsWholeAndReleasesEverything) {
    const char *text = "x y\\\"z \\\\ end\\";
    char *q = nullptr;
    for (int failAt = 1; failAt < 30 && !q; failAt++) {
        allocationsUntilFailure = failAt;
        q = quoteArg(text, failingAlloc);
        allocationsUntilFailure = 0;
    }
    EXPECT_STREQ(q, "\"x y\\\\\\\"z \\\\ end\\\\\"");
    free(q);
    allocationsUntilFailure = 1;
    EXPECT_EQ(appendText(strdup("abc"), "def", -1, failingAlloc),
              nullptr); // the block released, not leaked
    allocationsUntilFailure = 0;
}
