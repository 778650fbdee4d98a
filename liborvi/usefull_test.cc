// The portable utilities' exhaustion and readers: natively under the
// sanitizers and, cross-built, under Wine.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <string>

#include "portable.h"

// Under AddressSanitizer a request that cannot be met gives null, as it does
// without it, instead of aborting.
extern "C" const char *__asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

// A text stream over a scratch file in the working directory holding bytes.
FILE *input(const std::string &bytes) {
    static int count = 0;
    std::string name = "usefull_scratch_" + std::to_string(count++) + ".txt";
    FILE *out = fopen(name.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), out);
    fclose(out);
    return fopen(name.c_str(), "r");
}

std::string take(char *s) {
    std::string text = s ? s : "<null>";
    free(s);
    return text;
}

// The first n results of a reader over the input, joined by '|'.
template <typename Reader> std::string reads(const std::string &bytes, int n, Reader read) {
    FILE *in = input(bytes);
    std::string all = take(read(in));
    for (int i = 1; i < n; i++)
        all += "|" + take(read(in));
    fclose(in);
    return all;
}

char *paragraph(FILE *in) {
    return readParagraph(in, ".", nullptr, nullptr);
}

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
    for (int used : {0, 1, 5, 32, 33, 60}) {
        char *array = static_cast<char *>(growArray(nullptr, 60, 1));
        memcpy(array, text, 60);
        char *block = static_cast<char *>(finishArray(growArray(array, used, 1)));
        EXPECT_EQ(std::string(block, used > 0 ? used : 1), std::string(text, used > 0 ? used : 1));
        free(block);
    }
}

// The readers' rules are fuzzed natively; here they meet the platform's
// streams: fgets with NUL bytes in long lines, and the end of a stream.
TEST(Readers, NulBytesLongLinesAndTheEnd) {
    std::string nuls("ab\0cd\n\0\n", 8);
    nuls += std::string(50, 'z') + '\0' + std::string(200, 'y') + "\n" + std::string("tail\0", 5);
    EXPECT_EQ(reads(nuls, 5, readLine), "ab||" + std::string(50, 'z') + "|tail|<null>");
    // At the end a missing newline is added, and the stream is left readable.
    FILE *in = input("one\ntwo");
    std::string first = take(paragraph(in));
    EXPECT_EQ(first + take(paragraph(in)), "one\ntwo\n\n");
    EXPECT_FALSE(feof(in));
    fclose(in);
}

} // namespace
