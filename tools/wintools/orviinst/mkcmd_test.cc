// Tests of mkcmd; cross-built, the program also starts itself (see main).
#include "mkcmd.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

void *heap(int size) {
    return malloc(static_cast<size_t>(size));
}

std::string quoted(const char *text) {
    char *q = quoteArg(text, heap);
    std::string result = q ? q : "<null>";
    free(q);
    return result;
}

// A bound beyond the source's end stops at its terminator: each source is a
// block of exactly its size, so that a read past it is seen.
TEST(AppendText, TakesAtMostTheSourceAndKeepsItsStringOnZero) {
    const struct {
        const char *str, *text;
        int n;
        const char *result;
    } cases[] = {{nullptr, "abc", -1, "abc"}, {"s", "abc", 2, "sab"}, {"s", "abc", 9, "sabc"},
                 {"s", "", 2, "s"},           {nullptr, "", 5, ""},   {"s", "abc", 0, "s"},
                 {nullptr, "abc", 0, nullptr}};
    for (const auto &c : cases) {
        char *str = c.str ? strdup(c.str) : nullptr, *text = strdup(c.text);
        char *result = appendText(str, text, c.n, heap);
        EXPECT_EQ(std::string(result ? result : "<null>"), c.result ? c.result : "<null>") << c.n;
        EXPECT_TRUE(c.n != 0 || result == str); // 0 keeps the string itself
        free(result);
        free(text);
    }
}

// What reading back cannot tell: which arguments are left bare, and the white
// space beyond the runtime's space and tab.
TEST(QuoteArg, WrapsOnlyWhereWhiteSpaceIs) {
    EXPECT_EQ(quoted("dir\\\\\\"), "dir\\\\\\");
    EXPECT_EQ(quoted("caf\xe9\xa0\x85"), "caf\xe9\xa0\x85");
    EXPECT_EQ(quoted("a\vb"), "\"a\vb\"");
}

} // namespace

#ifdef _WIN32
#include <windows.h>

#include <vector>

namespace {

// Every string of up to five of the bytes that matter to the runtime's parser.
std::vector<std::string> awkwardArguments() {
    std::vector<std::string> args = {""};
    for (size_t i = 0; args[i].size() < 5; i++)
        for (char c : {' ', '\t', '"', '\\'})
            args.push_back(args[i] + c);
    return args;
}

TEST(QuoteArg, StartedProgramReadsArgumentsBack) {
    std::string line = "mkcmd_test --check";
    for (const std::string &arg : awkwardArguments())
        line += " " + quoted(arg.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &child));
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_EQ(status, 0u) << "the arguments were read back otherwise";
}

} // namespace

// "mkcmd_test --check ARG...": status 0 when the runtime read awkwardArguments().
int main(int argc, char **argv) {
    if (argc > 1 && std::string(argv[1]) == "--check")
        return std::vector<std::string>(argv + 2, argv + argc) == awkwardArguments() ? 0 : 1;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
#endif
