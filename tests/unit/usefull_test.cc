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

// Bytes the heap holds for a block, or 0 where that can't be asked.
size_t allocatedSize(void *block) {
#if defined(ORVI_ASAN)
    return __sanitizer_get_allocated_size(block);
#elif defined(_WIN32)
    return _msize(block);
#else
    (void)block;
    return 0;
#endif
}

// Checks a block's heap size where the heap can tell.
void expectAllocated(void *block, size_t expected) {
    if (size_t size = allocatedSize(block)) {
        EXPECT_EQ(size, expected);
    }
}

struct Header {
    int32_t creationSize;
    int32_t usedSize;
    uint32_t blockSize;
};

Header headerOf(void *array) {
    Header header;
    memcpy(&header, static_cast<char *>(array) - 16, sizeof header);
    return header;
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

std::string escaped(int c) {
    static std::string name = scratchName();
    FILE *out = fopen(name.c_str(), "w");
    printEscapedChar(out, c);
    fclose(out);
    FILE *in = fopen(name.c_str(), "r");
    char text[16] = {0};
    size_t n = fread(text, 1, sizeof text - 1, in);
    fclose(in);
    return std::string(text, n);
}

TEST(GrowArray, BlocksAreNextPowerOfTwoLessHeaderAndNeverShrink) {
    char *array = static_cast<char *>(growArray(nullptr, 0, 4));
    Header h = headerOf(array);
    EXPECT_EQ(h.creationSize, 1);
    EXPECT_EQ(h.usedSize, 1);
    EXPECT_EQ(h.blockSize, 48u);

    EXPECT_EQ(growArray(array, 8, 4), array);
    EXPECT_EQ(headerOf(array).blockSize, 48u);
    EXPECT_EQ(headerOf(array).usedSize, 32);

    memset(array, 'x', 32);
    array = static_cast<char *>(growArray(array, 33, 1));
    h = headerOf(array);
    EXPECT_EQ(h.blockSize, 112u);
    EXPECT_EQ(h.usedSize, 33);
    EXPECT_EQ(h.creationSize, 1);
    EXPECT_EQ(std::string(array, 32), std::string(32, 'x'));

    array = static_cast<char *>(growArray(array, 10, 1));
    EXPECT_EQ(headerOf(array).blockSize, 112u);
    EXPECT_EQ(headerOf(array).usedSize, 10);
    EXPECT_EQ(growArray(array, -5, 3), array);
    EXPECT_EQ(headerOf(array).usedSize, 1);
    freeArray(array);
    freeArray(nullptr);

    array = static_cast<char *>(growArray(nullptr, 97, 1));
    EXPECT_EQ(headerOf(array).blockSize, 240u);
    EXPECT_EQ(headerOf(array).creationSize, 97);
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
        uint32_t block = headerOf(array).blockSize;
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
    EXPECT_EQ(headerOf(array).creationSize, 1);
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
    EXPECT_EQ(floorLog2(0), 0);
    EXPECT_EQ(floorLog2(1), 0);
    EXPECT_EQ(floorLog2(2), 1);
    EXPECT_EQ(floorLog2(63), 5);
    EXPECT_EQ(floorLog2(64), 6);
    EXPECT_EQ(floorLog2(-64), 0);
    EXPECT_EQ(floorLog2(INT32_MAX), 30);
}

// Blocks that a dying child still holds stay reachable from here, so that the
// leak checker at its exit has nothing to say.
void *kept;

// The exhausted process writes the request through perror and ends with 1.
TEST(MemoryDeathTest, ExhaustionEndsWithPerrorAndStatusOne) {
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
}

// A count x size that no 32-bit header can hold is exhaustion, not a wrapped
// product: it must not come back as a small block.
TEST(MemoryDeathTest, OverflowingNeedIsExhaustion) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(growArray(nullptr, 0x10000, 0x10000), testing::ExitedWithCode(1),
                "malloc 2147483647 bytes: .+");
    EXPECT_EXIT(growArray(kept = growArray(nullptr, 1, 1), INT32_MAX, 2),
                testing::ExitedWithCode(1), "realloc 2147483647 bytes: .+");
    EXPECT_EXIT(growArray(nullptr, INT32_MAX - 20, 1), testing::ExitedWithCode(1),
                "malloc 2147483647 bytes: .+");
}

TEST(Strings, CopiesAndAppendsAcceptNull) {
    EXPECT_EQ(take(copyString(nullptr)), "");
    EXPECT_EQ(take(copyString("abc")), "abc");
    EXPECT_EQ(take(upperCopy(nullptr)), "");
    EXPECT_EQ(take(lowerCopy(nullptr)), "");
    EXPECT_EQ(take(upperCopy("aBc-9\xe9")), "ABC-9\xe9");
    EXPECT_EQ(take(lowerCopy("AbC-9\xc9")), "abc-9\xc9");

    char *s = appendString(nullptr, "ab");
    EXPECT_EQ(appendString(s, nullptr), s);
    s = appendString(s, "");
    s = appendString(s, std::string(1000, 'c').c_str());
    EXPECT_EQ(take(s), "ab" + std::string(1000, 'c'));
    EXPECT_EQ(appendString(nullptr, nullptr), nullptr);
}

TEST(Strings, CompareNoCaseIsThreeWayAndTheNVariantAPrefixTest) {
    EXPECT_EQ(compareNoCase("Abc", "aBC"), 0);
    EXPECT_LT(compareNoCase("ab", "abc"), 0);
    EXPECT_GT(compareNoCase("abc", "ab"), 0);
    EXPECT_EQ(compareNoCase("", ""), 0);
    EXPECT_EQ(compareNoCase("B", "a"), 'b' - 'a');
    EXPECT_GT(compareNoCase("\xe9", "e"), 0) << "bytes above 127 compare as unsigned";

    EXPECT_EQ(compareNoCaseN("ab", "abc", 5), 0);
    EXPECT_GT(compareNoCaseN("abc", "ab", 5), 0);
    EXPECT_EQ(compareNoCaseN("abc", "abd", 2), 0);
    EXPECT_LT(compareNoCaseN("abc", "abd", 3), 0);
    EXPECT_EQ(compareNoCaseN("xyz", "abc", 0), 0);
    EXPECT_EQ(compareNoCaseN("xyz", "abc", -1), 0);
    EXPECT_EQ(compareNoCaseN("HeLLo", "hello world", 100), 0);
}

TEST(ReadParagraph, EndsAtALineOfOneTerminator) {
    FILE *in = streamOf("one\ntwo\n.\nx.\n..\n.\n");
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), "one\ntwo\n");
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), "x.\n..\n");
    fclose(in);

    in = streamOf(".\n");
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), "\n");
    fclose(in);

    // A newline terminator: two empty lines end it, one doesn't.
    in = streamOf("a\n\nb\n\n\nc\n");
    EXPECT_EQ(take(readParagraph(in, "\n", nullptr, nullptr)), "a\n\nb\n");
    EXPECT_EQ(take(readParagraph(in, "\n", nullptr, nullptr)), "c\n");
    fclose(in);

    // A line holding one NUL byte is not a terminator line.
    in = streamOf(std::string("a\n\0\nb\n.\n", 8));
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, nullptr)), "a\n");
    fclose(in);
}

TEST(ReadParagraph, PromptsBeforeEveryLine) {
    std::string name = scratchName();
    FILE *prompts = fopen(name.c_str(), "w");
    FILE *in = streamOf("a\nb\n.\n");
    EXPECT_EQ(take(readParagraph(in, ".", "> ", prompts)), "a\nb\n");
    EXPECT_EQ(take(readParagraph(in, ".", nullptr, prompts)), "\n");
    fclose(in);
    fclose(prompts);
    FILE *written = fopen(name.c_str(), "r");
    char text[32] = {0};
    EXPECT_EQ(fread(text, 1, sizeof text - 1, written), 6u);
    EXPECT_STREQ(text, "> > > ");
    fclose(written);
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
    // Input that arrives after the end is read by the next call; a sticky
    // end-of-file would give empty lines for ever. (The Windows runtime keeps
    // a file descriptor at its end until a seek whatever the stream says, so
    // this only shows on POSIX streams.)
    FILE *more = fopen(path.c_str(), "ab");
    fputs("three\\\nfour", more);
    fclose(more);
    EXPECT_EQ(take(readJoinedLine(in)), "three\nfour");
#endif
    EXPECT_FALSE(feof(in));
    fclose(in);

    in = streamOf("last");
    EXPECT_EQ(take(readLine(in)), "last");
    EXPECT_EQ(take(readLine(in)), "<null>");
    fclose(in);
    in = streamOf("");
    EXPECT_EQ(take(readLine(in)), "<null>");
    fclose(in);
}

TEST(ReadJoinedLine, BackslashNewlineContinuesTheLine) {
    FILE *in = streamOf("abc\\\ndef\na\\b\n\nx\\\\\ny\\");
    EXPECT_EQ(take(readJoinedLine(in)), "abc\ndef");
    EXPECT_EQ(take(readJoinedLine(in)), "a\\b");
    EXPECT_EQ(take(readJoinedLine(in)), "");
    EXPECT_EQ(take(readJoinedLine(in)), "x\\\ny\\");
    fclose(in);
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
    std::string input("ab\0cd\n", 6);
    input += std::string("\0\n", 2);
    input += std::string(50, 'z') + std::string("\0", 1) + std::string(200, 'y') + "\n";
    input += std::string("tail\0", 5);
    FILE *in = streamOf(input);
    EXPECT_EQ(take(readLine(in)), "ab");
    EXPECT_EQ(take(readLine(in)), "");
    EXPECT_EQ(take(readLine(in)), std::string(50, 'z'));
    EXPECT_EQ(take(readLine(in)), "tail");
    EXPECT_EQ(take(readLine(in)), "<null>");
    fclose(in);
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
    EXPECT_EQ(escaped('a'), "a");
    EXPECT_EQ(escaped('\''), "\\'");
    EXPECT_EQ(escaped('"'), "\\\"");
    EXPECT_EQ(escaped('\\'), "\\\\");
    EXPECT_EQ(escaped('\t'), "\\t");
    EXPECT_EQ(escaped('\r'), "\\r");
    EXPECT_EQ(escaped(0), "\\0");
    EXPECT_EQ(escaped(1), "\\001");
    EXPECT_EQ(escaped(127), "\\177");
    EXPECT_EQ(escaped(233), "\\351");
    EXPECT_EQ(escaped(static_cast<char>(233)), "\\351") << "a negative plain char";
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
