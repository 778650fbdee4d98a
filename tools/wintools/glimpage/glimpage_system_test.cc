// Tests of the pager's real system layer: text files read through it are what
// the runtime's own text streams make of them on Windows (plain bytes
// natively), and failure boxes have a text even for unknown codes.
#include <stdio.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "glimpage_platform.h"

#ifdef _WIN32
#include <windows.h>

#include "glimpage_win32.h"
#include "orviconf.h"
#endif

namespace {

const char TempName[] = "glimpage_system_test.tmp";

void writeBinary(const std::string &bytes) {
    FILE *file = fopen(TempName, "wb");
    ASSERT_NE(nullptr, file);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

// All bytes of a file read with the given stream, a byte at a time.
std::string readStream(const char *name, const char *mode) {
    std::string bytes;
    FILE *file = fopen(name, mode);
    int c;
    while ((c = getc(file)) != EOF)
        bytes += static_cast<char>(c);
    fclose(file);
    return bytes;
}

// All bytes of a text file read through the platform, in reads of 64.
std::string readText(const char *name) {
    const PagerPlatform *platform = systemPlatform();
    void *file = platform->openTextFile(name);
    if (file == nullptr) return "";
    std::string bytes;
    unsigned char block[64];
    int count;
    while ((count = platform->readTextFile(file, block, sizeof block)) > 0)
        bytes.append(reinterpret_cast<char *>(block), static_cast<size_t>(count));
    platform->closeTextFile(file);
    return bytes;
}

TEST(SystemLayer, ReadsTextFilesAsTheRuntimesTextStreamsDo) {
#ifdef _WIN32
    const char *runtimeMode = "r";
#else
    const char *runtimeMode = "rb";
#endif
    // Many short texts of the bytes that matter, and one long one whose
    // carriage returns fall on the ends of the layer's blocks.
    const char alphabet[] = "a\r\n\x1a";
    uint32_t seed = 12345;
    for (int round = 0; round < 300; round++) {
        std::string data;
        int length = round < 299 ? round % 23 : 200000;
        for (int i = 0; i < length; i++) {
            seed = seed * 1103515245u + 12345u;
            uint32_t pick = (seed >> 16) % 16;
            // Ctrl+Z rarely, so that long texts go on past most of them.
            data += pick < 8 ? 'a' : pick < 11 ? '\r' : pick < 15 ? '\n' : alphabet[round % 3];
        }
        if (round % 7 == 0) data += '\x1a';
        writeBinary(data);
        SCOPED_TRACE(testing::PrintToString(data.substr(0, 40)));
        EXPECT_EQ(readStream(TempName, runtimeMode), readText(TempName));
    }
    remove(TempName);
}

#ifdef _WIN32
TEST(SystemLayer, FailureBoxesFallBackToTheErrorNumber) {
    char fallback[FailureTextSize];
    EXPECT_STREQ("error 4294967295", failureText(nullptr, 0xFFFFFFFFu, fallback));
    EXPECT_STREQ("error 536914893", failureText("", 0x2000ABCDu, fallback));
    EXPECT_STREQ("Access denied.", failureText("Access denied.", 5, fallback));
    // A text with an insert comes as written: nothing is read for the %1.
    char *text = systemErrorText(ERROR_BAD_EXE_FORMAT);
    ASSERT_NE(nullptr, text);
    EXPECT_NE(nullptr, strstr(text, "%1")) << text;
    LocalFree(text);
}
#endif

} // namespace
