// Unit tests of the portable utilities: natively under the sanitizers and,
// cross-built, under Wine.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "portable.h"

// Under AddressSanitizer, requests above 1 GB fail with null instead of
// aborting, so that the exhaustion paths are reached as in a 32-bit process.
extern "C" const char *__asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

namespace {

// The 16-byte header before an array: creation size, used size, block size.
#define EXPECT_HEADER(array, creation, used, block)                                                \
    EXPECT_EQ(0, memcmp(static_cast<char *>(array) - 16,                                           \
                        std::vector<uint32_t>{creation, used, block}.data(), 12))

// A scratch file in the test's working directory holding the given bytes.
std::string scratch(const std::string &bytes) {
    static int count = 0;
    std::string name = "usefull_scratch_" + std::to_string(count++) + ".txt";
    FILE *out = fopen(name.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), out);
    fclose(out);
    return name;
}

// What a writer puts into a stream.
template <typename Writer> std::string written(Writer write) {
    std::string name = scratch("");
    FILE *out = fopen(name.c_str(), "w");
    write(out);
    fclose(out);
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string take(char *s) {
    std::string text = s ? s : "<null>";
    free(s);
    return text;
}

// The first n results of a reader over the given input, joined by '|'.
template <typename Reader> std::string reads(const std::string &input, int n, Reader read) {
    std::string all;
    FILE *in = fopen(scratch(input).c_str(), "r");
    for (int i = 0; i < n; i++)
        all += (i ? "|" : "") + take(read(in));
    fclose(in);
    return all;
}

auto paragraphOf(const char *terminators) {
    return [terminators](FILE *in) { return readParagraph(in, terminators, nullptr, nullptr); };
}

TEST(GrowArray, BlocksArePowersOfTwoLessHeaderAndNeverShrink) {
    char *array = static_cast<char *>(growArray(nullptr, 0, 4));
    EXPECT_HEADER(array, 1, 1, 48);
    memset(array, 'x', 32);
    array = static_cast<char *>(growArray(array, 33, 1));
    EXPECT_HEADER(array, 1, 33, 112);
    EXPECT_EQ(std::string(array, 32), std::string(32, 'x'));
    EXPECT_EQ(growArray(array, -5, 3), array);
    EXPECT_HEADER(array, 1, 1, 112);
    free(finishArray(array));
    free(finishArray(nullptr));

    const int32_t logs[][2] = {{0, 0}, {1, 0}, {63, 5}, {64, 6}, {-64, 0}, {INT32_MAX, 30}};
    for (const auto &c : logs)
        EXPECT_EQ(floorLog2(c[0]), c[1]) << c[0];
}

// Blocks that a dying child still holds stay reachable from here, so that the
// leak checker at its exit has nothing to say.
void *kept;

// The exhausted process writes the request through perror and ends with 1.
// A count x size that no 32-bit header can hold is exhaustion too, not a
// wrapped product that comes back as a small block.
TEST(MemoryDeathTest, ExhaustionAndOverflowingNeedsEndWithPerrorAndStatusOne) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(allocOrExit(nullptr, INT32_MAX), testing::ExitedWithCode(1),
                "malloc 2147483647 bytes: .+");
    EXPECT_EXIT(growArray(kept = growArray(nullptr, 1, 1), 1 << 15, 1 << 15),
                testing::ExitedWithCode(1), "realloc 2147483632 bytes: .+");
    EXPECT_EXIT(growArray(nullptr, 0x10000, 0x10000), testing::ExitedWithCode(1),
                "malloc 2147483647 bytes: .+");
    EXPECT_EXIT(growArray(nullptr, INT32_MAX - 20, 1), testing::ExitedWithCode(1),
                "malloc 2147483647 bytes: .+");
}

TEST(Strings, CopiesAppendsAndCaselessComparisons) {
    EXPECT_EQ(take(upperCopy("aBc-9\xe9")) + take(lowerCopy("AbC-9\xc9")), "ABC-9\xe9"
                                                                           "abc-9\xc9");
    char *s = appendString(copyString("ab"), nullptr);
    EXPECT_EQ(take(appendString(s, std::string(1000, 'c').c_str())), "ab" + std::string(1000, 'c'));

    // The sign of a comparison; n < 0 means compareNoCase. The N variant is a
    // prefix test: the end of a counts as equal.
    const struct {
        const char *a, *b;
        int n, sign;
    } cases[] = {{"Abc", "aBC", -1, 0}, {"ab", "abc", -1, -1}, {"\xe9", "e", -1, 1},
                 {"ab", "abc", 5, 0},   {"abc", "ab", 5, 1},   {"abc", "abd", 2, 0}};
    for (const auto &c : cases) {
        int result = c.n < 0 ? compareNoCase(c.a, c.b) : compareNoCaseN(c.a, c.b, c.n);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " " << c.b << " " << c.n;
    }
}

TEST(Readers, TerminatorsContinuationsLongLinesAndPrompts) {
    EXPECT_EQ(reads("one\ntwo\n.\nx.\n..\n.\n", 2, paragraphOf(".")), "one\ntwo\n|x.\n..\n");
    // A newline terminator: two empty lines end it, one doesn't.
    EXPECT_EQ(reads("a\n\nb\n\n\nc\n", 2, paragraphOf("\n")), "a\n\nb\n|c\n");
    // A line holding one NUL byte is not a terminator line.
    EXPECT_EQ(reads(std::string("a\n\0\nb\n.\n", 8), 1, paragraphOf(".")), "a\n");
    EXPECT_EQ(reads("abc\\\ndef\na\\b\n\nx\\\\\ny\\", 4, readJoinedLine),
              "abc\ndef|a\\b||x\\\ny\\");
    std::string big(1 << 20, 'w');
    big[12345] = '\\'; // a backslash not before a newline stays
    FILE *in = fopen(scratch(big + "\n" + big + "\n.\n").c_str(), "r");
    EXPECT_EQ(take(readJoinedLine(in)), big);
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), big + "\n");
    fclose(in);
    // A prompt before every line read, the terminator's included.
    EXPECT_EQ(written([](FILE *prompts) {
                  FILE *in = fopen(scratch("a\nb\n.\n").c_str(), "r");
                  EXPECT_EQ(take(readParagraph(in, ".", "> ", prompts)), "a\nb\n");
                  fclose(in);
              }),
              "> > > ");
}

TEST(Readers, EndOfInputWithoutFinalNewlineIsClearedForAnotherRead) {
    std::string path = scratch("one\ntwo");
    FILE *in = fopen(path.c_str(), "r");
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), "one\ntwo\n");
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), "\n");
    EXPECT_EQ(take(readJoinedLine(in)), "");
#ifndef _WIN32
    // Input that arrives after the end is read by the next call, not a
    // sticky end-of-file. (The Windows runtime needs a seek for that.)
    FILE *more = fopen(path.c_str(), "ab");
    fputs("three\\\nfour", more);
    fclose(more);
    EXPECT_EQ(take(readJoinedLine(in)), "three\nfour");
#endif
    EXPECT_FALSE(feof(in));
    fclose(in);
}

// fgets stops at nothing but a newline; strlen stops at a NUL. The line must
// still be consumed whole and nothing read outside the buffer.
TEST(Readers, ReadLineNulBytesEndTheVisibleTextButNotTheLine) {
    std::string input("ab\0cd\n\0\n", 8);
    input += std::string(50, 'z') + '\0' + std::string(200, 'y') + "\n" + std::string("tail\0", 5);
    EXPECT_EQ(reads(input, 5, readLine), "ab||" + std::string(50, 'z') + "|tail|<null>");
}

TEST(Formatting, EscapedCharsAndFlags) {
    const int codes[] = {'a',  '\'', '"', '\\', '\b', '\t', '\n',     '\v',
                         '\f', '\r', 0,   1,    127,  233,  char(233)}; // a negative char last
    EXPECT_EQ(written([&](FILE *out) {
                  for (int c : codes)
                      printEscapedChar(out, c);
              }),
              "a\\'\\\"\\\\\\b\\t\\n\\v\\f\\r\\0\\001\\177\\351\\351");

    const std::pair<const char *, int> flags[] = {
        {nullptr, 7}, {"12x", 12}, {"99999999999999999999", INT32_MAX},
        {"ofF", 1},   {"Off ", 1}, {"0", 0},
        {"OFF", 0},   {"No", 0},   {"", 0},
    };
    for (const auto &f : flags)
        EXPECT_EQ(parseFlag(f.first, 7), f.second) << (f.first ? f.first : "null");
}

} // namespace
