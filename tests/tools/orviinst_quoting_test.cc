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
    const size_t limit = 30000;
    std::vector<std::string> result;
    *processes = 0;
    size_t next = 0;
    while (next < inputs.size()) {
        std::string line = "orviinst_argecho.exe";
        while (next < inputs.size() && line.size() + 1 + quotedForm(inputs[next]).size() < limit)
            line += " " + quotedForm(inputs[next++]);

        char outName[MAX_PATH], dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        GetTempFileNameA(dir, "qa", 0, outName);
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE out = CreateFileA(outName, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(out, INVALID_HANDLE_VALUE);
        STARTUPINFOA startup;
        memset(&startup, 0, sizeof startup);
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        PROCESS_INFORMATION child;
        std::vector<char> commandLine(line.begin(), line.end());
        commandLine.push_back('\0');
        BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      0, nullptr, nullptr, &startup, &child);
        CloseHandle(out);
        EXPECT_TRUE(started) << "error " << GetLastError();
        if (!started) return result;
        (*processes)++;
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);

        FILE *f = fopen(outName, "rb");
        std::string bytes;
        char buffer[4096];
        size_t n;
        while (f && (n = fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        if (f) fclose(f);
        DeleteFileA(outName);
        for (size_t start = 0; start < bytes.size();) {
            size_t end = bytes.find('\0', start);
            result.push_back(bytes.substr(start, end - start));
            start = end + 1;
        }
    }
    return result;
}

static void expectReadBackWhole(const std::vector<std::string> &inputs, int maxProcesses) {
    int processes = 0;
    std::vector<std::string> args = echoed(inputs, &processes);
    EXPECT_LE(processes, maxProcesses);
    ASSERT_EQ(args.size(), inputs.size());
    for (size_t i = 0; i < inputs.size(); i++)
        EXPECT_EQ(args[i], inputs[i]) << "quoted as " << quotedForm(inputs[i]);
}

TEST(QuotingUnderTheRuntime, DocumentedAndBoundaryCasesReadBack) {
    expectReadBackWhole({"D:\\cov\\lib\\revedor.exe",
                         "D:\\Program Files\\cov\\lib\\xconfig.tcl",
                         "say \"hi\"",
                         "a\"b",
                         "a\\\"b",
                         "a\\\\\"b",
                         "a\\\\b",
                         "\\\\server\\share\\x.tcl",
                         "\"quoted\"",
                         "x y\\\"z",
                         "",
                         "\"",
                         "\\",
                         "a b\\",
                         "a b\\\\\\",
                         "\t",
                         " ",
                         "\"\"",
                         "a\tb\\\"",
                         "C:\\Program Files\\",
                         "*.tcl",
                         "a\nb"},
                        1);
}

// Thousands of strings over the bytes that matter to the parser, with runs of
// backslashes before quotes, inside and at the end, and empty strings.
TEST(QuotingUnderTheRuntime, GeneratedStringsReadBackWhole) {
    std::mt19937 random(4242);
    const char *pieces[] = {"a",    "Z",   " ",    "\t", "\"", "\\", "\\\\", "\\\\\\\"",
                            "\\\"", "x y", "\"\"", "/",  "-",  "%",  ".tcl"};
    std::vector<std::string> inputs;
    for (int i = 0; i < 4000; i++) {
        std::string text;
        int count = (int)(random() % 7);
        for (int j = 0; j < count; j++)
            text += pieces[random() % (sizeof pieces / sizeof *pieces)];
        if (random() % 4 == 0) text += std::string(random() % 4 + 1, '\\'); // trailing run
        inputs.push_back(text);
    }
    expectReadBackWhole(inputs, 8);
}
