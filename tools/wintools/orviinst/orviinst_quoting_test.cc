// quoteArg against the real parser: quoted arguments, joined by single spaces
// into CreateProcess command lines, must come back from the C runtime of a
// child process as exactly the strings that were quoted.
#include "mkcmd.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <random>
#include <string>
#include <vector>

static void *heapAlloc(int size) {
    return malloc((size_t)size);
}

static std::string quotedForm(const std::string &text) {
    char *q = quoteArg(text.c_str(), heapAlloc);
    std::string result = q;
    free(q);
    return result;
}

// Runs the echo child (beside this program) on the inputs, quoted, in as few
// processes as the 32K limit of a command line allows; returns what the
// children read, in order.
static std::vector<std::string> echoed(const std::vector<std::string> &inputs) {
    char self[MAX_PATH];
    std::string program(self, GetModuleFileNameA(nullptr, self, sizeof self));
    program = program.substr(0, program.find_last_of('\\') + 1) + "orviinst_argecho.exe";
    std::vector<std::string> result;
    for (size_t next = 0; next < inputs.size();) {
        std::string line = "orviinst_argecho.exe quoting.out";
        while (next < inputs.size() && line.size() + 1 + quotedForm(inputs[next]).size() < 30000)
            line += " " + quotedForm(inputs[next++]);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child;
        if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &child))
            break;
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        FILE *f = fopen("quoting.out", "rb");
        std::string arg;
        for (int c; (c = getc(f)) != EOF;)
            if (c)
                arg += (char)c;
            else
                result.push_back(arg), arg.clear();
        fclose(f);
    }
    return result;
}

// Thousands of strings over the bytes that matter to the parser, with runs of
// backslashes before quotes, inside and at the end, and empty strings.
TEST(QuotingUnderTheRuntime, GeneratedStringsReadBackWhole) {
    std::vector<std::string> inputs = {"D:\\Program Files\\cov\\lib\\xconfig.tcl", ""};
    std::mt19937 random(4242);
    const char *pieces[] = {"a",    "Z",   " ",    "\t",    "\"", "\\", "\\\\", "\\\\\\\"",
                            "\\\"", "x y", "\"\"", "*.tcl", "-",  "%",  "\n"};
    for (int i = 0; i < 4000; i++) {
        std::string text;
        for (int j = random() % 7; j > 0; j--)
            text += pieces[random() % (sizeof pieces / sizeof *pieces)];
        if (random() % 4 == 0) text += std::string(random() % 4 + 1, '\\'); // trailing run
        inputs.push_back(text);
    }
    std::vector<std::string> args = echoed(inputs);
    ASSERT_EQ(args.size(), inputs.size());
    for (size_t i = 0; i < inputs.size(); i++)
        EXPECT_EQ(args[i], inputs[i]) << "quoted as " << quotedForm(inputs[i]);
}
