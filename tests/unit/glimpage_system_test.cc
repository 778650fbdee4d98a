// Tests of the pager's real system layer: text files and the standard streams
// are text streams on Windows (CR LF read as LF, Ctrl+Z ends the input, LF
// written as CR LF) and plain bytes natively; files that cannot be read as
// text are refused; failure boxes have a text even for unknown codes.
#include <fcntl.h>
#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

#include "glimpage_output.h"
#include "glimpage_pager.h"
#include "glimpage_platform.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "glimpage_win32.h"
#define dup _dup
#define dup2 _dup2
#define close _close
const int TextMode = _O_TEXT;
#else
#include <unistd.h>
const int TextMode = 0;
#endif

namespace {

const char TempName[] = "glimpage_system_test.tmp";

void writeBinary(const char *name, const std::string &bytes) {
    FILE *file = fopen(name, "wb");
    ASSERT_NE(nullptr, file);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string readBinary(const char *name) {
    std::string bytes;
    FILE *file = fopen(name, "rb");
    if (file == nullptr) return "<missing>";
    int c;
    while ((c = getc(file)) != EOF)
        bytes += static_cast<char>(c);
    fclose(file);
    return bytes;
}

// All bytes of a text file read through the platform, in reads of size.
std::string readText(const char *name, int size) {
    const PagerPlatform *platform = systemPlatform();
    void *file = platform->openTextFile(name);
    if (file == nullptr) return "<cannot open>";
    std::string bytes;
    unsigned char block[64];
    int count;
    while ((count = platform->readTextFile(file, block, size)) > 0)
        bytes.append(reinterpret_cast<char *>(block), static_cast<size_t>(count));
    platform->closeTextFile(file);
    return bytes;
}

TEST(SystemLayer, ReadsTextFilesInTheSystemsTextMode) {
    writeBinary(TempName, "ab\r\ncd\rx\r\r\n\x1a"
                          "ef\r\n");
#ifdef _WIN32
    // A CR before LF is dropped (also across the ends of reads), a lone CR
    // kept, and Ctrl+Z ends the text as the runtime's text streams end it.
    const std::string expected = "ab\ncd\rx\r\n";
#else
    const std::string expected = "ab\r\ncd\rx\r\r\n\x1a"
                                 "ef\r\n";
#endif
    for (int size : {1, 2, 3, 64}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(expected, readText(TempName, size));
    }
    remove(TempName);
    EXPECT_EQ("<cannot open>", readText(TempName, 64));
    EXPECT_EQ("<cannot open>", readText(".", 64)); // a directory
}

#ifdef _WIN32
// What the runtime's own text stream makes of a file.
std::string readWithRuntime(const char *name) {
    std::string bytes;
    FILE *file = fopen(name, "r");
    int c;
    while ((c = getc(file)) != EOF)
        bytes += static_cast<char>(c);
    fclose(file);
    return bytes;
}

TEST(SystemLayer, ReadsTextExactlyAsTheRuntimesTextStreams) {
    // Many short texts of the bytes that matter, and one long one whose
    // carriage returns fall on the ends of blocks.
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
        writeBinary(TempName, data);
        SCOPED_TRACE(testing::PrintToString(data.substr(0, 40)));
        EXPECT_EQ(readWithRuntime(TempName), readText(TempName, 64));
    }
    remove(TempName);
}
#endif

// Runs body with descriptor fd (0 or 1) redirected to TempName, opened in the
// system's text mode.
template <typename Body> void withRedirect(int fd, int flags, Body body) {
    fflush(stdout);
    int saved = dup(fd);
    int file = open(TempName, flags | TextMode, 0600);
    ASSERT_GE(file, 0);
    dup2(file, fd);
    close(file);
    body();
    dup2(saved, fd);
    close(saved);
}

TEST(SystemLayer, StandardStreamsAreTextStreams) {
    const PagerPlatform *platform = systemPlatform();
    withRedirect(1, O_WRONLY | O_CREAT | O_TRUNC, [&] {
        platform->writeOutput(reinterpret_cast<const unsigned char *>("a\nb\b_\n"), 6);
    });
#ifdef _WIN32
    EXPECT_EQ("a\r\nb\b_\r\n", readBinary(TempName));
#else
    EXPECT_EQ("a\nb\b_\n", readBinary(TempName));
#endif

    writeBinary(TempName, "t 1 1|x\r\nh 2 2|y\r\n");
    std::string script;
    withRedirect(0, O_RDONLY, [&] {
        unsigned char block[64];
        int count;
        while ((count = platform->readInput(nullptr, block, sizeof block)) > 0)
            script.append(reinterpret_cast<char *>(block), static_cast<size_t>(count));
    });
#ifdef _WIN32
    EXPECT_EQ("t 1 1|x\nh 2 2|y\n", script);
#else
    EXPECT_EQ("t 1 1|x\r\nh 2 2|y\r\n", script);
#endif
    remove(TempName);
}

TEST(SystemLayer, NeverAConsoleWhenOutputIsAFile) {
    // Whatever the platform, output to a file is overstrike mode.
    withRedirect(1, O_WRONLY | O_CREAT | O_TRUNC, [&] {
        setPagerPlatform(systemPlatform());
        bool overstrike = false;
        EXPECT_EQ(0, initConsole(&overstrike));
        EXPECT_TRUE(overstrike);
        EXPECT_FALSE(consoleState.isConsole);
    });
    remove(TempName);
}

#ifdef _WIN32
TEST(SystemLayer, FailureBoxesFallBackToTheErrorNumber) {
    char fallback[FailureTextSize];
    // A code the system has no text for.
    char *text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, 0x2000ABCDu, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char *>(&text), 0, nullptr);
    EXPECT_EQ(0u, length);
    EXPECT_STREQ("error 536914893", failureText(length ? text : nullptr, 0x2000ABCDu, fallback));
    EXPECT_STREQ("error 4294967295", failureText("", 0xFFFFFFFFu, fallback));
    EXPECT_STREQ("Access denied.", failureText("Access denied.", 5, fallback));
}
#endif

} // namespace
