// quoteArg against the real parser: quoted arguments, joined by single spaces
// into CreateProcess command lines, must come back from the C runtime of a
// child process as exactly the strings that were quoted.
#include "mkcmd.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

void *allocOrReport(int size) {
    return malloc((size_t)size);
}

static std::string quotedForm(const std::string &text) {
    char *q = quoteArg(text.c_str());
    std::string result = q ? q : "";
    free(q);
    return result;
}

static std::string echoProgram() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path, n);
    return self.substr(0, self.find_last_of('\\') + 1) + "orviinst_argecho.exe";
}

// Runs the echo child on inputs (quoted) in as few processes as the 32K limit
// of a command line allows; returns what the children read, in order.
static std::vector<std::string> echoed(const std::vector<std::string> &inputs, int *processes) {
    const std::string program = echoProgram();
    char outName[MAX_PATH], dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    GetTempFileNameA(dir, "qa", 0, outName);
    std::vector<std::string> result;
    for (size_t next = 0; next < inputs.size(); (*processes)++) {
        std::string line = "orviinst_argecho.exe " + quotedForm(outName);
        while (next < inputs.size() && line.size() + 1 + quotedForm(inputs[next]).size() < 30000)
            line += " " + quotedForm(inputs[next++]);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child;
        std::vector<char> commandLine(line.c_str(), line.c_str() + line.size() + 1);
        if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &child)) {
            ADD_FAILURE() << "error " << GetLastError();
            break;
        }
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);

        std::string bytes;
        FILE *f = fopen(outName, "rb");
        for (int c; f && (c = getc(f)) != EOF;)
            bytes += (char)c;
        if (f) fclose(f);
        for (size_t start = 0, end; (end = bytes.find('\0', start)) != std::string::npos;
             start = end + 1)
            result.push_back(bytes.substr(start, end - start));
    }
    DeleteFileA(outName);
    return result;
}

// Thousands of strings over the bytes that matter to the parser, with runs of
// backslashes before quotes, inside and at the end, and empty strings; the
// documented examples first.
TEST(QuotingUnderTheRuntime, GeneratedStringsReadBackWhole) {
    std::vector<std::string> inputs = {"D:\\cov\\lib\\revedor.exe",
                                       "D:\\Program Files\\cov\\lib\\xconfig.tcl",
                                       "say \"hi\"",
                                       "a\\\\\"b",
                                       "\\\\server\\share\\x.tcl",
                                       "a\nb"};
    std::mt19937 random(4242);
    const char *pieces[] = {"a",    "Z",   " ",    "\t",    "\"", "\\", "\\\\", "\\\\\\\"",
                            "\\\"", "x y", "\"\"", "*.tcl", "-",  "%",  "\n"};
    for (int i = 0; i < 4000; i++) {
        std::string text;
        int count = (int)(random() % 7);
        for (int j = 0; j < count; j++)
            text += pieces[random() % (sizeof pieces / sizeof *pieces)];
        if (random() % 4 == 0) text += std::string(random() % 4 + 1, '\\'); // trailing run
        inputs.push_back(text);
    }
    int processes = 0;
    std::vector<std::string> args = echoed(inputs, &processes);
    EXPECT_LE(processes, 8);
    ASSERT_EQ(args.size(), inputs.size());
    for (size_t i = 0; i < inputs.size(); i++)
        EXPECT_EQ(args[i], inputs[i]) << "quoted as " << quotedForm(inputs[i]);
}
