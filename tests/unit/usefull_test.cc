// Unit tests of the portable utilities: natively under the sanitizers and,
// cross-built, under Wine.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "portable.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVI_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ORVI_ASAN 1
#endif

#if defined(ORVI_ASAN)
#include <sanitizer/allocator_interface.h>
// Requests above 1 GB fail with null instead of aborting, so that the
// exhaustion paths can be reached as on a 32-bit process.
extern "C" const char *__asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}
#elif defined(_WIN32)
#include <malloc.h>
#endif

namespace {

// Bytes the heap holds for a block, where the heap can tell.
void expectAllocated(void *block, size_t expected) {
#if defined(ORVI_ASAN)
    EXPECT_EQ(__sanitizer_get_allocated_size(block), expected);
#elif defined(_WIN32)
    EXPECT_EQ(_msize(block), expected);
#else
    (void)block, (void)expected;
#endif
}

// Field i of the 16-byte header before an array: 0 the creation size, 1 the
// used size, 2 the block size.
uint32_t header(void *array, int i) {
    uint32_t field;
    memcpy(&field, static_cast<char *>(array) - 16 + 4 * i, sizeof field);
    return field;
}

void expectHeader(void *array, uint32_t creation, uint32_t used, uint32_t block) {
    EXPECT_EQ(header(array, 0), creation);
    EXPECT_EQ(header(array, 1), used);
    EXPECT_EQ(header(array, 2), block);
}

std::vector<std::string> scratchFiles;

void removeScratchFiles() {
    for (const std::string &name : scratchFiles)
        remove(name.c_str());
}

// A file name of this process's own (test runs of several build trees may
// share the temporary directory), removed when the process ends.
std::string scratchName() {
    if (scratchFiles.empty()) atexit(removeScratchFiles);
    scratchFiles.push_back(testing::TempDir() + "usefull_" + std::to_string(getpid()) + "_" +
                           std::to_string(scratchFiles.size()) + ".txt");
    return scratchFiles.back();
}

std::string fileText(const std::string &name) {
    std::string text;
    FILE *in = fopen(name.c_str(), "rb");
    for (int c; (c = getc(in)) != EOF;)
        text += static_cast<char>(c);
    fclose(in);
    return text;
}

// A text stream reading the given bytes from a scratch file.
FILE *streamOf(const std::string &bytes, std::string *path = nullptr) {
    std::string name = scratchName();
    FILE *out = fopen(name.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), out);
    fclose(out);
    if (path) *path = name;
    return fopen(name.c_str(), "r");
}

// Takes a string from the readers and releases it.
std::string take(char *s) {
    std::string text = s ? s : "<null>";
    free(s);
    return text;
}

// The first n results of a reader over the given input, joined by '|'.
template <typename Reader> std::string reads(const std::string &input, int n, Reader read) {
    FILE *in = streamOf(input);
    std::string all;
    for (int i = 0; i < n; i++)
        all += (i ? "|" : "") + take(read(in));
    fclose(in);
    return all;
}

auto paragraphOf(const char *terminators) {
    return [terminators](FILE *in) { return readParagraph(in, terminators, nullptr, nullptr); };
}

TEST(GrowArray, BlocksAreNextPowerOfTwoLessHeaderAndNeverShrink) {
    char *array = static_cast<char *>(growArray(nullptr, 0, 4));
    expectHeader(array, 1, 1, 48);
    EXPECT_EQ(growArray(array, 8, 4), array);
    expectHeader(array, 1, 32, 48);
    memset(array, 'x', 32);
    array = static_cast<char *>(growArray(array, 33, 1));
    expectHeader(array, 1, 33, 112);
    EXPECT_EQ(std::string(array, 32), std::string(32, 'x'));
    EXPECT_EQ(growArray(array, 10, 1), array);
    expectHeader(array, 1, 10, 112);
    EXPECT_EQ(growArray(array, -5, 3), array);
    expectHeader(array, 1, 1, 112);
    freeArray(array);
    freeArray(nullptr);

    array = static_cast<char *>(growArray(nullptr, 97, 1));
    expectHeader(array, 97, 97, 240);
    freeArray(array);
}

TEST(GrowArray, ByteAtATimeGrowthReallocatesLogarithmically) {
    const int total = 1000000;
    char *array = nullptr;
    int reallocations = -1;
    uint32_t lastBlock = 0;
    for (int n = 1; n <= total; n++) {
        array = static_cast<char *>(growArray(array, n, 1));
        array[n - 1] = static_cast<char>(n);
        uint32_t block = header(array, 2);
        if (block != lastBlock) {
            EXPECT_GE(block, uint32_t(n) + 16);
            EXPECT_EQ((block + 16) & (block + 15), 0u) << "block + 16 is a power of two";
            reallocations++;
            lastBlock = block;
        }
    }
    // 48, 112, ..., 2^20 - 16: one block per power of two from 64 to 2^20.
    EXPECT_EQ(reallocations, 14);
    EXPECT_EQ(array[total - 1], static_cast<char>(total));
    EXPECT_EQ(header(array, 0), 1u);
    freeArray(array);
}

TEST(GrowArray, FinishKeepsTheLatestRequestOnly) {
    char *array = static_cast<char *>(growArray(nullptr, 100, 1));
    memcpy(array, "hello, world", 12);
    array = static_cast<char *>(growArray(array, 5, 1));
    char *block = static_cast<char *>(finishArray(array));
    EXPECT_EQ(std::string(block, 5), "hello");
    expectAllocated(block, 5);
    free(block);

    char *empty = static_cast<char *>(finishArray(nullptr));
    EXPECT_EQ(empty[0], '\0');
    free(empty);
}

TEST(Memory, FloorLog2HalvesWhileAboveOne) {
    const int32_t cases[][2] = {{0, 0},  {1, 0},   {2, 1},         {63, 5},
                                {64, 6}, {-64, 0}, {INT32_MAX, 30}};
    for (const auto &c : cases)
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
    EXPECT_EXIT(allocOrExit(kept = malloc(8), INT32_MAX), testing::ExitedWithCode(1),
                "realloc 2147483647 bytes: .+");
    // The block of a 2^30 byte need is 2^31 - 16 bytes.
    EXPECT_EXIT(growArray(nullptr, 1, 1 << 30), testing::ExitedWithCode(1),
                "malloc 2147483632 bytes: .+");
    EXPECT_EXIT(growArray(kept = growArray(nullptr, 1, 1), 1 << 15, 1 << 15),
                testing::ExitedWithCode(1), "realloc 2147483632 bytes: .+");
    EXPECT_EXIT(growArray(nullptr, 0x10000, 0x10000), testing::ExitedWithCode(1),
                "malloc 2147483647 bytes: .+");
    EXPECT_EXIT(growArray(kept = growArray(nullptr, 1, 1), INT32_MAX, 2),
                testing::ExitedWithCode(1), "realloc 2147483647 bytes: .+");
    EXPECT_EXIT(growArray(nullptr, INT32_MAX - 20, 1), testing::ExitedWithCode(1),
                "malloc 2147483647 bytes: .+");
}

TEST(Strings, CopiesAndAppendsAcceptNull) {
    EXPECT_EQ(take(copyString(nullptr)) + take(upperCopy(nullptr)) + take(lowerCopy(nullptr)), "");
    EXPECT_EQ(take(copyString("abc")), "abc");
    EXPECT_EQ(take(upperCopy("aBc-9\xe9")), "ABC-9\xe9");
    EXPECT_EQ(take(lowerCopy("AbC-9\xc9")), "abc-9\xc9");
    char *s = appendString(nullptr, "ab");
    EXPECT_EQ(appendString(s, nullptr), s);
    s = appendString(appendString(s, ""), std::string(1000, 'c').c_str());
    EXPECT_EQ(take(s), "ab" + std::string(1000, 'c'));
    EXPECT_EQ(appendString(nullptr, nullptr), nullptr);
}

// The sign of a comparison: -1, 0 or 1. n < 0 means compareNoCase.
TEST(Strings, CompareNoCaseIsThreeWayAndTheNVariantAPrefixTest) {
    const struct {
        const char *a, *b;
        int n, sign;
    } cases[] = {{"Abc", "aBC", -1, 0}, {"ab", "abc", -1, -1}, {"abc", "ab", -1, 1},
                 {"", "", -1, 0},       {"\xe9", "e", -1, 1}, // bytes above 127 are unsigned
                 {"ab", "abc", 5, 0},   {"abc", "ab", 5, 1},   {"abc", "abd", 2, 0},
                 {"abc", "abd", 3, -1}, {"xyz", "abc", 0, 0},  {"HeLLo", "hello world", 100, 0}};
    for (const auto &c : cases) {
        int result = c.n < 0 ? compareNoCase(c.a, c.b) : compareNoCaseN(c.a, c.b, c.n);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " " << c.b << " " << c.n;
    }
    EXPECT_EQ(compareNoCase("B", "a"), 'b' - 'a');
    EXPECT_EQ(compareNoCaseN("xyz", "abc", -1), 0);
}

TEST(ReadParagraph, EndsAtALineOfOneTerminatorAndPromptsBeforeEachLine) {
    EXPECT_EQ(reads("one\ntwo\n.\nx.\n..\n.\n", 2, paragraphOf(".")), "one\ntwo\n|x.\n..\n");
    EXPECT_EQ(reads(".\n", 1, paragraphOf(".")), "\n");
    // A newline terminator: two empty lines end it, one doesn't.
    EXPECT_EQ(reads("a\n\nb\n\n\nc\n", 2, paragraphOf("\n")), "a\n\nb\n|c\n");
    // A line holding one NUL byte is not a terminator line.
    EXPECT_EQ(reads(std::string("a\n\0\nb\n.\n", 8), 1, paragraphOf(".")), "a\n");

    // A prompt before every line read, the terminator's included.
    std::string name = scratchName();
    FILE *prompts = fopen(name.c_str(), "w");
    FILE *in = streamOf("a\nb\n.\n");
    EXPECT_EQ(take(readParagraph(in, ".", "> ", prompts)), "a\nb\n");
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, prompts)), "\n");
    fclose(in);
    fclose(prompts);
    EXPECT_EQ(fileText(name), "> > > ");
}

TEST(Readers, EndOfInputWithoutFinalNewlineIsClearedForAnotherRead) {
    std::string path;
    FILE *in = streamOf("one\ntwo", &path);
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), "one\ntwo\n");
    EXPECT_FALSE(feof(in));
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), "\n");
    EXPECT_EQ(take(readJoinedLine(in)), "");
    EXPECT_FALSE(feof(in));

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

    EXPECT_EQ(reads("last", 2, readLine), "last|<null>");
    EXPECT_EQ(reads("", 1, readLine), "<null>");
}

TEST(ReadJoinedLine, BackslashNewlineContinuesTheLine) {
    EXPECT_EQ(reads("abc\\\ndef\na\\b\n\nx\\\\\ny\\", 4, readJoinedLine),
              "abc\ndef|a\\b||x\\\ny\\");
}

TEST(ReadLine, GrowsByHundredBytesAndReturnsItsWorkBuffer) {
    std::string line(250, 'q');
    FILE *in = streamOf("short\n" + line + "\n" + std::string(9, 'n') + "\n");
    EXPECT_EQ(take(readLine(in)), "short");
    char *read = readLine(in);
    EXPECT_EQ(std::string(read), line);
    expectAllocated(read, 310);
    free(read);
    read = readLine(in);
    EXPECT_EQ(std::string(read), std::string(9, 'n'));
    expectAllocated(read, 110); // 9 bytes and a newline need a second step
    free(read);
    fclose(in);
}

// fgets stops at nothing but a newline; strlen stops at a NUL. The line must
// still be consumed whole and nothing read outside the buffer.
TEST(ReadLine, NulBytesEndTheVisibleTextButNotTheLine) {
    std::string input("ab\0cd\n\0\n", 8);
    input += std::string(50, 'z') + '\0' + std::string(200, 'y') + "\n" + std::string("tail\0", 5);
    EXPECT_EQ(reads(input, 5, readLine), "ab||" + std::string(50, 'z') + "|tail|<null>");
}

TEST(Readers, VeryLongLines) {
    std::string big(1 << 20, 'w');
    big[12345] = '\\'; // a backslash not before a newline stays
    FILE *in = streamOf(big + "\n" + big + "\n.\n" + std::string(100000, 'v') + "\n");
    EXPECT_EQ(take(readJoinedLine(in)), big);
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), big + "\n");
    EXPECT_EQ(take(readLine(in)), std::string(100000, 'v'));
    fclose(in);
}

TEST(PrintEscapedChar, PrintablesPassOthersAreEscaped) {
    std::string name = scratchName();
    FILE *out = fopen(name.c_str(), "w");
    const int codes[] = {'a',  '\'', '"', '\\', '\b', '\t', '\n',     '\v',
                         '\f', '\r', 0,   1,    127,  233,  char(233)}; // a negative char last
    for (int c : codes)
        printEscapedChar(out, c);
    fclose(out);
    EXPECT_EQ(fileText(name), "a\\'\\\"\\\\\\b\\t\\n\\v\\f\\r\\0\\001\\177\\351\\351");
}

TEST(ParseFlag, YesNoDigitsAndDefault) {
    EXPECT_EQ(parseFlag(nullptr, 7), 7);
    EXPECT_EQ(parseFlag("0", 7), 0);
    EXPECT_EQ(parseFlag("12x", 7), 12);
    EXPECT_EQ(parseFlag("99999999999999999999", 7), INT32_MAX);
    for (const char *one : {"on", "o", "ofF", "OfF", "yes", "true", "-1", "Off ", "offf"})
        EXPECT_EQ(parseFlag(one, 7), 1) << one;
    for (const char *zero : {"off", "Off", "oFF", "OFF", "no", "No", "false", "F", ""})
        EXPECT_EQ(parseFlag(zero, 7), 0) << zero;
}

} // namespace
