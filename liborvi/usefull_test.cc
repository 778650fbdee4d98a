// The portable utilities' exhaustion, growable arrays and strings: natively
// under the sanitizers and, cross-built, under Wine. The readers and parseFlag
// are fuzzed.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <string>

#include "usefull.h"

// Under AddressSanitizer a request that cannot be met gives null, as it does
// without it, instead of aborting.
extern "C" const char *__asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

void *kept; // what a dying child holds stays reachable: no leak report at its exit

// Leaves this process 1 GiB more address space than it has mapped, so that a
// 2 GiB request fails on any machine, as it does in a 32-bit process.
void capAddressSpace() {
#ifndef _WIN32
    long pages = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    ASSERT_TRUE(statm != nullptr && fscanf(statm, "%ld", &pages) == 1);
    fclose(statm);
    rlim_t cap = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (rlim_t(1) << 30);
    struct rlimit limit = {cap, cap};
    ASSERT_EQ(0, setrlimit(RLIMIT_AS, &limit));
#endif
}

// Exhaustion writes the request through perror and ends with 1. A count x size
// that no 32-bit header can hold is exhaustion too, not a wrapped product.
TEST(MemoryDeathTest, ExhaustionAndOverflowingNeedsEndWithPerrorAndStatusOne) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT((capAddressSpace(), allocOrExit(nullptr, INT32_MAX)), testing::ExitedWithCode(1),
                "malloc 2147483647 bytes: .+");
    EXPECT_EXIT((capAddressSpace(), growArray(kept = growArray(nullptr, 1, 1), 1 << 15, 1 << 15)),
                testing::ExitedWithCode(1), "realloc 2147483632 bytes: .+");
    EXPECT_EXIT(growArray(nullptr, 0x10000, 0x10000), testing::ExitedWithCode(1),
                "malloc 2147483647 bytes: .+");
}

// finishArray hands over exactly the used bytes, also after the array has
// grown and been asked for less again; of no array an empty string.
TEST(GrowArray, FinishGivesTheUsedBytes) {
    char *empty = static_cast<char *>(finishArray(nullptr));
    EXPECT_EQ(empty[0], '\0');
    free(empty);
    const char text[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int used : {1, 5, 32, 33, 60}) {
        char *array = static_cast<char *>(growArray(nullptr, 60, 1));
        memcpy(array, text, 60);
        char *block = static_cast<char *>(finishArray(growArray(array, used, 1)));
        EXPECT_EQ(std::string(block, used), std::string(text, used));
        free(block);
    }
}

// The string copies take null as "", append to a moved block, and compare
// without case: compareNoCaseN is a prefix test of a's first n characters.
TEST(Strings, CopiesAppendsAndComparesWithoutCase) {
    char *copy = appendString(appendString(appendString(nullptr, "ab"), nullptr), "Cd");
    char *made[] = {copy, upperCopy(copy), lowerCopy(copy), upperCopy(nullptr), lowerCopy(nullptr)};
    std::string all;
    for (char *block : made) {
        all += std::string(block) + "|";
        freeBlock(block);
    }
    freeBlock(nullptr);
    EXPECT_EQ(all, "abCd|ABCD|abcd|||");
    EXPECT_EQ(0, compareNoCase("Abc", "aBC"));
    EXPECT_GT(0, compareNoCase("ab", "abc"));
    EXPECT_EQ('c' - 'b', compareNoCase("aC", "Ab"));
    EXPECT_EQ(0, compareNoCaseN("ab", "abc", 5) + compareNoCaseN("abc", "abd", 2) +
                     compareNoCaseN("x", "y", 0));
    EXPECT_LT(0, compareNoCaseN("abc", "ab", 3));
}

// Printable characters but quotes and the backslash as they are, the rest
// in escapes.
TEST(Strings, PrintEscapedCharEscapesQuotesBackslashesAndTheUnprintable) {
    FILE *out = tmpfile();
    ASSERT_NE(out, nullptr);
    for (int c : {0x61, 0x27, 0x22, 0x5C, 0x09, 0x0A, 0x01, 0x7F, 0xE9})
        printEscapedChar(out, c);
    char text[64] = "";
    rewind(out);
    fgets(text, sizeof text, out);
    fclose(out);
    EXPECT_STREQ("a\\'\\\"\\\\\\t\\n\\001\\177\\351", text);
}

} // namespace
