// Fuzzer of the command-line quoting: arguments (the input cut at zero bytes)
// quoted, joined and read back by the Windows C runtime's rules come back
// unchanged. Byte 0 may make an allocation fail: a result is then null or right.
#include "mkcmd.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

int allocationsLeft; // the allocation that fails is the one that counts this down to 0

void *allocate(int size) {
    if (allocationsLeft > 0 && --allocationsLeft == 0) return nullptr;
    return malloc(static_cast<size_t>(size));
}

// The runtime's reading of the arguments after the program name: spaces and
// tabs separate; 2n backslashes and a quote give n backslashes and open or
// close quoting, 2n + 1 give n and a literal quote; other backslashes stand
// for themselves; inside quotes "" is a literal quote.
std::vector<std::string> readBack(const char *p) {
    std::vector<std::string> args;
    while (*(p += strspn(p, " \t")) != '\0') {
        std::string arg;
        for (bool quoted = false; *p != '\0' && (quoted || (*p != ' ' && *p != '\t'));) {
            size_t run = strspn(p, "\\");
            if (p[run] != '"') { // backslashes, or one other byte, stand for themselves
                arg.append(p, std::max<size_t>(run, 1));
                p += std::max<size_t>(run, 1);
                continue;
            }
            arg.append(run / 2, '\\');
            p += run + 1;
            if (run % 2 == 1) {
                arg += '"';
            } else if (quoted && *p == '"') {
                arg += '"';
                p++;
            } else {
                quoted = !quoted;
            }
        }
        args.push_back(arg);
    }
    return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    allocationsLeft = data[0] < 64 ? data[0] : 0;
    std::string input(reinterpret_cast<const char *>(data) + 1, size - 1);
    std::vector<std::string> args;
    for (size_t at = 0, end; at <= input.size(); at = end + 1) {
        end = std::min(input.find('\0', at), input.size());
        args.push_back(input.substr(at, end - at));
    }
    std::vector<char *> quoted;
    for (const std::string &arg : args)
        quoted.push_back(quoteArg(arg.c_str(), allocate));
    quoted.push_back(nullptr);
    bool complete = std::find(quoted.begin(), quoted.end() - 1, nullptr) == quoted.end() - 1;
    char *line = complete ? joinArguments(quoted.data(), allocate) : nullptr;
    if (line != nullptr && readBack(line) != args) abort();
    for (char *q : quoted)
        free(q);
    free(line);
    return 0;
}
